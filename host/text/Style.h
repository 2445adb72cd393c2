// SPDX-License-Identifier: MIT
#pragma once
// Named text styles. A paragraph style sets paragraph attributes and the character attributes of
// its text; a character style sets character attributes only. Each style is a delta over its base
// style (over the document defaults when it has none).

#include "host/text/Delta.h"
#include "host/text/TextDocument.h"

#include <unordered_map>
#include <vector>

namespace Text {

// How a style is tagged for EPUB: the element and class its text is written with.
class EPubTag final : public Foundation::Countable {
public:
    // Which parts of the tag are set.
    static constexpr uint32_t IncludeClassSet = 1, EmitCSSSet = 2, ElementSet = 4, ClassSet = 8;

    static Counted<const EPubTag> Make(uint32_t mask, StringT elementName, StringT cssClassName,
                                       bool includeClass = true, bool emitCSS = true);
    EPubTag(uint32_t mask, StringT elementName, StringT cssClassName, bool includeClass,
            bool emitCSS)
        : mask_(mask), elementName_(std::move(elementName)), cssClassName_(std::move(cssClassName)),
          includeClass_(includeClass), emitCSS_(emitCSS) {}

    bool Is(uint32_t mask) const noexcept { return (mask_ & mask) != 0; }
    const StringT& GetElementName() const noexcept { return elementName_; }
    const StringT& GetCSSClassName() const noexcept { return cssClassName_; }
    bool IsIncludeClass() const noexcept { return includeClass_; }
    bool IsEmitCSS() const noexcept { return emitCSS_; }

private:
    uint32_t mask_;
    StringT elementName_;
    StringT cssClassName_;
    bool includeClass_;
    bool emitCSS_;
};

enum class StyleKind : uint8_t { Paragraph, Character };

class Style final : public Foundation::Countable {
public:
    static Counted<const Style> Make(StringT name, StyleKind kind, StringT baseName,
                                     Counted<const Delta> delta, Counted<const EPubTag> tag = {});
    Style(StringT name, StyleKind kind, StringT baseName, Counted<const Delta> delta,
          Counted<const EPubTag> tag);

    const StringT& GetName() const noexcept { return name_; }
    StyleKind GetKind() const noexcept { return kind_; }
    bool IsParagraphStyle() const noexcept { return kind_ == StyleKind::Paragraph; }
    bool IsCharacterStyle() const noexcept { return kind_ == StyleKind::Character; }
    // Empty for a style without base.
    const StringT& GetBaseName() const noexcept { return baseName_; }
    // What the style sets over its base; never null. A character style's paragraph part is
    // ignored.
    const Counted<const Delta>& GetDelta() const noexcept { return delta_; }
    // Null when the style is not tagged.
    const Counted<const EPubTag>& GetEPubTag() const noexcept { return tag_; }

private:
    StringT name_;
    StyleKind kind_;
    StringT baseName_;
    Counted<const Delta> delta_;
    Counted<const EPubTag> tag_;
};

class StyleSheet final : public Foundation::Countable {
public:
    static Counted<StyleSheet> Make(Counted<const TextDocument> document);
    explicit StyleSheet(Counted<const TextDocument> document);

    const Counted<const TextDocument>& GetDocument() const noexcept { return document_; }

    // Adds a style, replacing one of the same name (which keeps its place in the order).
    void AddStyle(Counted<const Style> style);
    // Null when there is none.
    Counted<const Style> GetStyle(const StringT& name) const;
    // In the order they were added.
    const std::vector<Counted<const Style>>& GetStyles() const noexcept { return styles_; }

    // The style's delta against the defaults (its whole base chain flattened) or, with
    // `againstDefaults` false, its own delta against its base. Null for an unknown name.
    Counted<const Delta> MakeDelta(const StringT& name, bool againstDefaults = true) const;

    // Full attribute sets of styled text: the document defaults (or `base`) with the style chain
    // laid over, and the style names set. Unknown style names contribute nothing but their name.
    ParagraphAtts ResolveParagraphAtts(const StringT& paragraphStyle) const;
    GlyphAtts ResolveGlyphAtts(const StringT& paragraphStyle, const StringT& characterStyle) const;
    GlyphAtts ResolveGlyphAtts(const StringT& paragraphStyle, const StringT& characterStyle,
                               const GlyphAtts& base) const;

    // Local formatting: what an attribute set changes over the styles it names.
    Counted<const Delta> MakeLocalParagraphFormatting(const ParagraphAtts& atts) const;
    // `base` stands for the document defaults (a copy of them, possibly with the run's font).
    Counted<const Delta> MakeLocalGlyphFormatting(const GlyphAtts& atts,
                                                  const StringT& paragraphStyle,
                                                  const GlyphAtts& base) const;
    Counted<const Delta> MakeLocalGlyphFormatting(const GlyphAtts& atts,
                                                  const StringT& paragraphStyle) const;

private:
    // The style and its bases, root first; stops at an unknown name or a loop.
    std::vector<const Style*> Chain(const StringT& name) const;

    Counted<const TextDocument> document_;
    std::vector<Counted<const Style>> styles_;
    std::unordered_map<StringT, size_t> index_;
};

} // namespace Text

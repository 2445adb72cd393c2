// SPDX-License-Identifier: MIT
#include "host/text/Style.h"

#include <algorithm>
#include <stdexcept>

namespace Text {

Counted<const EPubTag> EPubTag::Make(uint32_t mask, StringT elementName, StringT cssClassName,
                                     bool includeClass, bool emitCSS) {
    return Foundation::MakeCounted<const EPubTag>(mask, std::move(elementName),
                                                  std::move(cssClassName), includeClass, emitCSS);
}

Counted<const Style> Style::Make(StringT name, StyleKind kind, StringT baseName,
                                 Counted<const Delta> delta, Counted<const EPubTag> tag) {
    return Foundation::MakeCounted<const Style>(std::move(name), kind, std::move(baseName),
                                                std::move(delta), std::move(tag));
}

Style::Style(StringT name, StyleKind kind, StringT baseName, Counted<const Delta> delta,
             Counted<const EPubTag> tag)
    : name_(std::move(name)), kind_(kind), baseName_(std::move(baseName)),
      delta_(delta ? std::move(delta) : Foundation::MakeCounted<const Delta>()),
      tag_(std::move(tag)) {
    if (name_.empty())
        throw std::invalid_argument("a style has a name");
    if (kind_ == StyleKind::Character && !delta_->GetParagraph().empty())
        delta_ = Foundation::MakeCounted<const Delta>(AttributeSet(), delta_->GetGlyph());
}

Counted<StyleSheet> StyleSheet::Make(Counted<const TextDocument> document) {
    return Foundation::MakeCounted<StyleSheet>(std::move(document));
}

StyleSheet::StyleSheet(Counted<const TextDocument> document) : document_(std::move(document)) {
    if (!document_)
        throw std::invalid_argument("a style sheet needs a document");
}

void StyleSheet::AddStyle(Counted<const Style> style) {
    if (!style)
        throw std::invalid_argument("a style sheet holds styles, not nothing");
    auto [it, inserted] = index_.try_emplace(style->GetName(), styles_.size());
    if (inserted)
        styles_.push_back(std::move(style));
    else
        styles_[it->second] = std::move(style);
}

Counted<const Style> StyleSheet::GetStyle(const StringT& name) const {
    auto it = index_.find(name);
    return it == index_.end() ? nullptr : styles_[it->second];
}

std::vector<const Style*> StyleSheet::Chain(const StringT& name) const {
    std::vector<const Style*> chain;
    for (const StringT* current = &name; !current->empty();) {
        auto it = index_.find(*current);
        if (it == index_.end())
            break;
        const Style* style = styles_[it->second].get();
        if (std::find(chain.begin(), chain.end(), style) != chain.end())
            break; // a base loop: the styles met so far are the chain
        chain.push_back(style);
        current = &style->GetBaseName();
    }
    std::reverse(chain.begin(), chain.end());
    return chain;
}

Counted<const Delta> StyleSheet::MakeDelta(const StringT& name, bool againstDefaults) const {
    Counted<const Style> style = GetStyle(name);
    if (!style)
        return nullptr;
    if (!againstDefaults)
        return style->GetDelta();
    const bool paragraphStyle = style->IsParagraphStyle();
    AttributeSet paragraph = document_->GetDefaultParagraphAtts()->GetSet();
    AttributeSet glyph = document_->GetDefaultGlyphAtts()->GetSet();
    for (const Style* s : Chain(name)) {
        if (paragraphStyle)
            paragraph.Apply(s->GetDelta()->GetParagraph(), AttCategory::Paragraph);
        glyph.Apply(s->GetDelta()->GetGlyph(), AttCategory::Glyph);
    }
    return Foundation::MakeCounted<const Delta>(
        AttributeSet::Difference(paragraph, document_->GetDefaultParagraphAtts()->GetSet(),
                                 AttCategory::Paragraph),
        AttributeSet::Difference(glyph, document_->GetDefaultGlyphAtts()->GetSet(),
                                 AttCategory::Glyph));
}

ParagraphAtts StyleSheet::ResolveParagraphAtts(const StringT& paragraphStyle) const {
    AttributeSet set = document_->GetDefaultParagraphAtts()->GetSet();
    for (const Style* s : Chain(paragraphStyle))
        set.Apply(s->GetDelta()->GetParagraph(), AttCategory::Paragraph);
    if (!paragraphStyle.empty())
        set.Set(ParaStr::StyleName, paragraphStyle);
    return ParagraphAtts(std::move(set));
}

GlyphAtts StyleSheet::ResolveGlyphAtts(const StringT& paragraphStyle,
                                       const StringT& characterStyle) const {
    return ResolveGlyphAtts(paragraphStyle, characterStyle, *document_->GetDefaultGlyphAtts());
}

GlyphAtts StyleSheet::ResolveGlyphAtts(const StringT& paragraphStyle, const StringT& characterStyle,
                                       const GlyphAtts& base) const {
    AttributeSet set = base.GetSet();
    for (const StringT* name : {&paragraphStyle, &characterStyle})
        for (const Style* s : Chain(*name))
            set.Apply(s->GetDelta()->GetGlyph(), AttCategory::Glyph);
    if (characterStyle.empty())
        set.Erase(AttKind::String, GlyphStr::CharacterStyleName);
    else
        set.Set(GlyphStr::CharacterStyleName, characterStyle);
    return GlyphAtts(std::move(set));
}

Counted<const Delta> StyleSheet::MakeLocalParagraphFormatting(const ParagraphAtts& atts) const {
    return Text::MakeDelta(atts, ResolveParagraphAtts(atts.GetStyleName()));
}

Counted<const Delta> StyleSheet::MakeLocalGlyphFormatting(const GlyphAtts& atts,
                                                          const StringT& paragraphStyle,
                                                          const GlyphAtts& base) const {
    return Text::MakeDelta(atts,
                           ResolveGlyphAtts(paragraphStyle, atts.GetCharacterStyleName(), base));
}

Counted<const Delta> StyleSheet::MakeLocalGlyphFormatting(const GlyphAtts& atts,
                                                          const StringT& paragraphStyle) const {
    return MakeLocalGlyphFormatting(atts, paragraphStyle, *document_->GetDefaultGlyphAtts());
}

} // namespace Text

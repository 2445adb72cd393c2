// SPDX-License-Identifier: MIT
#pragma once
// What the stories of one document share: the consolidation pools of their attribute sets, the
// document defaults and the numbering of anchors. Stories and style sheets hold it by reference.

#include "host/foundation/Consolidated.h"
#include "host/text/AnchorData.h"
#include "host/text/GlyphAtts.h"
#include "host/text/ParagraphAtts.h"

#include <atomic>

namespace Text {

class TextDocument final : public Foundation::Countable {
public:
    static Counted<TextDocument> Make() { return Foundation::MakeCounted<TextDocument>(); }
    TextDocument();

    // The one shared object for this value. Thread-safe.
    Consolidated<GlyphAtts> Consolidate(GlyphAtts atts) const;
    Consolidated<ParagraphAtts> Consolidate(ParagraphAtts atts) const;

    // The document defaults that styles and new stories start from; the catalogue defaults until
    // set.
    const Consolidated<GlyphAtts>& GetDefaultGlyphAtts() const noexcept { return defaultGlyph_; }
    const Consolidated<ParagraphAtts>& GetDefaultParagraphAtts() const noexcept {
        return defaultParagraph_;
    }
    void SetDefaults(GlyphAtts glyph, ParagraphAtts paragraph);

    // A new anchor with a document-unique uid ("_anchor%1").
    Counted<AnchorData> MakeAnchor(StringT name, int32_t tocType = 0) const;

    size_t GetGlyphAttsCount() const { return glyphPool_->size(); }
    size_t GetParagraphAttsCount() const { return paragraphPool_->size(); }

private:
    Counted<Foundation::ConsolidationPool<GlyphAtts>> glyphPool_;
    Counted<Foundation::ConsolidationPool<ParagraphAtts>> paragraphPool_;
    Consolidated<GlyphAtts> defaultGlyph_;
    Consolidated<ParagraphAtts> defaultParagraph_;
    mutable std::atomic<uint64_t> anchorCount_{0};
};

} // namespace Text

// SPDX-License-Identifier: MIT
#include "host/text/TextDocument.h"

namespace Text {

TextDocument::TextDocument()
    : glyphPool_(Foundation::MakeCounted<Foundation::ConsolidationPool<GlyphAtts>>()),
      paragraphPool_(Foundation::MakeCounted<Foundation::ConsolidationPool<ParagraphAtts>>()),
      defaultGlyph_(Consolidate(GlyphAtts())), defaultParagraph_(Consolidate(ParagraphAtts())) {}

Consolidated<GlyphAtts> TextDocument::Consolidate(GlyphAtts atts) const {
    return glyphPool_->Consolidate(std::move(atts));
}

Consolidated<ParagraphAtts> TextDocument::Consolidate(ParagraphAtts atts) const {
    return paragraphPool_->Consolidate(std::move(atts));
}

void TextDocument::SetDefaults(GlyphAtts glyph, ParagraphAtts paragraph) {
    defaultGlyph_ = Consolidate(std::move(glyph));
    defaultParagraph_ = Consolidate(std::move(paragraph));
}

Counted<AnchorData> TextDocument::MakeAnchor(StringT name, int32_t tocType) const {
    const uint64_t n = anchorCount_.fetch_add(1, std::memory_order_relaxed) + 1;
    return AnchorData::Make(StringT::Format("_anchor%1", n), std::move(name), tocType);
}

} // namespace Text

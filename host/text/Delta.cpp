// SPDX-License-Identifier: MIT
#include "host/text/Delta.h"

namespace Text {

DeltaEntry Delta::Iterator::operator*() const {
    const size_t n = d_->paragraph_.size();
    if (i_ < n)
        return DeltaEntry{AttCategory::Paragraph, *(d_->paragraph_.begin() + i_)};
    return DeltaEntry{AttCategory::Glyph, *(d_->glyph_.begin() + (i_ - n))};
}

Counted<const Delta> Delta::Make(AttCategory category, AttId id, AttValue value) {
    AttributeSet set;
    set.Set(id, std::move(value));
    if (category == AttCategory::Paragraph)
        return Foundation::MakeCounted<const Delta>(std::move(set), AttributeSet());
    return Foundation::MakeCounted<const Delta>(AttributeSet(), std::move(set));
}

CompositeDelta& CompositeDelta::Add(const Delta& later) {
    for (const AttEntry& e : later.GetParagraph())
        paragraph_.Set(e.id, e.value);
    for (const AttEntry& e : later.GetGlyph())
        glyph_.Set(e.id, e.value);
    return *this;
}

Counted<const Delta> MakeDelta(const GlyphAtts& atts, const GlyphAtts& base) {
    return Foundation::MakeCounted<const Delta>(
        AttributeSet(), AttributeSet::Difference(atts.GetSet(), base.GetSet(), AttCategory::Glyph));
}

Counted<const Delta> MakeDelta(const ParagraphAtts& atts, const ParagraphAtts& base) {
    return Foundation::MakeCounted<const Delta>(
        AttributeSet::Difference(atts.GetSet(), base.GetSet(), AttCategory::Paragraph),
        AttributeSet());
}

Counted<const Delta> FontDelta::Make(const FontSpec& font) {
    AttributeSet glyph;
    glyph.Set(GlyphStr::FontFamily, font.family);
    glyph.Set(GlyphInt::FontWeight, font.weight);
    glyph.Set(GlyphInt::FontStyle, font.style);
    glyph.Set(GlyphInt::FontStretch, font.stretch);
    return Foundation::MakeCounted<const Delta>(AttributeSet(), std::move(glyph));
}

} // namespace Text

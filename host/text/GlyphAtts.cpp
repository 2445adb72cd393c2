// SPDX-License-Identifier: MIT
#include "host/text/GlyphAtts.h"

namespace Text {

GlyphAtts GlyphAtts::With(const AttributeSet& delta) const {
    AttributeSet set = set_;
    set.Apply(delta, AttCategory::Glyph);
    return GlyphAtts(std::move(set));
}

GlyphAtts GlyphAtts::With(AttId id, AttValue value) const {
    AttributeSet delta;
    delta.Set(id, std::move(value));
    return With(delta);
}

GlyphAtts GlyphAtts::GetScaled(double x, double y, bool scaleText) const {
    if (!scaleText || y == 0)
        return *this;
    AttributeSet delta;
    for (AttId id : {GlyphDouble::Size, GlyphDouble::Leading, GlyphDouble::BaselineShift})
        delta.Set(id, GetDouble(id) * y);
    delta.Set(GlyphDouble::HorizontalScale, GetDouble(GlyphDouble::HorizontalScale) * x / y);
    return With(delta);
}

FontSpec GlyphAtts::GetFont() const {
    return FontSpec{GetString(GlyphStr::FontFamily), GetInt(GlyphInt::FontWeight),
                    GetInt(GlyphInt::FontStyle), GetInt(GlyphInt::FontStretch)};
}

Counted<const Language> GlyphAtts::FindLanguage() const {
    Counted<const Language> language = GetObjectAs<Language>(GlyphObject::Language);
    return language ? language : Language::None();
}

Counted<const Render::FillDescriptor> GlyphAtts::GetFill(AttId id) const {
    const auto* fill = dynamic_cast<const FillAtt*>(GetObject(id).get());
    return fill ? fill->GetFill() : nullptr;
}

Counted<const Render::LineStyleDescriptor> GlyphAtts::GetLineStyle(AttId id) const {
    const auto* style = dynamic_cast<const LineStyleAtt*>(GetObject(id).get());
    return style ? style->GetLineStyle() : nullptr;
}

} // namespace Text

// SPDX-License-Identifier: MIT
#include "host/text/ParagraphAtts.h"

namespace Text {

ParagraphAtts ParagraphAtts::With(const AttributeSet& delta) const {
    AttributeSet set = set_;
    set.Apply(delta, AttCategory::Paragraph);
    return ParagraphAtts(std::move(set));
}

ParagraphAtts ParagraphAtts::With(AttId id, AttValue value) const {
    AttributeSet delta;
    delta.Set(id, std::move(value));
    return With(delta);
}

ParagraphAtts ParagraphAtts::GetScaled(double x, double y, bool) const {
    AttributeSet delta;
    for (AttId id : {ParaDouble::LeftIndent, ParaDouble::RightIndent, ParaDouble::FirstLineIndent,
                     ParaDouble::LastLineOutdent, ParaDouble::DefaultTabStop})
        if (IsSet(AttKind::Double, id))
            delta.Set(id, GetDouble(id) * x);
    for (AttId id : {ParaDouble::SpaceBefore, ParaDouble::SpaceAfter, ParaDouble::SameStyleSpacing,
                     ParaDouble::Leading})
        if (IsSet(AttKind::Double, id))
            delta.Set(id, GetDouble(id) * y);
    if (auto tabs = GetTabStops())
        delta.Set(ParaObject::TabStops, Counted<const AttObject>(tabs->GetScaled(x)));
    if (auto dropCap = GetDropCap())
        delta.Set(ParaObject::DropCap,
                  Counted<const AttObject>(DropCapAtt::Make(
                      dropCap->GetLines(), dropCap->GetCharacters(), dropCap->GetDistance() * x,
                      dropCap->GetCharacterStyle(), dropCap->IsEnabled())));
    return With(delta);
}

} // namespace Text

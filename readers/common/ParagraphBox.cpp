// SPDX-License-Identifier: MIT
#include "readers/common/ParagraphBox.h"

#include "host/render/Colour.h"
#include "host/text/AttributeIds.h"

#include <algorithm>

namespace Readers {

Foundation::Counted<const Render::FillDescriptor> SolidFill(uint32_t rgb) {
    return Render::FillDescriptor::MakeSolid(
        Render::Colour::MakeRGB(static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8),
                                static_cast<uint8_t>(rgb)));
}

void ParagraphBox::AddSide(uint8_t side, uint32_t rgb, double width, Render::DashKind dash) {
    Text::Decoration d;
    d.sides = side;
    d.penFill = SolidFill(rgb);
    d.lineStyle = Foundation::MakeCounted<const Render::LineStyleDescriptor>(width, dash);
    const auto same = std::find_if(list_.begin(), list_.end(), [&](const Text::Decoration& o) {
        return *o.penFill == *d.penFill && *o.lineStyle == *d.lineStyle;
    });
    if (same != list_.end())
        same->sides |= side;
    else
        list_.push_back(std::move(d));
}

void ParagraphBox::SetOn(Text::AttributeSet& out) {
    if (background_) {
        if (list_.empty())
            list_.emplace_back();
        list_.front().background = SolidFill(*background_);
    }
    if (list_.empty())
        return;
    out.Set(Text::ParaObject::Decorations,
            Foundation::Counted<const Text::AttObject>(
                Text::DecorationsAtt::Make(std::exchange(list_, {}))));
}

} // namespace Readers

// SPDX-License-Identifier: MIT
#pragma once
// A paragraph's borders and background as the readers gather them, side by side: sides drawn
// alike become one box, and the background goes with the first.

#include "host/render/Fill.h"
#include "host/render/LineStyle.h"
#include "host/text/AttributeObjects.h"
#include "host/text/AttributeSet.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace Readers {

// A solid fill of the colour 0xRRGGBB.
Foundation::Counted<const Render::FillDescriptor> SolidFill(uint32_t rgb);

class ParagraphBox {
public:
    // `side` is a Text::DecorationSide bit; `width` in points.
    void AddSide(uint8_t side, uint32_t rgb, double width, Render::DashKind dash);
    void SetBackground(uint32_t rgb) { background_ = rgb; }
    // Sets the paragraph's decorations on `out`, when there is anything to draw.
    void SetOn(Text::AttributeSet& out);

private:
    std::vector<Text::Decoration> list_;
    std::optional<uint32_t> background_;
};

} // namespace Readers

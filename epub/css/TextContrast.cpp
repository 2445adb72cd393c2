// SPDX-License-Identifier: MIT
#include "epub/css/TextContrast.h"

#include "host/render/Fill.h"

#include <algorithm>
#include <cmath>

namespace EPub {

namespace {

double Linear(double component) {
    const double c = std::clamp(component, 0.0, 1.0);
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

struct Paint {
    RgbColour colour;
    double alpha = 1;
};

// Null fill: nothing painted. A fill that is not one solid colour cannot be judged.
std::optional<Paint> SolidPaint(const Render::FillDescriptor* fill,
                                const Raster::ICCProfileSet& profiles, Paint absent) {
    if (!fill)
        return absent;
    if (fill->Type() == Render::FillType::None)
        return Paint{{}, 0};
    if (!fill->IsSolid() || !fill->GetColour())
        return std::nullopt;
    const Raster::RGBA8 c = profiles.ToRGBA8(*fill->GetColour());
    return Paint{{c.r / 255.0, c.g / 255.0, c.b / 255.0},
                 std::clamp(fill->Opacity(), 0.0, 1.0) * c.a / 255.0};
}

} // namespace

double RelativeLuminance(const RgbColour& colour) {
    return 0.2126 * Linear(colour.red) + 0.7152 * Linear(colour.green) +
           0.0722 * Linear(colour.blue);
}

double ContrastRatio(const RgbColour& a, const RgbColour& b) {
    const double la = RelativeLuminance(a);
    const double lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

RgbColour Blend(const RgbColour& top, double alpha, const RgbColour& below) {
    const double a = std::clamp(alpha, 0.0, 1.0);
    return {top.red * a + below.red * (1 - a), top.green * a + below.green * (1 - a),
            top.blue * a + below.blue * (1 - a)};
}

std::optional<double> TextContrast(const Text::GlyphAtts& atts,
                                   const Raster::ICCProfileSet& profiles, const RgbColour& page) {
    // Text without a colour of its own is the reader's default, black.
    const auto text = SolidPaint(atts.GetTextFill().get(), profiles, Paint{{0, 0, 0}, 1});
    const auto highlight =
        SolidPaint(atts.GetFill(Text::GlyphObject::HighlightFill).get(), profiles, Paint{{}, 0});
    if (!text || !highlight)
        return std::nullopt;
    const RgbColour background = Blend(highlight->colour, highlight->alpha, page);
    return ContrastRatio(Blend(text->colour, text->alpha, background), background);
}

} // namespace EPub

// SPDX-License-Identifier: MIT
#include "epub/css/TextContrast.h"

#include "host/render/Fill.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

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

double RequiredContrast(double minimum, double sizePoints, int32_t weight) {
    const bool large = sizePoints >= 18 || (sizePoints >= 14 && weight >= 700);
    return large ? minimum * 2 / 3 : minimum;
}

std::optional<RgbColour> ReadableColour(const RgbColour& text, const RgbColour& background,
                                        double required) {
    if (required <= 0 || ContrastRatio(text, background) >= required)
        return std::nullopt;
    // Scaling the components keeps the hue: towards black on a light background, towards the
    // same hue's brightest on a dark one. Searched in 8-bit steps, so the colour written is the
    // one judged.
    const bool darken = RelativeLuminance(background) >= 0.18;
    const double top = std::max({text.red, text.green, text.blue, 1e-9});
    const auto at = [&](int step) {
        const double factor = darken ? step / 255.0 : step / (255.0 * top);
        const auto c = [&](double v) {
            return std::round(std::clamp(v * factor, 0.0, 1.0) * 255) / 255;
        };
        return RgbColour{c(text.red), c(text.green), c(text.blue)};
    };
    // Darkening walks down from the colour itself; lightening up from it.
    const int start = static_cast<int>(std::round(darken ? 255 : top * 255));
    for (int i = 0; i <= 255; ++i) {
        const int step = darken ? 255 - i : start + i;
        if (step < 0 || step > 255)
            break;
        const RgbColour candidate = at(step);
        if (ContrastRatio(candidate, background) >= required)
            return candidate;
    }
    const RgbColour extreme = darken ? RgbColour{0, 0, 0} : RgbColour{1, 1, 1};
    return ContrastRatio(extreme, background) >= required ? std::optional(extreme) : std::nullopt;
}

std::string HexColour(const RgbColour& colour) {
    const auto byte = [](double v) {
        return static_cast<int>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
    };
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", byte(colour.red), byte(colour.green),
                  byte(colour.blue));
    return text;
}

std::optional<TextColours> JudgeTextColours(const Text::GlyphAtts& atts,
                                            const Raster::ICCProfileSet& profiles, double minimum,
                                            const RgbColour& page) {
    const auto text = SolidPaint(atts.GetTextFill().get(), profiles, Paint{{0, 0, 0}, 1});
    const auto highlight =
        SolidPaint(atts.GetFill(Text::GlyphObject::HighlightFill).get(), profiles, Paint{{}, 0});
    if (!text || !highlight)
        return std::nullopt;
    TextColours out;
    out.background = Blend(highlight->colour, highlight->alpha, page);
    out.text = Blend(text->colour, text->alpha, out.background);
    out.required = RequiredContrast(minimum > 0 ? minimum : kMinimumTextContrast, atts.GetSize(),
                                    atts.GetInt(Text::GlyphInt::FontWeight));
    // Only a colour the document gives is changed: the reader's default text is its own.
    if (minimum > 0 && atts.GetTextFill() && text->alpha >= 1)
        out.readable = ReadableColour(out.text, out.background, out.required);
    out.contrast = ContrastRatio(out.readable ? *out.readable : out.text, out.background);
    return out;
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

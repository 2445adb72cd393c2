// SPDX-License-Identifier: MIT
#pragma once
// Colour contrast of text against what it is drawn on, as readers with low vision perceive it:
// relative luminance of sRGB colours and the ratio (L1 + 0.05) / (L2 + 0.05).

#include "host/raster/ICCProfileSet.h"
#include "host/text/GlyphAtts.h"

#include <cstdint>
#include <optional>
#include <string>

namespace EPub {

// Components 0..1, sRGB.
struct RgbColour {
    double red = 0;
    double green = 0;
    double blue = 0;
};

inline constexpr RgbColour kWhite{1, 1, 1};
// Text needs this much contrast to be read without magnification.
inline constexpr double kMinimumTextContrast = 4.5;

double RelativeLuminance(const RgbColour& colour);
// 1 for equal colours up to 21 for black on white; symmetric.
double ContrastRatio(const RgbColour& a, const RgbColour& b);
// `top` with opacity `alpha` (0..1) painted over the opaque `below`.
RgbColour Blend(const RgbColour& top, double alpha, const RgbColour& below);

// The contrast text of `sizePoints` and `weight` needs when ordinary text needs `minimum`: large
// text (18 pt, or 14 pt bold) two thirds of it.
double RequiredContrast(double minimum, double sizePoints, int32_t weight);
// The colour of `text`'s hue nearest to it with `required` contrast against `background`, in
// 8-bit steps; none when `text` has it already (or no colour of its hue can have it).
std::optional<RgbColour> ReadableColour(const RgbColour& text, const RgbColour& background,
                                        double required);

// The contrast of text with `atts` against its highlight, or against `page` where it has none,
// after blending any transparency. No answer when the text or its highlight is not one solid
// colour (a gradient has no single contrast).
std::optional<double> TextContrast(const Text::GlyphAtts& atts,
                                   const Raster::ICCProfileSet& profiles,
                                   const RgbColour& page = kWhite);
// What TextContrast judges, with the colours the export writes when text below `minimum` is
// made readable (0: as they are): the text and background colours, the contrast as written
// and whether the colour was changed.
struct TextColours {
    RgbColour text;
    RgbColour background;
    double contrast = 21;
    double required = 4.5;
    std::optional<RgbColour> readable; // the colour written instead of `text`
};
std::optional<TextColours> JudgeTextColours(const Text::GlyphAtts& atts,
                                            const Raster::ICCProfileSet& profiles, double minimum,
                                            const RgbColour& page = kWhite);
// "#RRGGBB".
std::string HexColour(const RgbColour& colour);

} // namespace EPub

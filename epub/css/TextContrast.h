// SPDX-License-Identifier: MIT
#pragma once
// Colour contrast of text against what it is drawn on, as readers with low vision perceive it:
// relative luminance of sRGB colours and the ratio (L1 + 0.05) / (L2 + 0.05).

#include "host/raster/ICCProfileSet.h"
#include "host/text/GlyphAtts.h"

#include <optional>

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

// The contrast of text with `atts` against its highlight, or against `page` where it has none,
// after blending any transparency. No answer when the text or its highlight is not one solid
// colour (a gradient has no single contrast).
std::optional<double> TextContrast(const Text::GlyphAtts& atts,
                                   const Raster::ICCProfileSet& profiles,
                                   const RgbColour& page = kWhite);

} // namespace EPub

// SPDX-License-Identifier: MIT
#pragma once
// Geometry of fixed-layout pages: snapping rectangles to whole pixels, splitting transforms into
// what CSS can say, style-value quantising and reading-order keys.

#include "host/foundation/Geometry.h"
#include "host/render/AffineTransform.h"
#include "host/render/RenderTree.h"

#include <cstdint>

namespace EPub {

using Foundation::RectT;
using Foundation::SizeT;
using Render::AffineTransform;

// A transform as CSS writes it: translate, then rotate, skew and (sign-only) scale.
struct CSSTransform {
    double translateX = 0;
    double translateY = 0;
    double scaleX = 1;
    double scaleY = 1;
    double rotation = 0; // degrees, [0, 360)
    double skew = 0;     // degrees
    bool IsTranslationOnly() const;
};

// Coordinates within `tolerance` of a whole number take it; the rest move outwards. A rectangle
// of four lowest doubles (the "no rectangle" value) is left alone.
RectT<double> Snap(const RectT<double>& r, double tolerance);
// Equal within 1e-6, or equal once both are snapped with tolerance 0.001.
bool IsEqual(const RectT<double>& a, const RectT<double>& b);

// Splits `t` into a CSS transform; the magnitudes of its scale are moved into `size` and divided
// out of `t`'s rows, so the CSS scale keeps only signs.
CSSTransform Scale(AffineTransform& t, SizeT<double>& size);
// As above with explicit factors instead of the transform's own.
CSSTransform Scale(AffineTransform& t, SizeT<double>& size, double sx, double sy);
// Multiplies the linear part's rows by (sx, sy), leaving the translation.
void PreScale(double sx, double sy, AffineTransform& t);

// Rounded to the nearest 1e-6, without negative zero.
double Quantise(double value);
// Quantised and written in the shortest decimal form ("12", "0.5", "-3.25"); kept within
// ±1e9, and 0 for what is not a number.
std::string FormatNumber(double value);

// The reading-order key of a logical group's order tags.
int64_t Order(const Render::OrderTags& tags);

} // namespace EPub

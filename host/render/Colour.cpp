// SPDX-License-Identifier: MIT
#include "host/render/Colour.h"

#include <functional>

namespace Render {

namespace {
double Unit(uint8_t v) {
    return v / 255.0;
}
} // namespace

Counted<const Colour> Colour::MakeRGB(uint8_t r, uint8_t g, uint8_t b, uint8_t alpha) {
    return Foundation::MakeCounted<const Colour>(
        ColourModel::RGB, std::array{Unit(r), Unit(g), Unit(b), 0.0}, Unit(alpha));
}

Counted<const Colour> Colour::MakeRGBPacked(uint32_t argb) {
    return MakeRGB(uint8_t(argb >> 16), uint8_t(argb >> 8), uint8_t(argb), uint8_t(argb >> 24));
}

Counted<const Colour> Colour::MakeCMYK(uint8_t c, uint8_t m, uint8_t y, uint8_t k, uint8_t alpha) {
    return Foundation::MakeCounted<const Colour>(
        ColourModel::CMYK, std::array{Unit(c), Unit(m), Unit(y), Unit(k)}, Unit(alpha));
}

Counted<const Colour> Colour::MakeGray(uint8_t level, uint8_t alpha) {
    return Foundation::MakeCounted<const Colour>(
        ColourModel::Gray, std::array{Unit(level), 0.0, 0.0, 0.0}, Unit(alpha));
}

Counted<const Colour> Colour::MakeLAB(double l, double a, double b, uint8_t alpha) {
    return Foundation::MakeCounted<const Colour>(ColourModel::LAB, std::array{l, a, b, 0.0},
                                                 Unit(alpha));
}

size_t Colour::Hash() const noexcept {
    size_t h = static_cast<size_t>(model_);
    for (double c : components_)
        h = h * 1000003u ^ std::hash<double>{}(c);
    return h * 1000003u ^ std::hash<double>{}(alpha_);
}

} // namespace Render

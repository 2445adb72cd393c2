// SPDX-License-Identifier: MIT
#pragma once
// Colours of the render library: a colour model, its components and an alpha.

#include "host/foundation/Counted.h"

#include <array>
#include <cstdint>

namespace Render {

using Foundation::Counted;

enum class ColourModel : uint8_t { RGB, CMYK, Gray, LAB };

// Immutable; shared by reference count. Components are 0..1 (LAB: L 0..100, a and b -128..127);
// unused components are 0.
class Colour final : public Foundation::Countable {
public:
    static Counted<const Colour> MakeRGB(uint8_t r, uint8_t g, uint8_t b, uint8_t alpha = 255);
    // 0xAARRGGBB
    static Counted<const Colour> MakeRGBPacked(uint32_t argb);
    static Counted<const Colour> MakeCMYK(uint8_t c, uint8_t m, uint8_t y, uint8_t k,
                                          uint8_t alpha = 255);
    static Counted<const Colour> MakeGray(uint8_t level, uint8_t alpha = 255);
    static Counted<const Colour> MakeLAB(double l, double a, double b, uint8_t alpha = 255);

    Colour(ColourModel model, std::array<double, 4> components, double alpha)
        : model_(model), components_(components), alpha_(alpha) {}

    ColourModel Model() const noexcept { return model_; }
    const std::array<double, 4>& Components() const noexcept { return components_; }
    double Alpha() const noexcept { return alpha_; }

    bool operator==(const Colour& o) const noexcept {
        return model_ == o.model_ && components_ == o.components_ && alpha_ == o.alpha_;
    }
    size_t Hash() const noexcept;

private:
    ColourModel model_;
    std::array<double, 4> components_;
    double alpha_;
};

} // namespace Render

// SPDX-License-Identifier: MIT
#pragma once
// Line styles: stroke weight and dash pattern of borders, rules and frame strokes.

#include "host/foundation/Counted.h"

#include <cstdint>
#include <vector>

namespace Render {

// Double is two parallel lines filling the weight; renderers without it draw a solid line.
enum class DashKind : uint8_t { Solid, Dashed, Dotted, Custom, Double };

// Immutable; shared by reference count. Weights in points.
class LineStyleDescriptor final : public Foundation::Countable {
public:
    LineStyleDescriptor(double weight, DashKind dash, std::vector<double> pattern = {})
        : weight_(weight), dash_(dash), pattern_(std::move(pattern)) {}

    double Weight() const noexcept { return weight_; }
    // The weight a renderer strokes with: a zero weight is a hairline.
    double EffectiveWeight() const noexcept { return weight_ > 0 ? weight_ : 0.0; }
    DashKind Dash() const noexcept { return dash_; }
    const std::vector<double>& Pattern() const noexcept { return pattern_; }

    bool operator==(const LineStyleDescriptor& o) const noexcept {
        return weight_ == o.weight_ && dash_ == o.dash_ && pattern_ == o.pattern_;
    }
    size_t Hash() const noexcept;

private:
    double weight_;
    DashKind dash_;
    std::vector<double> pattern_;
};

bool IsLineStyleVisible(const LineStyleDescriptor* style);

} // namespace Render

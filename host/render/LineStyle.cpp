// SPDX-License-Identifier: MIT
#include "host/render/LineStyle.h"

#include <functional>

namespace Render {

size_t LineStyleDescriptor::Hash() const noexcept {
    size_t h = std::hash<double>{}(weight_)*31 + static_cast<size_t>(dash_);
    for (double d : pattern_)
        h = h * 1000003u ^ std::hash<double>{}(d);
    return h;
}

bool IsLineStyleVisible(const LineStyleDescriptor* style) {
    return style && style->Weight() > 0;
}

} // namespace Render

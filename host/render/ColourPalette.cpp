// SPDX-License-Identifier: MIT
#include "host/render/ColourPalette.h"

namespace Render {

size_t FontColourPaletteDescriptor::Hash() const noexcept {
    size_t h = static_cast<size_t>(type_) * 1000003u ^ basePalette_;
    for (uint32_t e : entries_)
        h = h * 1000003u ^ e;
    return h;
}

} // namespace Render

// SPDX-License-Identifier: MIT
#include "host/foundation/Font.h"

#include <functional>

namespace Foundation {

size_t Font::Hash() const noexcept {
    size_t h = std::hash<StringT>{}(family_);
    h = h * 1000003u ^ std::hash<StringT>{}(styleName_);
    h = h * 1000003u ^ static_cast<size_t>(weight_);
    h = h * 1000003u ^ static_cast<size_t>(slant_);
    return h * 1000003u ^ static_cast<size_t>(stretch_);
}

} // namespace Foundation

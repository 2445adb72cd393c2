// SPDX-License-Identifier: MIT
#pragma once
// The font a run asks for, by name and style. Matching it to an installed font is the font
// cache's business.

#include "host/foundation/StringT.h"
#include "host/text/AttributeIds.h"

#include <cstdint>

namespace Text {

struct FontSpec {
    Foundation::StringT family;
    int32_t weight = 400; // 100 thin .. 900 black
    int32_t style = FontStyle::Upright;
    int32_t stretch = 5; // 1 ultra-condensed .. 9 ultra-expanded

    bool IsBold() const noexcept { return weight > 500; }
    bool IsItalic() const noexcept { return style != FontStyle::Upright; }
    friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

} // namespace Text

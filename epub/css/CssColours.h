// SPDX-License-Identifier: MIT
#pragma once
// The CSS named colours, in the order text colours are matched against them.

#include <cstdint>
#include <span>
#include <string_view>

namespace EPub {

struct NamedColour {
    std::string_view name;
    uint8_t red;
    uint8_t green;
    uint8_t blue;
    uint8_t alpha;
};

std::span<const NamedColour> GetNamedColours();
// The first row matching exactly; empty when none does.
std::string_view FindNamedColour(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha);

} // namespace EPub

// SPDX-License-Identifier: MIT
#include "epub/css/FontPalettes.h"

#include <array>
#include <cstdio>
#include <string_view>
#include <utility>

namespace EPub {

using Foundation::StringT;
using Foundation::ToStringT;

namespace {

constexpr std::array<std::pair<uint32_t, std::string_view>, 17> kKeywords{{
    {0x000000, "black"},
    {0x000080, "navy"},
    {0x0000FF, "blue"},
    {0x008000, "green"},
    {0x008080, "teal"},
    {0x00FF00, "lime"},
    {0x00FFFF, "aqua"},
    {0x800000, "maroon"},
    {0x800080, "purple"},
    {0x808000, "olive"},
    {0x808080, "gray"},
    {0xC0C0C0, "silver"},
    {0xFF0000, "red"},
    {0xFF00FF, "fuchsia"},
    {0xFFA500, "orange"},
    {0xFFFF00, "yellow"},
    {0xFFFFFF, "white"},
}};

} // namespace

StringT PaletteRGB::ColourText(uint32_t value) {
    if (value == kInherit)
        return "inherit";
    if (value == kCurrentColour)
        return "currentColor";
    for (const auto& [rgb, name] : kKeywords)
        if (rgb == value)
            return StringT(name);
    std::array<char, 16> text{};
    std::snprintf(text.data(), text.size(), "#%06x", static_cast<unsigned>(value & 0xFFFFFF));
    return StringT(text.data());
}

Foundation::OutStream& operator<<(Foundation::OutStream& out, const PaletteRGB& palette) {
    out << "\n\tbase-palette: " << ToStringT(palette.GetBasePalette()).view() << ";";
    if (palette.IsCustom() && !palette.GetEntries().empty()) {
        out << "\n\toverride-colors";
        const auto& entries = palette.GetEntries();
        for (size_t i = 0; i < entries.size(); ++i) {
            out << (i == 0 ? ": " : ", ") << ToStringT(i).view() << " "
                << PaletteRGB::ColourText(entries[i]).view();
        }
        out << ";";
    }
    return out;
}

} // namespace EPub

// SPDX-License-Identifier: MIT
#pragma once
// The theme's fonts and colours, which styles and runs name instead of giving them.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace Readers {
class XmlPart;
}

namespace Readers::Docx {

class Theme {
public:
    Theme() = default;
    explicit Theme(const XmlPart& part);

    // "majorHAnsi", "minorEastAsia"...: the typeface; empty when the theme has none.
    std::string Font(std::string_view themeFont) const;
    // "accent1", "text1", "hyperlink"...: 0xRRGGBB.
    std::optional<uint32_t> Colour(std::string_view themeColour) const;

private:
    std::string majorLatin_, minorLatin_, majorEastAsia_, minorEastAsia_, majorCs_, minorCs_;
    std::map<std::string, uint32_t, std::less<>> colours_; // by scheme name (dk1, accent1...)
};

// "FF0000" as 0xFF0000; nullopt for "auto" and anything that is not six hex digits.
std::optional<uint32_t> HexColour(std::string_view text);

} // namespace Readers::Docx

// SPDX-License-Identifier: MIT
#include "readers/docx/TextRules.h"

#include "host/foundation/StringT.h"
#include "readers/docx/Numbering.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace Readers::Docx {

namespace {

// The Symbol font's letters are Greek.
char32_t SymbolFontChar(char32_t c) {
    static constexpr std::u32string_view latin =
        U"abgdezhqiklmnxoprstufcywjABGDEZHQIKLMNXOPRSTUFCYWJ";
    static constexpr std::u32string_view greek =
        U"αβγδεζηθικλμνξοπρστυφχψωϕΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩϑ";
    const size_t at = latin.find(c);
    if (at != std::u32string_view::npos)
        return greek[at];
    static const std::pair<char32_t, char32_t> others[] = {
        {0xB7, U'\u2022'}, {0xB4, U'\u00D7'}, {0xB8, U'\u00F7'}, {0xB1, U'\u00B1'},
        {0xA3, U'\u2264'}, {0xB3, U'\u2265'}, {0xB9, U'\u2260'}, {0xBB, U'\u2248'},
        {0xA5, U'\u221E'}, {0xAE, U'\u2192'}, {0xAC, U'\u2190'}, {0xD6, U'\u221A'},
        {0xE5, U'\u2211'}, {0xF2, U'\u222B'}, {0xB6, U'\u2202'}, {0xC6, U'\u2205'},
        {0xCE, U'\u2208'}, {0xA2, U'\u2032'}, {0xB2, U'\u2033'}, {0xD7, U'\u22C5'},
        {0xE3, U'\u00A9'}, {0xE2, U'\u00AE'}, {0xE4, U'\u2122'}, {0xB0, U'\u00B0'}};
    for (const auto& [from, to] : others)
        if (c == from)
            return to;
    return c;
}

} // namespace

std::vector<std::string> FieldWords(std::string_view instruction) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < instruction.size() && words.size() < 64) {
        while (i < instruction.size() && std::isspace(static_cast<unsigned char>(instruction[i])))
            ++i;
        if (i >= instruction.size())
            break;
        std::string word;
        if (instruction[i] == '"') {
            ++i;
            while (i < instruction.size() && instruction[i] != '"') {
                if (instruction[i] == '\\' && i + 1 < instruction.size() &&
                    (instruction[i + 1] == '"' || instruction[i + 1] == '\\'))
                    ++i;
                word += instruction[i++];
            }
            ++i;
        } else {
            while (i < instruction.size() &&
                   !std::isspace(static_cast<unsigned char>(instruction[i])))
                word += instruction[i++];
        }
        words.push_back(std::move(word));
    }
    return words;
}

std::string SymbolText(std::string_view font, std::string_view hexCode) {
    uint32_t code = 0;
    const auto [end, error] =
        std::from_chars(hexCode.data(), hexCode.data() + hexCode.size(), code, 16);
    if (error != std::errc() || code < 0x20 || code > 0x10FFFF ||
        (code >= 0xD800 && code <= 0xDFFF))
        return {};
    if (code >= 0xF000 && code <= 0xF0FF)
        code -= 0xF000;
    char32_t c = code;
    if (font == "Symbol")
        c = SymbolFontChar(c);
    else if (font.starts_with("Wingdings") || font == "Webdings")
        return UnicodeBullet(
            Foundation::StringT::FromCodePoint(static_cast<char32_t>(code + 0xF000)).str(), font);
    if (c < 0x20)
        return {};
    return Foundation::StringT::FromCodePoint(c).str();
}

} // namespace Readers::Docx

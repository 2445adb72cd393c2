// SPDX-License-Identifier: MIT
#include "readers/docx/TextRules.h"

#include "host/foundation/StringT.h"
#include "readers/docx/Numbering.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace Readers::Docx {

namespace {

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](char c) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    });
    return out;
}

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

std::string FollowableUrl(std::string_view target) {
    while (!target.empty() && std::isspace(static_cast<unsigned char>(target.front())))
        target.remove_prefix(1);
    while (!target.empty() && std::isspace(static_cast<unsigned char>(target.back())))
        target.remove_suffix(1);
    const std::string lower = Lower(target.substr(0, 10));
    std::string prefix;
    if (lower.starts_with("www."))
        prefix = "http://";
    else if (!(lower.starts_with("http://") || lower.starts_with("https://") ||
               lower.starts_with("ftp://") || lower.starts_with("mailto:")))
        return {};
    std::string out = prefix;
    static constexpr char hex[] = "0123456789ABCDEF";
    for (size_t i = 0; i < target.size(); ++i) {
        const auto c = static_cast<unsigned char>(target[i]);
        const bool escapeOk = c == '%' && i + 2 < target.size() + 0 &&
                              std::isxdigit(static_cast<unsigned char>(target[i + 1])) &&
                              std::isxdigit(static_cast<unsigned char>(target[i + 2]));
        if (c <= 0x20 || c >= 0x7F ||
            std::string_view("\"<>\\^`{|}").find(static_cast<char>(c)) != std::string_view::npos ||
            (c == '%' && !escapeOk)) {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    // Nothing after the scheme is no address.
    const size_t colon = out.find(':');
    if (colon == std::string::npos || out.find_first_not_of('/', colon + 1) == std::string::npos)
        return {};
    return out;
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

bool IsHarmlessSvg(std::string_view svg) {
    const std::string lower = Lower(svg);
    if (lower.find("<script") != std::string::npos ||
        lower.find("javascript:") != std::string::npos ||
        lower.find("<!doctype") != std::string::npos ||
        lower.find("<!entity") != std::string::npos ||
        lower.find("<foreignobject") != std::string::npos)
        return false;
    // Event handlers: an attribute starting "on" after white space.
    for (size_t at = lower.find("on"); at != std::string::npos; at = lower.find("on", at + 2)) {
        if (at == 0 || !std::isspace(static_cast<unsigned char>(lower[at - 1])))
            continue;
        size_t end = at + 2;
        while (end < lower.size() && std::isalpha(static_cast<unsigned char>(lower[end])))
            ++end;
        while (end < lower.size() && std::isspace(static_cast<unsigned char>(lower[end])))
            ++end;
        if (end > at + 2 && end < lower.size() && lower[end] == '=')
            return false;
    }
    return true;
}

} // namespace Readers::Docx

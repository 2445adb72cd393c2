// SPDX-License-Identifier: MIT
#include "epub/css/UsedCharacters.h"

#include <clocale>
#include <cstring>
#include <cwctype>
#include <locale.h>

namespace EPub {

namespace {

constexpr char32_t kLast = 0x10FFFF;

// Case mapping needs Unicode tables; glibc's C.UTF-8 locale has them and is always installed.
locale_t UnicodeLocale() {
    static const locale_t locale = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
    return locale;
}

// Drawn by reading systems without being in the text: list markers (disc, circle, square,
// numbers, letters, roman numerals), hyphens and the ellipsis they insert, quotation marks.
constexpr char32_t kAlwaysDrawn[] = {0x00A0, 0x00AD, 0x2010, 0x2011, 0x2013, 0x2014,
                                     0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2026,
                                     0x25AA, 0x25CF, 0x25E6, 0x25A0, 0x25CB};

// The code point of the UTF-8 sequence at `i` and its length; length 0 when invalid.
std::pair<char32_t, size_t> DecodeUtf8(std::string_view text, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char b = byte(i);
    size_t n = 0;
    char32_t c = 0;
    if (b < 0x80)
        return {b, 1};
    if (b >= 0xC2 && b <= 0xDF) {
        n = 2;
        c = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3;
        c = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4;
        c = b & 0x07;
    } else {
        return {0, 0};
    }
    if (i + n > text.size())
        return {0, 0};
    for (size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return {0, 0};
        c = (c << 6) | (byte(i + k) & 0x3F);
    }
    if (c > kLast || (c >= 0xD800 && c <= 0xDFFF))
        return {0, 0};
    return {c, n};
}

// Eight bytes of ASCII text with no tag or reference in them.
bool PlainWord(const char* at) noexcept {
    constexpr uint64_t kOnes = 0x0101010101010101u;
    constexpr uint64_t kHigh = 0x8080808080808080u;
    uint64_t word = 0;
    std::memcpy(&word, at, sizeof word);
    const auto hasByte = [&](uint8_t b) {
        const uint64_t x = word ^ (kOnes * b);
        return ((x - kOnes) & ~x & kHigh) != 0;
    };
    return (word & kHigh) == 0 && !hasByte('<') && !hasByte('&');
}

} // namespace

UsedCharacters::UsedCharacters() : bits_((kLast + 1) / 64, 0), added_(bits_.size(), 0) {
    for (char32_t c = 0x20; c < 0x7F; ++c)
        AddOne(c);
    for (const char32_t c : kAlwaysDrawn)
        AddOne(c);
}

void UsedCharacters::AddOne(char32_t c) noexcept {
    if (c <= kLast)
        bits_[c / 64] |= uint64_t{1} << (c % 64);
}

bool UsedCharacters::Contains(char32_t c) const noexcept {
    return c <= kLast && (bits_[c / 64] >> (c % 64) & 1) != 0;
}

void UsedCharacters::Add(char32_t c) {
    // Case mapping is the slow part and a text repeats its characters endlessly.
    if (c > kLast || (added_[c / 64] >> (c % 64) & 1) != 0)
        return;
    added_[c / 64] |= uint64_t{1} << (c % 64);
    AddOne(c);
    if (const locale_t locale = UnicodeLocale()) {
        const auto wide = static_cast<wint_t>(c);
        AddOne(static_cast<char32_t>(::towupper_l(wide, locale)));
        AddOne(static_cast<char32_t>(::towlower_l(wide, locale)));
    }
    // German sharp s is written "SS" when capitalised.
    if (c == 0x00DF)
        AddOne(0x1E9E);
}

void UsedCharacters::AddText(std::string_view utf8) {
    for (size_t i = 0; i < utf8.size();) {
        const auto [c, length] = DecodeUtf8(utf8, i);
        if (length == 0) {
            ++i;
            continue;
        }
        Add(c);
        i += length;
    }
}

size_t UsedCharacters::AddReference(std::string_view text, size_t i) {
    const size_t semicolon = text.find(';', i);
    if (semicolon == std::string_view::npos)
        return i + 1;
    const std::string_view name = text.substr(i + 1, semicolon - i - 1);
    // Named references (&amp; and the like) are all ASCII, which is always kept.
    if (name.size() < 2 || name[0] != '#')
        return semicolon + 1;
    const bool hex = name[1] == 'x' || name[1] == 'X';
    uint32_t value = 0;
    for (const char d : name.substr(hex ? 2 : 1)) {
        const int digit = d >= '0' && d <= '9'          ? d - '0'
                          : hex && d >= 'a' && d <= 'f' ? d - 'a' + 10
                          : hex && d >= 'A' && d <= 'F' ? d - 'A' + 10
                                                        : -1;
        if (digit < 0 || value > kLast)
            return semicolon + 1;
        value = value * (hex ? 16 : 10) + static_cast<uint32_t>(digit);
    }
    if (value <= kLast && (value < 0xD800 || value > 0xDFFF))
        Add(static_cast<char32_t>(value));
    return semicolon + 1;
}

void UsedCharacters::AddMarkup(std::string_view xhtml) {
    // Documents run to megabytes of mostly ASCII text and quoted attribute values, so both states
    // skip ahead to the next byte that matters.
    const auto isText = [](char c) { return c != '<' && c != '&' && (c & 0x80) == 0; };
    for (size_t i = 0; i < xhtml.size();) {
        while (i + sizeof(uint64_t) <= xhtml.size() && PlainWord(xhtml.data() + i))
            i += sizeof(uint64_t);
        while (i < xhtml.size() && isText(xhtml[i]))
            ++i; // ASCII is always kept
        if (i == xhtml.size())
            return;
        if (xhtml[i] == '<') {
            i = SkipTag(xhtml, i + 1);
        } else if (xhtml[i] == '&') {
            i = AddReference(xhtml, i);
        } else {
            const auto [code, length] = DecodeUtf8(xhtml, i);
            if (length != 0)
                Add(code);
            i += length == 0 ? 1 : length;
        }
    }
}

size_t UsedCharacters::SkipTag(std::string_view xhtml, size_t i) {
    while (i < xhtml.size()) {
        const char c = xhtml[i];
        if (c == '>')
            return i + 1;
        if (c == '"' || c == '\'') {
            const size_t end = xhtml.find(c, i + 1);
            if (end == std::string_view::npos)
                return xhtml.size();
            i = end + 1;
            continue;
        }
        ++i;
    }
    return i;
}

std::vector<char32_t> UsedCharacters::Sorted() const {
    std::vector<char32_t> out;
    for (size_t word = 0; word < bits_.size(); ++word)
        for (uint64_t bits = bits_[word]; bits != 0; bits &= bits - 1)
            out.push_back(
                static_cast<char32_t>(word * 64 + static_cast<size_t>(__builtin_ctzll(bits))));
    return out;
}

} // namespace EPub

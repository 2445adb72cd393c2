// SPDX-License-Identifier: MIT
#include "host/foundation/StringT.h"

#include <array>
#include <charconv>
#include <cmath>
#include <ostream>

namespace Foundation {

namespace {

char FoldAscii(char c) noexcept {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Length of the UTF-8 sequence at s[i], or 0 when it is malformed.
size_t SequenceLength(std::string_view s, size_t i, char32_t& out) noexcept {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
        out = b0;
        return 1;
    }
    size_t n;
    char32_t cp;
    if ((b0 & 0xE0) == 0xC0) {
        n = 2;
        cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        n = 3;
        cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        n = 4;
        cp = b0 & 0x07;
    } else {
        return 0;
    }
    if (i + n > s.size())
        return 0;
    for (size_t k = 1; k < n; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    static constexpr std::array<char32_t, 5> minimum{0, 0, 0x80, 0x800, 0x10000};
    if (cp < minimum[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    out = cp;
    return n;
}

} // namespace

char32_t NextCodePoint(std::string_view utf8, size_t& i) noexcept {
    char32_t cp;
    const size_t n = SequenceLength(utf8, i, cp);
    i += n ? n : 1;
    return n ? cp : U'\uFFFD';
}

StringT StringT::FromUTF32(std::u32string_view text) {
    StringT out;
    out.s_.reserve(text.size());
    for (char32_t c : text)
        out.AppendCodePoint(c);
    return out;
}

StringT StringT::FromCodePoint(char32_t c) {
    StringT out;
    out.AppendCodePoint(c);
    return out;
}

StringT& StringT::AppendCodePoint(char32_t c) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        c = 0xFFFD;
    if (c < 0x80) {
        s_.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        s_.push_back(static_cast<char>(0xC0 | (c >> 6)));
        s_.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        s_.push_back(static_cast<char>(0xE0 | (c >> 12)));
        s_.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        s_.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        s_.push_back(static_cast<char>(0xF0 | (c >> 18)));
        s_.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        s_.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        s_.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
    return *this;
}

int StringT::Compare(std::string_view other) const noexcept {
    const int c = view().compare(other);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int StringT::CompareNoCase(std::string_view other) const noexcept {
    const size_t n = std::min(s_.size(), other.size());
    for (size_t i = 0; i < n; ++i) {
        const auto a = static_cast<unsigned char>(FoldAscii(s_[i]));
        const auto b = static_cast<unsigned char>(FoldAscii(other[i]));
        if (a != b)
            return a < b ? -1 : 1;
    }
    if (s_.size() == other.size())
        return 0;
    return s_.size() < other.size() ? -1 : 1;
}

size_t StringT::FindNoCase(std::string_view what, size_t from) const noexcept {
    if (what.size() > s_.size())
        return npos;
    for (size_t i = from; i + what.size() <= s_.size(); ++i) {
        size_t k = 0;
        while (k < what.size() && FoldAscii(s_[i + k]) == FoldAscii(what[k]))
            ++k;
        if (k == what.size())
            return i;
    }
    return npos;
}

std::u32string StringT::ToUTF32() const {
    std::u32string out;
    out.reserve(s_.size());
    for (size_t i = 0; i < s_.size();)
        out.push_back(NextCodePoint(s_, i));
    return out;
}

bool StringT::IsValidUTF8() const noexcept {
    for (size_t i = 0; i < s_.size();) {
        char32_t cp;
        const size_t n = SequenceLength(s_, i, cp);
        if (!n)
            return false;
        i += n;
    }
    return true;
}

StringT::Arg::Arg(double v) : own_(ToStringT(v).str()), owned_(true) {}

StringT& StringT::AppendFormatVT(std::string_view pattern, std::initializer_list<Arg> args) {
    s_.reserve(s_.size() + pattern.size());
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c != '%' || i + 1 == pattern.size()) {
            s_.push_back(c);
            continue;
        }
        const char next = pattern[i + 1];
        if (next == '%') {
            s_.push_back('%');
            ++i;
        } else if (next >= '1' && next <= '9' && static_cast<size_t>(next - '1') < args.size()) {
            s_.append(args.begin()[next - '1'].text());
            ++i;
        } else {
            s_.push_back(c);
        }
    }
    return *this;
}

std::string IntegerToText(long long v) {
    std::array<char, 24> buf;
    const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), v);
    return std::string(buf.data(), r.ptr);
}

std::string IntegerToText(unsigned long long v) {
    std::array<char, 24> buf;
    const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), v);
    return std::string(buf.data(), r.ptr);
}

StringT ToStringT(double v) {
    if (std::isnan(v))
        return "nan";
    if (std::isinf(v))
        return v < 0 ? "-inf" : "inf";
    if (v == 0)
        return "0";
    // Fixed notation of a double never needs more than 330 characters.
    std::array<char, 400> buf;
    const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), v, std::chars_format::fixed);
    return StringT(std::string_view(buf.data(), static_cast<size_t>(r.ptr - buf.data())));
}

std::ostream& operator<<(std::ostream& os, const StringT& s) {
    return os << s.view();
}

} // namespace Foundation

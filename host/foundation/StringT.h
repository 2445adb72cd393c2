// SPDX-License-Identifier: MIT
#pragma once
// The UTF-8 string every interface takes and returns.

#include <compare>
#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <iosfwd>
#include <string>
#include <string_view>

namespace Foundation {

class StringT {
public:
    static constexpr size_t npos = std::string::npos;

    StringT() = default;
    StringT(const char* s) : s_(s ? s : "") {}
    StringT(const char* s, size_t n) : s_(s, n) {}
    StringT(std::string s) : s_(std::move(s)) {}
    StringT(std::string_view s) : s_(s) {}

    static StringT FromUTF32(std::u32string_view text);
    static StringT FromCodePoint(char32_t c);

    const std::string& str() const noexcept { return s_; }
    std::string& str() noexcept { return s_; }
    std::string_view view() const noexcept { return s_; }
    const char* c_str() const noexcept { return s_.c_str(); }
    const char* data() const noexcept { return s_.data(); }
    operator std::string_view() const noexcept { return s_; }

    size_t size() const noexcept { return s_.size(); }
    bool empty() const noexcept { return s_.empty(); }
    char operator[](size_t i) const noexcept { return s_[i]; }
    char back() const noexcept { return s_.back(); }
    void clear() noexcept { s_.clear(); }
    auto begin() const noexcept { return s_.begin(); }
    auto end() const noexcept { return s_.end(); }

    // Byte-wise comparison; CompareNoCase folds ASCII letters only.
    int Compare(std::string_view other) const noexcept;
    int CompareNoCase(std::string_view other) const noexcept;
    bool EqualsNoCase(std::string_view other) const noexcept { return CompareNoCase(other) == 0; }

    size_t Find(std::string_view what, size_t from = 0) const noexcept {
        return s_.find(what, from);
    }
    size_t Find(char c, size_t from = 0) const noexcept { return s_.find(c, from); }
    size_t FindNoCase(std::string_view what, size_t from = 0) const noexcept;
    size_t RFind(std::string_view what, size_t from = npos) const noexcept {
        return s_.rfind(what, from);
    }
    size_t RFind(char c, size_t from = npos) const noexcept { return s_.rfind(c, from); }
    bool StartsWith(std::string_view p) const noexcept { return view().starts_with(p); }
    bool EndsWith(std::string_view p) const noexcept { return view().ends_with(p); }
    StringT Substr(size_t pos, size_t n = npos) const { return StringT(s_.substr(pos, n)); }

    StringT& Append(std::string_view s) {
        s_.append(s);
        return *this;
    }
    StringT& Append(char c) {
        s_.push_back(c);
        return *this;
    }
    StringT& AppendCodePoint(char32_t c);
    StringT& operator+=(std::string_view s) { return Append(s); }
    StringT& operator+=(char c) { return Append(c); }

    // Decodes UTF-8; each malformed byte becomes U+FFFD.
    std::u32string ToUTF32() const;
    bool IsValidUTF8() const noexcept;

    // Placeholder formatting: "%1" to "%9" take the argument of that number, "%%" is one percent
    // sign. A placeholder without an argument stays as written, so a missing argument shows.
    class Arg {
    public:
        Arg(const StringT& s) : text_(s.view()) {}
        Arg(const char* s) : text_(s) {}
        Arg(std::string_view s) : text_(s) {}
        Arg(const std::string& s) : text_(s) {}
        template <std::integral I>
        requires(!std::same_as<I, bool> && !std::same_as<I, char>) Arg(I v);
        Arg(double v);
        std::string_view text() const noexcept { return owned_ ? std::string_view(own_) : text_; }

    private:
        std::string own_;
        std::string_view text_;
        bool owned_ = false;
    };

    StringT& AppendFormatVT(std::string_view pattern, std::initializer_list<Arg> args);
    template <class... A> StringT& AppendFormat(std::string_view pattern, const A&... args) {
        return AppendFormatVT(pattern, {Arg(args)...});
    }
    template <class... A> static StringT Format(std::string_view pattern, const A&... args) {
        StringT out;
        out.AppendFormatVT(pattern, {Arg(args)...});
        return out;
    }

    friend bool operator==(const StringT& a, const StringT& b) noexcept { return a.s_ == b.s_; }
    friend bool operator==(const StringT& a, std::string_view b) noexcept { return a.s_ == b; }
    friend bool operator==(const StringT& a, const char* b) noexcept {
        return a.s_ == std::string_view(b);
    }
    friend std::strong_ordering operator<=>(const StringT& a, const StringT& b) noexcept {
        return a.s_ <=> b.s_;
    }
    friend StringT operator+(StringT a, std::string_view b) {
        a.s_.append(b);
        return a;
    }
    friend StringT operator+(std::string_view a, const StringT& b) {
        StringT r(a);
        r.s_.append(b.s_);
        return r;
    }
    friend StringT operator+(const char* a, const StringT& b) { return std::string_view(a) + b; }
    friend StringT operator+(StringT a, const StringT& b) {
        a.s_.append(b.s_);
        return a;
    }
    friend StringT operator+(StringT a, const char* b) {
        a.s_.append(b);
        return a;
    }
    friend StringT operator+(StringT a, char b) {
        a.s_.push_back(b);
        return a;
    }

private:
    std::string s_;
};

// The code point starting at byte `i` of UTF-8 text, moving `i` past it; a malformed byte is
// U+FFFD and is passed alone.
char32_t NextCodePoint(std::string_view utf8, size_t& i) noexcept;

// Integers in plain decimal; doubles in the shortest fixed-point text that reads back to the same
// value (never an exponent: "0.00001", "1250", "-2.5"); negative zero prints as "0".
std::string IntegerToText(long long v);
std::string IntegerToText(unsigned long long v);
StringT ToStringT(double v);
template <std::integral I>
requires(!std::same_as<I, bool>) StringT ToStringT(I v) {
    if constexpr (std::is_signed_v<I>)
        return StringT(IntegerToText(static_cast<long long>(v)));
    else
        return StringT(IntegerToText(static_cast<unsigned long long>(v)));
}

template <std::integral I>
requires(!std::same_as<I, bool> && !std::same_as<I, char>) StringT::Arg::Arg(I v)
    : own_(ToStringT(v).str()), owned_(true) {}

std::ostream& operator<<(std::ostream& os, const StringT& s);

} // namespace Foundation

template <> struct std::hash<Foundation::StringT> {
    size_t operator()(const Foundation::StringT& s) const noexcept {
        return std::hash<std::string_view>{}(s.view());
    }
};

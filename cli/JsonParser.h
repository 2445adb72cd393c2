#pragma once
// A strict JSON parser (RFC 8259, UTF-8) that reports values to a handler as it reads them, the
// way a SAX parser does. It works on the text in place: plain strings are copied in one piece and
// nothing is copied per character, which makes it several times faster than a general-purpose
// parser on large documents.
//
// The handler has the methods below; any of the value methods may return false to stop.
//   bool null(); bool boolean(bool); bool number_integer(int64_t); bool number_unsigned(uint64_t);
//   bool number_float(double); bool string(std::string_view, bool inText);
//   bool key(std::string_view, bool inText, size_t end);
//   bool start_object(size_t at); bool end_object(size_t end);
//   bool start_array(size_t at); bool end_array(size_t end);
//   void syntax_error(size_t offset, const std::string& message);   // at text[offset]
//   void number_out_of_range(size_t offset, std::string_view token); // token starts at offset
// A string is `inText` when it needed no decoding: the view is then a slice of the text, which
// the handler may keep instead of a copy. `key` also gets the offset just past the key's closing
// quote; containers give the offset of their opening bracket and the offset past their closing
// one.

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace Cli {

template <class Handler> class JsonParser {
public:
    JsonParser(std::string_view text, Handler& handler) : text_(text), h_(handler) {}

    // False when the text is not JSON or the handler stopped.
    bool Parse() {
        // A byte-order mark is tolerated, as most editors write one on request.
        if (text_.substr(0, 3) == "\xEF\xBB\xBF")
            at_ = 3;
        if (!Value())
            return false;
        SkipSpace();
        if (at_ < text_.size())
            return Fail("unexpected " + Describe() + " after the document's value");
        return true;
    }

private:
    enum class Context : uint8_t { Array, Object };

    bool Value() {
        // Containers are kept on an explicit stack: no recursion, so no depth limit.
        std::vector<Context> stack;
        for (;;) {
            SkipSpace();
            if (at_ >= text_.size())
                return Fail(Expected("a value"));
            const char c = text_[at_];
            if (c == '{' || c == '[') {
                const size_t start = at_++;
                const bool object = c == '{';
                if (!(object ? h_.start_object(start) : h_.start_array(start)))
                    return false;
                SkipSpace();
                const char close = object ? '}' : ']';
                if (at_ < text_.size() && text_[at_] == close) {
                    ++at_;
                    if (!(object ? h_.end_object(at_) : h_.end_array(at_)))
                        return false;
                } else {
                    stack.push_back(object ? Context::Object : Context::Array);
                    if (object && !Key())
                        return false;
                    continue;
                }
            } else if (!Scalar()) {
                return false;
            }
            // After a value: close containers or move on to the next item or member.
            for (;;) {
                if (stack.empty())
                    return true;
                SkipSpace();
                const bool object = stack.back() == Context::Object;
                if (at_ < text_.size() && text_[at_] == ',') {
                    ++at_;
                    if (object && !Key())
                        return false;
                    break;
                }
                const char close = object ? '}' : ']';
                if (at_ < text_.size() && text_[at_] == close) {
                    ++at_;
                    stack.pop_back();
                    if (!(object ? h_.end_object(at_) : h_.end_array(at_)))
                        return false;
                    continue;
                }
                return Fail(Expected(object ? "',' or '}'" : "',' or ']'"));
            }
        }
    }

    // A member's name and the colon after it.
    bool Key() {
        SkipSpace();
        if (at_ >= text_.size() || text_[at_] != '"')
            return Fail(Expected("a member name in double quotes"));
        if (!String())
            return false;
        if (!h_.key(value_, inText_, at_))
            return false;
        SkipSpace();
        if (at_ >= text_.size() || text_[at_] != ':')
            return Fail(Expected("':'"));
        ++at_;
        return true;
    }

    bool Scalar() {
        const char c = text_[at_];
        if (c == '"')
            return String() && h_.string(value_, inText_);
        if (c == '-' || (c >= '0' && c <= '9'))
            return Number();
        const auto literal = [&](std::string_view word) {
            if (text_.compare(at_, word.size(), word) != 0)
                return false;
            at_ += word.size();
            return true;
        };
        if (literal("true"))
            return h_.boolean(true);
        if (literal("false"))
            return h_.boolean(false);
        if (literal("null"))
            return h_.null();
        return Fail(Expected("a value"));
    }

    bool Number() {
        const size_t start = at_;
        bool integer = true;
        if (text_[at_] == '-')
            ++at_;
        if (at_ < text_.size() && text_[at_] == '0') {
            ++at_;
        } else if (!Digits()) {
            return Fail(Expected("a digit"));
        }
        if (at_ < text_.size() && text_[at_] == '.') {
            integer = false;
            ++at_;
            if (!Digits())
                return Fail(Expected("a digit after the decimal point"));
        }
        if (at_ < text_.size() && (text_[at_] == 'e' || text_[at_] == 'E')) {
            integer = false;
            ++at_;
            if (at_ < text_.size() && (text_[at_] == '+' || text_[at_] == '-'))
                ++at_;
            if (!Digits())
                return Fail(Expected("a digit in the exponent"));
        }
        const std::string_view token = text_.substr(start, at_ - start);
        if (integer) {
            // Integers that fit are kept exact; larger ones become doubles.
            if (token[0] == '-') {
                int64_t value = 0;
                const auto r = std::from_chars(token.data(), token.data() + token.size(), value);
                if (r.ec == std::errc())
                    return h_.number_integer(value);
            } else {
                uint64_t value = 0;
                const auto r = std::from_chars(token.data(), token.data() + token.size(), value);
                if (r.ec == std::errc())
                    return h_.number_unsigned(value);
            }
        }
        const std::string copy(token);
        const double value = std::strtod(copy.c_str(), nullptr);
        // Too small a number becomes 0; too large a one has no value.
        if (!std::isfinite(value)) {
            h_.number_out_of_range(start, token);
            return false;
        }
        return h_.number_float(value);
    }

    bool Digits() {
        const size_t start = at_;
        while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9')
            ++at_;
        return at_ > start;
    }

    // Reads the string at text_[at_] (its opening quote) into value_, leaving at_ past the
    // closing quote: a slice of the text when nothing needs decoding, else a view of buffer_.
    bool String() {
        const size_t first = ++at_;
        while (at_ < text_.size()) {
            const auto b = static_cast<unsigned char>(text_[at_]);
            if (b == '"') {
                value_ = text_.substr(first, at_ - first);
                inText_ = true;
                ++at_;
                return true;
            }
            if (b == '\\' || b < 0x20)
                break;
            if (b < 0x80)
                ++at_;
            else if (!Utf8(false))
                return false;
        }
        buffer_.assign(text_.data() + first, at_ - first);
        inText_ = false;
        for (;;) {
            // Plain stretches go in one piece.
            const size_t start = at_;
            while (at_ < text_.size()) {
                const auto b = static_cast<unsigned char>(text_[at_]);
                if (b == '"' || b == '\\' || b < 0x20 || b >= 0x80)
                    break;
                ++at_;
            }
            buffer_.append(text_.data() + start, at_ - start);
            if (at_ >= text_.size())
                return Fail("the text ends inside a string");
            const auto b = static_cast<unsigned char>(text_[at_]);
            if (b == '"') {
                ++at_;
                value_ = buffer_;
                return true;
            }
            if (b == '\\') {
                if (!Escape())
                    return false;
            } else if (b < 0x20) {
                return Fail("a control character must be escaped in a string");
            } else if (!Utf8(true)) {
                return false;
            }
        }
    }

    bool Escape() {
        const size_t start = at_;
        ++at_;
        if (at_ >= text_.size())
            return Fail("the text ends inside a string");
        const char c = text_[at_++];
        switch (c) {
        case '"':
        case '\\':
        case '/':
            buffer_ += c;
            return true;
        case 'b':
            buffer_ += '\b';
            return true;
        case 'f':
            buffer_ += '\f';
            return true;
        case 'n':
            buffer_ += '\n';
            return true;
        case 'r':
            buffer_ += '\r';
            return true;
        case 't':
            buffer_ += '\t';
            return true;
        case 'u':
            break;
        default:
            at_ = start;
            return Fail("unknown escape in a string");
        }
        uint32_t cp = 0;
        if (!Hex4(cp))
            return false;
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            // A high surrogate needs its low half, escaped right after it.
            uint32_t low = 0;
            if (text_.compare(at_, 2, "\\u") != 0)
                return FailAt(start, "a high surrogate without its low half");
            at_ += 2;
            if (!Hex4(low))
                return false;
            if (low < 0xDC00 || low > 0xDFFF)
                return FailAt(start, "a high surrogate without its low half");
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
            return FailAt(start, "a low surrogate without its high half");
        }
        AppendUtf8(cp);
        return true;
    }

    bool Hex4(uint32_t& out) {
        for (int i = 0; i < 4; ++i, ++at_) {
            if (at_ >= text_.size())
                return Fail("the text ends inside a string");
            const char c = text_[at_];
            const int digit = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
            if (digit < 0)
                return Fail("\\u needs four hexadecimal digits");
            out = out * 16 + static_cast<uint32_t>(digit);
        }
        return true;
    }

    // Passes one well-formed UTF-8 sequence (no overlong forms, surrogates or values past
    // U+10FFFF), copying it to buffer_ if asked.
    bool Utf8(bool copy) {
        const auto byte = [&](size_t k) {
            return at_ + k < text_.size() ? static_cast<unsigned char>(text_[at_ + k]) : 0u;
        };
        const unsigned b0 = byte(0);
        size_t n = 0;
        unsigned lo = 0x80, hi = 0xBF; // range of the second byte
        if (b0 >= 0xC2 && b0 <= 0xDF) {
            n = 2;
        } else if (b0 >= 0xE0 && b0 <= 0xEF) {
            n = 3;
            lo = b0 == 0xE0 ? 0xA0 : 0x80;
            hi = b0 == 0xED ? 0x9F : 0xBF;
        } else if (b0 >= 0xF0 && b0 <= 0xF4) {
            n = 4;
            lo = b0 == 0xF0 ? 0x90 : 0x80;
            hi = b0 == 0xF4 ? 0x8F : 0xBF;
        } else {
            return Fail("ill-formed UTF-8 in a string");
        }
        if (byte(1) < lo || byte(1) > hi)
            return Fail("ill-formed UTF-8 in a string");
        for (size_t k = 2; k < n; ++k)
            if (byte(k) < 0x80 || byte(k) > 0xBF)
                return Fail("ill-formed UTF-8 in a string");
        if (copy)
            buffer_.append(text_.data() + at_, n);
        at_ += n;
        return true;
    }

    void AppendUtf8(uint32_t cp) {
        if (cp < 0x80) {
            buffer_ += static_cast<char>(cp);
        } else if (cp < 0x800) {
            buffer_ += static_cast<char>(0xC0 | (cp >> 6));
            buffer_ += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            buffer_ += static_cast<char>(0xE0 | (cp >> 12));
            buffer_ += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            buffer_ += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            buffer_ += static_cast<char>(0xF0 | (cp >> 18));
            buffer_ += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            buffer_ += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            buffer_ += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }

    void SkipSpace() {
        while (at_ < text_.size()) {
            const char c = text_[at_];
            if (c != ' ' && c != '\n' && c != '\r' && c != '\t')
                return;
            ++at_;
        }
    }

    std::string Describe() const {
        if (at_ >= text_.size())
            return "end of text";
        const auto c = static_cast<unsigned char>(text_[at_]);
        if (c >= 0x21 && c < 0x7F)
            return std::string("'") + static_cast<char>(c) + "'";
        static const char* const hex = "0123456789ABCDEF";
        return std::string("byte 0x") + hex[c >> 4] + hex[c & 15];
    }

    std::string Expected(const char* what) const {
        return "unexpected " + Describe() + "; expected " + what;
    }

    bool Fail(const std::string& message) { return FailAt(at_, message); }
    bool FailAt(size_t offset, const std::string& message) {
        h_.syntax_error(offset, message);
        return false;
    }

    std::string_view text_;
    Handler& h_;
    size_t at_ = 0;
    std::string buffer_;     // a string that needed decoding
    std::string_view value_; // the string just read
    bool inText_ = false;    // value_ is a slice of the text
};

} // namespace Cli

// SPDX-License-Identifier: MIT
#pragma once
// Strict JSON (RFC 8259, UTF-8) read with RapidJSON's SAX reader and handed to a handler as it
// is read: no document object is built on the way, and strings reach the handler as views.
//
// The handler has the methods below; any of the value methods may return false to stop.
//   bool null(size_t end); bool boolean(bool, size_t end);
//   bool number_integer(int64_t, size_t end); bool number_unsigned(uint64_t, size_t end);
//   bool number_float(double, size_t end); bool string(std::string_view, bool inText, size_t end);
//   bool key(std::string_view, bool inText, size_t end);
//   bool start_object(size_t at); bool end_object(size_t end);
//   bool start_array(size_t at); bool end_array(size_t end);
//   void syntax_error(size_t offset, const std::string& message);   // at text[offset]
//   void number_out_of_range(size_t offset, std::string_view token); // token starts at offset
// Scalars and strings give the offset just past their last character (a string's closing quote).
// A string is `inText` when it needed no decoding: the view is then a slice of the text, which
// the handler may keep instead of a copy. `key` also gets the offset just past the key's closing
// quote; containers give the offset of their opening bracket and the offset past their closing
// one.

#include <rapidjson/error/error.h>
#include <rapidjson/memorystream.h>
#include <rapidjson/reader.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

namespace Cli {

// The opening quote of the string whose closing quote ends before `end`.
inline size_t JsonOpeningQuote(std::string_view text, size_t end) {
    size_t i = end >= 2 ? end - 2 : 0;
    for (; i > 0; --i) {
        if (text[i] != '"')
            continue;
        size_t slashes = 0;
        while (slashes < i && text[i - 1 - slashes] == '\\')
            ++slashes;
        if (slashes % 2 == 0)
            break;
    }
    return i;
}

// A character a JSON number may contain.
inline bool IsJsonNumberChar(char c) {
    return std::string_view("+-0123456789.eE").find(c) != std::string_view::npos;
}

// Whether `text` is UTF-8 throughout. ASCII goes by eight bytes at a time; every other sequence
// is checked by RapidJSON's own decoder, so this agrees with the parser's validation exactly,
// at a fraction of its cost (it checks string by string, byte by byte).
inline bool IsUtf8(std::string_view text) {
    constexpr uint64_t kHighBits = 0x8080808080808080u;
    struct Discard {
        void Put(char) {}
    } sink;
    size_t at = 0;
    while (at < text.size()) {
        uint64_t word;
        while (at + sizeof word <= text.size() &&
               (std::memcpy(&word, text.data() + at, sizeof word), (word & kHighBits) == 0))
            at += sizeof word;
        while (at < text.size() && static_cast<unsigned char>(text[at]) < 0x80)
            ++at;
        if (at == text.size())
            break;
        rapidjson::MemoryStream sequence(text.data() + at, text.size() - at);
        if (!rapidjson::UTF8<char>::Validate(sequence, sink))
            return false;
        at += sequence.Tell();
    }
    return true;
}

// Our wording for RapidJSON's refusals, in the style of the tool's other messages.
std::string JsonSyntaxMessage(rapidjson::ParseErrorCode code);

template <class Handler> class JsonParser {
public:
    JsonParser(std::string_view text, Handler& handler) : text_(text), h_(handler) {}

    // False when the text is not JSON or the handler stopped.
    bool Parse() {
        // A byte-order mark is tolerated, as most editors write one on request.
        const size_t base = text_.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
        rapidjson::MemoryStream stream(text_.data() + base, text_.size() - base);
        Events events{h_, text_, stream, base};
        // Iterative: nesting depth is bounded by memory, not by the call stack.
        constexpr unsigned kFlags =
            rapidjson::kParseFullPrecisionFlag | rapidjson::kParseIterativeFlag;
        rapidjson::Reader reader;
        // Text that is UTF-8 throughout needs no checking string by string; other text is
        // parsed with it, so the error points at the first bad string.
        const rapidjson::ParseResult result =
            IsUtf8(text_.substr(base))
                ? reader.Parse<kFlags>(stream, events)
                : reader.Parse<kFlags | rapidjson::kParseValidateEncodingFlag>(stream, events);
        if (result)
            return true;
        if (events.stopped)
            return false;
        const size_t at = base + result.Offset();
        if (result.Code() == rapidjson::kParseErrorNumberTooBig) {
            h_.number_out_of_range(at, NumberAt(at));
            return false;
        }
        h_.syntax_error(std::min(at, text_.size()), JsonSyntaxMessage(result.Code()));
        return false;
    }

private:
    // RapidJSON's handler interface, forwarded. `stopped` tells a handler's refusal from a
    // syntax error.
    struct Events {
        Handler& h;
        std::string_view text;
        const rapidjson::MemoryStream& stream;
        size_t base;
        bool stopped = false;

        bool Pass(bool ok) {
            stopped = !ok;
            return ok;
        }
        bool Null() { return Pass(h.null(End())); }
        bool Bool(bool value) { return Pass(h.boolean(value, End())); }
        bool Int(int value) { return Pass(h.number_integer(value, End())); }
        bool Uint(unsigned value) { return Pass(h.number_unsigned(value, End())); }
        bool Int64(int64_t value) { return Pass(h.number_integer(value, End())); }
        bool Uint64(uint64_t value) { return Pass(h.number_unsigned(value, End())); }
        bool Double(double value) {
            if (std::isfinite(value))
                return Pass(h.number_float(value, End()));
            // Some overflows come back as infinity rather than as an error.
            const size_t end = base + stream.Tell();
            size_t start = end;
            while (start > 0 && IsJsonNumberChar(text[start - 1]))
                --start;
            stopped = true;
            h.number_out_of_range(start, text.substr(start, end - start));
            return false;
        }
        bool RawNumber(const char*, rapidjson::SizeType, bool) { return false; }
        bool String(const char* str, rapidjson::SizeType length, bool) {
            const auto [value, inText] = InText(str, length);
            return (inText || Checked(value)) && Pass(h.string(value, inText, End()));
        }
        bool Key(const char* str, rapidjson::SizeType length, bool) {
            const auto [value, inText] = InText(str, length);
            return (inText || Checked(value)) && Pass(h.key(value, inText, base + stream.Tell()));
        }
        bool StartObject() { return Pass(h.start_object(Opening('{'))); }
        bool EndObject(rapidjson::SizeType) { return Pass(h.end_object(PastClosing('}'))); }
        bool StartArray() { return Pass(h.start_array(Opening('['))); }
        bool EndArray(rapidjson::SizeType) { return Pass(h.end_array(PastClosing(']'))); }

        size_t End() const { return base + stream.Tell(); }

        // The reader may call before or after taking the bracket, depending on its mode.
        size_t Opening(char bracket) const {
            const size_t at = base + stream.Tell();
            return at < text.size() && text[at] == bracket ? at : at - 1;
        }
        size_t PastClosing(char bracket) const {
            const size_t at = base + stream.Tell();
            return at < text.size() && text[at] == bracket ? at + 1 : at;
        }

        // A slice of the text as long as the decoded string, right after a quote and free of
        // backslashes, is the whole raw string: any escape before it would make the decoded
        // string longer than the slice. The handler may then keep the text itself.
        std::pair<std::string_view, bool> InText(const char* str,
                                                 rapidjson::SizeType length) const {
            const size_t close = base + stream.Tell() - 1; // the closing quote, just taken
            if (close > length && text[close - length - 1] == '"' &&
                text.substr(close - length, length).find('\\') == std::string_view::npos)
                return {text.substr(close - length, length), true};
            return {std::string_view(str, length), false};
        }

        // RapidJSON decodes an escaped lone low surrogate ("\udc00") into bytes that are not
        // UTF-8; the text is refused as the raw bytes would be.
        bool Checked(std::string_view value) {
            for (size_t i = 0; i + 1 < value.size(); ++i) {
                if (static_cast<unsigned char>(value[i]) == 0xED &&
                    static_cast<unsigned char>(value[i + 1]) >= 0xA0) {
                    stopped = true;
                    h.syntax_error(StringStart(), "a low surrogate without its high half");
                    return false;
                }
            }
            return true;
        }

        size_t StringStart() const { return JsonOpeningQuote(text, base + stream.Tell()); }
    };

    std::string_view NumberAt(size_t at) const {
        size_t end = at;
        while (end < text_.size() && IsJsonNumberChar(text_[end]))
            ++end;
        return text_.substr(at, end - at);
    }

    std::string_view text_;
    Handler& h_;
};

} // namespace Cli

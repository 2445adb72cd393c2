// SPDX-License-Identifier: MIT
#pragma once
// A short sequence of glyphs without attributes: bullet strings, note marks, list numbers. Text
// with attributes lives in stories.

#include "host/text/Glyph.h"

#include <string_view>
#include <vector>

namespace Text {

class GlyphString {
public:
    using const_iterator = std::vector<Glyph>::const_iterator;
    static constexpr size_t npos = static_cast<size_t>(-1);

    GlyphString() = default;
    // The glyphs of UTF-8 text; see AppendText.
    explicit GlyphString(std::string_view utf8) { AppendText(utf8); }

    GlyphString& Append(Glyph glyph);
    GlyphString& Append(const GlyphString& other);
    // One glyph per code point. "\n", "\r", "\r\n" and U+2029 make a paragraph break; U+2028 and
    // "\v" a line break. Malformed UTF-8 becomes U+FFFD.
    GlyphString& AppendText(std::string_view utf8);
    GlyphString& AppendText(std::u32string_view text);

    size_t size() const noexcept { return glyphs_.size(); }
    bool empty() const noexcept { return glyphs_.empty(); }
    const Glyph& operator[](size_t i) const { return glyphs_.at(i); }
    const_iterator begin() const noexcept { return glyphs_.begin(); }
    const_iterator end() const noexcept { return glyphs_.end(); }

    // Index of the first glyph with that character, or npos.
    size_t Find(char32_t c, size_t from = 0) const noexcept;
    size_t FindType(GlyphType type, size_t from = 0) const noexcept;
    template <class T> const T* FindObject() const noexcept {
        for (const Glyph& g : glyphs_)
            if (const T* o = g.As<T>())
                return o;
        return nullptr;
    }
    bool HasType(GlyphType type) const noexcept { return FindType(type) != npos; }

    // UTF-8 of the characters: breaks as "\n" (line breaks as U+2028), object glyphs as U+FFFC.
    StringT ToText() const;

    friend bool operator==(const GlyphString&, const GlyphString&) = default;

private:
    std::vector<Glyph> glyphs_;
};

// The glyph a character of plain text stands for (the break mapping of GlyphString::AppendText).
Glyph GlyphFromText(char32_t c);
// The stored codes (see GlyphCode) of UTF-8 text, mapped as GlyphString::AppendText maps it.
void AppendTextCodes(std::string_view utf8, std::vector<uint32_t>& codes);

} // namespace Text

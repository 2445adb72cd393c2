// SPDX-License-Identifier: MIT
#include "host/text/GlyphString.h"

namespace Text {

GlyphString& GlyphString::Append(Glyph glyph) {
    glyphs_.push_back(std::move(glyph));
    return *this;
}

GlyphString& GlyphString::Append(const GlyphString& other) {
    glyphs_.insert(glyphs_.end(), other.glyphs_.begin(), other.glyphs_.end());
    return *this;
}

namespace {

uint32_t CodeFromText(char32_t c) {
    switch (c) {
    case U'\n':
    case U'\r':
    case U'\u2029':
        return GlyphCode::MakeChar(U'\u2029', BreakKind::Paragraph);
    case U'\v':
    case U'\u2028':
        return GlyphCode::MakeChar(U'\u2028', BreakKind::Line);
    default:
        return GlyphCode::MakeChar(c > 0x10FFFF ? U'\uFFFD' : c);
    }
}

} // namespace

Glyph GlyphFromText(char32_t c) {
    return Glyph::FromCode(CodeFromText(c), nullptr);
}

void AppendTextCodes(std::string_view utf8, std::vector<uint32_t>& codes) {
    // At most a code per byte: write through a pointer, then trim.
    const size_t before = codes.size();
    codes.resize(before + utf8.size());
    uint32_t* out = codes.data() + before;
    char32_t last = 0;
    for (size_t i = 0; i < utf8.size();) {
        // Plain ASCII is most text: no decoding, no break mapping beyond the control codes.
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte >= 0x20 && byte < 0x80) {
            *out++ = byte;
            last = byte;
            ++i;
            continue;
        }
        const char32_t c = Foundation::NextCodePoint(utf8, i);
        if (!(c == U'\n' && last == U'\r'))
            *out++ = CodeFromText(c);
        last = c;
    }
    codes.resize(static_cast<size_t>(out - codes.data()));
}

GlyphString& GlyphString::AppendText(std::string_view utf8) {
    std::vector<uint32_t> codes;
    AppendTextCodes(utf8, codes);
    glyphs_.reserve(glyphs_.size() + codes.size());
    for (const uint32_t code : codes)
        glyphs_.push_back(Glyph::FromCode(code, nullptr));
    return *this;
}

GlyphString& GlyphString::AppendText(std::u32string_view text) {
    glyphs_.reserve(glyphs_.size() + text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == U'\n' && i > 0 && text[i - 1] == U'\r')
            continue;
        glyphs_.push_back(GlyphFromText(text[i]));
    }
    return *this;
}

size_t GlyphString::Find(char32_t c, size_t from) const noexcept {
    for (size_t i = from; i < glyphs_.size(); ++i)
        if (glyphs_[i].IsChar() && glyphs_[i].GetChar32() == c)
            return i;
    return npos;
}

size_t GlyphString::FindType(GlyphType type, size_t from) const noexcept {
    for (size_t i = from; i < glyphs_.size(); ++i)
        if (glyphs_[i].GetType() == type)
            return i;
    return npos;
}

StringT GlyphString::ToText() const {
    StringT out;
    for (const Glyph& g : glyphs_)
        out.AppendCodePoint(g.IsParagraphBreak() ? U'\n' : g.GetChar32());
    return out;
}

} // namespace Text

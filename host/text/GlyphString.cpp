#include "host/text/GlyphString.h"

namespace Text {

Glyph GlyphFromText(char32_t c) {
    switch (c) {
    case U'\n':
    case U'\r':
    case U'\u2029':
        return Glyph::Break(BreakKind::Paragraph);
    case U'\v':
    case U'\u2028':
        return Glyph::Break(BreakKind::Line);
    default:
        return Glyph::Char(c > 0x10FFFF ? U'\uFFFD' : c);
    }
}

GlyphString& GlyphString::Append(Glyph glyph) {
    glyphs_.push_back(std::move(glyph));
    return *this;
}

GlyphString& GlyphString::Append(const GlyphString& other) {
    glyphs_.insert(glyphs_.end(), other.glyphs_.begin(), other.glyphs_.end());
    return *this;
}

GlyphString& GlyphString::AppendText(std::string_view utf8) {
    return AppendText(StringT(utf8).ToUTF32());
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

// SPDX-License-Identifier: MIT
#include "readers/markdown/HouseStyle.h"

#include "host/render/Colour.h"
#include "host/render/Fill.h"
#include "host/text/AttributeObjects.h"

#include <algorithm>
#include <array>

namespace Readers::Markdown {

namespace {

using Foundation::Counted;
using Foundation::StringT;

// Collects the attributes of one style.
class Atts {
public:
    Atts& Para(Text::AttId id, int32_t value) { return Set(paragraph_, id, value); }
    Atts& ParaLength(Text::AttId id, double value) { return Set(paragraph_, id, value); }
    Atts& Glyph(Text::AttId id, int32_t value) { return Set(glyph_, id, value); }
    Atts& GlyphNumber(Text::AttId id, double value) { return Set(glyph_, id, value); }
    Atts& GlyphObject(Text::AttId id, Counted<const Text::AttObject> value) {
        glyph_.Set(id, std::move(value));
        return *this;
    }
    Counted<const Text::Delta> Build() const {
        return Foundation::MakeCounted<Text::Delta>(paragraph_, glyph_);
    }

private:
    template <class T> Atts& Set(Text::AttributeSet& set, Text::AttId id, T value) {
        set.Set(id, value);
        return *this;
    }
    Text::AttributeSet paragraph_;
    Text::AttributeSet glyph_;
};

Counted<const Text::AttObject> Colour(uint8_t r, uint8_t g, uint8_t b) {
    return Text::FillAtt::Make(Render::FillDescriptor::MakeSolid(Render::Colour::MakeRGB(r, g, b)));
}

Counted<const Text::EPubTag> Element(const char* name) {
    return Text::EPubTag::Make(Text::EPubTag::ElementSet, StringT(name), {});
}

void Add(Text::StyleSheet& sheet, const std::string& name, Text::StyleKind kind,
         const std::string& base, const Atts& atts, Counted<const Text::EPubTag> tag = {}) {
    sheet.AddStyle(
        Text::Style::Make(StringT(name), kind, StringT(base), atts.Build(), std::move(tag)));
}

void AddParagraphStyles(Text::StyleSheet& sheet) {
    using namespace Text;
    constexpr auto P = StyleKind::Paragraph;
    Add(sheet, StyleName::Body, P, "",
        Atts()
            .GlyphNumber(GlyphDouble::Size, 11)
            .ParaLength(ParaDouble::LineSpacing, 1.4)
            .Para(ParaInt::LeadingMode, LeadingMode::Proportional)
            .ParaLength(ParaDouble::SpaceAfter, 8));
    // A modular scale from the body size, headings kept with what follows them.
    constexpr std::array<double, 6> sizes{24, 19, 15.5, 13, 11, 10};
    for (int level = 1; level <= 6; ++level) {
        const auto i = static_cast<size_t>(level - 1);
        Add(sheet, HeadingStyle(level), P, StyleName::Body,
            Atts()
                .GlyphNumber(GlyphDouble::Size, sizes[i])
                .Glyph(GlyphInt::FontWeight, 700)
                .ParaLength(ParaDouble::LineSpacing, 1.2)
                .ParaLength(ParaDouble::SpaceBefore, level == 1 ? 24 : 16)
                .ParaLength(ParaDouble::SpaceAfter, level == 1 ? 12 : 8),
            Element(("h" + std::to_string(level)).c_str()));
    }
    Add(sheet, StyleName::BlockQuote, P, StyleName::Body,
        Atts()
            .ParaLength(ParaDouble::LeftIndent, 24)
            .ParaLength(ParaDouble::FirstLineIndent, 24)
            .ParaLength(ParaDouble::RightIndent, 12)
            .Glyph(GlyphInt::FontStyle, FontStyle::Italic),
        Element("blockquote"));
    Add(sheet, StyleName::CodeBlock, P, StyleName::Body,
        Atts()
            .GlyphNumber(GlyphDouble::Size, 9.5)
            .ParaLength(ParaDouble::LineSpacing, 1.25)
            .ParaLength(ParaDouble::LeftIndent, 12)
            .ParaLength(ParaDouble::FirstLineIndent, 12)
            .Para(ParaInt::Alignment, Alignment::Left)
            .Para(ParaInt::Hyphenate, 0)
            .Para(ParaInt::KeepLinesTogether, 1),
        Element("pre"));
    Add(sheet, StyleName::BulletList, P, StyleName::Body,
        Atts().ParaLength(ParaDouble::SpaceAfter, 4));
    Add(sheet, StyleName::NumberedList, P, StyleName::Body,
        Atts().ParaLength(ParaDouble::SpaceAfter, 4));
    Add(sheet, StyleName::ListContinue, P, StyleName::Body,
        Atts()
            .ParaLength(ParaDouble::LeftIndent, 24)
            .ParaLength(ParaDouble::FirstLineIndent, 24)
            .ParaLength(ParaDouble::SpaceAfter, 4));
    Add(sheet, StyleName::Separator, P, StyleName::Body,
        Atts()
            .Para(ParaInt::Alignment, Alignment::Centre)
            .ParaLength(ParaDouble::SpaceBefore, 12)
            .ParaLength(ParaDouble::SpaceAfter, 12));
    Add(sheet, StyleName::Figure, P, StyleName::Body,
        Atts().Para(ParaInt::Alignment, Alignment::Centre).Para(ParaInt::KeepLinesTogether, 1));
    Add(sheet, StyleName::TableHolder, P, StyleName::Body, Atts());
    Add(sheet, StyleName::TableCell, P, StyleName::Body,
        Atts().GlyphNumber(GlyphDouble::Size, 10).ParaLength(ParaDouble::SpaceAfter, 0));
    Add(sheet, StyleName::TableHeader, P, StyleName::TableCell,
        Atts().Glyph(GlyphInt::FontWeight, 700));
    Add(sheet, StyleName::Footnote, P, StyleName::Body,
        Atts().GlyphNumber(GlyphDouble::Size, 9.5).ParaLength(ParaDouble::SpaceAfter, 4));
    Add(sheet, StyleName::RawHtml, P, StyleName::Body, Atts());
}

void AddCharacterStyles(Text::StyleSheet& sheet) {
    using namespace Text;
    constexpr auto C = StyleKind::Character;
    Add(sheet, StyleName::Emphasis, C, "", Atts().Glyph(GlyphInt::FontStyle, FontStyle::Italic),
        Element("em"));
    Add(sheet, StyleName::Strong, C, "", Atts().Glyph(GlyphInt::FontWeight, 700),
        Element("strong"));
    Add(sheet, StyleName::Strikethrough, C, "",
        Atts().Glyph(GlyphInt::Strikethrough, LineKind::Single), Element("del"));
    Add(sheet, StyleName::Code, C, "", Atts().GlyphNumber(GlyphDouble::Size, 9.5), Element("code"));
    Add(sheet, StyleName::Link, C, "",
        Atts()
            .Glyph(GlyphInt::Underline, LineKind::Single)
            .GlyphObject(GlyphObject::TextFill, Colour(0x1a, 0x4f, 0x8b)));
    Add(sheet, StyleName::Underline, C, "", Atts().Glyph(GlyphInt::Underline, LineKind::Single));
    Add(sheet, StyleName::Superscript, C, "",
        Atts().Glyph(GlyphInt::BaselinePosition, BaselinePosition::Superscript), Element("sup"));
    Add(sheet, StyleName::Subscript, C, "",
        Atts().Glyph(GlyphInt::BaselinePosition, BaselinePosition::Subscript), Element("sub"));
    Add(sheet, StyleName::Highlight, C, "",
        Atts().GlyphObject(GlyphObject::HighlightFill, Colour(0xff, 0xf1, 0x9c)), Element("mark"));
    Add(sheet, StyleName::Small, C, "", Atts().GlyphNumber(GlyphDouble::Size, 9), Element("small"));
}

} // namespace

std::string HeadingStyle(int level) {
    return "Heading " + std::to_string(std::clamp(level, 1, 6));
}

void AddHouseStyles(Text::StyleSheet& sheet) {
    AddParagraphStyles(sheet);
    AddCharacterStyles(sheet);
}

} // namespace Readers::Markdown

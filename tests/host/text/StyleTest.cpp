// SPDX-License-Identifier: MIT
#include "host/text/Style.h"

#include <gtest/gtest.h>

using namespace Text;
using Foundation::Counted;
using Foundation::StringT;

namespace {

class StyleTest : public ::testing::Test {
protected:
    StyleTest() : doc(TextDocument::Make()), sheet(StyleSheet::Make(doc)) {
        AttributeSet bodyParagraph;
        bodyParagraph.Set(ParaDouble::LeftIndent, 12.0);
        bodyParagraph.Set(ParaDouble::SpaceAfter, 6.0);
        AttributeSet bodyGlyph;
        bodyGlyph.Set(GlyphDouble::Size, 11.0);
        sheet->AddStyle(
            Style::Make("Body", StyleKind::Paragraph, "",
                        Foundation::MakeCounted<const Delta>(bodyParagraph, bodyGlyph)));
        // Quote sets the indent back to the default and adds italics.
        AttributeSet quoteParagraph;
        quoteParagraph.Set(ParaDouble::LeftIndent, 0.0);
        AttributeSet quoteGlyph;
        quoteGlyph.Set(GlyphInt::FontStyle, FontStyle::Italic);
        sheet->AddStyle(
            Style::Make("Quote", StyleKind::Paragraph, "Body",
                        Foundation::MakeCounted<const Delta>(quoteParagraph, quoteGlyph),
                        EPubTag::Make(EPubTag::ElementSet | EPubTag::ClassSet, "blockquote",
                                      "quote", true, false)));
        sheet->AddStyle(Style::Make("Strong", StyleKind::Character, "",
                                    Delta::Make(AttCategory::Glyph, GlyphInt::FontWeight, 700)));
    }

    Counted<TextDocument> doc;
    Counted<StyleSheet> sheet;
};

} // namespace

TEST_F(StyleTest, LookupAndTagging) {
    auto quote = sheet->GetStyle("Quote");
    ASSERT_TRUE(quote);
    EXPECT_EQ(quote->GetBaseName(), "Body");
    EXPECT_TRUE(quote->IsParagraphStyle());
    EXPECT_TRUE(sheet->GetStyle("Strong")->IsCharacterStyle());
    EXPECT_FALSE(sheet->GetStyle("Missing"));
    const EPubTag& tag = *quote->GetEPubTag();
    EXPECT_TRUE(tag.Is(EPubTag::ElementSet));
    EXPECT_FALSE(tag.Is(EPubTag::EmitCSSSet));
    EXPECT_EQ(tag.GetElementName(), "blockquote");
    EXPECT_EQ(tag.GetCSSClassName(), "quote");
    EXPECT_FALSE(tag.IsEmitCSS());
    EXPECT_FALSE(sheet->GetStyle("Body")->GetEPubTag());

    // Replacing keeps the style's place.
    sheet->AddStyle(Style::Make("Body", StyleKind::Paragraph, "", {}));
    EXPECT_EQ(sheet->GetStyles().front()->GetName(), "Body");
    EXPECT_EQ(sheet->GetStyles().size(), 3u);
}

TEST_F(StyleTest, DeltaAgainstDefaultsFlattensTheBaseChain) {
    Counted<const Delta> full = sheet->MakeDelta("Quote");
    // The indent returns to its default, so against the defaults it is not there at all.
    EXPECT_FALSE(full->Has(AttCategory::Paragraph, AttKind::Double, ParaDouble::LeftIndent));
    EXPECT_TRUE(full->Has(AttCategory::Paragraph, AttKind::Double, ParaDouble::SpaceAfter));
    EXPECT_TRUE(full->Has(AttCategory::Glyph, AttKind::Double, GlyphDouble::Size));
    EXPECT_TRUE(full->Has(AttCategory::Glyph, AttKind::Integer, GlyphInt::FontStyle));
    EXPECT_EQ(full->size(), 3u);

    // Against its base the style states the indent going back to 0.
    Counted<const Delta> own = sheet->MakeDelta("Quote", false);
    EXPECT_EQ(own->size(), 2u);
    EXPECT_TRUE(own->Has(AttCategory::Paragraph, AttKind::Double, ParaDouble::LeftIndent));
    EXPECT_FALSE(sheet->MakeDelta("Missing"));
    EXPECT_TRUE(sheet->MakeDelta("Strong")->GetParagraph().empty());
}

TEST_F(StyleTest, ResolvedAttributesNameTheirStyles) {
    ParagraphAtts quote = sheet->ResolveParagraphAtts("Quote");
    EXPECT_EQ(quote.GetStyleName(), "Quote");
    EXPECT_DOUBLE_EQ(quote.GetDouble(ParaDouble::SpaceAfter), 6);
    EXPECT_DOUBLE_EQ(quote.GetDouble(ParaDouble::LeftIndent), 0);
    GlyphAtts run = sheet->ResolveGlyphAtts("Quote", "Strong");
    EXPECT_EQ(run.GetCharacterStyleName(), "Strong");
    EXPECT_EQ(run.GetInt(GlyphInt::FontWeight), 700);
    EXPECT_EQ(run.GetInt(GlyphInt::FontStyle), FontStyle::Italic);
    EXPECT_DOUBLE_EQ(run.GetSize(), 11);
    // Unknown names contribute only their name.
    EXPECT_EQ(sheet->ResolveParagraphAtts("Nope").GetSet().size(), 1u);
}

TEST_F(StyleTest, LocalFormattingIsWhatTheTextChangesOverItsStyles) {
    ParagraphAtts para = sheet->ResolveParagraphAtts("Body").With(ParaInt::Alignment, 2);
    Counted<const Delta> local = sheet->MakeLocalParagraphFormatting(para);
    ASSERT_EQ(local->size(), 1u);
    EXPECT_EQ((*local->begin()).id(), ParaInt::Alignment);
    EXPECT_TRUE(sheet->MakeLocalParagraphFormatting(sheet->ResolveParagraphAtts("Body"))->empty());

    // A Body paragraph overriding its indent back to 0 states the 0.
    ParagraphAtts flat = sheet->ResolveParagraphAtts("Body").With(ParaDouble::LeftIndent, 0.0);
    auto back = sheet->MakeLocalParagraphFormatting(flat);
    const AttValue* indent =
        back->Find(AttCategory::Paragraph, AttKind::Double, ParaDouble::LeftIndent);
    ASSERT_NE(indent, nullptr);
    EXPECT_DOUBLE_EQ(std::get<double>(*indent), 0);

    GlyphAtts run = sheet->ResolveGlyphAtts("Body", "Strong").With(GlyphInt::Underline, 1);
    Counted<const Delta> glyph = sheet->MakeLocalGlyphFormatting(run, "Body");
    ASSERT_EQ(glyph->size(), 1u);
    EXPECT_TRUE(glyph->Has(AttCategory::Glyph, AttKind::Integer, GlyphInt::Underline));
    // Against a base that already carries the run's font, the font is not local.
    GlyphAtts base = GlyphAtts().With(GlyphStr::FontFamily, StringT("Garamond"));
    GlyphAtts inGaramond = run.With(GlyphStr::FontFamily, StringT("Garamond"));
    EXPECT_EQ(sheet->MakeLocalGlyphFormatting(inGaramond, "Body", base)->size(), 1u);
    EXPECT_EQ(sheet->MakeLocalGlyphFormatting(inGaramond, "Body")->size(), 2u);
}

TEST_F(StyleTest, BaseLoopsEndTheChain) {
    sheet->AddStyle(Style::Make("A", StyleKind::Paragraph, "B",
                                Delta::Make(AttCategory::Paragraph, ParaInt::Alignment, 1)));
    sheet->AddStyle(Style::Make("B", StyleKind::Paragraph, "A",
                                Delta::Make(AttCategory::Paragraph, ParaInt::Alignment, 2)));
    EXPECT_EQ(sheet->ResolveParagraphAtts("A").GetAlignment(), 1);
    EXPECT_EQ(sheet->ResolveParagraphAtts("B").GetAlignment(), 2);
    EXPECT_EQ(sheet->MakeDelta("A")->size(), 1u);
}

TEST_F(StyleTest, StylesRejectBadDefinitions) {
    EXPECT_THROW(Style::Make("", StyleKind::Paragraph, "", {}), std::invalid_argument);
    EXPECT_THROW(sheet->AddStyle(nullptr), std::invalid_argument);
    // A character style keeps no paragraph part.
    auto odd = Style::Make("Odd", StyleKind::Character, "",
                           Delta::Make(AttCategory::Paragraph, ParaInt::Alignment, 1));
    EXPECT_TRUE(odd->GetDelta()->empty());
}

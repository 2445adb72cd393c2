// SPDX-License-Identifier: MIT
#include "hostimpl/text/StoryBuilder.h"

#include <gtest/gtest.h>

using namespace Text;
using Foundation::Counted;
using Foundation::StringT;

namespace {

class StoryBuilderTest : public ::testing::Test {
protected:
    StoryBuilderTest() : sheet(StyleSheet::Make(TextDocument::Make())) {
        sheet->AddStyle(Style::Make("Body", StyleKind::Paragraph, "",
                                    Delta::Make(AttCategory::Glyph, GlyphDouble::Size, 10.0)));
        sheet->AddStyle(Style::Make(
            "Heading", StyleKind::Paragraph, "Body",
            Delta::Make(AttCategory::Paragraph, ParaInt::StartPosition, StartPosition::NextPage)));
        sheet->AddStyle(
            Style::Make("Em", StyleKind::Character, "",
                        Delta::Make(AttCategory::Glyph, GlyphInt::FontStyle, FontStyle::Italic)));
    }

    Counted<StyleSheet> sheet;
};

} // namespace

TEST_F(StoryBuilderTest, ParagraphsAndRunsResolveTheirStyles) {
    StoryBuilder b(sheet);
    auto red = Delta::Make(AttCategory::Glyph, GlyphObject::TextFill,
                           Counted<const AttObject>(FillAtt::Make(Render::FillDescriptor::MakeSolid(
                               Render::Colour::MakeRGB(255, 0, 0)))));
    b.Paragraph("Heading").Text("Title");
    b.Paragraph("Body", Delta::Make(AttCategory::Paragraph, ParaInt::Alignment, 1))
        .Text("a ")
        .Text("b", "Em")
        .Text("c", "", red);
    Counted<Story> story = b.Build();
    EXPECT_EQ(story->GetClientAll().GetText(), "Title\na bc");
    EXPECT_EQ(story->gbegin().GetParagraphAtts()->GetStartPosition(), StartPosition::NextPage);
    auto body = story->GetPos(6).GetParagraphAtts();
    EXPECT_EQ(body->GetStyleName(), "Body");
    EXPECT_EQ(body->GetAlignment(), 1);
    EXPECT_DOUBLE_EQ(story->GetPos(6).GetGlyphAtts()->GetSize(), 10);
    EXPECT_EQ(story->GetPos(8).GetGlyphAtts()->GetCharacterStyleName(), "Em");
    EXPECT_EQ(story->GetPos(8).GetGlyphAtts()->GetInt(GlyphInt::FontStyle), FontStyle::Italic);
    EXPECT_TRUE(story->GetPos(9).GetGlyphAtts()->GetTextFill());
    // The heading's text and the plain body text share one attribute set.
    EXPECT_EQ(story->gbegin().GetGlyphAtts(), story->GetPos(6).GetGlyphAtts());
    // The terminator ends the last paragraph with the last run's attributes.
    EXPECT_EQ(story->GetTerminator().GetGlyphAtts(), story->GetPos(9).GetGlyphAtts());
}

TEST_F(StoryBuilderTest, PageBreaksOpenAParagraphThatTheNextParagraphCallFormats) {
    StoryBuilder b(sheet);
    b.Paragraph("Body").Text("one").Break(BreakKind::Page);
    b.Paragraph("Heading").Text("two");
    b.Text("\nthree");
    Counted<Story> story = b.Build();
    EXPECT_EQ(story->GetClientAll().GetText(), "one\ntwo\nthree");
    EXPECT_TRUE(story->GetPos(3).GetGlyph().IsHardBreak(BreakKind::Page));
    EXPECT_EQ(story->GetPos(4).GetParagraphAtts()->GetStyleName(), "Heading");
    EXPECT_EQ(story->GetPos(8).GetParagraphAtts()->GetStyleName(), "Heading");
    EXPECT_EQ(story->gbegin().GetParagraphAtts()->GetStyleName(), "Body");
}

TEST_F(StoryBuilderTest, ObjectsTakeThePrecedingAttributesAndBuildStartsAgain) {
    StoryBuilder b(sheet);
    auto anchor = sheet->GetDocument()->MakeAnchor("here");
    b.Paragraph("Body").Text("x", "Em").Anchor(anchor).IndentToHere().CrossReference(anchor);
    Counted<Story> story = b.Build();
    EXPECT_EQ(story->GetPos(1).GetGlyphAtts(), story->gbegin().GetGlyphAtts());
    EXPECT_EQ(story->GetPos(1).GetGlyph().As<AnchorGlyph>()->GetAnchor(), anchor);
    EXPECT_TRUE(story->GetPos(2).GetGlyph().IsIndentToHere());
    EXPECT_EQ(story->GetPos(2).GetGlyph().GetChar32(), U'\t');
    EXPECT_EQ(story->GetPos(3).GetGlyph().As<CrossReferenceGlyph>()->GetAnchorData(), anchor);
    EXPECT_NE(anchor->GetUid(), sheet->GetDocument()->MakeAnchor("here")->GetUid());

    Counted<Story> next = b.Paragraph().Text("new").Build();
    EXPECT_EQ(next->GetClientAll().GetText(), "new");
    EXPECT_EQ(story->size(), 5u);
}

TEST_F(StoryBuilderTest, FramesArePinned) {
    StoryBuilder inner(sheet);
    inner.Paragraph().Text("in a frame");
    FrameSettings frame;
    frame.name = "sidebar";
    frame.width = 100;
    frame.story = inner.Build();
    StoryBuilder b(sheet);
    Counted<Story> story = b.Paragraph().Frame(frame).Build();
    const auto* pin = story->gbegin().GetGlyph().As<PinGlyph>();
    ASSERT_NE(pin, nullptr);
    ASSERT_NE(pin->GetFrame(), nullptr);
    EXPECT_EQ(pin->GetFrame()->GetName(), "sidebar");
    EXPECT_EQ(pin->GetFrame()->GetStory()->GetClientAll().GetText(), "in a frame");
    EXPECT_EQ(pin->GetTableFrame(), nullptr);
}

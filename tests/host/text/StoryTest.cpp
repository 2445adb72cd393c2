// SPDX-License-Identifier: MIT
#include "host/text/Story.h"

#include "host/text/Delta.h"
#include "hostimpl/text/StoryBuilder.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

using namespace Text;
using Foundation::Counted;
using Foundation::StringT;

namespace {

class StoryTest : public ::testing::Test {
protected:
    StoryTest() : doc(TextDocument::Make()), sheet(StyleSheet::Make(doc)) {
        sheet->AddStyle(Style::Make("Body", StyleKind::Paragraph, "", {}));
        sheet->AddStyle(
            Style::Make("Quote", StyleKind::Paragraph, "Body",
                        Delta::Make(AttCategory::Paragraph, ParaDouble::LeftIndent, 24.0)));
        sheet->AddStyle(Style::Make("Strong", StyleKind::Character, "",
                                    Delta::Make(AttCategory::Glyph, GlyphInt::FontWeight, 700)));
    }

    // "One two" (Body, "two" strong), "Quoted" (Quote), "Last" (Quote).
    Counted<Story> ThreeParagraphs() {
        StoryBuilder b(sheet);
        b.Paragraph("Body").Text("One ").Text("two", "Strong");
        b.Paragraph("Quote").Text("Quoted");
        b.Paragraph("Quote").Text("Last");
        return b.Build();
    }

    Counted<TextDocument> doc;
    Counted<StyleSheet> sheet;
};

std::vector<int32_t> RunEnds(const StoryRange& range, bool paragraph) {
    std::vector<int32_t> ends;
    for (StoryPos p = range.begin(); p < range.end();) {
        p = paragraph ? p.GetParagraphAttsRunEnd() : p.GetGlyphAttsRunEnd();
        ends.push_back(p.GetStoryIndex());
    }
    return ends;
}

} // namespace

TEST_F(StoryTest, EmptyStoryIsOneParagraphHoldingTheTerminator) {
    Counted<Story> story = Story::Make(doc);
    EXPECT_EQ(story->size(), 1u);
    EXPECT_TRUE(story->GetClientAll().empty());
    EXPECT_TRUE(story->gbegin().IsStoryTerminator());
    EXPECT_TRUE(story->gbegin().IsParagraphBegin());
    EXPECT_TRUE(story->gbegin().GetGlyph().IsParagraphBreak());
    EXPECT_EQ(story->gbegin().GetParagraphEnd(), story->gend());
    EXPECT_TRUE(story->gend().IsStoryEnd());
    EXPECT_FALSE(story->gend().HasGlyph());
}

TEST_F(StoryTest, ParagraphsEndAfterTheirBreakGlyph) {
    Counted<Story> story = ThreeParagraphs();
    EXPECT_EQ(story->GetClientAll().GetText(), "One two\nQuoted\nLast");
    std::vector<StringT> paragraphs;
    for (StoryPos p = story->gbegin(); !p.IsStoryEnd(); p = p.GetParagraphEnd()) {
        EXPECT_TRUE(p.IsParagraphBegin());
        paragraphs.push_back(StoryRange(p, p.GetParagraphEnd()).GetText());
    }
    EXPECT_EQ(paragraphs, (std::vector<StringT>{"One two\n", "Quoted\n", "Last"}));
    StoryPos mid = story->GetPos(10);
    EXPECT_FALSE(mid.IsParagraphBegin());
    EXPECT_EQ(mid.GetParagraphBegin().GetStoryIndex(), 8);
}

TEST_F(StoryTest, RunEndsAreTheFirstPositionsWhoseAttributesDiffer) {
    Counted<Story> story = ThreeParagraphs();
    // "One " | "two" and the break after it | the rest of the story in plain text.
    EXPECT_EQ(RunEnds(story->GetAll(), false), (std::vector<int32_t>{4, 8, 20}));
    // The two Quote paragraphs share one attribute set and so one run.
    EXPECT_EQ(RunEnds(story->GetAll(), true), (std::vector<int32_t>{8, 20}));
    StoryPos p = story->GetPos(4);
    EXPECT_NE(p.GetGlyphAtts(), (p - 1).GetGlyphAtts());
    EXPECT_EQ(p.GetGlyphAtts()->GetInt(GlyphInt::FontWeight), 700);
    EXPECT_EQ(story->GetPos(9).GetParagraphAtts(), story->GetPos(16).GetParagraphAtts());
    EXPECT_EQ(story->GetPos(9).GetParagraphAtts()->GetStyleName(), "Quote");
}

TEST_F(StoryTest, PositionsCompareMoveAndStayInsideTheirStory) {
    Counted<Story> story = ThreeParagraphs();
    StoryPos a = story->GetPos(3);
    StoryPos b = a + 5;
    EXPECT_LT(a, b);
    EXPECT_EQ(b - a, 5);
    EXPECT_EQ((a - 100).GetStoryIndex(), 0);
    EXPECT_EQ((a + 1000), story->gend());
    StoryPos end = story->gend();
    ++end;
    EXPECT_EQ(end, story->gend());
    EXPECT_EQ(story->GetPos(-4), story->gbegin());

    Counted<Story> other = ThreeParagraphs();
    EXPECT_NE(story->gbegin(), other->gbegin());
    EXPECT_THROW((void)(other->gend() - story->gbegin()), std::invalid_argument);
    EXPECT_THROW(StoryRange(story->gbegin(), other->gend()), std::invalid_argument);
    EXPECT_THROW(StoryRange(story->gend(), story->gbegin()), std::invalid_argument);
}

TEST_F(StoryTest, NullPositionAnswersWithoutAStory) {
    StoryPos null;
    EXPECT_TRUE(null.IsNull());
    EXPECT_TRUE(null.IsStoryEnd());
    EXPECT_FALSE(null.HasGlyph());
    EXPECT_EQ(null.GetGlyph().GetChar32(), U'\0');
    EXPECT_FALSE(null.GetGlyphAtts());
    EXPECT_TRUE(null.GetParagraphEnd().IsNull());
    EXPECT_EQ(++null, StoryPos());
    EXPECT_TRUE(StoryRange().empty());
}

TEST_F(StoryTest, RangeForVisitsEveryGlyph) {
    Counted<Story> story = ThreeParagraphs();
    StringT text;
    for (Glyph g : StoryRange(story->gbegin(), story->GetPos(7)))
        text.AppendCodePoint(g.GetChar32());
    EXPECT_EQ(text, "One two");
}

TEST_F(StoryTest, ClonesAreIndependent) {
    Counted<Story> story = ThreeParagraphs();
    Counted<Story> clone = story->Clone();
    clone->InsertText(clone->gbegin(), "New ");
    clone->FormatText(clone->GetAll(), *Delta::Make(AttCategory::Glyph, GlyphInt::Underline, 1));
    EXPECT_EQ(story->GetClientAll().GetText(), "One two\nQuoted\nLast");
    EXPECT_EQ(clone->GetClientAll().GetText(), "New One two\nQuoted\nLast");
    EXPECT_EQ(story->gbegin().GetGlyphAtts()->GetInt(GlyphInt::Underline), 0);
    EXPECT_EQ(clone->gbegin().GetGlyphAtts()->GetInt(GlyphInt::Underline), 1);
    EXPECT_EQ(clone->GetDocument(), story->GetDocument());
}

TEST_F(StoryTest, InsertTextJoinsTheParagraphAtThePosition) {
    Counted<Story> story = ThreeParagraphs();
    const auto strong = story->GetPos(4).GetGlyphAtts();
    story->InsertText(story->GetPos(8), "A\nB", strong);
    EXPECT_EQ(story->GetClientAll().GetText(), "One two\nA\nBQuoted\nLast");
    // Both new paragraphs are Quote paragraphs like the one the text went into.
    EXPECT_EQ(story->GetPos(8).GetParagraphAtts()->GetStyleName(), "Quote");
    EXPECT_EQ(story->GetPos(10).GetParagraphAtts()->GetStyleName(), "Quote");
    EXPECT_EQ(story->GetPos(10).GetGlyphAtts(), strong);
    EXPECT_NE(story->GetPos(11).GetGlyphAtts(), strong);
    // Without attributes the text takes those of the glyph before it.
    story->InsertText(story->GetPos(5), "x");
    EXPECT_EQ(story->GetPos(5).GetGlyphAtts(), strong);
}

TEST_F(StoryTest, InsertTextAtTheBeginningAndWithObjects) {
    Counted<Story> story = ThreeParagraphs();
    const auto first = story->gbegin().GetGlyphAtts();
    GlyphString glyphs;
    glyphs.Append(Glyph::Object(AnchorGlyph::Make(doc->MakeAnchor("top"))));
    glyphs.AppendText("*");
    story->InsertText(story->gbegin(), glyphs);
    EXPECT_EQ(story->gbegin().GetGlyph().GetType(), GlyphType::Anchor);
    EXPECT_EQ(story->gbegin().GetGlyph().As<AnchorGlyph>()->GetAnchor()->GetName(), "top");
    EXPECT_EQ(story->gbegin().GetGlyphAtts(), first);
    EXPECT_EQ(story->gbegin().GetParagraphAtts()->GetStyleName(), "Body");
    EXPECT_EQ(RunEnds(story->GetAll(), false).front(), 6);
}

TEST_F(StoryTest, InsertTextRejectsForeignAndTrailingPositions) {
    Counted<Story> story = ThreeParagraphs();
    Counted<Story> other = ThreeParagraphs();
    EXPECT_THROW(story->InsertText(other->gbegin(), "x"), std::invalid_argument);
    EXPECT_THROW(story->InsertText(story->gend(), "x"), std::invalid_argument);
    EXPECT_THROW(story->InsertText(StoryPos(), "x"), std::invalid_argument);
    EXPECT_NO_THROW(story->InsertText(story->GetTerminator(), "x"));
}

TEST_F(StoryTest, FormatTextSplitsAndMergesRuns) {
    Counted<Story> story = ThreeParagraphs();
    auto underline = Delta::Make(AttCategory::Glyph, GlyphInt::Underline, 1);
    story->FormatText(StoryRange(story->GetPos(2), story->GetPos(5)), *underline);
    EXPECT_EQ(RunEnds(story->GetAll(), false), (std::vector<int32_t>{2, 4, 5, 8, 20}));
    // The strong run keeps its weight under the new underline.
    EXPECT_EQ(story->GetPos(4).GetGlyphAtts()->GetInt(GlyphInt::FontWeight), 700);
    EXPECT_EQ(story->GetPos(4).GetGlyphAtts()->GetInt(GlyphInt::Underline), 1);
    // Undoing it brings back the very same attribute sets and so the original runs.
    story->FormatText(story->GetAll(), *Delta::Make(AttCategory::Glyph, GlyphInt::Underline, 0));
    EXPECT_EQ(RunEnds(story->GetAll(), false), (std::vector<int32_t>{4, 8, 20}));
}

TEST_F(StoryTest, FormatTextWithAParagraphDeltaCoversWholeParagraphs) {
    Counted<Story> story = ThreeParagraphs();
    // A range inside the second paragraph only.
    story->FormatText(StoryRange(story->GetPos(9), story->GetPos(10)),
                      *Delta::Make(AttCategory::Paragraph, ParaInt::Alignment, 1));
    EXPECT_EQ(RunEnds(story->GetAll(), true), (std::vector<int32_t>{8, 15, 20}));
    EXPECT_EQ(story->GetPos(8).GetParagraphAtts()->GetAlignment(), 1);
    EXPECT_DOUBLE_EQ(story->GetPos(8).GetParagraphAtts()->GetDouble(ParaDouble::LeftIndent), 24);
    EXPECT_EQ(story->GetPos(15).GetParagraphAtts()->GetAlignment(), 0);
}

TEST_F(StoryTest, StoryFromARangeKeepsIndicesAndAttributes) {
    Counted<Story> story = ThreeParagraphs();
    // The first paragraph, break included: the break becomes the terminator.
    Counted<Story> first = Story::Make(StoryRange(story->gbegin(), story->GetPos(8)));
    EXPECT_EQ(first->size(), 8u);
    EXPECT_EQ(first->GetClientAll().GetText(), "One two");
    EXPECT_EQ(RunEnds(first->GetAll(), false), (std::vector<int32_t>{4, 8}));
    EXPECT_EQ(first->GetPos(5).GetGlyphAtts(), story->GetPos(5).GetGlyphAtts());
    EXPECT_EQ(first->GetTerminator().GetParagraphAtts(), story->gbegin().GetParagraphAtts());

    // A range across paragraphs ending mid-paragraph gets a terminator of its own.
    Counted<Story> middle = Story::Make(StoryRange(story->GetPos(4), story->GetPos(11)));
    EXPECT_EQ(middle->GetClientAll().GetText(), "two\nQuo");
    EXPECT_EQ(middle->GetTerminator().GetParagraphAtts()->GetStyleName(), "Quote");
    EXPECT_EQ(middle->gbegin().GetParagraphAtts()->GetStyleName(), "Body");

    Counted<Story> empty = Story::Make(StoryRange(story->GetPos(4), story->GetPos(4)));
    EXPECT_EQ(empty->size(), 1u);
    EXPECT_EQ(empty->gbegin().GetGlyphAtts(), story->GetPos(4).GetGlyphAtts());
}

TEST_F(StoryTest, BreaksEndParagraphsButLineBreaksDoNot) {
    StoryBuilder b(sheet);
    b.Paragraph("Body").Text("a").Break(BreakKind::Line).Text("b").Break(BreakKind::Page);
    b.Text("c").Break(BreakKind::Column).Text("d");
    Counted<Story> story = b.Build();
    EXPECT_TRUE(story->GetPos(1).GetGlyph().IsHardBreak(BreakKind::Line));
    EXPECT_FALSE(story->GetPos(1).GetGlyph().IsParagraphBreak());
    EXPECT_TRUE(story->GetPos(3).GetGlyph().IsPageLevelBreak());
    EXPECT_EQ(story->gbegin().GetParagraphEnd().GetStoryIndex(), 4);
    EXPECT_EQ(story->GetPos(4).GetParagraphEnd().GetStoryIndex(), 6);
    EXPECT_EQ(story->GetClientAll().GetText(), "a\u2028b\nc\nd");
}

// Objects are found among narrow and wide text alike, and nothing past `to` is reported.
TEST_F(StoryTest, FindObjectSkipsCharactersOfEveryWidth) {
    for (const char* text : {"plain", "caf\xC3\xA9 \xE2\x82\xAC", "\xF0\x9F\x98\x80 wide"}) {
        SCOPED_TRACE(text);
        StoryBuilder b(sheet);
        b.Paragraph("Body").Text(text).Anchor(doc->MakeAnchor("a")).Text(text);
        b.Anchor(doc->MakeAnchor("b"));
        const Counted<Story> story = b.Build();
        std::vector<uint32_t> found;
        for (uint32_t i = story->FindObject(0, story->size()); i < story->size();
             i = story->FindObject(i + 1, story->size()))
            found.push_back(i);
        ASSERT_EQ(found.size(), 2u);
        EXPECT_EQ(story->GetGlyph(found[0]).GetType(), GlyphType::Anchor);
        EXPECT_EQ(story->GetGlyph(found[1]).GetType(), GlyphType::Anchor);
        EXPECT_EQ(found[1], 2 * found[0] + 1);
        EXPECT_EQ(story->FindObject(0, found[0]), found[0]);
        EXPECT_EQ(story->FindObject(found[1] + 1, 1000), story->size());
        EXPECT_EQ(story->FindObject(5, 2), 2u);
    }
}

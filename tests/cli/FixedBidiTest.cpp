// SPDX-License-Identifier: MIT
// Right-to-left and mixed-direction text on fixed-layout pages: the order runs are seen in, where
// lines of a right-to-left paragraph sit, and what the page document tells the reading system.

#include "cli/ToolFixture.h"
#include "epub/fixed/BidiParagraph.h"
#include "epub/fixed/FixedTextSetter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using EPub::BidiParagraph;
using EPub::TextDirection;

// "abc" + Arabic "سلام" + " 12": the run texts in visual order, with their directions.
std::string Seen(std::string_view text, TextDirection direction) {
    const BidiParagraph bidi(text, direction);
    std::string out = bidi.RightToLeft() ? "rtl:" : "ltr:";
    for (const auto& run : bidi.VisualRuns(0, text.size()))
        out += std::string(run.rightToLeft ? "<" : ">") + "[" +
               std::string(text.substr(run.begin, run.end - run.begin)) + "]";
    return out;
}

TEST(BidiParagraph, DirectionComesFromTheFirstStrongCharacterAndRunsAreReordered) {
    // Digits and punctuation are not strong: the Hebrew decides.
    EXPECT_EQ(Seen("12 שלום", TextDirection::Auto), "rtl:<[ שלום]>[12]");
    EXPECT_EQ(Seen("12", TextDirection::Auto), "ltr:>[12]");
    // A number after Hebrew goes with it, to its left.
    EXPECT_EQ(Seen("abc סלם 12 def", TextDirection::Auto), "ltr:>[abc ]>[12]<[סלם ]>[ def]");
    // The same text in a right-to-left paragraph: the numbers keep their order inside.
    EXPECT_EQ(Seen("abc סלם 12 def", TextDirection::RightToLeft),
              "rtl:>[def]<[ ]>[12]<[ סלם ]>[abc]");
    // Style changes cut runs without changing the order.
    const std::string text = "אב גד";
    const BidiParagraph bidi(text, TextDirection::Auto);
    const auto runs = bidi.VisualRuns(0, text.size(), {5});
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].begin, 5u);
    EXPECT_EQ(runs[1].begin, 0u);
    EXPECT_FALSE(BidiParagraph("plain", TextDirection::Auto).IsMixed());
    EXPECT_TRUE(BidiParagraph("plain", TextDirection::RightToLeft).RightToLeft());
}

EPub::StyledText Dejavu(std::string text) {
    EPub::StyledText s;
    s.text = std::move(text);
    s.font.family = "DejaVu Sans";
    s.size = 12;
    s.fill = Render::FillDescriptor::MakeSolid(Render::Colour::MakeRGB(0, 0, 0));
    return s;
}

std::vector<const Render::GlyphRunNode*>
Runs(const std::vector<Foundation::Counted<const Render::Node>>& nodes) {
    std::vector<const Render::GlyphRunNode*> runs;
    for (const auto& n : nodes)
        if (n->Kind() == Render::NodeKind::GlyphRun)
            runs.push_back(static_cast<const Render::GlyphRunNode*>(n.get()));
    return runs;
}

TEST(FixedBidiSetting, RightToLeftLinesReadFromTheRightAndKeepReadingOrder) {
    EPub::FixedTextSetter setter;
    std::string error;
    // Glyphs of a right-to-left run go left to right: the first letter is drawn last.
    const auto alef = setter.SetRun(Dejavu("א"), 0, 0, error);
    const auto bet = setter.SetRun(Dejavu("ב"), 0, 0, error);
    const auto word = setter.SetRun(Dejavu("אב"), 0, 0, error);
    ASSERT_TRUE(alef && bet && word) << error;
    ASSERT_EQ(word->glyphs.size(), 2u);
    EXPECT_EQ(word->glyphs[0].id, bet->glyphs[0].id);
    EXPECT_EQ(word->glyphs[1].id, alef->glyphs[0].id);
    EXPECT_TRUE(word->rightToLeft);
    EXPECT_FALSE(setter.SetRun(Dejavu("a"), 0, 0, error)->rightToLeft);

    // A paragraph in Hebrew with a Latin word and a number, left-aligned as a word processor
    // means it (towards the start), in a 300-point column.
    EPub::Paragraph p;
    p.runs = {Dejavu("שלום "), Dejavu("Latin 42 עולם")};
    std::vector<Foundation::Counted<const Render::Node>> out;
    ASSERT_TRUE(setter.SetFrame({p}, {{0, 0, 300, 100}}, out, error)) << error;
    const auto runs = Runs(out);
    ASSERT_EQ(runs.size(), 3u);
    // Listed in reading order; the number joins the Latin word it follows.
    EXPECT_EQ(runs[0]->text, "שלום ");
    EXPECT_EQ(runs[1]->text, "Latin 42");
    EXPECT_EQ(runs[2]->text, " עולם");
    // ...placed from the right edge leftwards, each right-to-left one marked so.
    EXPECT_NEAR(runs[0]->origin.x + runs[0]->advance, 300, 1e-6);
    for (size_t i = 1; i < runs.size(); ++i)
        EXPECT_NEAR(runs[i]->origin.x + runs[i]->advance, runs[i - 1]->origin.x, 1e-6) << i;
    EXPECT_TRUE(runs[0]->rightToLeft);
    EXPECT_FALSE(runs[1]->rightToLeft);
    EXPECT_TRUE(runs[2]->rightToLeft);

    // Right alignment of right-to-left text is towards its end: the left edge. Indents mirror.
    p.format.alignment = 2;
    p.format.leftIndent = 10;
    out.clear();
    ASSERT_TRUE(setter.SetFrame({p}, {{0, 0, 300, 100}}, out, error)) << error;
    EXPECT_NEAR(Runs(out).back()->origin.x, 0, 1e-6);
    p.format.alignment = 0;
    out.clear();
    ASSERT_TRUE(setter.SetFrame({p}, {{0, 0, 300, 100}}, out, error)) << error;
    EXPECT_NEAR(Runs(out).front()->origin.x + Runs(out).front()->advance, 290, 1e-6);
}

class FixedBidiTool : public ToolTest::Tool {};

TEST_F(FixedBidiTool, PagesMarkRightToLeftTextAndRefuseUnknownDirections) {
    const auto doc = [](const std::string& direction) {
        return R"({"layout": "fixed", "options": {"cover": false},
          "metadata": {"title": "Bidi", "language": "he",
                       "identifier": "urn:uuid:11111111-2222-4333-8444-555555555555"},
          "pages": [{"width": 200, "height": 300, "items": [
            {"type": "textFrame", "x": 10, "y": 10, "width": 180, "height": 200,
             "character": {"fontFamily": "DejaVu Sans", "size": 12},
             "paragraphs": [{"text": "one שתיים three", "direction": ")" +
               direction + R"("}]}]}]})";
    };
    ToolTest::Result r = Export(doc("rtl"));
    ASSERT_EQ(r.status, 0) << r.err;
    std::string page = Entries(dir_ / "out.epub").at("OEBPS/page1.xhtml");
    // Reading order in the document, direction on each right-to-left part.
    const auto one = page.find(">one<"),
               two = page.find(" dir=\"rtl\"><span class=\"s2\"> שתיים <"),
               three = page.find(">three<");
    EXPECT_TRUE(one < two && two < three) << page;
    r = Export(doc("ltr"));
    ASSERT_EQ(r.status, 0) << r.err;
    page = Entries(dir_ / "out.epub").at("OEBPS/page1.xhtml");
    // Right-to-left text sits in a box of its own, set in that direction.
    const auto ltrOne = page.find(">one </span>"),
               ltrTwo = page.find(" dir=\"rtl\"><span class=\"s2\">שתיים<"),
               ltrThree = page.find("> three<");
    EXPECT_TRUE(ltrOne < ltrTwo && ltrTwo < ltrThree && ltrThree != std::string::npos) << page;
    r = ExpectRefused(doc("sideways"));
    EXPECT_NE(r.err.find("$.pages[0].items[0].paragraphs[0].direction: expected ltr, rtl or auto"),
              std::string::npos)
        << r.err;
}

// A book read right to left turns its pages that way, and its spreads open on the right page.
TEST_F(FixedBidiTool, RightToLeftBooksSaySoInTheSpineAndKeepTheirSpreadSettings) {
    const auto doc = [](const std::string& options) {
        return R"({"layout": "fixed", "options": {"cover": false, )" + options + R"(},
          "metadata": {"title": "Manga", "language": "ja",
                       "identifier": "urn:uuid:11111111-2222-4333-8444-555555555555"},
          "pages": [{"width": 200, "height": 300, "spread": "right", "items": []},
                    {"width": 200, "height": 300, "spread": "left", "items": []}]})";
    };
    ToolTest::Result r = Export(doc(R"("pageProgression": "rtl", "spread": "both")"));
    ASSERT_EQ(r.status, 0) << r.err;
    std::string opf = Entries(dir_ / "out.epub").at("OEBPS/package.opf");
    EXPECT_NE(opf.find("<spine page-progression-direction=\"rtl\">\n<itemref idref=\"page1\" "
                       "properties=\"page-spread-right\"/>\n<itemref idref=\"page2\" "
                       "properties=\"page-spread-left\"/>"),
              std::string::npos)
        << opf;
    EXPECT_NE(opf.find("<meta property=\"rendition:spread\">both</meta>"), std::string::npos);
    r = Export(doc(R"("pageProgression": "ltr")"));
    ASSERT_EQ(r.status, 0) << r.err;
    opf = Entries(dir_ / "out.epub").at("OEBPS/package.opf");
    EXPECT_NE(opf.find("<spine>"), std::string::npos);
    EXPECT_NE(opf.find("<meta property=\"rendition:spread\">landscape</meta>"), std::string::npos);
    r = ExpectRefused(doc(R"("pageProgression": "ttb")"));
    EXPECT_NE(r.err.find("$.options.pageProgression: expected ltr or rtl"), std::string::npos);
    r = ExpectRefused(doc(R"("spread": "portrait")"));
    EXPECT_NE(r.err.find("$.options.spread: expected none, landscape, both or auto"),
              std::string::npos);
}

} // namespace

// A line is in the language its letters are written in when the document's cannot be written in
// them; the page is in that of most of its text, which a screen reader picks its voice by.
TEST_F(FixedBidiTool, LinesTakeTheLanguageOfTheirLettersAndPagesThatOfMostText) {
    ToolTest::Result r = Export(R"({"layout": "fixed", "options": {"cover": false},
      "metadata": {"title": "Scripts", "language": "en",
                   "identifier": "urn:uuid:11111111-2222-4333-8444-777777777777"},
      "pages": [{"width": 300, "height": 300, "items": [
        {"type": "textFrame", "x": 10, "y": 10, "width": 280, "height": 280,
         "character": {"fontFamily": "DejaVu Sans", "size": 12},
         "paragraphs": [{"text": "Hi"}, {"text": "مرحبا بكم يا أصدقائي الأعزاء"},
                        {"text": "日本語の本"}]}]}]})");
    ASSERT_EQ(r.status, 0) << r.err;
    const auto entries = Entries(dir_ / "out.epub");
    const std::string& page = entries.at("OEBPS/page1.xhtml");
    const auto html = page.find("<html");
    EXPECT_NE(page.find("lang=\"ar\"", html), std::string::npos);
    EXPECT_LT(page.find("lang=\"ar\"", html), page.find('>', html)) << page;
    const auto hi = page.find(">Hi<"), japanese = page.find("日本語の本");
    ASSERT_NE(japanese, std::string::npos) << page;
    EXPECT_NE(page.rfind("lang=\"en\"", hi), std::string::npos) << page;
    EXPECT_GT(page.rfind("lang=\"ja\"", japanese), hi) << page;
    const std::string& opf = entries.at("OEBPS/package.opf");
    EXPECT_LT(opf.find("<dc:language>en</dc:language>"), opf.find("<dc:language>ar</dc:language>"))
        << opf;
}

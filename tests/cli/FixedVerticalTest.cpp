// SPDX-License-Identifier: MIT
// Vertical text on fixed-layout pages: which way characters stand, where the lines of a vertical
// frame go, and what the page document tells the reading system.

#include "cli/ToolFixture.h"
#include "epub/fixed/FixedTextSetter.h"
#include "epub/fixed/VerticalOrientation.h"
#include "host/render/BitmapRenderTarget.h"
#include "tests/epub/fixed/TextSetterSupport.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using EPub::VerticalOrientation;
using Render::VerticalForm;

// The spans of `text` as "U[...]", "S[...]" and "C[...]".
std::string Forms(std::string_view text, int combineDigits = 2) {
    std::string out;
    for (const auto& s : VerticalOrientation::Spans(text, 0, text.size(), combineDigits)) {
        out += s.form == VerticalForm::Upright ? "U" : s.form == VerticalForm::Sideways ? "S" : "C";
        out += "[" + std::string(text.substr(s.begin, s.end - s.begin)) + "]";
    }
    return out;
}

TEST(VerticalOrientation, IdeographsStandLatinLiesAndShortNumbersReadAcross) {
    EXPECT_TRUE(VerticalOrientation::IsUpright(U'猫'));
    EXPECT_TRUE(VerticalOrientation::IsUpright(U'あ'));
    EXPECT_TRUE(VerticalOrientation::IsUpright(U'한'));
    EXPECT_TRUE(VerticalOrientation::IsUpright(U'Ａ')); // full width
    EXPECT_TRUE(VerticalOrientation::IsUpright(U'\U0001F44B'));
    EXPECT_TRUE(VerticalOrientation::IsUpright(U'\U00020B9F')); // beyond the basic plane
    EXPECT_FALSE(VerticalOrientation::IsUpright(U'A'));
    EXPECT_FALSE(VerticalOrientation::IsUpright(U'ש'));
    EXPECT_FALSE(VerticalOrientation::IsUpright(U'-'));

    EXPECT_EQ(Forms("12月7日"), "C[12]U[月]C[7]U[日]");
    // Longer numbers, and digits within a word or a decimal, lie on their side.
    EXPECT_EQ(Forms("2026年"), "S[2026]U[年]");
    EXPECT_EQ(Forms("2026年", 4), "C[2026]U[年]");
    EXPECT_EQ(Forms("A4と3.5"), "S[A4]U[と]S[3.5]");
    EXPECT_EQ(Forms("第1話", 0), "U[第]S[1]U[話]");
    EXPECT_EQ(Forms("EPUB 3の"), "S[EPUB ]C[3]U[の]");
    // A share of the text still sees the digits around it.
    const std::string text = "第123話";
    const auto cut = VerticalOrientation::Spans(text, 0, 5, 3);
    ASSERT_EQ(cut.size(), 2u);
    EXPECT_EQ(cut[1].form, VerticalForm::Sideways);
}

using TextSetterTest::Runs;
using TextSetterTest::Styled;

TEST(FixedVerticalSetting, LinesGoDownTheColumnFromTheRightAndStayInside) {
    EPub::FixedTextSetter setter;
    EPub::Paragraph p;
    p.runs = {Styled("縦書きの文章は上から下へ、右から左へ進む。"), Styled("Latin 12"),
              Styled("号")};
    std::vector<Foundation::Counted<const Render::Node>> out;
    std::string error;
    ASSERT_TRUE(setter.SetVerticalFrame({p}, {{0, 0, 200, 100}}, out, error, 3)) << error;
    const auto runs = Runs(out);
    ASSERT_GE(runs.size(), 3u);
    double previousLineX = 1e9;
    int32_t line = -1;
    for (const auto* run : runs) {
        EXPECT_NE(run->vertical, VerticalForm::None) << run->text;
        EXPECT_GE(run->origin.y, -1e-6) << run->text;
        EXPECT_LE(run->origin.y + run->advance, 100 + 1e-6) << run->text;
        EXPECT_EQ(run->story.story, 3);
        if (run->story.line != line) {
            // A new line sits left of the one before, one line height (12 × 1.2) on.
            EXPECT_LT(run->origin.x, previousLineX) << run->text;
            if (line >= 0) {
                EXPECT_NEAR(previousLineX - run->origin.x, 14.4, 1e-6);
            }
            line = run->story.line;
            previousLineX = run->origin.x;
        }
    }
    EXPECT_NEAR(runs.front()->origin.x, 200 - 7.2, 1e-6);
    EXPECT_EQ(runs.front()->vertical, VerticalForm::Upright);
    // Upright glyphs follow each other down the line, centred on it.
    ASSERT_GE(runs.front()->glyphs.size(), 2u);
    EXPECT_GT(runs.front()->glyphs[1].y, runs.front()->glyphs[0].y + 6);
    EXPECT_LT(std::abs(runs.front()->glyphs[0].x), 12);
    bool sideways = false, combined = false;
    for (const auto* run : runs) {
        sideways = sideways || (run->vertical == VerticalForm::Sideways && run->text == "Latin ");
        if (run->vertical == VerticalForm::Combined) {
            combined = true;
            EXPECT_EQ(run->text, "12");
            EXPECT_NEAR(run->advance, 12, 1e-6); // one em
        }
    }
    EXPECT_TRUE(sideways);
    EXPECT_TRUE(combined);

    // Too many lines for the frame's width is refused; a second column below takes them.
    out.clear();
    EXPECT_FALSE(setter.SetVerticalFrame({p}, {{0, 0, 20, 100}}, out, error));
    EXPECT_EQ(error, "the text does not fit in the frame");
    out.clear();
    ASSERT_TRUE(setter.SetVerticalFrame({p}, {{0, 0, 45, 100}, {0, 120, 45, 220}}, out, error))
        << error;
    EXPECT_GT(Runs(out).back()->origin.y, 120 - 1e-6);
}

TEST(FixedVerticalSetting, CombinedRunsFitOneEmAndAlignmentMovesLinesDown) {
    EPub::FixedTextSetter setter;
    EPub::Paragraph p;
    p.runs = {Styled("第"), Styled("1000"), Styled("号")};
    p.runs[1].combine = true;
    std::vector<Foundation::Counted<const Render::Node>> out;
    std::string error;
    ASSERT_TRUE(setter.SetVerticalFrame({p}, {{0, 0, 50, 200}}, out, error)) << error;
    auto runs = Runs(out);
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[1]->vertical, VerticalForm::Combined);
    EXPECT_NEAR(runs[1]->advance, 12, 1e-6);
    EXPECT_LT(runs[1]->squeeze, 1); // four digits are wider than an em
    EXPECT_NEAR(runs[2]->origin.y, runs[1]->origin.y + 12, 1e-6);
    const double length = runs[2]->origin.y + runs[2]->advance;
    // Right alignment is the foot of the line; centred halves the room left.
    p.format.alignment = 2;
    out.clear();
    ASSERT_TRUE(setter.SetVerticalFrame({p}, {{0, 0, 50, 200}}, out, error)) << error;
    runs = Runs(out);
    EXPECT_NEAR(runs.back()->origin.y + runs.back()->advance, 200, 1e-6);
    p.format.alignment = 1;
    out.clear();
    ASSERT_TRUE(setter.SetVerticalFrame({p}, {{0, 0, 50, 200}}, out, error)) << error;
    EXPECT_NEAR(Runs(out).front()->origin.y, (200 - length) / 2, 1e-6);
}

// The box around a drawing's ink (pixels darker than mid-grey).
Foundation::RectT<int> Ink(const Render::GlyphRunNode& run) {
    auto root = Foundation::MakeCounted<Render::GroupNode>();
    root->children.push_back(Foundation::MakeCounted<Render::GlyphRunNode>(run));
    Render::BitmapRenderTarget target(200, 200, 1);
    target.DrawTree(*root);
    const auto bitmap = target.GetBitmap();
    Foundation::RectT<int> box{200, 200, -1, -1};
    for (uint32_t y = 0; y < bitmap->Height(); ++y)
        for (uint32_t x = 0; x < bitmap->Width(); ++x) {
            const uint8_t* p = bitmap->Row(y) + x * 4;
            if (p[3] > 0 && p[0] + p[1] + p[2] < 3 * 128)
                box = {std::min(box.left, int(x)), std::min(box.top, int(y)),
                       std::max(box.right, int(x) + 1), std::max(box.bottom, int(y) + 1)};
        }
    return box;
}

TEST(FixedVerticalSetting, CairoDrawsRunsOnTheirSideAndAcrossTheLineWhereTheyAreSet) {
    EPub::FixedTextSetter setter;
    std::string error;
    auto word = Styled("Harbour", 20);
    word.fill = Render::FillDescriptor::MakeSolid(Render::Colour::MakeRGB(0, 0, 0));
    const auto sideways = setter.SetVerticalRun(word, VerticalForm::Sideways, 100, 20, error);
    ASSERT_NE(sideways, nullptr) << error;
    auto ink = Ink(*sideways);
    // Down the line from its top, about the line's centre, taller than wide.
    EXPECT_GT(ink.Height(), 3 * ink.Width());
    EXPECT_NEAR(ink.top, 20, 3);
    EXPECT_NEAR(ink.bottom, 20 + sideways->advance, 3);
    EXPECT_NEAR((ink.left + ink.right) / 2.0, 100, 4);
    auto number = Styled("2026", 20);
    number.fill = word.fill;
    const auto across = setter.SetVerticalRun(number, VerticalForm::Combined, 100, 20, error);
    ASSERT_NE(across, nullptr) << error;
    ink = Ink(*across);
    // Squeezed into one em, centred on the line.
    EXPECT_LE(ink.Width(), 21);
    EXPECT_GT(ink.Width(), ink.Height());
    EXPECT_NEAR((ink.left + ink.right) / 2.0, 100, 2);
    EXPECT_GE(ink.top, 20);
    EXPECT_LE(ink.bottom, 41);
}

// Characters the run's font lacks come from an installed face that has them, in runs that
// follow each other down the line, with the text split between them and nothing lost.
TEST(FixedVerticalSetting, CharactersTheFontLacksAreSetInAFaceThatHasThem) {
    EPub::FixedTextSetter setter;
    std::string error;
    const auto text = Styled("\xE6\xB8\xAF\xE5\x8F\xA3", 16); // 港口: DejaVu has no ideographs
    const auto runs = setter.SetVerticalRuns(text, VerticalForm::Upright, 100, 20, error);
    ASSERT_FALSE(runs.empty()) << error;
    std::string spelt;
    double y = 20;
    for (const auto& run : runs) {
        EXPECT_NE(run->fontPath.str().find(".tt"), std::string::npos);
        EXPECT_EQ(run->fontPath.str().find("DejaVuSans.ttf"), std::string::npos) << run->text;
        EXPECT_DOUBLE_EQ(run->origin.y, y);
        for (const auto& g : run->glyphs)
            EXPECT_NE(g.id, 0u) << run->text;
        y += run->advance;
        spelt += run->text;
    }
    EXPECT_EQ(spelt, text.text);
    EXPECT_NEAR(y - 20, 32, 2); // an em down the line each

    // Latin on its side in DejaVu, the ideographs after it upright in another face.
    const auto mixed =
        setter.SetVerticalRuns(Styled("ab\xE6\xB8\xAF", 16), VerticalForm::Upright, 100, 20, error);
    ASSERT_EQ(mixed.size(), 2u);
    EXPECT_EQ(mixed[0]->text, "ab");
    EXPECT_EQ(mixed[1]->story.offset, 2);
    EXPECT_NE(mixed[0]->fontPath, mixed[1]->fontPath);
}

// A vertical story's set lines: each glyph run with the column it lies in and the paragraph
// group (its heading, or -1 when loose) that holds it. A group is listed with the column its
// share of a frame starts in, and may go on in the frame's next columns.
struct SetLine {
    const Render::GlyphRunNode* run;
    size_t column;
    int heading;
};

std::vector<SetLine> Lines(const EPub::ColumnNodes& out,
                           const std::vector<EPub::StoryColumn>& columns) {
    std::vector<SetLine> lines;
    const auto add = [&](const Render::GlyphRunNode* run, size_t c, int heading) {
        while (c + 1 < columns.size() && columns[c + 1].frame == columns[c].frame &&
               run->origin.y >= columns[c + 1].rect.top - 1e-6)
            ++c;
        lines.push_back({run, c, heading});
    };
    for (size_t c = 0; c < out.size(); ++c)
        for (const auto& node : out[c]) {
            if (node->Kind() == Render::NodeKind::GlyphRun)
                add(static_cast<const Render::GlyphRunNode*>(node.get()), c, -1);
            if (node->Kind() != Render::NodeKind::Group)
                continue;
            const auto& group = static_cast<const Render::GroupNode&>(*node);
            EXPECT_EQ(group.logical, Render::LogicalGroup::Paragraph);
            for (const auto* run : Runs(group.children))
                add(run, c, group.heading);
        }
    return lines;
}

EPub::Paragraph Japanese(std::string text, int heading = 0) {
    EPub::Paragraph p;
    p.runs = {Styled(std::move(text))};
    p.heading = heading;
    return p;
}

const char* kNeko = "吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。何でも薄暗い"
                    "じめじめした所でニャーニャー泣いていた事だけは記憶している。";

TEST(FixedVerticalStory, FlowsThroughItsFramesInOrderAsParagraphGroups) {
    EPub::FixedTextSetter setter;
    const std::vector<EPub::Paragraph> story = {Japanese("猫の話", 2), Japanese(kNeko),
                                                Japanese("終わり")};
    // Two lines in the first frame; the rest in the second, its tiers one above the other.
    const std::vector<EPub::StoryColumn> columns = {{{0, 0, 30, 120}, 0, {}, false},
                                                    {{0, 0, 100, 90}, 1, {}, false},
                                                    {{0, 110, 100, 200}, 1, {}, false}};
    EPub::ColumnNodes out;
    std::string error;
    ASSERT_TRUE(setter.SetVerticalStory(story, columns, out, error, 7)) << error;
    ASSERT_EQ(out.size(), 3u);
    const auto lines = Lines(out, columns);
    std::string spelt;
    int32_t line = -1;
    size_t column = 0;
    double previous = 1e9;
    for (const auto& [run, c, heading] : lines) {
        spelt += run->text;
        EXPECT_EQ(heading, run->story.story == 7 ? 2 : 0) << run->text;
        const auto& rect = columns[c].rect;
        EXPECT_GE(run->origin.x - 6, rect.left - 1e-6) << run->text;
        EXPECT_LE(run->origin.x + 6, rect.right + 1e-6) << run->text;
        EXPECT_GE(run->origin.y, rect.top - 1e-6) << run->text;
        EXPECT_LE(run->origin.y + run->advance, rect.bottom + 1e-6) << run->text;
        if (run->story.line != line) {
            // Right to left within a column; each column starts again at its right edge.
            if (c == column) {
                EXPECT_LT(run->origin.x, previous) << run->text;
            }
            EXPECT_GE(c, column);
            column = c;
            line = run->story.line;
            previous = run->origin.x;
        }
    }
    EXPECT_EQ(spelt, std::string("猫の話") + kNeko + "終わり");
    EXPECT_EQ(column, 2u) << "the second tier is used";
    // The paragraph that crosses into the second frame is one group in each; a group is listed
    // with the column it starts in.
    ASSERT_EQ(out[0].size(), 2u);
    EXPECT_EQ(out[1].size() + out[2].size(), 2u);
}

// Lines crossing a picture run in the longest stretch beside it, or pass it on the left when no
// stretch is long enough; no glyph lands in its box, and an outline is followed.
TEST(FixedVerticalStory, WrapAreasShortenOrSkipTheLinesTheyCross) {
    EPub::FixedTextSetter setter;
    // A triangle, point up: lines away from its point reach further down.
    const EPub::WrapArea wedge{{260, 60, 300, 120}, {{260, 120}, {300, 120}, {280, 60}}, 0};
    const EPub::WrapArea foot{{200, 70, 250, 120}, {}, 0}; // leaves 70 of 120 above it
    const EPub::WrapArea middle{{80, 25, 120, 95}, {}, 0}; // leaves 25 on either side
    // Where the wedge starts down a line between `left` and `right`.
    const auto wedgeTop = [](double left, double right) {
        if (right <= 280)
            return 120 - 3 * (right - 260);
        return left >= 280 ? 60 + 3 * (left - 280) : 60.0;
    };
    const EPub::StoryColumn column{{0, 0, 300, 120}, 0, {wedge, foot, middle}, false};
    const std::string text = std::string(kNeko) + "吾輩は猫である。名前はまだ無い。";
    EPub::ColumnNodes out;
    std::string error;
    ASSERT_TRUE(setter.SetVerticalStory({Japanese(text)}, {column}, out, error)) << error;
    std::string spelt;
    bool shortened = false, pastMiddle = false, belowWedgeBox = false;
    for (const auto& [run, c, heading] : Lines(out, {column})) {
        spelt += run->text;
        const double left = run->origin.x - 7.2, right = run->origin.x + 7.2;
        const double top = run->origin.y, bottom = run->origin.y + run->advance;
        const auto crosses = [&](const EPub::WrapArea& wrap) {
            return left < wrap.box.right - 1e-6 && right > wrap.box.left + 1e-6;
        };
        EXPECT_FALSE(crosses(foot) && bottom > foot.box.top + 1e-6) << run->text;
        EXPECT_FALSE(crosses(middle)) << "a line runs in a stretch too short at " << left;
        if (crosses(wedge)) {
            EXPECT_LE(bottom, wedgeTop(std::max(left, 260.0), right) + 1e-6) << left;
            belowWedgeBox = belowWedgeBox || bottom > wedge.box.top + 1e-6;
        }
        shortened = shortened || crosses(foot);
        pastMiddle = pastMiddle || right <= middle.box.left + 1e-6;
        EXPECT_GE(top, 0);
    }
    EXPECT_EQ(spelt, text);
    EXPECT_TRUE(shortened);
    EXPECT_TRUE(pastMiddle);
    EXPECT_TRUE(belowWedgeBox);

    // Asked for both sides, a line goes on below the area at the same place across the column;
    // the left side is above it.
    const auto tops = [&](EPub::WrapSide side) {
        EPub::WrapArea band{{0, 70, 300, 90}, {}, 0, side};
        const EPub::StoryColumn tall{{0, 0, 300, 160}, 0, {band}, false};
        EXPECT_TRUE(setter.SetVerticalStory({Japanese(kNeko)}, {tall}, out, error)) << error;
        std::map<double, std::vector<double>> starts; // line place -> where its lines start
        int32_t line = -1;
        for (const auto& [run, c, heading] : Lines(out, {tall})) {
            EXPECT_FALSE(run->origin.y < 90 && run->origin.y + run->advance > 70) << run->text;
            if (std::exchange(line, run->story.line) != run->story.line)
                starts[run->origin.x].push_back(run->origin.y);
        }
        return starts.begin()->second;
    };
    EXPECT_EQ(tops(EPub::WrapSide::Both), (std::vector<double>{0, 90}));
    EXPECT_EQ(tops(EPub::WrapSide::Left), (std::vector<double>{0}));
    EXPECT_EQ(tops(EPub::WrapSide::Right), (std::vector<double>{90}));
}

// The lines of each column of `out`, counted.
std::vector<int> LinesPerColumn(const EPub::ColumnNodes& out,
                                const std::vector<EPub::StoryColumn>& columns) {
    std::vector<std::set<int32_t>> lines(out.size());
    for (const auto& [run, c, heading] : Lines(out, columns))
        lines[c].insert(run->story.line);
    std::vector<int> counts;
    for (const auto& column : lines)
        counts.push_back(static_cast<int>(column.size()));
    return counts;
}

TEST(FixedVerticalStory, BalancingEvensOutTheTiersOfTheLastFrame) {
    EPub::FixedTextSetter setter;
    const std::vector<EPub::Paragraph> story = {Japanese(kNeko)};
    std::vector<EPub::StoryColumn> tiers = {{{0, 0, 300, 95}, 0, {}, false},
                                            {{0, 105, 300, 200}, 0, {}, false},
                                            {{0, 210, 300, 305}, 0, {}, false}};
    EPub::ColumnNodes out;
    std::string error;
    ASSERT_TRUE(setter.SetVerticalStory(story, tiers, out, error)) << error;
    auto counts = LinesPerColumn(out, tiers);
    EXPECT_GT(counts[0], 2);
    EXPECT_EQ(counts[1], 0) << "unbalanced, the first tier takes it all";
    const int unbalanced = counts[0];
    tiers[1].balance = true; // one column asking is enough
    ASSERT_TRUE(setter.SetVerticalStory(story, tiers, out, error)) << error;
    counts = LinesPerColumn(out, tiers);
    EXPECT_EQ(counts[0] + counts[1] + counts[2], unbalanced);
    EXPECT_LE(*std::max_element(counts.begin(), counts.end()) -
                  *std::min_element(counts.begin(), counts.end()),
              1);
    EXPECT_GT(counts[2], 0);
    // Each tier still starts at the frame's right edge.
    std::vector<double> rightmost(tiers.size(), 0);
    for (const auto& [run, c, heading] : Lines(out, tiers))
        rightmost[c] = std::max(rightmost[c], run->origin.x);
    for (const double x : rightmost)
        EXPECT_NEAR(x, 300 - 7.2, 1e-6);
}

class FixedVerticalTool : public ToolTest::Tool {
protected:
    // The text of each p and h element of a page, its tag first.
    std::vector<std::string> Blocks(const std::string& entry) {
        pugi::xml_document page;
        EXPECT_TRUE(page.load_string(Entries(dir_ / "out.epub").at(entry).c_str()));
        std::vector<std::string> blocks;
        for (const auto& found :
             page.select_nodes("//*[local-name()='p' or local-name()='h1' or local-name()='h3']")) {
            std::string text = std::string(found.node().name()) + ":";
            for (const auto& span : found.node().select_nodes(".//*[local-name()='span'][not(*)]"))
                text += span.node().child_value();
            blocks.push_back(text);
        }
        return blocks;
    }
};

// A story through two pages' vertical frames.
std::string VerticalStory(const std::string& first, const std::string& second) {
    return R"({"layout": "fixed", "options": {"cover": false},
      "metadata": {"title": "Tate", "language": "ja",
                   "identifier": "urn:uuid:11111111-2222-4333-8444-777777777777"},
      "stories": {"neko": {"character": {"fontFamily": "IPAGothic", "size": 12},
        "paragraphs": [{"text": "吾輩は猫である", "heading": 1},
                       {"text": ")" +
           std::string(kNeko) + R"("},
                       {"text": "第二章", "heading": 3}]}},
      "pages": [{"width": 200, "height": 300, "items": [)" +
           first + R"(]}, {"width": 200, "height": 300, "items": [)" + second + "]}]}";
}

const char* kFirstTate = R"({"type": "textFrame", "x": 120, "y": 30, "width": 60, "height": 120,
                             "writingMode": "vertical-rl", "story": "neko"})";
const char* kSecondTate = R"({"type": "textFrame", "x": 30, "y": 30, "width": 150,
                              "height": 240, "columns": 2, "balance": true,
                              "writingMode": "vertical-rl", "story": "neko"})";

TEST_F(FixedVerticalTool, StoriesGoOnThroughVerticalFramesAsParagraphsAndHeadings) {
    ToolTest::Result r = Export(VerticalStory(kFirstTate, kSecondTate));
    ASSERT_EQ(r.status, 0) << r.err;
    const auto first = Blocks("OEBPS/page1.xhtml"), second = Blocks("OEBPS/page2.xhtml");
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[0], "h1:吾輩は猫である");
    ASSERT_EQ(second.size(), 2u);
    EXPECT_EQ(first[1] + second[0].substr(2), std::string("p:") + kNeko);
    EXPECT_GT(second[0].size(), 2u) << "the paragraph goes on on the second page";
    EXPECT_EQ(second[1], "h3:第二章");
    EXPECT_NE(Entries(dir_ / "out.epub").at("OEBPS/css/page2.css").find("writing-mode"),
              std::string::npos);
    const std::string report = EpubCheck(dir_ / "out.epub");
    EXPECT_EQ(report.find("ERROR"), std::string::npos) << report;
    EXPECT_EQ(report.find("WARNING"), std::string::npos) << report;

    // A story is set one way through all its frames; text left over is the last frame's.
    std::string flat = kSecondTate;
    flat.replace(flat.find("vertical-rl"), 11, "horizontal-tb");
    r = ExpectRefused(VerticalStory(kFirstTate, flat));
    EXPECT_NE(r.err.find("$.pages[1].items[0].writingMode: the story \"neko\" is set vertical-rl "
                         "in its first frame"),
              std::string::npos)
        << r.err;
    flat.erase(flat.find("\"writingMode\""),
               std::string(R"("writingMode": "horizontal-tb",)").size());
    r = ExpectRefused(VerticalStory(kFirstTate, flat));
    EXPECT_NE(r.err.find("$.pages[1].items[0]: the story \"neko\" is set vertical-rl"),
              std::string::npos)
        << r.err;
    r = ExpectRefused(VerticalStory(kFirstTate, ""));
    EXPECT_NE(r.err.find("$.pages[0].items[0]: text of the story \"neko\" is left over"),
              std::string::npos)
        << r.err;
}

TEST_F(FixedVerticalTool, PagesWriteVerticalLinesAndRefuseUnknownModes) {
    const auto doc = [](const std::string& frame) {
        return R"({"layout": "fixed", "options": {"cover": false},
          "metadata": {"title": "Tate", "language": "ja",
                       "identifier": "urn:uuid:11111111-2222-4333-8444-666666666666"},
          "pages": [{"width": 200, "height": 300, "items": [
            {"type": "textFrame", "x": 10, "y": 10, "width": 180, "height": 200, )" +
               frame + R"(
             "character": {"fontFamily": "DejaVu Sans", "size": 12},
             "paragraphs": [{"runs": [{"text": "東京 Tokyo 12月"},
                                      {"text": "123", "combine": true}]}]}]}]})";
    };
    ToolTest::Result r = Export(doc(R"("writingMode": "vertical-rl",)"));
    ASSERT_EQ(r.status, 0) << r.err;
    auto entries = Entries(dir_ / "out.epub");
    const std::string page = entries.at("OEBPS/page1.xhtml");
    const std::string css = entries.at("OEBPS/css/page1.css") + entries.at("OEBPS/css/styles.css");
    // One box per line in vertical writing, its text in reading order.
    EXPECT_NE(css.find("writing-mode: vertical-rl"), std::string::npos) << css;
    EXPECT_NE(css.find("-epub-writing-mode: vertical-rl"), std::string::npos) << css;
    EXPECT_NE(css.find("text-combine-upright: all"), std::string::npos) << css;
    EXPECT_NE(css.find("text-orientation: sideways"), std::string::npos) << css;
    const auto tokyo = page.find("> Tokyo <"), twelve = page.find(">12<"),
               combined = page.find(">123<");
    EXPECT_TRUE(page.find(">東京<") < tokyo && tokyo < twelve && twelve < combined &&
                combined != std::string::npos)
        << page;
    // Horizontal frames say nothing of writing modes.
    r = Export(doc(R"("writingMode": "horizontal-tb",)"));
    ASSERT_EQ(r.status, 0) << r.err;
    entries = Entries(dir_ / "out.epub");
    EXPECT_EQ(entries.at("OEBPS/css/page1.css").find("writing-mode"), std::string::npos);
    r = ExpectRefused(doc(R"("writingMode": "vertical-lr",)"));
    EXPECT_NE(r.err.find("$.pages[0].items[0].writingMode: expected horizontal-tb or vertical-rl"),
              std::string::npos)
        << r.err;
    r = ExpectRefused(doc(R"("writingMode": "vertical-rl", "combineDigits": 9,)"));
    EXPECT_NE(r.err.find("combineDigits"), std::string::npos) << r.err;
}

} // namespace

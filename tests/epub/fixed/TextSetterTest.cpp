// SPDX-License-Identifier: MIT
#include "epub/fixed/TextSetter.h"

#include "epub/fixed/FixedTextSetter.h"
#include "tests/epub/fixed/TextSetterSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {

using TextSetterTest::Runs;
using TextSetterTest::Styled;

TEST(TextSetter, TheDefaultSetterShapesRunsAtTheirBaseline) {
    const auto setter = EPub::MakeDefaultTextSetter();
    std::string error;
    const auto short_ = setter->SetRun(Styled("Quay"), 10, 40, error);
    ASSERT_NE(short_, nullptr) << error;
    const auto longer = setter->SetRun(Styled("Quay and harbour"), 10, 40, error);
    ASSERT_NE(longer, nullptr) << error;
    EXPECT_EQ(short_->origin.x, 10);
    EXPECT_EQ(short_->origin.y, 40);
    EXPECT_EQ(short_->glyphs.size(), 4u);
    EXPECT_GT(longer->advance, short_->advance);
    // Word spacing widens every space: two here.
    const auto spaced = setter->SetRun(Styled("Quay and harbour"), 10, 40, error, 3);
    ASSERT_NE(spaced, nullptr);
    EXPECT_NEAR(spaced->advance - longer->advance, 6, 1e-6);
}

TEST(TextSetter, FramesBreakIntoLinesAndRefuseTextThatDoesNotFit) {
    const auto setter = EPub::MakeDefaultTextSetter();
    std::vector<EPub::Paragraph> paragraphs(2);
    paragraphs[0].runs.push_back(Styled("The boats come in at dusk and leave before dawn."));
    paragraphs[1].runs.push_back(Styled("Gulls."));
    std::vector<Foundation::Counted<const Render::Node>> out;
    std::string error;
    ASSERT_TRUE(setter->SetFrame(paragraphs, {{0, 0, 120, 200}}, out, error, 7)) << error;
    const auto runs = Runs(out);
    ASSERT_GE(runs.size(), 3u); // the first paragraph needs more than one line of 120 points
    std::set<double> baselines;
    for (const auto* run : runs) {
        EXPECT_LE(run->origin.x + run->advance, 120 + 1e-6) << run->text;
        baselines.insert(run->origin.y);
    }
    EXPECT_EQ(baselines.size(), runs.size());
    EXPECT_EQ(runs.front()->story.story, 7);
    EXPECT_EQ(runs.back()->story.story, 8);
    EXPECT_EQ(runs.back()->text, "Gulls.");

    out.clear();
    EXPECT_FALSE(setter->SetFrame(paragraphs, {{0, 0, 120, 20}}, out, error));
    EXPECT_FALSE(error.empty());
}

std::string FileName(const Render::GlyphRunNode& run) {
    const std::string path = run.fontPath.str();
    return path.substr(path.rfind('/') + 1);
}

// Characters DejaVu Sans lacks are set in an installed face that has them; the rest stays in
// the font asked for, and what no face has stays a .notdef of it for --check to name.
TEST(TextSetter, MissingCharactersAreSetInTheFaceThatHasThem) {
    EPub::FixedTextSetter setter;
    std::string error;
    const std::string text = "Sea \xE6\xB8\xAF\xE5\x8F\xA3 \xF0\x9F\x9A\xA2 ok";
    const auto runs = setter.SetRuns(Styled(text, 20), 10, 40, error);
    ASSERT_EQ(runs.size(), 5u) << error;
    std::string joined;
    double pen = 10;
    for (const auto& run : runs) {
        joined += run->text;
        EXPECT_NEAR(run->origin.x, pen, 1e-6) << run->text;
        EXPECT_EQ(run->origin.y, 40);
        EXPECT_EQ(text.compare(size_t(run->story.offset), run->text.size(), run->text), 0);
        pen += run->advance;
        for (const auto& glyph : run->glyphs)
            EXPECT_NE(glyph.id, 0u) << run->text << " in " << FileName(*run);
    }
    EXPECT_EQ(joined, text);
    EXPECT_EQ(FileName(*runs[0]), "DejaVuSans.ttf");
    EXPECT_EQ(FileName(*runs[1]), "wqy-zenhei.ttc");
    EXPECT_EQ(FileName(*runs[3]), "NotoColorEmoji.ttf");
    EXPECT_EQ(runs[2]->text, " ");
    EXPECT_EQ(FileName(*runs[4]), "DejaVuSans.ttf");
    // An emoji of several code points is one cluster in one face, and text the font has
    // entirely stays one run.
    const auto family =
        setter.SetRuns(Styled("\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x92\xBB"), 0, 0, error);
    ASSERT_EQ(family.size(), 1u);
    EXPECT_EQ(FileName(*family[0]), "NotoColorEmoji.ttf");
    EXPECT_EQ(setter.SetRuns(Styled("caf\xC3\xA9"), 0, 0, error).size(), 1u);
    // A private-use character no installed face has.
    const auto nowhere = setter.SetRuns(Styled("a\xF4\x8F\xBF\xBD"), 0, 0, error);
    ASSERT_EQ(nowhere.size(), 1u);
    EXPECT_EQ(nowhere[0]->glyphs.back().id, 0u);
}

// Right to left, the runs sit in visual order and each direction's share stays its own.
TEST(TextSetter, FallbackRunsKeepTheirDirectionAndFramesMeasureThem) {
    EPub::FixedTextSetter setter;
    std::string error;
    auto hebrew = Styled("\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D \xF0\x9F\x8C\x8A \xD7\x99\xD7\x9D");
    hebrew.direction = EPub::TextDirection::RightToLeft;
    const auto runs = setter.SetRuns(hebrew, 0, 0, error);
    ASSERT_GE(runs.size(), 3u) << error;
    const auto wave = std::find_if(runs.begin(), runs.end(),
                                   [](const auto& r) { return r->text == "\xF0\x9F\x8C\x8A"; });
    ASSERT_NE(wave, runs.end());
    // Listed in reading order: the first word is the rightmost.
    EXPECT_GT(runs.front()->origin.x, (*wave)->origin.x);
    EXPECT_GT((*wave)->origin.x, runs.back()->origin.x);
    EXPECT_TRUE(runs.front()->rightToLeft);

    // Ideographs measured in their own face: a line of them breaks where it fills the column.
    std::vector<EPub::Paragraph> paragraphs(1);
    std::string ideographs;
    for (int i = 0; i < 12; ++i)
        ideographs += "\xE6\xB8\xAF";
    paragraphs[0].runs.push_back(Styled(ideographs, 10));
    std::vector<Foundation::Counted<const Render::Node>> out;
    ASSERT_TRUE(setter.SetFrame(paragraphs, {{0, 0, 65, 200}}, out, error)) << error;
    std::set<double> lines;
    for (const auto* run : Runs(out)) {
        EXPECT_LE(run->origin.x + run->advance, 65 + 1e-6);
        EXPECT_EQ(FileName(*run), "wqy-zenhei.ttc");
        lines.insert(run->origin.y);
    }
    EXPECT_EQ(lines.size(), 2u); // six ideographs of 10 points to a line
}

// Enough words for several lines of a narrow column.
std::vector<EPub::Paragraph> Story(int words) {
    std::string text;
    for (int i = 0; i < words; ++i)
        text += (i ? " " : "") + std::string(i % 3 ? "harbour" : "tide");
    std::vector<EPub::Paragraph> paragraphs(1);
    paragraphs[0].runs.push_back(Styled(text));
    return paragraphs;
}

std::vector<const Render::GlyphRunNode*>
RunsIn(const std::vector<Foundation::Counted<const Render::Node>>& nodes) {
    std::vector<const Render::GlyphRunNode*> runs;
    for (const auto& node : nodes) {
        if (node->Kind() == Render::NodeKind::Group)
            for (const auto* run : RunsIn(static_cast<const Render::GroupNode&>(*node).children))
                runs.push_back(run);
        else if (node->Kind() == Render::NodeKind::GlyphRun)
            runs.push_back(static_cast<const Render::GlyphRunNode*>(node.get()));
    }
    return runs;
}

// A story flows on through the next frame's columns where the last left off: in reading order,
// every line inside its column, and text left over after the last column refused.
TEST(TextSetter, StoriesFlowThroughTheirChainOfFrames) {
    const auto setter = EPub::MakeDefaultTextSetter();
    const std::vector<EPub::StoryColumn> chain = {{{0, 0, 100, 60}, 0, {}, false},
                                                  {{120, 0, 220, 60}, 0, {}, false},
                                                  {{0, 300, 150, 400}, 1, {}, false}};
    EPub::ColumnNodes out;
    std::string error;
    ASSERT_TRUE(setter->SetStory(Story(24), chain, out, error, 3)) << error;
    ASSERT_EQ(out.size(), 3u);
    // A frame's lines are listed with its first column, in reading order.
    EXPECT_TRUE(out[1].empty());
    std::vector<int> linesIn(3);
    int64_t offset = -1;
    for (const size_t c : {size_t(0), size_t(2)}) {
        for (const auto* run : RunsIn(out[c])) {
            const auto column = std::find_if(chain.begin(), chain.end(), [&](const auto& col) {
                return col.frame == chain[c].frame && run->origin.x >= col.rect.left - 1e-6 &&
                       run->origin.x + run->advance <= col.rect.right + 1e-6 &&
                       run->origin.y <= col.rect.bottom && run->origin.y >= col.rect.top;
            });
            ASSERT_NE(column, chain.end()) << run->text << " at " << run->origin.x;
            ++linesIn[column - chain.begin()];
            EXPECT_GT(run->story.offset, offset);
            EXPECT_EQ(run->story.story, 3);
            offset = run->story.offset;
        }
    }
    for (const int lines : linesIn)
        EXPECT_GT(lines, 0);
    EXPECT_FALSE(setter->SetStory(Story(200), chain, out, error));
    EXPECT_NE(error.find("does not fit"), std::string::npos) << error;
}

// A balanced frame's columns end within a line of each other; unbalanced, the first is full.
TEST(TextSetter, BalancedColumnsEndLevel) {
    const auto setter = EPub::MakeDefaultTextSetter();
    std::vector<EPub::StoryColumn> frame = {{{0, 0, 100, 400}, 0, {}, false},
                                            {{120, 0, 220, 400}, 0, {}, false}};
    // Of the lines in the column from `left`: a frame's lines are all listed with its first.
    const auto lastBaseline = [](const std::vector<Foundation::Counted<const Render::Node>>& n,
                                 double left) {
        double y = 0;
        for (const auto* run : RunsIn(n))
            if (run->origin.x >= left && run->origin.x < left + 100)
                y = std::max(y, run->origin.y);
        return y;
    };
    EPub::ColumnNodes out;
    std::string error;
    ASSERT_TRUE(setter->SetStory(Story(60), frame, out, error)) << error;
    EXPECT_GT(lastBaseline(out[0], 0), 380);
    EXPECT_GT(lastBaseline(out[0], 120), 0);
    const double line = 12 * 1.2;
    EXPECT_GT(lastBaseline(out[0], 0) - lastBaseline(out[0], 120), line);

    frame[1].balance = true;
    ASSERT_TRUE(setter->SetStory(Story(60), frame, out, error)) << error;
    const size_t lines = RunsIn(out[0]).size();
    EXPECT_LE(std::abs(lastBaseline(out[0], 0) - lastBaseline(out[0], 120)), line + 1e-6);
    EXPECT_LT(lastBaseline(out[0], 0), 380);
    // Nothing is lost to balancing.
    ASSERT_TRUE(setter->SetStory(Story(60), {{{0, 0, 100, 1000}, 0, {}, false}}, out, error));
    EXPECT_EQ(RunsIn(out[0]).size(), lines);
}

// Lines beside a wrap area take the wider side; where no side leaves room they pass below it.
TEST(TextSetter, WrapAreasPushLinesAsideOrBelow) {
    const auto setter = EPub::MakeDefaultTextSetter();
    EPub::StoryColumn column{{0, 0, 200, 600}, 0, {}, false};
    column.wraps.push_back({{0, 50, 80, 120}, {}, 0});   // left: lines go right of it
    column.wraps.push_back({{0, 200, 200, 260}, {}, 0}); // full width: lines skip it
    // A triangle widening downwards from its top right corner: lines beside it shorten.
    column.wraps.push_back({{100, 300, 200, 400}, {{200, 300}, {200, 400}, {100, 400}}, 0});
    EPub::ColumnNodes out;
    std::string error;
    ASSERT_TRUE(setter->SetStory(Story(100), {column}, out, error)) << error;
    double besideTriangle = 0;
    for (const auto* run : RunsIn(out[0])) {
        const double top = run->origin.y - 11, bottom = run->origin.y + 3;
        if (bottom > 50 && top < 120) {
            EXPECT_GE(run->origin.x, 80 - 1e-6) << run->text;
        }
        EXPECT_FALSE(bottom > 200 && top < 260) << run->text << " at " << run->origin.y;
        if (top > 300 && bottom < 400) {
            EXPECT_LE(run->origin.x + run->advance, 200 - (bottom - 300) + 1) << run->text;
            besideTriangle = std::max(besideTriangle, run->origin.x + run->advance);
        }
    }
    EXPECT_GT(besideTriangle, 150);
}

// A picture in the middle of the column: each side setting puts the lines beside it where it
// says, and with both sides the text reads on across the picture, in the paragraph's direction.
TEST(TextSetter, WrapSidesChooseTheStretchesBesideAnArea) {
    const auto setter = EPub::MakeDefaultTextSetter();
    // Where each line beside the area sits (copied: the setter's nodes go with its output).
    struct Line {
        double left, right, baseline;
        int64_t offset;
    };
    // Beside the area: 90 points to its left, 110 to its right.
    const auto linesBeside = [&](EPub::WrapSide side, EPub::TextDirection direction) {
        EPub::StoryColumn column{{0, 0, 300, 600}, 0, {}, false};
        column.wraps.push_back({{90, 0, 190, 100}, {}, 0, side});
        auto story = Story(80);
        story[0].format.direction = direction;
        EPub::ColumnNodes out;
        std::string error;
        EXPECT_TRUE(setter->SetStory(story, {column}, out, error)) << error;
        std::vector<Line> beside;
        for (const auto* run : RunsIn(out[0])) {
            if (run->origin.y - 11 < 100) {
                EXPECT_TRUE(run->origin.x + run->advance <= 90 + 1e-6 ||
                            run->origin.x >= 190 - 1e-6)
                    << run->text;
                beside.push_back({run->origin.x, run->origin.x + run->advance, run->origin.y,
                                  run->story.offset});
            }
        }
        return beside;
    };
    using EPub::TextDirection;
    using EPub::WrapSide;
    for (const Line& line : linesBeside(WrapSide::Largest, TextDirection::LeftToRight))
        EXPECT_GE(line.left, 190 - 1e-6);
    for (const Line& line : linesBeside(WrapSide::Left, TextDirection::LeftToRight))
        EXPECT_LE(line.right, 90 + 1e-6);
    for (const Line& line : linesBeside(WrapSide::Right, TextDirection::LeftToRight))
        EXPECT_GE(line.left, 190 - 1e-6);
    // Both: pairs on one baseline, the left one first in the text.
    const auto both = linesBeside(WrapSide::Both, TextDirection::LeftToRight);
    ASSERT_GE(both.size(), 4u);
    EXPECT_LT(both[0].left, 90);
    EXPECT_GE(both[1].left, 190 - 1e-6);
    EXPECT_DOUBLE_EQ(both[0].baseline, both[1].baseline);
    EXPECT_LT(both[0].offset, both[1].offset);
    EXPECT_GT(both[2].baseline, both[1].baseline);
    // Right to left, the text starts on the right of the picture.
    const auto rtl = linesBeside(WrapSide::Both, TextDirection::RightToLeft);
    ASSERT_GE(rtl.size(), 2u);
    EXPECT_GE(rtl[0].left, 190 - 1e-6);
    EXPECT_LT(rtl[1].left, 90);
    EXPECT_DOUBLE_EQ(rtl[0].baseline, rtl[1].baseline);
}

} // namespace

// SPDX-License-Identifier: MIT
#include "epub/fixed/TextSetter.h"

#include "epub/fixed/FixedTextSetter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {

EPub::StyledText Styled(std::string text, double size = 12) {
    EPub::StyledText s;
    s.text = std::move(text);
    s.font.family = "DejaVu Sans";
    s.size = size;
    return s;
}

std::vector<const Render::GlyphRunNode*>
Runs(const std::vector<Foundation::Counted<const Render::Node>>& nodes) {
    std::vector<const Render::GlyphRunNode*> runs;
    for (const auto& node : nodes)
        if (node->Kind() == Render::NodeKind::GlyphRun)
            runs.push_back(static_cast<const Render::GlyphRunNode*>(node.get()));
    return runs;
}

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

} // namespace

// SPDX-License-Identifier: MIT
#include "epub/fixed/TextSetter.h"

#include "epub/fixed/FixedTextSetter.h"

#include <gtest/gtest.h>

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

} // namespace

// SPDX-License-Identifier: MIT
#include "epub/content/AnchorRegistry.h"

#include "host/text/Story.h"
#include "host/text/Style.h"
#include "host/text/TextDocument.h"
#include "hostimpl/text/StoryBuilder.h"

#include <gtest/gtest.h>

using namespace EPub;

namespace {

class AnchorRegistryTest : public ::testing::Test {
protected:
    Counted<Text::Story> MakeStory(const char* text) {
        Text::StoryBuilder b(styles_);
        b.Paragraph().Text(text);
        return b.Build();
    }

    Counted<Text::StyleSheet> styles_ = Text::StyleSheet::Make(Text::TextDocument::Make());
    AnchorRegistry registry_;
};

} // namespace

TEST_F(AnchorRegistryTest, AnchorsGetRunningIdsAndLandmarksByName) {
    const auto story = MakeStory("abc");
    const auto& doc = styles_->GetDocument();
    const auto plain = doc->MakeAnchor("plain");
    const auto unnamed = doc->MakeAnchor("");
    const auto body = doc->MakeAnchor("epub:bodymatter");
    registry_.RegisterAnchor("a.xhtml", *plain, story->gbegin());
    registry_.RegisterAnchor("a.xhtml", *unnamed, story->gbegin());
    registry_.RegisterAnchor("a.xhtml", *body, story->gbegin() + 1, "a_2.xhtml");

    EXPECT_EQ(registry_.GetAnchor(*plain).id, "Anchor1");
    EXPECT_EQ(registry_.GetAnchor(*plain).chunk, "a.xhtml");
    EXPECT_TRUE(registry_.GetAnchor(*unnamed).id.empty());
    EXPECT_EQ(registry_.GetAnchor(*body).id, "Anchor2");
    EXPECT_EQ(registry_.GetLandmark(Landmark::BodyMatter).id, "Anchor2");
    EXPECT_TRUE(registry_.GetLandmark(Landmark::Index).id.empty());

    // Registering again replaces the location and takes a new number.
    registry_.RegisterAnchor("b.xhtml", *plain, story->gbegin() + 2);
    EXPECT_EQ(registry_.GetAnchor(*plain).id, "Anchor3");
    EXPECT_EQ(registry_.GetAnchor(*plain).file, "b.xhtml");

    const AnchorLocation toc = registry_.RegisterLandmark("c.xhtml", Landmark::TableOfContents,
                                                          story->gbegin(), "c.xhtml");
    EXPECT_EQ(toc.id, "Anchor4");
    EXPECT_EQ(registry_.GetLandmark(Landmark::TableOfContents).chunk, "c.xhtml");

    EXPECT_EQ(AnchorRegistry::AnchorHref(registry_.GetAnchor(*body), "a_2.xhtml"),
              " href=\"#Anchor2\"");
    // Links are relative to the linking document.
    EXPECT_EQ(AnchorRegistry::AnchorHref(registry_.GetAnchor(*body), "text/other.xhtml"),
              " href=\"../a_2.xhtml#Anchor2\"");
    EXPECT_TRUE(AnchorRegistry::AnchorHref(registry_.GetAnchor(*unnamed), "x").empty());
}

TEST_F(AnchorRegistryTest, PageLookupsByFileStoryAndPosition) {
    const auto one = MakeStory("0123456789");
    const auto two = MakeStory("abcdefghij");
    registry_.RegisterPage("one.xhtml", 1, "i", one->gbegin(), 0);
    registry_.RegisterPage("one.xhtml", 3, "iii", one->gbegin() + 6, 0);
    registry_.RegisterPage("two.xhtml", 2, "ii", two->gbegin() + 2, 0);
    registry_.RegisterPage("two.xhtml", 9, "ix", two->gbegin() + 3, 1);

    EXPECT_EQ(registry_.GetPageAnchor(0, "one.xhtml", 1, nullptr).id, "PageRef1");
    EXPECT_EQ(registry_.GetPageAnchor(0, "one.xhtml", 3, nullptr).label, "iii");
    // Without a story another file of the source supplies the page; with one it must be there.
    EXPECT_EQ(registry_.GetPageAnchor(0, "one.xhtml", 2, nullptr).label, "ii");
    EXPECT_TRUE(registry_.GetPageAnchor(0, "one.xhtml", 2, one.get()).id.empty());
    EXPECT_TRUE(registry_.GetPageAnchor(0, "one.xhtml", 3, two.get()).id.empty());
    EXPECT_TRUE(registry_.GetPageAnchor(0, "unknown.xhtml", 1, nullptr).id.empty());
    EXPECT_EQ(registry_.GetPageAnchor(1, 9).label, "ix");
    EXPECT_TRUE(registry_.GetPageAnchor(1, 2).id.empty());

    EXPECT_EQ(registry_.GetPosForPage(0, "one.xhtml", 3, one.get()), one->gbegin() + 6);
    EXPECT_EQ(registry_.GetMaxPageForAnchor(0, "one.xhtml"), 3);
    EXPECT_EQ(registry_.GetMaxPageForAnchor(0, "none.xhtml"), -1);

    EXPECT_EQ(registry_.GetPageForPos(0, "one.xhtml", one->gbegin()), 1);
    EXPECT_EQ(registry_.GetPageForPos(0, "one.xhtml", one->gbegin() + 5), 1);
    EXPECT_EQ(registry_.GetPageForPos(0, "one.xhtml", one->gbegin() + 6), 3);
    EXPECT_EQ(registry_.GetPageForPos(0, "one.xhtml", one->gbegin() + 9), 3);
    EXPECT_EQ(registry_.GetPageForPos(0, "two.xhtml", two->gbegin() + 1), -1);
    EXPECT_EQ(registry_.GetPageForPos(0, "none.xhtml", one->gbegin()), -1);
}

TEST_F(AnchorRegistryTest, RemappingMovesAnchorsAndPagesIntoTheirChunks) {
    const auto story = MakeStory("0123456789");
    const auto other = MakeStory("x");
    const auto& doc = styles_->GetDocument();
    const auto early = doc->MakeAnchor("early");
    const auto late = doc->MakeAnchor("late");
    const auto elsewhere = doc->MakeAnchor("elsewhere");
    registry_.RegisterAnchor("s.xhtml", *early, story->gbegin() + 1);
    registry_.RegisterAnchor("s.xhtml", *late, story->gbegin() + 5);
    registry_.RegisterAnchor("s.xhtml", *elsewhere, other->gbegin());
    registry_.RegisterPage("s.xhtml", 4, "4", story->gbegin() + 5, 2);

    const std::vector<StoryChunk> chunks{
        StoryChunk("s_2.xhtml", Text::StoryRange(story->gbegin(), story->gbegin() + 5)),
        StoryChunk("s_3.xhtml", Text::StoryRange(story->gbegin() + 5, story->gend()))};
    registry_.RemapFileNames("s.xhtml", chunks);

    EXPECT_EQ(registry_.GetAnchor(*early).chunk, "s_2.xhtml");
    EXPECT_EQ(registry_.GetAnchor(*late).chunk, "s_3.xhtml");
    EXPECT_EQ(registry_.GetAnchor(*elsewhere).chunk, "s.xhtml");
    EXPECT_EQ(registry_.GetPageAnchor(2, "s.xhtml", 4, nullptr).chunk, "s_3.xhtml");
}

// SPDX-License-Identifier: MIT
// The reader's parts where a slip would go unnoticed in whole exports: where front matter ends,
// where a long text is cut, which definitions a piece borrows, and how pictures are sized.

#include "MarkdownFixture.h"

#include "readers/markdown/ChapterChunks.h"
#include "readers/markdown/FrontMatter.h"
#include "readers/markdown/Picture.h"

namespace {

using namespace Readers::Markdown;
using MarkdownTest::MarkdownReading;

TEST(MarkdownFrontMatter, OnlyAKeyedBlockAtTheVeryStartIsFrontMatter) {
    const auto front = ReadFrontMatter("---\r\ntitle: T\r\n...\r\n# Body\r\n", "b.md");
    ASSERT_TRUE(front.title);
    EXPECT_EQ(front.title->value, "T");
    EXPECT_EQ(front.bodyLine, 4);
    EXPECT_EQ(std::string("---\r\ntitle: T\r\n...\r\n# Body\r\n").substr(front.bodyOffset),
              "# Body\r\n");
    // A rule, a rule and a blank line, an unclosed block, a block not at the start: Markdown.
    for (const char* text : {"---\n", "---\n\ntitle: T\n---\n", "---\ntitle: T\n",
                             "\n---\ntitle: T\n---\n", "---\n- a\n- b\n---\n"}) {
        const auto none = ReadFrontMatter(text, "b.md");
        EXPECT_FALSE(none.title) << text;
        EXPECT_EQ(none.bodyOffset, 0u) << text;
    }
    // Empty values are left out rather than read as empty text.
    const auto empty = ReadFrontMatter("---\ntitle:\nauthor: []\n---\n", "b.md");
    EXPECT_FALSE(empty.title);
    EXPECT_TRUE(empty.authors.empty());
}

TEST(MarkdownChapterChunks, LongTextsAreCutBeforeChapterHeadingsOutsideCode) {
    const std::string filler(kChunkThreshold, 'x');
    const std::string text = filler + "\n# One\n~~~~\n# in code\n~~~\n# still code\n~~~~\n" +
                             "## Two\n#Not a heading\n# Three\n";
    const auto level1 = SplitChapters(text, 1);
    ASSERT_EQ(level1.size(), 3u);
    EXPECT_EQ(text.substr(level1[1].begin, 5), "# One");
    EXPECT_EQ(level1[1].firstLine, 2);
    EXPECT_EQ(text.substr(level1[2].begin), "# Three\n");
    EXPECT_EQ(level1[2].firstLine, 10);
    for (size_t i = 1; i < level1.size(); ++i)
        EXPECT_EQ(level1[i - 1].end, level1[i].begin);
    EXPECT_EQ(SplitChapters(text, 2).size(), 4u);
    EXPECT_EQ(SplitChapters(text, 0).size(), 1u);
    EXPECT_EQ(SplitChapters("# a\n# b\n", 1).size(), 1u); // short: parsed whole
}

TEST(MarkdownChapterChunks, PiecesBorrowOnlyTheDefinitionsTheyUseFromElsewhere) {
    const std::string filler(kChunkThreshold, 'x');
    const std::string text = filler + "\n[Shared]: /one\n[^n]: Note\n    more note\n\nafter\n" +
                             "# Next\nUses [shared] and [^n], not [other].\n[^own]: Own\n";
    const auto chunks = SplitChapters(text, 1);
    ASSERT_EQ(chunks.size(), 2u);
    EXPECT_EQ(chunks[0].extra, "");
    EXPECT_EQ(chunks[1].extra, "\n\n[Shared]: /one\n\n\n[^n]: Note\n    more note\n\n");
}

TEST_F(MarkdownReading, PicturesAreSizedFromTheirPixelsAndCheckedBeforeUse) {
    // 1200 pixels wide: scaled to the page's 432 points, its shape kept.
    std::filesystem::copy_file(std::filesystem::path(EPUB_SOURCE_DIR) / "examples/cover.png",
                               Path("cover.png"));
    const auto png = LoadPicture(dir_, "cover.png", "alt");
    ASSERT_TRUE(std::holds_alternative<Text::FrameSettings>(png)) << std::get<std::string>(png);
    const auto& frame = std::get<Text::FrameSettings>(png);
    EXPECT_LE(frame.width, 432);
    EXPECT_GT(frame.height, 0);

    Write("box.svg", "<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 200 100'/>");
    const auto svg = LoadPicture(dir_, "box%2Esvg?v=1#top", "alt");
    ASSERT_TRUE(std::holds_alternative<Text::FrameSettings>(svg)) << std::get<std::string>(svg);
    EXPECT_DOUBLE_EQ(std::get<Text::FrameSettings>(svg).width, 150);
    EXPECT_DOUBLE_EQ(std::get<Text::FrameSettings>(svg).height, 75);

    Write("script.svg", "<svg xmlns='http://www.w3.org/2000/svg'><script>x()</script></svg>");
    Write("outside.svg", "<svg xmlns='http://www.w3.org/2000/svg' "
                         "xmlns:xlink='http://www.w3.org/1999/xlink'><image "
                         "xlink:href='other.png'/></svg>");
    for (const char* bad :
         {"script.svg", "outside.svg", "missing.png", "/abs.png", "http://example.com/a.png", ""})
        EXPECT_TRUE(std::holds_alternative<std::string>(LoadPicture(dir_, bad, "alt"))) << bad;
}

} // namespace

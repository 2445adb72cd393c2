// SPDX-License-Identifier: MIT
// The tree's separate items: a reader can free a story's values without touching the others.

#include "cli/JsonInput.h"
#include "cli/JsonValue.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using Cli::JsonDocument;

TEST(JsonDocument, ReleasingAnItemLeavesItsNeighboursAndTheRestIntact) {
    std::string text = R"({"styles": [{"name": "Body"}], "stories": [)";
    for (int i = 0; i < 3; ++i) {
        if (i)
            text += ", ";
        // Enough text for several blocks each, and empty values that need none.
        text += R"({"file": "s)" + std::to_string(i) + R"(", "paragraphs": [)";
        for (int p = 0; p < 3000; ++p)
            text += (p ? ", \"" : "\"") + std::string(20, static_cast<char>('a' + i)) + "\"";
        text += R"(], "empty": "", "none": {}, "nothing": []})";
    }
    text += R"(, 5], "title": "T"})";
    JsonDocument::Options options;
    options.separateItems = "stories";
    JsonDocument doc = JsonDocument::Parse(text, "in.json", options);

    doc.ReleaseItem(1);
    doc.ReleaseItem(3); // a number: nothing to free
    doc.ReleaseItem(7); // no such item
    // Whatever reuses the freed memory must not show through the other items.
    std::vector<std::unique_ptr<char[]>> reuse;
    for (int i = 0; i < 64; ++i) {
        reuse.push_back(std::make_unique<char[]>(16 * 1024));
        std::memset(reuse.back().get(), 'x', 16 * 1024);
    }

    const Cli::JsonValue& root = doc.Root();
    EXPECT_EQ(root.at("title").get<std::string>(), "T");
    EXPECT_EQ(root.at("styles").at(0).at("name").get<std::string>(), "Body");
    const Cli::JsonValue& stories = root.at("stories");
    ASSERT_EQ(stories.size(), 4u);
    for (const size_t i : {size_t{0}, size_t{2}}) {
        const Cli::JsonValue& story = stories.at(i);
        EXPECT_EQ(story.at("file").get<std::string>(), "s" + std::to_string(i));
        const Cli::JsonValue& paragraphs = story.at("paragraphs");
        ASSERT_EQ(paragraphs.size(), 3000u);
        const std::string expected(20, static_cast<char>('a' + i));
        for (size_t p = 0; p < paragraphs.size(); ++p)
            ASSERT_EQ(paragraphs.at(p).get<std::string>(), expected) << i << ", " << p;
        EXPECT_EQ(story.at("empty").get<std::string>(), "");
        EXPECT_TRUE(story.at("none").empty());
        EXPECT_EQ(story.at("nothing").size(), 0u);
    }
    EXPECT_EQ(stories.at(3).get<int64_t>(), 5);
}

TEST(JsonDocument, KeptTextServesPlainStringsAndReleasedItemsNameTheirText) {
    auto text = std::make_shared<const std::string>(
        R"({"stories": [{"text": "plain"}, {"text": "caf\u00e9 \"q\""}, ["x"]]})");
    std::vector<std::pair<size_t, size_t>> released;
    JsonDocument::Options options;
    options.separateItems = "stories";
    options.keepText = text;
    options.releaseText = [&](size_t begin, size_t end) { released.emplace_back(begin, end); };
    JsonDocument doc = JsonDocument::Parse(*text, "in.json", options);
    const Cli::JsonValue& stories = doc.Root().at("stories");
    EXPECT_EQ(stories.at(0).at("text").get<std::string>(), "plain");
    EXPECT_EQ(stories.at(1).at("text").get<std::string>(), "caf\xC3\xA9 \"q\"");
    EXPECT_EQ(stories.at(2).at(0).get<std::string>(), "x");
    for (size_t i = 0; i < 3; ++i)
        doc.ReleaseItem(i);
    // Each item's range is the item's own text, brackets included.
    ASSERT_EQ(released.size(), 3u);
    EXPECT_EQ(text->substr(released[0].first, released[0].second - released[0].first),
              R"({"text": "plain"})");
    EXPECT_EQ(text->substr(released[2].first, released[2].second - released[2].first), R"(["x"])");
}

} // namespace

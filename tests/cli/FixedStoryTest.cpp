// SPDX-License-Identifier: MIT
// Stories on fixed-layout pages: text that flows through a chain of frames, the structure its
// paragraphs get on the pages, and what a document may not ask of a chain.

#include "cli/ToolFixture.h"

#include <pugixml.hpp>

namespace {

using ToolTest::Result;

const char* kStory = R"("stories": {"quay": {
    "character": {"fontFamily": "DejaVu Sans", "size": 12},
    "paragraphs": [
      {"text": "Tides", "heading": 2},
      {"text": "The boats come in at dusk and leave before dawn, past the breakwater and the gulls, and the harbour is still again by the time the town wakes up."},
      {"text": "See the chart", "character": {"hyperlink": {"page": 1}}}]}})";

std::string Document(const std::string& stories, const std::string& first,
                     const std::string& second) {
    return R"({"layout": "fixed", "options": {"cover": false},
  "metadata": {"title": "Story", "language": "en",
               "identifier": "urn:uuid:11111111-2222-4333-8444-555555555555"},)" +
           stories + R"(,
  "pages": [{"width": 200, "height": 300, "items": [)" +
           first + R"(]}, {"width": 200, "height": 300, "items": [)" + second + "]}]}";
}

const char* kFirst = R"({"type": "textFrame", "x": 10, "y": 10, "width": 100, "height": 60,
                         "story": "quay"})";
const char* kSecond = R"({"type": "textFrame", "x": 10, "y": 10, "width": 180, "height": 200,
                          "story": "quay"})";

class FixedStory : public ToolTest::Tool {
protected:
    // The text of each p and h element of a page, its tag first.
    std::vector<std::string> Blocks(const std::string& entry) {
        pugi::xml_document page;
        EXPECT_TRUE(page.load_string(Entries(dir_ / "out.epub").at(entry).c_str(),
                                     pugi::parse_default | pugi::parse_ws_pcdata));
        std::vector<std::string> blocks;
        for (const auto& found : page.select_nodes("//*[local-name()='p' or local-name()='h2']"))
            blocks.push_back(std::string(found.node().name()) + ":" + Text(found.node()));
        return blocks;
    }
    // As copied or read aloud: the lines' text with what ends each line, trimmed.
    static std::string Text(const pugi::xml_node& node) {
        std::string text;
        for (const auto& span : node.select_nodes(".//*[local-name()='span' and not(*)]"))
            text += span.node().child_value();
        const auto first = text.find_first_not_of(' '), last = text.find_last_not_of(' ');
        return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
    }
};

// The story starts in the first frame and goes on in the next page's, each paragraph's share of
// a page one element; its link still leads where it did.
TEST_F(FixedStory, AStoryGoesOnInItsNextFrameWithItsStructureAndLinks) {
    const Result r = Export(Document(kStory, kFirst, kSecond));
    ASSERT_EQ(r.status, 0) << r.err;
    const auto first = Blocks("OEBPS/page1.xhtml"), second = Blocks("OEBPS/page2.xhtml");
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[0], "h2:Tides");
    EXPECT_TRUE(first[1].starts_with("p:The boats")) << first[1];
    ASSERT_EQ(second.size(), 2u);
    EXPECT_TRUE(second[0].ends_with("by the time the town wakes up.")) << second[0];
    EXPECT_EQ(first[1] + " " + second[0].substr(2),
              "p:The boats come in at dusk and leave before "
              "dawn, past the breakwater and the gulls, and "
              "the harbour is still again by the time the town "
              "wakes up.");
    EXPECT_EQ(second[1], "p:See the chart");
    const std::string page2 = Entries(dir_ / "out.epub").at("OEBPS/page2.xhtml");
    EXPECT_NE(page2.find("href=\"page1.xhtml\""), std::string::npos);
    EXPECT_NE(page2.find("<title>Page 2</title>"), std::string::npos);
}

// A chain's faults are refused with their place.
TEST_F(FixedStory, ChainsThatCannotBeSetAreRefusedWithTheirPlace) {
    const auto refused = [&](const std::string& json, const std::string& where) {
        const Result r = ExpectRefused(json);
        EXPECT_NE(r.err.find(where), std::string::npos) << r.err;
    };
    refused(Document(kStory, kFirst, ""),
            "$.pages[0].items[0]: text of the story \"quay\" is left over after its last frame");
    refused(Document(kStory, "", ""), "$.stories.quay: the story \"quay\" is in no frame");
    std::string unknown = kSecond;
    unknown.replace(unknown.find("quay"), 4, "dock");
    refused(Document(kStory, kFirst, unknown), "$.pages[1].items[0].story: no story named");
    std::string both = kSecond;
    both.replace(both.find("\"story\""), 0, R"("paragraphs": [], )");
    refused(Document(kStory, kFirst, both), "$.pages[1].items[0].paragraphs: a frame that shows");
    std::string level = kStory;
    level.replace(level.find("\"heading\": 2"), 12, "\"heading\": 7");
    refused(Document(level, kFirst, kSecond), "$.stories.quay.paragraphs[0].heading: must be");
    refused(Document(kStory, kFirst, std::string(kSecond) + R"(, {"type": "rect", "x": 0, "y": 0,
              "width": 9, "height": 9, "fill": "#000000", "wrap": {"outline": true}})"),
            "$.pages[1].items[1].wrap.outline: only a path");
}

// A picture stacked above a frame pushes its lines aside; one below it does not.
TEST_F(FixedStory, WrapAffectsOnlyFramesBelowThePicture) {
    const std::string picture = R"({"type": "rect", "x": 10, "y": 10, "width": 60,
                                    "height": 300, "fill": "#336699", "wrap": true})";
    const auto leftmost = [&](const std::string& items) {
        const Result r = Export(Document(kStory, kFirst, items));
        EXPECT_EQ(r.status, 0) << r.err;
        const std::string css = Entries(dir_ / "out.epub").at("OEBPS/css/page2.css");
        // Of the text lines' boxes, which alone set a line height.
        double least = 1e9;
        for (size_t at = css.find("line-height: "); at != std::string::npos;
             at = css.find("line-height: ", at + 1)) {
            const size_t left = css.find("left: ", at);
            least = std::min(least, std::stod(css.substr(left + 6)));
        }
        return least;
    };
    EXPECT_LT(leftmost(picture + ", " + kSecond), 15);
    EXPECT_GE(leftmost(std::string(kSecond) + ", " + picture), 70);
    // A frame in a moved group is pushed by where the picture is on the page.
    const double moved =
        leftmost(R"({"type": "group", "transform": {"translate": [50, 0]}, "items": [
                       {"type": "textFrame", "x": 0, "y": 10, "width": 140, "height": 280,
                        "story": "quay"}]}, )" +
                 picture);
    EXPECT_GE(moved, 70);
    EXPECT_LT(moved, 75);
}

} // namespace

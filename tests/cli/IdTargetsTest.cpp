// SPDX-License-Identifier: MIT
// Every id is written once, and every link or label that names one finds it, even where block
// content cuts a paragraph that carries an id into several elements or landmark sections meet
// decoration wrappers.

#include "cli/ToolFixture.h"

#include <set>

namespace {

using ToolTest::Tool;

class IdTargets : public Tool {
protected:
    pugi::xml_document ExportDocument(const std::string& json, const std::string& entry) {
        const auto r = Export(json);
        EXPECT_EQ(r.status, 0) << r.err;
        pugi::xml_document doc;
        const std::string xhtml = Entries(dir_ / "out.epub")["OEBPS/" + entry];
        EXPECT_TRUE(Parse(doc, xhtml)) << xhtml;
        ExpectIdsResolve(doc, xhtml);
        return doc;
    }

    // Ids are unique, and fragment links and aria-labelledby name one of them.
    static void ExpectIdsResolve(const pugi::xml_document& doc, const std::string& xhtml) {
        std::set<std::string> ids;
        for (const auto& node : doc.select_nodes("//*[@id]"))
            EXPECT_TRUE(ids.insert(node.node().attribute("id").value()).second)
                << "repeated id " << node.node().attribute("id").value() << "\n"
                << xhtml;
        for (const auto& node : doc.select_nodes("//*[@aria-labelledby]"))
            EXPECT_TRUE(ids.count(node.node().attribute("aria-labelledby").value())) << xhtml;
        for (const auto& node : doc.select_nodes("//a[starts-with(@href, '#')]"))
            EXPECT_TRUE(ids.count(node.node().attribute("href").value() + 1)) << xhtml;
    }

    static std::string TextOf(const pugi::xml_document& doc, const std::string& id) {
        return doc.select_node(("//*[@id='" + id + "']").c_str()).node().text().as_string();
    }
};

const char* const kTable = R"({"table": {"columns": [50], "rows": [["cell"]]}})";

TEST_F(IdTargets, BlockContentLeavesTheIdWithTheParagraphsFirstPart) {
    const std::string json = std::string(R"({"stories": [{"file": "a.xhtml",
        "landmark": "preface", "paragraphs": [
        {"text": "opening", "runs": [)") +
                             kTable + R"(, "closing"]},
        {"rangeNoteBody": "r", "text": "body", "runs": [)" +
                             kTable + R"(, "after"]},
        {"runs": ["see", {"rangeNote": "r"}]}]}]})";
    const pugi::xml_document doc = ExportDocument(json, "a.xhtml");
    // The section is named by its first paragraph, the note's reference leads to the body.
    const auto section = doc.select_node("//section").node();
    EXPECT_EQ(TextOf(doc, section.attribute("aria-labelledby").value()), "opening");
    const std::string href =
        doc.select_node("//a[@epub:type='noteref']").node().attribute("href").value();
    EXPECT_EQ(doc.select_node(("//*[@id='" + href.substr(href.find('#') + 1) + "']").c_str())
                  .node()
                  .child_value(),
              std::string("body"));
}

TEST_F(IdTargets, ASectionOfListItemsIsNamedByItsFirstItem) {
    const pugi::xml_document doc = ExportDocument(R"({"styles": [{"name": "T",
        "paragraph": {"tableOfContents": "tables", "list": {"level": 1}}}],
        "stories": [{"file": "b.xhtml", "paragraphs": [{"style": "T", "text": "one"},
                                                       {"style": "T", "text": "two"}]}]})",
                                                  "b.xhtml");
    const auto section = doc.select_node("//section[@aria-labelledby]").node();
    ASSERT_TRUE(section);
    const auto label = doc.select_node(
        ("//*[@id='" + std::string(section.attribute("aria-labelledby").value()) + "']").c_str());
    EXPECT_STREQ(label.node().name(), "li");
}

// The contents mark opens its section, which the story's own landmark closes at once.
TEST_F(IdTargets, ASectionWithoutParagraphsIsNamedByItsLandmark) {
    const pugi::xml_document doc = ExportDocument(R"({"stories": [{"file": "d.xhtml",
        "landmark": "preface", "paragraphs": [
        {"paragraph": {"tableOfContents": "contents"}, "text": "Contents"}]}]})",
                                                  "d.xhtml");
    const auto section = doc.select_node("//section[@role='doc-toc']").node();
    ASSERT_TRUE(section);
    EXPECT_EQ(TextOf(doc, section.attribute("aria-labelledby").value()), "Table of Contents");
}

// A paragraph holding only a frame leaves no element of its own to carry the section's label.
TEST_F(IdTargets, ASectionStartingWithAFrameIsNamedByTheParagraphAfterIt) {
    const pugi::xml_document doc = ExportDocument(R"({"stories": [{"file": "f.xhtml",
        "paragraphs": ["before", {"paragraph": {"tableOfContents": "contents"},
        "runs": [{"frame": {"width": 50, "height": 50, "paragraphs": ["framed"]}}]},
        {"paragraph": {"tableOfContents": "contents"}, "text": "after the frame"}]}]})",
                                                  "f.xhtml");
    const auto section = doc.select_node("//section").node();
    ASSERT_TRUE(section);
    EXPECT_EQ(TextOf(doc, section.attribute("aria-labelledby").value()), "after the frame");
}

// The index mark opens a section around the decorated run; the story's start opens the next.
TEST_F(IdTargets, ASectionNeverEndsInsideADecorationWrapper) {
    const pugi::xml_document doc = ExportDocument(R"({"stories": [{"file": "k.xhtml",
        "landmark": "epilogue", "paragraphs": [{"text": "entry",
        "paragraph": {"index": 1, "decorations": [{"colour": "#561731"}]}}]}]})",
                                                  "k.xhtml");
    EXPECT_TRUE(doc.select_node("//section[@role='doc-epilogue']/div/p[. = 'entry']"));
}

} // namespace

// SPDX-License-Identifier: MIT
// What a reader of the tool's EPUBs notices of the library's work: texts in the book's language,
// the cover as given, style sheets a split document needs, and notes kept beside their text.

#include "tests/cli/ToolFixture.h"

#include <filesystem>

namespace {

using ToolTest::Result;
using ToolTest::Tool;

class LibraryBehaviour : public Tool {
protected:
    pugi::xml_document Document(const std::map<std::string, std::string>& entries,
                                const std::string& name) {
        pugi::xml_document doc;
        const auto it = entries.find(name);
        EXPECT_NE(it, entries.end()) << name;
        if (it != entries.end()) {
            EXPECT_TRUE(Parse(doc, it->second)) << it->second;
        }
        return doc;
    }

    static std::string Text(const pugi::xml_document& doc, const std::string& xpath) {
        return doc.select_node(xpath.c_str()).node().child_value();
    }
};

TEST_F(LibraryBehaviour, AFrenchBookIsNavigatedInFrench) {
    std::filesystem::copy_file(std::string(EPUB_SOURCE_DIR) + "/examples/cover.jpg",
                               dir_ / "cover.jpg");
    const Result r = Export(R"({
      "metadata": {"title": "Le Port", "language": "fr-CA", "pageSource": "978-0-00-000000-2"},
      "cover": {"image": "cover.jpg"},
      "styles": [{"name": "Titre", "epubTag": {"element": "h1"}}],
      "stories": [{"file": "a.xhtml", "toc": "Un", "page": "1",
                   "paragraphs": [{"style": "Titre", "text": "Un"}, "Bonjour."]}]
    })");
    ASSERT_EQ(r.status, 0) << r.err;
    const auto entries = Entries(dir_ / "out.epub");
    const auto nav = Document(entries, "OEBPS/toc.xhtml");
    EXPECT_EQ(Text(nav, "//*[@epub:type='toc']/*[local-name()='h2']"), "Table des matières");
    EXPECT_EQ(Text(nav, "//*[@epub:type='page-list']/*[local-name()='h2']"), "Liste des pages");
    EXPECT_EQ(Text(nav, "//*[@epub:type='landmarks']/*[local-name()='h2']"), "Repères");
    EXPECT_EQ(Text(nav, "//*[local-name()='a'][@epub:type='cover']"), "Couverture");
    const auto cover = Document(entries, "OEBPS/cover.xhtml");
    EXPECT_EQ(Text(cover, "//*[local-name()='title']"), "Couverture");
    // No alternative text was given: the picture is named as a cover, in French.
    EXPECT_STREQ(cover.select_node("//*[local-name()='img']").node().attribute("alt").value(),
                 "Couverture");
    const auto opf = Document(entries, "OEBPS/package.opf");
    EXPECT_NE(
        Text(opf, "//*[@property='schema:accessibilitySummary']").find("Vérifié automatiquement"),
        std::string::npos);
}

TEST_F(LibraryBehaviour, TheNovelsCoverKeepsItsJpegBytes) {
    const std::string examples = std::string(EPUB_SOURCE_DIR) + "/examples/";
    for (const char* name : {"novel.json", "cover.jpg"})
        std::filesystem::copy_file(examples + name, dir_ / name);
    const Result r = Run("'" + std::string(dir_ / "novel.json") + "' -o '" +
                         std::string(dir_ / "novel.epub") + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    const auto entries = Entries(dir_ / "novel.epub");
    const auto image = entries.find("OEBPS/images/cover.jpg");
    ASSERT_NE(image, entries.end());
    EXPECT_EQ(image->second, Read(examples + "cover.jpg"));
    const auto opf = Document(entries, "OEBPS/package.opf");
    EXPECT_STREQ(
        opf.select_node("//*[@properties='cover-image']").node().attribute("media-type").value(),
        "image/jpeg");
}

// The second document holds nothing but a table whose cell shows a picture: it must link the
// style sheet that gives the picture its size.
TEST_F(LibraryBehaviour, EverySplitDocumentLinksTheStyleSheetsItsContentNeeds) {
    std::filesystem::copy_file(std::string(EPUB_SOURCE_DIR) + "/examples/cover.png",
                               dir_ / "cover.png");
    const Result r = Export(R"({
      "metadata": {"title": "Split", "language": "en"},
      "options": {"splitStories": true},
      "stories": [{"file": "a.xhtml", "paragraphs": [
        "First.",
        {"runs": [{"break": "page"}]},
        {"runs": [{"table": {"columns": [200], "rows": [[{"paragraphs": [{"runs": [
          {"image": "cover.png", "width": 40, "height": 60, "alt": "A harbour"}]}]}]]}}]},
        {"runs": ["Note", {"footnote": [{"runs": [{"image": "cover.png", "width": 10,
                                                   "height": 15, "alt": "Small"}]}]}]}
      ]}]
    })");
    ASSERT_EQ(r.status, 0) << r.err;
    const auto entries = Entries(dir_ / "out.epub");
    ASSERT_TRUE(entries.contains("OEBPS/a_2.xhtml"));
    const auto second = Document(entries, "OEBPS/a_2.xhtml");
    bool images = false;
    for (const auto& link : second.select_nodes("//*[local-name()='link']"))
        images = images || std::string(link.node().attribute("href").value()) == "css/images.css";
    EXPECT_TRUE(images) << entries.at("OEBPS/a_2.xhtml");
}

TEST_F(LibraryBehaviour, AllNotesInlineKeepsEachNoteBesideItsParagraph) {
    const std::string json = R"({
      "metadata": {"title": "Notes", "language": "en"},
      "options": {"allNotesInline": ALL},
      "stories": [{"file": "a.xhtml", "paragraphs": [
        {"runs": ["One", {"endnote": "Endnote text."}]},
        "Two.",
        {"runs": ["Three", {"footnote": "Footnote text."}]},
        "Four."
      ]}]
    })";
    for (const bool all : {false, true}) {
        std::string text = json;
        text.replace(text.find("ALL"), 3, all ? "true" : "false");
        const Result r = Export(text);
        ASSERT_EQ(r.status, 0) << r.err;
        const std::string doc = Entries(dir_ / "out.epub").at("OEBPS/a.xhtml");
        const size_t endnote = doc.find("Endnote text.");
        const size_t footnote = doc.find("Footnote text.");
        ASSERT_NE(endnote, std::string::npos) << doc;
        ASSERT_NE(footnote, std::string::npos) << doc;
        if (all) {
            EXPECT_LT(endnote, doc.find("Two.")) << doc;
            EXPECT_LT(footnote, doc.find("Four.")) << doc;
        } else {
            EXPECT_GT(endnote, doc.find("Four.")) << doc;
            EXPECT_GT(footnote, doc.find("Four.")) << doc;
        }
    }
    const auto bad = ExpectRefused(R"({"metadata": {"title": "x"}, "options": {"allNotesInline": 1},
                                      "stories": [{"file": "a.xhtml", "paragraphs": ["x"]}]})");
    EXPECT_NE(bad.err.find("allNotesInline"), std::string::npos) << bad.err;
}

} // namespace

// SPDX-License-Identifier: MIT
// What the format reference promises about a document's output: line breaks, titles, split
// documents, identifiers, page links and the publication's language.

#include "cli/ToolFixture.h"
#include "epub/package/FontObfuscation.h"

#include <filesystem>
#include <regex>

namespace {

using ToolTest::Tool;

class Promises : public Tool {
protected:
    std::map<std::string, std::string> ExportOk(const std::string& json) {
        const auto r = Export(json);
        EXPECT_EQ(r.status, 0) << r.err;
        return r.status == 0 ? Entries(dir_ / "out.epub") : std::map<std::string, std::string>{};
    }

    // The text of the first node `xpath` selects, with that of its descendants.
    static std::string Select(const std::string& xml, const char* xpath) {
        pugi::xml_document doc;
        if (!Parse(doc, xml))
            return "<not XML>";
        return pugi::xpath_query(("string(" + std::string(xpath) + ")").c_str())
            .evaluate_string(doc);
    }
};

TEST_F(Promises, ForcedLineBreaksStayAndStoryTitlesTitleTheirDocuments) {
    auto e = ExportOk(R"({"metadata": {"title": "Book"}, "stories": [
        {"file": "a.xhtml", "title": "Poem", "paragraphs": ["one\u000btwo\u2028three"]},
        {"file": "b.xhtml", "paragraphs": ["plain"]}]})");
    pugi::xml_document doc;
    ASSERT_TRUE(Parse(doc, e["OEBPS/a.xhtml"]));
    EXPECT_EQ(doc.select_nodes("//br").size(), 2u) << e["OEBPS/a.xhtml"];
    EXPECT_EQ(Select(e["OEBPS/a.xhtml"], "//title"), "Poem");
    EXPECT_EQ(Select(e["OEBPS/b.xhtml"], "//title"), "Book");
    // The document can still ask for them to go.
    e = ExportOk(R"({"options": {"removeLineBreaks": true},
        "stories": [{"file": "a.xhtml", "paragraphs": ["one\u000btwo"]}]})");
    ASSERT_TRUE(Parse(doc, e["OEBPS/a.xhtml"]));
    EXPECT_EQ(doc.select_nodes("//br").size(), 0u);
}

TEST_F(Promises, EveryPageLevelBreakStartsADocumentOfItsOwn) {
    const char* heading = R"({"name": "H", "paragraph": {"startPosition": "nextPage"}})";
    const auto count = [](const std::map<std::string, std::string>& e) {
        std::vector<std::string> names;
        for (const auto& [name, data] : e)
            if (name.starts_with("OEBPS/book"))
                names.push_back(name.substr(6));
        return names;
    };
    auto e = ExportOk(std::string(R"({"options": {"splitStories": true}, "styles": [)") + heading +
                      R"(], "stories": [{"file": "book.xhtml", "paragraphs": [
        "intro", {"style": "H", "text": "Two"}]}]})");
    EXPECT_EQ(count(e), (std::vector<std::string>{"book.xhtml", "book_2.xhtml"}));
    EXPECT_EQ(Select(e["OEBPS/book_2.xhtml"], "//p"), "Two");

    e = ExportOk(std::string(R"({"options": {"splitStories": true}, "styles": [)") + heading +
                 R"(], "stories": [{"file": "book.xhtml", "paragraphs": [
        {"style": "H", "text": "One"}, "a", {"style": "H", "text": "Two"}, "b",
        {"runs": ["c", {"break": "page"}, "Three"]}]}]})");
    EXPECT_EQ(count(e), (std::vector<std::string>{"book.xhtml", "book_2.xhtml", "book_3.xhtml"}));
    EXPECT_EQ(Select(e["OEBPS/book.xhtml"], "//p"), "One");
    EXPECT_EQ(Select(e["OEBPS/book_2.xhtml"], "//p"), "Two");
    EXPECT_NE(e["OEBPS/book_3.xhtml"].find("Three"), std::string::npos);
    // Every document is in the reading order.
    for (const char* name : {"book.xhtml", "book_2.xhtml", "book_3.xhtml"})
        EXPECT_NE(e["OEBPS/package.opf"].find(std::string("href=\"") + name), std::string::npos);
}

TEST_F(Promises, AnEmptyIdentifierAndTitleAreFilledIn) {
    auto e = ExportOk(R"({"metadata": {"identifier": "", "title": ""},
        "stories": [{"file": "a.xhtml", "paragraphs": ["x"]}]})");
    const std::string id = Select(e["OEBPS/package.opf"], "//*[local-name()='identifier']");
    EXPECT_TRUE(std::regex_match(
        id,
        std::regex("urn:uuid:[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}")))
        << id;
    // The input was in.json.
    EXPECT_EQ(Select(e["OEBPS/package.opf"], "//*[local-name()='title']"), "in");
    EXPECT_EQ(Select(e["OEBPS/toc.xhtml"], "//title"), "in");
}

// The generated identifier is the one the fonts are obfuscated with.
TEST_F(Promises, FontsAreObfuscatedWithTheGeneratedIdentifier) {
    const char* font = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";
    if (!std::filesystem::exists(font))
        GTEST_SKIP() << "DejaVu Sans Mono is not installed";
    std::filesystem::copy_file(font, dir_ / "mono.ttf");
    auto e = ExportOk(R"({"fonts": ["mono.ttf"], "options": {"subsetFonts": false},
        "styles": [{"name": "M", "character": {"fontFamily": "DejaVu Sans Mono"}}],
        "stories": [{"file": "a.xhtml", "paragraphs": [{"style": "M", "text": "code"}]}]})");
    const std::string id = Select(e["OEBPS/package.opf"], "//*[local-name()='identifier']");
    ASSERT_EQ(id.rfind("urn:uuid:", 0), 0u) << id;
    std::string data = e["OEBPS/font/mono.ttf"];
    const std::string original = Read(dir_ / "mono.ttf");
    ASSERT_EQ(data.size(), original.size());
    EXPECT_NE(data.substr(0, 1040), original.substr(0, 1040));
    EPub::ObfuscateFont(std::span(reinterpret_cast<uint8_t*>(data.data()), data.size()),
                        EPub::MakeFontKey(id));
    EXPECT_TRUE(data == original);
}

// A collection is not a font a reading system can load: the family's face is stored alone, named
// as a plain font.
TEST_F(Promises, ACollectionIsEmbeddedAsTheFaceInUse) {
    const char* font = "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc";
    if (!std::filesystem::exists(font))
        GTEST_SKIP() << "WenQuanYi Zen Hei is not installed";
    std::filesystem::copy_file(font, dir_ / "zh.ttc");
    auto e = ExportOk(R"({"fonts": ["zh.ttc"], "metadata": {"identifier": "urn:uuid:x"},
        "styles": [{"name": "Z", "character": {"fontFamily": "WenQuanYi Zen Hei"}}],
        "stories": [{"file": "a.xhtml", "paragraphs": [{"style": "Z", "text": "z"}]}]})");
    ASSERT_TRUE(e.contains("OEBPS/font/zh.ttf")) << "no font entry";
    std::string data = e["OEBPS/font/zh.ttf"];
    EPub::ObfuscateFont(std::span(reinterpret_cast<uint8_t*>(data.data()), data.size()),
                        EPub::MakeFontKey("urn:uuid:x"));
    EXPECT_EQ(data.substr(0, 4), std::string("\0\1\0\0", 4));
    EXPECT_LT(data.size(), std::filesystem::file_size(font));
}

TEST_F(Promises, ChapterPageLinksResolveIntoOtherDocuments) {
    auto e = ExportOk(R"({"stories": [
        {"file": "one.xhtml", "page": "i", "paragraphs": [
            {"runs": [{"text": "to three", "character": {"hyperlink": {"chapter": 2, "page": 2}}}]},
            {"runs": [{"text": "to first", "character": {"hyperlink": {"page": 1}}}]}]},
        {"file": "two.xhtml", "page": "ii", "paragraphs": ["x", {"page": "iii", "text": "y"}]}]})");
    pugi::xml_document one, two;
    ASSERT_TRUE(Parse(one, e["OEBPS/one.xhtml"]));
    ASSERT_TRUE(Parse(two, e["OEBPS/two.xhtml"]));
    const std::string href = one.select_node("//a[.='to three']").node().attribute("href").value();
    ASSERT_EQ(href.substr(0, href.find('#')), "two.xhtml") << e["OEBPS/one.xhtml"];
    const auto target =
        two.select_node(("//*[@id='" + href.substr(href.find('#') + 1) + "']").c_str()).node();
    EXPECT_STREQ(target.attribute("aria-label").value(), "iii");
    const std::string first = one.select_node("//a[.='to first']").node().attribute("href").value();
    EXPECT_EQ(first.front(), '#');
}

TEST_F(Promises, ALinkToAPageThatDoesNotExistIsAnInputError) {
    const char* cases[][2] = {
        {R"({"chapter": 2, "page": 1})", "story 2 has no page 1"},
        {R"({"chapter": 5, "page": 1})", "there is no story 5"},
        {R"({"page": 3})", "there is no page 3"},
        {R"({"chapter": 0, "page": 1})", "must be between 1"},
    };
    for (const auto& [link, message] : cases) {
        SCOPED_TRACE(link);
        const auto r = ExpectRefused(std::string(R"({"stories": [
            {"file": "a.xhtml", "page": "1", "paragraphs": [{"runs": [{"text": "x",
              "character": {"hyperlink": )") +
                                     link + R"(}}]}]},
            {"file": "b.xhtml", "paragraphs": ["y"]}]})");
        EXPECT_NE(r.err.find("$.stories[0].paragraphs[0].runs[0].character.hyperlink"),
                  std::string::npos)
            << r.err;
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    }
}

TEST_F(Promises, ThePublicationIsInTheLanguageMostOfItsTextIsIn) {
    auto e = ExportOk(R"({"metadata": {"language": "en"}, "stories": [
        {"file": "a.xhtml", "paragraphs": [{"character": {"language": "fr"},
            "text": "Il \u00e9tait une fois une longue histoire en fran\u00e7ais."}, "Short."]}]})");
    EXPECT_EQ(Select(e["OEBPS/package.opf"], "//*[local-name()='language']"), "fr");
    pugi::xml_document doc;
    ASSERT_TRUE(Parse(doc, e["OEBPS/a.xhtml"]));
    EXPECT_STREQ(doc.child("html").attribute("xml:lang").value(), "fr");
    // The English paragraph says so.
    EXPECT_STREQ(doc.select_node("//p[.='Short.']").node().attribute("xml:lang").value(), "en");
}

} // namespace

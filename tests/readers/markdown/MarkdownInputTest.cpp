// SPDX-License-Identifier: MIT
// Markdown the reader must survive: every example of the CommonMark test suite, text that is not
// UTF-8, hostile nesting. Each either reads into a publication that loses no text or is refused
// with one line naming the file and the place.

#include "MarkdownFixture.h"

#include <nlohmann/json.hpp>

#include <chrono>

namespace {

using MarkdownTest::MarkdownReading;

// The text a reference rendering shows, blanks left out.
std::string VisibleText(const std::string& html) {
    std::string text;
    bool inTag = false;
    for (size_t i = 0; i < html.size(); ++i) {
        const char c = html[i];
        if (inTag) {
            inTag = c != '>';
            continue;
        }
        if (c == '<') {
            inTag = true;
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r')
            continue;
        if (c == '&') {
            const size_t end = html.find(';', i);
            const std::string entity = html.substr(i, end - i + 1);
            static const std::map<std::string, std::string> named{
                {"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}};
            if (const auto it = named.find(entity); it != named.end()) {
                text += it->second;
                i = end;
                continue;
            }
        }
        text += c;
    }
    return text;
}

std::string WithoutBlanks(const std::string& text) {
    std::string out;
    for (const char c : text)
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r')
            out += c;
    return out;
}

// Whether `want` appears in order within `have`: extra text (raw HTML shown as text) is fine, a
// dropped or reordered character is not.
bool KeptInOrder(const std::string& want, const std::string& have) {
    size_t at = 0;
    for (const char c : want) {
        at = have.find(c, at);
        if (at == std::string::npos)
            return false;
        ++at;
    }
    return true;
}

TEST_F(MarkdownReading, EveryCommonMarkExampleExportsWellFormedWithoutLosingText) {
    std::ifstream in(std::filesystem::path(EPUB_SOURCE_DIR) /
                     "tests/readers/markdown/commonmark-examples.json");
    const auto examples = nlohmann::json::parse(in);
    ASSERT_GT(examples.size(), 600u);
    int checked = 0;
    for (const auto& example : examples) {
        const std::string markdown = example.at("markdown");
        const int number = example.at("number");
        SCOPED_TRACE("example " + std::to_string(number) + ": " + markdown);
        Readers::Document doc;
        ASSERT_NO_THROW(doc = Read(markdown));
        // Export checks well-formedness and readable CSS.
        const auto out = Export(doc);
        // Character references the reader decodes are beyond this simple comparison.
        const std::string html = example.at("html");
        if (html.find("&#") != std::string::npos || markdown.find('&') != std::string::npos)
            continue;
        EXPECT_TRUE(KeptInOrder(VisibleText(html), WithoutBlanks(out.Text())))
            << VisibleText(html) << "\n"
            << out.Text();
        ++checked;
        if (HasFailure())
            break;
    }
    EXPECT_GT(checked, 550);
}

TEST_F(MarkdownReading, TextThatIsNotUtf8IsRefusedWithItsLineAndColumn) {
    EXPECT_EQ(ErrorOf("fine\nab\xFF"),
              "book.md:2:3: not valid UTF-8 text (save the file as UTF-8)");
    EXPECT_EQ(ErrorOf("\xC3\xA9t\xC3\xA9 \xED\xA0\x80"), "book.md:1:5: not valid UTF-8 text "
                                                         "(save the file as UTF-8)");
    EXPECT_FALSE(ErrorOf("overlong \xC0\xAF").empty());
    EXPECT_FALSE(ErrorOf("cut \xE2\x82").empty());
    EXPECT_EQ(ErrorOf("\xEF\xBB\xBFwith a byte order mark, \xF0\x9F\x98\x80 and \xE2\x82\xAC"), "");
    // Through the file reader, which names the file as given.
    Write("latin1.md", "caf\xE9\n");
    try {
        Readers::Markdown::ReadMarkdown(Path("latin1.md"));
        ADD_FAILURE() << "read";
    } catch (const Readers::InputError& e) {
        EXPECT_EQ(std::string(e.what()), Path("latin1.md").string() +
                                             ":1:4: not valid UTF-8 text (save the file as UTF-8)");
    }
}

TEST_F(MarkdownReading, HostileNestingIsCappedNotFollowedIntoTheStack) {
    const auto start = std::chrono::steady_clock::now();
    const auto readAndExport = [&](const std::string& text) {
        Readers::Document doc;
        ASSERT_NO_THROW(doc = Read(text));
        const auto out = Export(doc);
        EXPECT_NE(out.Text().find("end"), std::string::npos);
    };
    readAndExport(std::string(100000, '>') + " end\n");
    std::string lists;
    for (int i = 0; i < 100000; ++i)
        lists += std::string(static_cast<size_t>(i % 40) * 2, ' ') + "- x\n";
    readAndExport(lists + "\nend\n");
    readAndExport(std::string(100000, '*') + "end" + std::string(100000, '*') + "\n");
    readAndExport(std::string(50000, '[') + "end" + std::string(50000, ']') + "\n");
    // Notes referring to themselves stop at a depth.
    readAndExport("a[^x] end\n\n[^x]: b[^x]\n");
    // HTML nested beyond what is converted is written as text.
    std::string html = "<div>\n";
    for (int i = 0; i < 5000; ++i)
        html += "<span>";
    html += "end";
    for (int i = 0; i < 5000; ++i)
        html += "</span>";
    readAndExport(html + "</div>\n");
    // Generous for a sanitizer build: these are linear, a quadratic walk would take minutes.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
}

TEST_F(MarkdownReading, FilesThatCannotBeReadAreInputErrors) {
    const auto message = [](const std::filesystem::path& file) {
        try {
            Readers::Markdown::ReadMarkdown(file);
        } catch (const Readers::InputError& e) {
            return std::string(e.what());
        }
        return std::string();
    };
    EXPECT_EQ(
        message(Path("missing.md")).rfind(Path("missing.md").string() + ":1:1: cannot read", 0),
        0u);
    Write("empty.md", "");
    EXPECT_EQ(message(Path("empty.md")), "");
    // An empty text still makes a publication with one document, titled after the file.
    const auto doc = Readers::Markdown::ReadMarkdown(Path("empty.md"));
    ASSERT_EQ(doc.stories.size(), 1u);
    EXPECT_EQ(doc.settings->title.str(), "empty");
}

} // namespace

namespace {

// A long book is read chapter by chapter; what crosses chapters must survive that.
TEST_F(MarkdownReading, LongBooksReadInPiecesKeepDefinitionsAndLinksAcrossChapters) {
    std::string book = "# First\n\nSee [the last](#last-one), [ref] and a note[^far].\n\n"
                       "```\n# not a chapter\n```\n\n[^early]: Defined early.\n\n";
    const std::string filler(200, 'w');
    for (int chapter = 0; chapter < 60; ++chapter) {
        book += "# Chapter " + std::to_string(chapter) + "\n\n";
        for (int p = 0; p < 100; ++p)
            book += filler + " " + std::to_string(p) + "\n\n";
    }
    book += "# Last One\n\nBack to [the first](#first), an early note[^early] and [nowhere](#gone)."
            "\n\n[^far]: Defined far away.\n\n[ref]: https://example.com/ref\n";
    ASSERT_GT(book.size(), size_t{1} << 20);
    Write("long.md", book);
    const auto doc = Readers::Markdown::ReadMarkdown(Path("long.md"));
    EXPECT_EQ(doc.stories.size(), 62u);
    ASSERT_EQ(doc.findings.size(), 1u);
    EXPECT_NE(doc.findings[0].message.find("#gone"), std::string::npos);
    const auto out = Export(doc);
    const std::string notes = [&] {
        std::string text;
        for (const auto& [name, d] : out.documents)
            for (const auto& hit : d->select_nodes("//*[@epub:type='footnote']"))
                text += MarkdownTest::Exported::Collect(hit.node());
        return text;
    }();
    EXPECT_NE(notes.find("Defined far away."), std::string::npos);
    EXPECT_NE(notes.find("Defined early."), std::string::npos);
    EXPECT_STREQ(out.Find("//*[local-name()='a'][.='ref']").attribute("href").value(),
                 "https://example.com/ref");
    for (const char* link : {"the last", "the first"}) {
        const std::string href = out.Find("//*[local-name()='a'][.='" + std::string(link) + "']")
                                     .attribute("href")
                                     .value();
        const std::string id = href.substr(href.find('#') + 1);
        ASSERT_TRUE(out.documents.contains(href.substr(0, href.find('#')))) << href;
        EXPECT_STREQ(out.documents.at(href.substr(0, href.find('#')))
                         ->select_node(("//*[@id='" + id + "']").c_str())
                         .node()
                         .parent()
                         .name(),
                     "h1")
            << link;
    }
    EXPECT_STREQ(out.Find("//*[local-name()='pre']").text().get(), "# not a chapter");
}

} // namespace

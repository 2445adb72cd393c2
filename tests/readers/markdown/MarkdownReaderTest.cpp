// SPDX-License-Identifier: MIT
// What a reader of a publication made from Markdown gets: structure, numbers, notes, tables,
// pictures, links, metadata and chapters, looked at in the exported XHTML and its CSS.

#include "MarkdownFixture.h"

#include "readers/markdown/HouseStyle.h"

#include <algorithm>
#include <regex>

namespace {

using MarkdownTest::MarkdownReading;
using Readers::Markdown::MarkdownOptions;

std::string Paragraphs(const MarkdownTest::Exported& out, const std::string& xpath) {
    std::string text;
    for (const auto& [name, doc] : out.documents)
        for (const auto& hit : doc->select_nodes(xpath.c_str()))
            text += MarkdownTest::Exported::Collect(hit.node()) + "|";
    return text;
}

TEST_F(MarkdownReading, HeadingsAreTaggedByLevelAndSizedByTheHouseStyle) {
    const auto out = Export("# One\n\nBody text.\n\n## Two\n\n### Three\n\n###### Six\n");
    const auto h1 = out.Find("//*[local-name()='h1']");
    const auto h2 = out.Find("//*[local-name()='h2']");
    const auto h3 = out.Find("//*[local-name()='h3']");
    const auto p = out.Find("//*[local-name()='p']");
    ASSERT_TRUE(h1 && h2 && h3 && p);
    EXPECT_STREQ(h1.text().get(), "One");
    EXPECT_NEAR(out.css.FontSizePt(h1), 24, 0.05);
    EXPECT_NEAR(out.css.FontSizePt(h2), 19, 0.05);
    EXPECT_NEAR(out.css.FontSizePt(h3), 15.5, 0.05);
    EXPECT_NEAR(out.css.FontSizePt(p), 11, 0.05);
    EXPECT_EQ(out.css.Inherited(h2, "font-weight"), "bold");
    EXPECT_EQ(out.Count("//*[local-name()='h6']"), 1u);
}

TEST_F(MarkdownReading, InlineFormattingBecomesElementsAndNestsWithoutLosingEither) {
    const auto out = Export("Plain *em* **strong** ~~gone~~ `code` ***both*** x<sub>2</sub>.\n");
    EXPECT_STREQ(out.Find("//*[local-name()='em']").text().get(), "em");
    EXPECT_STREQ(out.Find("//*[local-name()='strong']").text().get(), "strong");
    EXPECT_STREQ(out.Find("//*[local-name()='del']").text().get(), "gone");
    EXPECT_STREQ(out.Find("//*[local-name()='code']").text().get(), "code");
    EXPECT_STREQ(out.Find("//*[local-name()='sub']").text().get(), "2");
    // Strong inside emphasis: the run is both bold and italic.
    const auto both = out.Find("//text()[.='both']").parent();
    EXPECT_EQ(out.css.Inherited(both, "font-weight"), "bold");
    EXPECT_EQ(out.css.Inherited(both, "font-style"), "italic");
}

TEST_F(MarkdownReading, ListsKeepTheirNumbersStartsLevelsAndTaskStates) {
    const auto out = Export("3. three\n4. four\n\n"
                            "   more of four\n"
                            "5. five\n"
                            "   1) inner\n"
                            "   2) inner two\n\n"
                            "text\n\n"
                            "- [x] done\n- [ ] open\n  - deeper\n");
    const std::string numbered =
        Paragraphs(out, "//*[contains(concat(' ', @class, ' '), ' Numbered_List ')]");
    EXPECT_EQ(numbered, "3.\tthree|4.\tfour|5.\tfive|1)\tinner|2)\tinner two|");
    EXPECT_EQ(Paragraphs(out, "//*[local-name()='li']"), "\u2611 done|\u2610 opendeeper|deeper|");
    // The nested bullet list is a list inside the item, as readers expect.
    EXPECT_TRUE(out.Find("//*[local-name()='li']/*[local-name()='ul']/*[local-name()='li']"));
    EXPECT_NE(out.Text().find("more of four"), std::string::npos);
}

TEST_F(MarkdownReading, FootnotesBecomeNotesWhereReferredTo) {
    const auto out = Export("First[^a] and second[^b] and again[^a]; unknown[^zz].\n\n"
                            "[^b]: Note *B*.\n"
                            "[^a]: Note A.\n\n"
                            "    with code\n");
    EXPECT_EQ(out.Count("//*[@epub:type='noteref']"), 3u);
    const std::string notes = Paragraphs(out, "//*[@epub:type='footnote']");
    EXPECT_NE(notes.find("Note A."), std::string::npos);
    EXPECT_NE(notes.find("Note B."), std::string::npos);
    EXPECT_NE(notes.find("with code"), std::string::npos);
    EXPECT_NE(out.Text().find("unknown[^zz]"), std::string::npos);
}

TEST_F(MarkdownReading, TablesHaveHeaderCellsAndTheirColumnsAlignment) {
    const auto out = Export("| L | C | R |\n|:--|:-:|--:|\n| a | b | c |\n| d |\n");
    EXPECT_EQ(out.Count("//*[local-name()='th']"), 3u);
    EXPECT_EQ(out.Count("//*[local-name()='td']"), 6u);
    const auto centre = out.Find("//*[local-name()='td']/*[.='b']");
    const auto right = out.Find("//*[local-name()='td']/*[.='c']");
    ASSERT_TRUE(centre && right);
    EXPECT_EQ(out.css.Inherited(centre, "text-align"), "center");
    EXPECT_EQ(out.css.Inherited(right, "text-align"), "right");
    // Markdown gives no column widths: the content sizes the columns, not a width of 0.
    const auto cell = out.Find("//*[local-name()='td']");
    ASSERT_TRUE(cell);
    EXPECT_FALSE(out.css.Inherited(cell, "width"));
}

TEST_F(MarkdownReading, TheCoverIsHandedOnAsItsFileSoAPhotographStaysJpeg) {
    std::filesystem::copy_file(std::filesystem::path(EPUB_SOURCE_DIR) / "examples/cover.jpg",
                               Path("front.jpg"));
    const auto doc = Read("---\ntitle: T\ncover: front.jpg\n---\n# One\n");
    ASSERT_TRUE(doc.settings->coverSource);
    EXPECT_FALSE(doc.settings->coverImage);
    EXPECT_TRUE(doc.findings.empty());
    EXPECT_TRUE(Read("---\ntitle: T\ncover: none.jpg\n---\n# One\n").findings.size() == 1);
}

TEST_F(MarkdownReading, PicturesKeepAltTextAndMissingOnesAreFindingsNotErrors) {
    std::filesystem::copy_file(std::filesystem::path(EPUB_SOURCE_DIR) / "examples/cover.png",
                               Path("pic.png"));
    Write("broken.png", "not a picture");
    const auto doc = Read("![A harbour](pic.png)\n\n![Gone](missing.png) ![Bad](broken.png) "
                          "![Far](https://example.com/x.png) ![Up](/etc/x.png)\n");
    ASSERT_EQ(doc.findings.size(), 4u);
    for (const auto& finding : doc.findings) {
        EXPECT_EQ(finding.where, "line 3");
        EXPECT_NE(finding.message.find("picture skipped"), std::string::npos) << finding.message;
    }
    const auto out = Export(doc);
    const auto img = out.Find("//*[local-name()='img']");
    ASSERT_TRUE(img);
    EXPECT_STREQ(img.attribute("alt").value(), "A harbour");
    EXPECT_EQ(out.Count("//*[local-name()='img']"), 1u);
    // The skipped pictures still say what they were.
    EXPECT_NE(out.Text().find("Gone Bad Far Up"), std::string::npos);
}

TEST_F(MarkdownReading, LinksGoOutToTheWebAndInToHeadingsOfOtherChapters) {
    const auto doc =
        Read("# Start\n\nSee [later](#the-end-part-2), [web](<https://example.org/a b>), "
             "[nowhere](#nothing) and [file](other.md).\n\n# The End, Part 2!\n");
    ASSERT_EQ(doc.findings.size(), 2u);
    EXPECT_NE(doc.findings[0].message.find("#nothing"), std::string::npos);
    EXPECT_NE(doc.findings[1].message.find("other.md"), std::string::npos);
    const auto out = Export(doc);
    const auto later = out.Find("//*[local-name()='a'][.='later']");
    ASSERT_TRUE(later);
    const std::string href = later.attribute("href").value();
    ASSERT_NE(href.find('#'), std::string::npos);
    const std::string file = href.substr(0, href.find('#'));
    const std::string id = href.substr(href.find('#') + 1);
    ASSERT_TRUE(out.documents.contains(file)) << href;
    const auto target = out.documents.at(file)->select_node(("//*[@id='" + id + "']").c_str());
    ASSERT_TRUE(target);
    EXPECT_STREQ(target.node().parent().name(), "h1");
    EXPECT_STREQ(out.Find("//*[local-name()='a'][.='web']").attribute("href").value(),
                 "https://example.org/a%20b");
    EXPECT_FALSE(out.Find("//*[local-name()='a'][.='nowhere']"));
}

TEST_F(MarkdownReading, FrontMatterSetsTheMetadataAndItsMistakesNameTheirPlace) {
    const auto doc = Read("---\ntitle: The Book\nauthors: [Ann, Bob]\nlang: de-CH\n"
                          "identifier: urn:isbn:123\ndescription: About it\nrights: Mine\n"
                          "tags: [x]\ndate: 2021-06\n---\n# Chapter\n");
    EXPECT_EQ(doc.settings->title.str(), "The Book");
    EXPECT_EQ(doc.settings->author.str(), "Ann, Bob");
    EXPECT_EQ(doc.settings->language.str(), "de-CH");
    EXPECT_EQ(doc.settings->identifier.str(), "urn:isbn:123");
    EXPECT_EQ(doc.settings->description.str(), "About it");
    EXPECT_EQ(doc.settings->rights.str(), "Mine");
    EXPECT_EQ(doc.settings->date.str(), "2021-06");
    ASSERT_EQ(doc.findings.size(), 1u);
    EXPECT_EQ(doc.findings[0].where, "line 8");

    // Without them: a fresh identifier, the first heading as title, else the file's name.
    const auto bare = Read("Intro\n\n## A *Heading*\n");
    EXPECT_TRUE(std::regex_match(bare.settings->identifier.str(),
                                 std::regex("urn:uuid:[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-"
                                            "[89ab][0-9a-f]{3}-[0-9a-f]{12}")));
    EXPECT_NE(bare.settings->identifier.str(), Read("x").settings->identifier.str());
    EXPECT_EQ(bare.settings->title.str(), "A Heading");
    EXPECT_EQ(Read("just text").settings->title.str(), "book");

    EXPECT_EQ(ErrorOf("---\ntitle: [unclosed\n---\n"), "book.md:3:1: front matter: end of "
                                                       "sequence flow not found");
    EXPECT_EQ(ErrorOf("---\ntitle: T\nlang: not a tag\n---\n"),
              "book.md:3:7: front matter: \"not a tag\" is not a language tag such as \"en\" or "
              "\"de-CH\"");
    EXPECT_EQ(ErrorOf("---\ndate: 17 May\n---\n"),
              "book.md:2:7: front matter: \"17 May\" is not a date such as \"2024\", "
              "\"2024-05-17\" or \"2024-05-17T09:30:00Z\"");
    EXPECT_EQ(ErrorOf("---\ntitle:\n  a: b\n---\n"),
              "book.md:3:3: front matter: \"title\" must be a single value");
    EXPECT_EQ(ErrorOf("---\nchapter-level: 9\n---\n"),
              "book.md:2:16: front matter: \"chapter-level\" must be a number from 0 to 6");
    // Two rules around a heading are Markdown, not front matter.
    EXPECT_EQ(Read("---\nNot metadata\n---\n").settings->title.str(), "Not metadata");
}

TEST_F(MarkdownReading, HeadingsSplitChaptersAtTheChosenLevel) {
    const std::string text = "Preface.\n\n# One\n\n## One.A\n\n## One.B\n\n# Two\n\n> # Quoted\n";
    const auto byLevel = [&](int level) {
        MarkdownOptions options;
        options.chapterLevel = level;
        return Read(text, options);
    };
    const auto one = byLevel(1);
    ASSERT_EQ(one.stories.size(), 3u);
    EXPECT_EQ(one.stories[1].tocText.str(), "One");
    ASSERT_EQ(one.stories[1].marks.toc.size(), 2u);
    EXPECT_EQ(one.stories[1].marks.toc[1].text.str(), "One.B");
    EXPECT_EQ(byLevel(2).stories.size(), 5u);
    const auto whole = byLevel(0);
    ASSERT_EQ(whole.stories.size(), 1u);
    EXPECT_EQ(whole.stories[0].marks.toc.size(), 5u);
    EXPECT_EQ(Read("---\nchapter-level: 2\n---\n" + text).stories.size(), 5u);
    // Every chapter comes out as a document of its own.
    EXPECT_EQ(Export(one).documents.size(), 3u);
}

TEST_F(MarkdownReading, RawHtmlIsKeptWhenWellFormedAndShownAsTextOtherwise) {
    const auto doc = Read("<div>\n<p>A <em>kept</em> block</p>\n</div>\n\n"
                          "<div><p>broken</div>\n\n"
                          "Inline <b>bold</b> and <br> break.\n\n"
                          "Inline <span>open\n\n<script>alert(1)</script>\n");
    ASSERT_EQ(doc.findings.size(), 3u);
    EXPECT_EQ(doc.findings[0].where, "line 5");
    EXPECT_EQ(doc.findings[1].where, "line 9");
    EXPECT_EQ(doc.findings[2].where, "line 11");
    const auto out = Export(doc);
    EXPECT_STREQ(out.Find("//*[local-name()='em']").text().get(), "kept");
    EXPECT_STREQ(out.Find("//*[local-name()='strong']").text().get(), "bold");
    EXPECT_TRUE(out.Find("//*[local-name()='br']"));
    EXPECT_FALSE(out.Find("//*[local-name()='script']"));
    const std::string text = out.Text();
    EXPECT_NE(text.find("<div><p>broken</div>"), std::string::npos);
    EXPECT_NE(text.find("<script>alert(1)</script>"), std::string::npos);
}

TEST_F(MarkdownReading, UserStyleSheetsComeAfterTheHouseStyle) {
    Write("mine.css", ".Body { font-size: 2em; }\n");
    const auto doc = Read("---\ncss: mine.css\n---\nText\n");
    ASSERT_EQ(doc.cssFiles.size(), 1u);
    // Style sheets of the user's own go into the EPUB, linked after the generated ones.
    const std::string epub = Path("book.epub").string();
    Cli::ExportEPub(doc, epub, {});
    std::map<std::string, std::string> entries;
    for (auto& record : FoundationTest::ReadZip(epub))
        entries.emplace(record.name, std::move(record.data));
    const auto chapter = entries.find("OEBPS/chapter-001.xhtml");
    ASSERT_NE(chapter, entries.end());
    pugi::xml_document xhtml;
    ASSERT_TRUE(xhtml.load_string(chapter->second.c_str()));
    TestSupport::CssCascade css;
    int sheets = 0;
    for (const auto& link : xhtml.select_nodes("//*[local-name()='link']")) {
        const auto sheet =
            entries.find("OEBPS/" + std::string(link.node().attribute("href").value()));
        ASSERT_NE(sheet, entries.end());
        css.AddSheet(sheet->second);
        ++sheets;
    }
    EXPECT_EQ(sheets, 2);
    EXPECT_NEAR(css.FontSizePt(xhtml.select_node("//*[local-name()='p']").node()), 24, 0.05);
    EXPECT_EQ(ErrorOf("---\ncss: [missing.css]\n---\n"),
              "book.md:2:7: front matter: style sheet \"missing.css\" cannot be read");
}

TEST_F(MarkdownReading, QuotesAndCodeKeepTheirBlocksAndLines) {
    const auto out = Export("> quoted\n>\n> > deeper\n\n```\nline 1\n  line 2\n```\n");
    EXPECT_EQ(out.Count("//*[local-name()='blockquote']"), 2u);
    const auto pre = out.Find("//*[local-name()='pre']");
    ASSERT_TRUE(pre);
    EXPECT_EQ(MarkdownTest::Exported::Collect(pre), "line 1  line 2");
    EXPECT_EQ(pre.select_nodes("*[local-name()='br']").size(), 1u);
    // The deeper quote is indented further than the outer one.
    const auto outer = out.Find("//*[local-name()='blockquote'][.='quoted']");
    const auto inner = out.Find("//*[local-name()='blockquote'][.='deeper']");
    EXPECT_NE(out.css.Cascaded(outer, "margin-left"), out.css.Cascaded(inner, "margin-left"));
}

} // namespace

namespace {

// A book long enough to be read chapter by chapter, whose links go back, forward by one chapter
// and forward by many, with notes and a link to a heading that never comes.
std::string LongBook() {
    std::string text = "---\ntitle: Long\nidentifier: "
                       "urn:uuid:5f0c1f8e-6a35-4c55-8d0e-0f3c7d7d1b2a\ndate: 2024-05-17"
                       "\n---\n";
    const std::string filler(300, 'x');
    for (int chapter = 1; chapter <= 40; ++chapter) {
        const std::string n = std::to_string(chapter);
        text += "# Chapter " + n + "\n\n";
        if (chapter == 2)
            text += "See [the end](#chapter-40), [next](#chapter-3), [back](#chapter-1) and "
                    "[nowhere](#never).\n\n";
        for (int p = 0; p < 100; ++p)
            text += "Para " + n + "." + std::to_string(p) + " words " + filler + "[^n" + n + "_" +
                    std::to_string(p) + "]\n\n";
        for (int p = 0; p < 100; ++p)
            text += "[^n" + n + "_" + std::to_string(p) + "]: Note " + n + "\n\n";
        text += "## Section " + n + "\n\nText.\n\n";
    }
    return text;
}

std::map<std::string, std::string> EntriesOf(const std::filesystem::path& epub) {
    std::map<std::string, std::string> entries;
    for (auto& record : FoundationTest::ReadZip(epub.string()))
        entries.emplace(record.name, std::move(record.data));
    // The modification time is the export's own.
    static const std::regex modified("<meta property=\"dcterms:modified\">[^<]*</meta>");
    auto& opf = entries["OEBPS/package.opf"];
    opf = std::regex_replace(opf, modified, "");
    return entries;
}

} // namespace

// Written as the chapters are read, a long book comes out as when it is read whole: same
// documents, links into chapters read later included, same notes and findings.
// Chapters are parsed ahead on a thread of their own; a reader given up half way (an export
// that failed) must stop it cleanly, and one read to the end has every chapter in order.
TEST_F(MarkdownReading, ALongBookReadAheadKeepsItsOrderAndCanBeAbandoned) {
    Write("long.md", LongBook());
    {
        auto abandoned = Readers::Markdown::ReadMarkdownFile(Path("long.md"), "long.md", dir_,
                                                             {.streamStories = true});
        ASSERT_TRUE(abandoned.more);
        abandoned.more->More(abandoned);
    }
    auto streamed = Readers::Markdown::ReadMarkdownFile(Path("long.md"), "long.md", dir_,
                                                        {.streamStories = true});
    Readers::ReadRest(streamed);
    auto whole = Readers::Markdown::ReadMarkdownFile(Path("long.md"), "long.md", dir_, {});
    ASSERT_EQ(streamed.stories.size(), whole.stories.size());
    for (size_t i = 0; i < whole.stories.size(); ++i) {
        EXPECT_EQ(streamed.stories[i].title, whole.stories[i].title) << i;
        EXPECT_EQ(streamed.stories[i].story->size(), whole.stories[i].story->size()) << i;
    }
}

TEST_F(MarkdownReading, ALongBookWrittenAsItIsReadIsTheSameBook) {
    Write("long.md", LongBook());
    auto whole = Readers::Markdown::ReadMarkdownFile(Path("long.md"), "long.md", dir_, {});
    ASSERT_FALSE(whole.more);
    ASSERT_EQ(whole.stories.size(), 40u);
    auto streamed = Readers::Markdown::ReadMarkdownFile(Path("long.md"), "long.md", dir_,
                                                        {.streamStories = true});
    ASSERT_TRUE(streamed.more) << "the book was read whole";
    EXPECT_LT(streamed.stories.size(), 40u);
    Cli::ExportEPub(whole, Path("whole.epub"), {});
    std::vector<std::pair<size_t, size_t>> progress;
    Cli::ExportEPub(streamed, Path("streamed.epub"),
                    [&](size_t done, size_t total) { progress.emplace_back(done, total); });
    EXPECT_FALSE(streamed.more);
    ASSERT_EQ(streamed.stories.size(), 40u);
    EXPECT_FALSE(streamed.stories[0].story) << "a written story stayed in memory";
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back().first, progress.back().second);
    EXPECT_EQ(progress.size(), 3u) << "chapters 2 to 40 wait for the link to the last";
    ASSERT_EQ(streamed.findings.size(), whole.findings.size());
    EXPECT_EQ(streamed.findings.back().message, whole.findings.back().message);

    // Element ids are numbered in the order targets are registered, which differs; the rest
    // is the same, and every link of the streamed book leads to an element that is there.
    const auto a = EntriesOf(Path("whole.epub"));
    const auto b = EntriesOf(Path("streamed.epub"));
    ASSERT_EQ(a.size(), b.size());
    static const std::regex anchorId("Anchor[0-9]+");
    for (const auto& [name, data] : a) {
        ASSERT_TRUE(b.contains(name)) << name;
        const std::string one = std::regex_replace(data, anchorId, "Anchor");
        const std::string other = std::regex_replace(b.at(name), anchorId, "Anchor");
        const auto at = static_cast<size_t>(
            std::mismatch(one.begin(), one.end(), other.begin(), other.end()).first - one.begin());
        EXPECT_TRUE(other == one) << name << " differs at " << at << ":\n"
                                  << one.substr(at < 80 ? 0 : at - 80, 160) << "\n---\n"
                                  << other.substr(at < 80 ? 0 : at - 80, 160);
    }
    static const std::regex link("href=\"(chapter-[0-9]+\\.xhtml)?#([^\"]+)\"");
    size_t links = 0;
    for (const auto& [name, data] : b) {
        if (!name.ends_with(".xhtml"))
            continue;
        for (std::sregex_iterator it(data.begin(), data.end(), link), end; it != end; ++it) {
            const std::string file = (*it)[1].matched ? "OEBPS/" + (*it)[1].str() : name;
            ASSERT_TRUE(b.contains(file)) << file;
            EXPECT_NE(b.at(file).find("id=\"" + (*it)[2].str() + "\""), std::string::npos)
                << name << " links to " << (*it)[0];
            ++links;
        }
    }
    EXPECT_GT(links, 8000u);
    // The forward links lead into their chapters.
    // A text opening with its first chapter numbers that chapter's file 1.
    const std::string& two = b.at("OEBPS/chapter-002.xhtml");
    EXPECT_NE(two.find("Chapter 2"), std::string::npos);
    EXPECT_NE(two.find("href=\"chapter-040.xhtml#"), std::string::npos);
    EXPECT_NE(two.find("href=\"chapter-003.xhtml#"), std::string::npos);
    EXPECT_NE(two.find("href=\"chapter-001.xhtml#"), std::string::npos);
}

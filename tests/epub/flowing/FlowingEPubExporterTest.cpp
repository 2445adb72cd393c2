// SPDX-License-Identifier: MIT
#include "epub/flowing/FlowingEPubExporter.h"
#include "epub/options/AccessibilityMetadata.h"
#include "epub/package/CoverImage.h"
#include "host/foundation/DataSource.h"
#include "host/foundation/FileStream.h"
#include "host/raster/DynamicBitmap.h"
#include "host/raster/ImageEncoder.h"
#include "host/raster/ImageFile.h"
#include "hostimpl/text/StoryBuilder.h"
#include "tests/hostimpl/foundation/ZipTestSupport.h"

#include <gtest/gtest.h>

#include <pugixml.hpp>
#include <string>
#include <vector>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

using namespace EPub;
using FoundationTest::ReadZip;
using FoundationTest::ScratchDir;
using FoundationTest::ZipRecord;

namespace {

// One document and style sheet per test: stories, anchors and the settings all refer to it.
struct Book {
    Counted<Text::StyleSheet> styles = Text::StyleSheet::Make(Text::TextDocument::Make());
    Text::StoryBuilder Builder() const { return Text::StoryBuilder(styles); }
    const Counted<const Text::TextDocument>& Document() const { return styles->GetDocument(); }
};

Counted<ExportSettings> MakeSettings(const Book& book) {
    auto settings = Foundation::MakeCounted<ExportSettings>();
    settings->styles = book.styles;
    settings->defaultGlyphAtts = book.Document()->GetDefaultGlyphAtts();
    settings->title = "A Test & Title";
    settings->identifier = "urn:uuid:0b9c4f8a-1d2e-4c3b-9a8f-123456789abc";
    settings->language = "en";
    settings->author = "Ann Author";
    return settings;
}

Counted<FlowingEPubOptions> MakeOptions() {
    return Foundation::MakeCounted<FlowingEPubOptions>(
        Render::FileExportOptionsVector::Preset::Standard);
}

void SetCallbacks(FlowingEPubExporter& exporter) {
    exporter.Callbacks().localise = [](const StringT&, const Text::Language*, const StringT& text) {
        return text;
    };
}

const ZipRecord* Find(const std::vector<ZipRecord>& records, std::string_view name) {
    const auto it = std::find_if(records.begin(), records.end(),
                                 [&](const ZipRecord& r) { return r.name == name; });
    return it == records.end() ? nullptr : &*it;
}

pugi::xml_document Parse(const ZipRecord* record) {
    pugi::xml_document doc;
    EXPECT_NE(record, nullptr);
    if (record) {
        EXPECT_TRUE(doc.load_string(record->data.c_str())) << record->name;
    }
    return doc;
}

struct Exported {
    ScratchDir dir;
    std::string path = dir / "book.epub";
};

} // namespace

TEST(FlowingEPubExporter, EmptyExportIsACompletePublication) {
    Book book;
    Exported out;
    FlowingEPubExporter exporter(MakeSettings(book), MakeOptions());
    SetCallbacks(exporter);
    ASSERT_TRUE(exporter.Start(StringT(out.path)));
    ASSERT_TRUE(exporter.End());

    const auto records = ReadZip(out.path);
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records.front().name, "mimetype");
    EXPECT_EQ(records.front().data, "application/epub+zip");
    for (const char* name : {"OEBPS/Story1.xhtml", "OEBPS/css/styles.css", "OEBPS/package.opf",
                             "META-INF/container.xml", "OEBPS/toc.xhtml"})
        EXPECT_NE(Find(records, name), nullptr) << name;
    EXPECT_EQ(Find(records, "META-INF/encryption.xml"), nullptr);
    EXPECT_EQ(Find(records, "OEBPS/css/images.css"), nullptr);

    const auto story = Parse(Find(records, "OEBPS/Story1.xhtml"));
    EXPECT_STREQ(story.select_node("//title").node().child_value(), "A Test & Title");
    EXPECT_TRUE(story.select_node("//body").node().first_child().empty());
    // Image styles were never registered, so the document links only the main sheet.
    EXPECT_EQ(story.select_nodes("//link").size(), 1u);

    const auto opf = Parse(Find(records, "OEBPS/package.opf"));
    EXPECT_STREQ(opf.select_node("//*[local-name()='language']").node().child_value(), "en");
    EXPECT_EQ(opf.select_nodes("//*[local-name()='itemref']").size(), 1u);
    EXPECT_FALSE(opf.select_node("//*[local-name()='guide']"));

    const auto nav = Parse(Find(records, "OEBPS/toc.xhtml"));
    const auto tocLinks = nav.select_nodes("//*[@id='toc']//*[local-name()='a']");
    ASSERT_EQ(tocLinks.size(), 1u);
    EXPECT_STREQ(tocLinks.first().node().attribute("href").value(), "Story1.xhtml");
    EXPECT_FALSE(nav.select_node("//*[@epub:type='page-list']"));
    EXPECT_TRUE(nav.select_node("//*[local-name()='a'][@epub:type='bodymatter']"));
    EXPECT_FALSE(nav.select_node("//*[local-name()='a'][@epub:type='cover']"));
}

TEST(FlowingEPubExporter, APublicationWithoutIdentifierGetsAUuidOfItsOwn) {
    // Two exports share one settings object without an identifier: each gets one of its own,
    // and the caller's object, which the library only reads, is left as it was.
    Book book;
    const auto settings = MakeSettings(book);
    settings->identifier = " \t";
    std::vector<std::string> identifiers;
    for (int i = 0; i < 2; ++i) {
        Exported out;
        FlowingEPubExporter exporter(settings, MakeOptions());
        SetCallbacks(exporter);
        ASSERT_TRUE(exporter.Start(StringT(out.path)));
        ASSERT_TRUE(exporter.End());
        const auto opf = Parse(Find(ReadZip(out.path), "OEBPS/package.opf"));
        identifiers.emplace_back(
            opf.select_node("//*[local-name()='identifier']").node().child_value());
        EXPECT_TRUE(identifiers.back().starts_with("urn:uuid:")) << identifiers.back();
        EXPECT_EQ(identifiers.back().size(), 45u);
    }
    EXPECT_NE(identifiers[0], identifiers[1]);
    EXPECT_EQ(settings->identifier, " \t");
}

TEST(FlowingEPubExporter, CoverDocumentOnlyWithAlternativeText) {
    Book book;
    for (const bool withAlt : {false, true}) {
        Exported out;
        auto settings = MakeSettings(book);
        settings->coverImage = Raster::DynamicBitmap::Create(4, 6);
        settings->coverImageName = "Cover";
        auto options = MakeOptions();
        if (withAlt) {
            options->SetCoverPageAltText("A red <cover>");
        }
        FlowingEPubExporter exporter(settings, options);
        SetCallbacks(exporter);
        exporter.Start(StringT(out.path));
        ASSERT_TRUE(exporter.End());
        const auto records = ReadZip(out.path);
        EXPECT_NE(Find(records, "OEBPS/images/Cover.png"), nullptr);
        EXPECT_EQ(Find(records, "OEBPS/cover.xhtml") != nullptr, withAlt);
        const auto opf = Parse(Find(records, "OEBPS/package.opf"));
        const auto item = opf.select_node("//*[@properties='cover-image']").node();
        EXPECT_STREQ(item.attribute("id").value(), "cover_image");
        EXPECT_EQ(bool(opf.select_node("//*[local-name()='guide']")), withAlt);
        if (withAlt) {
            const auto cover = Parse(Find(records, "OEBPS/cover.xhtml"));
            EXPECT_STREQ(
                cover.select_node("//*[local-name()='img']").node().attribute("alt").value(),
                "A red <cover>");
        }
    }
}

TEST(FlowingEPubExporter, UserStyleSheetsGetUniqueSafeNames) {
    Book book;
    Exported out;
    FlowingEPubExporter exporter(MakeSettings(book), MakeOptions());
    SetCallbacks(exporter);
    exporter.Start(StringT(out.path));
    const std::string css = out.dir / "styles.css";
    FoundationTest::WriteFileBytes(css, "p { color: red; }\n");
    auto source = Foundation::MakeCounted<Foundation::FileDataSource>(StringT(css));
    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE(exporter.AddCssFile(
            Foundation::MakeCounted<CSSFile>(source, Foundation::TimeStamp(), "")));
    auto story = book.Builder().Text("Hello").Build();
    EXPECT_TRUE(exporter.ExportStory(story, story->gend(), "chapter.xhtml"));
    ASSERT_TRUE(exporter.End());
    const auto records = ReadZip(out.path);
    EXPECT_NE(Find(records, "OEBPS/css/styles_1.css"), nullptr);
    EXPECT_NE(Find(records, "OEBPS/css/styles_2.css"), nullptr);
    const auto doc = Parse(Find(records, "OEBPS/chapter.xhtml"));
    EXPECT_EQ(doc.select_nodes("//link").size(), 3u);
}

TEST(FlowingEPubExporter, RefusesNamesOutsideTheContentFolder) {
    EXPECT_FALSE(IsSafeDocumentName("../evil.xhtml"));
    EXPECT_FALSE(IsSafeDocumentName("/abs.xhtml"));
    EXPECT_FALSE(IsSafeDocumentName("a\\b.xhtml"));
    EXPECT_FALSE(IsSafeDocumentName("a//b.xhtml"));
    EXPECT_FALSE(IsSafeDocumentName("sub/../../x.xhtml"));
    EXPECT_TRUE(IsSafeDocumentName("text/chapter.1.xhtml"));

    Book book;
    Exported out;
    FlowingEPubExporter exporter(MakeSettings(book), MakeOptions());
    SetCallbacks(exporter);
    exporter.Start(StringT(out.path));
    auto story = book.Builder().Text("x").Build();
    EXPECT_FALSE(exporter.ExportStory(story, story->gend(), "../x.xhtml"));
    EXPECT_NE(exporter.GetLastError().Find("would leave"), StringT::npos);
    exporter.Abort();
}

TEST(FlowingEPubExporter, WriteFailureIsRethrownFromEnd) {
    Book book;
    auto failing = Foundation::MakeCounted<FoundationTest::FailingStream>(200);
    FlowingEPubExporter exporter(MakeSettings(book), MakeOptions());
    SetCallbacks(exporter);
    exporter.Start("", failing);
    EXPECT_THROW(exporter.End(), std::runtime_error);
}

TEST(FlowingEPubExporter, TableOfContentsHasTwoLevelsAtMost) {
    Book book;
    Exported out;
    FlowingEPubExporter exporter(MakeSettings(book), MakeOptions());
    SetCallbacks(exporter);
    auto doc = Text::TextDocument::Make();
    auto story = book.Builder().Text("One").Build();
    Counted<const Text::AnchorData> top = doc->MakeAnchor("top");
    Counted<const Text::AnchorData> child = doc->MakeAnchor("child");
    Counted<const Text::AnchorData> grandchild = doc->MakeAnchor("grandchild");
    exporter.Anchors().RegisterAnchor("c.xhtml", *top, story->gbegin());
    exporter.Anchors().RegisterAnchor("c.xhtml", *child, story->gbegin() + 1);
    exporter.Anchors().RegisterAnchor("c.xhtml", *grandchild, story->gbegin() + 2);
    exporter.AddTocEntry(top, "Top", nullptr);
    exporter.AddTocEntry(child, "Child", top);
    exporter.AddTocEntry(grandchild, "Grandchild", child);
    exporter.Start(StringT(out.path));
    exporter.ExportStory(story, story->gend(), "c.xhtml");
    ASSERT_TRUE(exporter.End());
    const auto nav = Parse(Find(ReadZip(out.path), "OEBPS/toc.xhtml"));
    const auto links = nav.select_nodes("//*[@id='toc']//*[local-name()='a']");
    ASSERT_EQ(links.size(), 2u);
    EXPECT_STREQ(links.first().node().attribute("href").value(), "c.xhtml#Anchor1");
    EXPECT_TRUE(nav.select_node("//*[@id='toc']/*/*/*[local-name()='ol']/*/*[.='Child']"));
}

TEST(FlowingEPubExporter, PublicationPassesEpubCheck) {
    Book book;
    const char* jar = "/usr/share/java/epubcheck.jar";
    if (!std::filesystem::exists(jar) || std::system("command -v java >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "EPUBCheck is not installed";
    Exported out;
    auto settings = MakeSettings(book);
    settings->coverImage = Raster::DynamicBitmap::Create(8, 8);
    settings->coverImageName = "Cover";
    settings->accessibility = Foundation::MakeCounted<AccessibilityMetadata>();
    settings->accessibility->SetSummary("No known hazards & fully navigable.");
    auto options = MakeOptions();
    options->SetCoverPageAltText("Cover");
    FlowingEPubExporter exporter(settings, options);
    SetCallbacks(exporter);
    exporter.Start(StringT(out.path));
    auto story = book.Builder().Text("Hello").Build();
    exporter.ExportStory(story, story->gend(), "chapter.xhtml");
    ASSERT_TRUE(exporter.End());
    const std::string report = out.dir / "report.txt";
    std::system(
        ("java -jar " + std::string(jar) + " " + out.path + " >" + report + " 2>&1").c_str());
    const std::string text = FoundationTest::ReadFileBytes(report);
    EXPECT_EQ(text.find("ERROR"), std::string::npos) << text;
    EXPECT_EQ(text.find("WARNING"), std::string::npos) << text;
}

// Page list from the markers written, contents with an unlinked parent kept for its child, and
// landmarks with the cover and the inferred start of content, byte for byte.
TEST(FlowingEPubExporter, NavigationDocumentHasAllThreeNavs) {
    Book book;
    Exported out;
    auto settings = MakeSettings(book);
    settings->coverImage = Raster::DynamicBitmap::Create(4, 4);
    settings->coverImageName = "Cover";
    auto options = MakeOptions();
    options->SetCoverPageAltText("Cover");
    FlowingEPubExporter exporter(settings, options);
    SetCallbacks(exporter);
    const auto& doc = book.Document();
    auto builder = book.Builder();
    builder.Paragraph().Text("One");
    builder.Paragraph().Text("Two");
    auto story = builder.Build();
    const auto second = story->gbegin() + 4;
    Counted<const Text::AnchorData> missing = doc->MakeAnchor("never written");
    Counted<const Text::AnchorData> child = doc->MakeAnchor("child");
    exporter.Anchors().RegisterAnchor("c.xhtml", *child, second);
    exporter.Anchors().RegisterPage("c.xhtml", 1, "i", story->gbegin(), 0);
    exporter.Anchors().RegisterPage("c.xhtml", 2, "ii", second, 0);
    exporter.AddTocEntry(missing, "Part <One>", nullptr);
    exporter.AddTocEntry(child, "Two", missing);
    ASSERT_TRUE(exporter.Start(StringT(out.path)));
    ASSERT_TRUE(exporter.ExportStory(story, story->gend(), "c.xhtml"));
    ASSERT_TRUE(exporter.End());

    const auto records = ReadZip(out.path);
    const ZipRecord* nav = Find(records, "OEBPS/toc.xhtml");
    ASSERT_NE(nav, nullptr);
    EXPECT_EQ(nav->data,
              "<?xml version='1.0' encoding='utf-8' standalone='yes'?>\n"
              "<html xmlns=\"http://www.w3.org/1999/xhtml\" "
              "xmlns:epub=\"http://www.idpf.org/2007/ops\" lang=\"en\" xml:lang=\"en\">\n"
              "<head>\n<title>A Test &amp; Title</title>\n</head>\n<body>\n"
              "<nav epub:type=\"page-list\" role=\"doc-pagelist\">\n<h2>Page List</h2>\n<ol>\n"
              "<li><a href=\"c.xhtml#PageRef1\">i</a></li>\n"
              "<li><a href=\"c.xhtml#PageRef2\">ii</a></li>\n"
              "</ol>\n</nav>\n"
              "<nav id=\"toc\" epub:type=\"toc\" role=\"doc-toc\">\n<h2>Table of Contents</h2>\n"
              "<ol>\n<li>Part &lt;One&gt;<ol>\n<li><a href=\"c.xhtml#Anchor1\">Two</a></li>\n"
              "</ol>\n</li>\n</ol>\n</nav>\n"
              "<nav epub:type=\"landmarks\" role=\"navigation\">\n<h2>Landmarks</h2>\n<ol>\n"
              "<li><a href=\"cover.xhtml\" epub:type=\"cover\">Cover</a></li>\n"
              "<li><a href=\"c.xhtml\" epub:type=\"bodymatter\">Start of Content</a></li>\n"
              "</ol>\n</nav>\n</body>\n</html>\n");
    // Both markers are in the story's document, where the page list points.
    const std::string content = Find(records, "OEBPS/c.xhtml")->data;
    EXPECT_NE(content.find("<div id=\"PageRef1\""), std::string::npos) << content;
    EXPECT_NE(content.find("<div id=\"PageRef2\""), std::string::npos) << content;
}

// Names the package writes itself are refused when a document asks for them, not when the
// package entry clashes at End; so are names that differ from an earlier one only in case.
TEST(FlowingEPubExporter, DocumentsCannotTakeThePackagesNames) {
    Book book;
    Exported out;
    FlowingEPubExporter exporter(MakeSettings(book), MakeOptions());
    SetCallbacks(exporter);
    ASSERT_TRUE(exporter.Start(StringT(out.path)));
    for (const char* name : {"toc.xhtml", "Package.opf", "cover.xhtml", "css/styles.css",
                             "CSS/own.xhtml", "images/a.xhtml", "font/a.ttf"}) {
        EXPECT_FALSE(exporter.BeginStream(name, StreamType::Content)) << name;
        EXPECT_NE(exporter.GetLastError().str().find(name), std::string::npos);
    }
    EXPECT_TRUE(exporter.BeginStream("Chapter.xhtml", StreamType::Content));
    EXPECT_FALSE(exporter.BeginStream("chapter.XHTML", StreamType::Content));
    EXPECT_TRUE(exporter.BeginStream("images/pic.png", StreamType::PNG));
    ASSERT_TRUE(exporter.End());
    const auto records = ReadZip(out.path);
    EXPECT_TRUE(Find(records, "OEBPS/toc.xhtml") && Find(records, "OEBPS/package.opf"));
}

namespace {

Counted<const Foundation::DataSource> FileSource(const std::string& path) {
    return Foundation::MakeCounted<Foundation::FileDataSource>(StringT(path));
}

std::string JpegOf(uint32_t width, uint32_t height) {
    Foundation::MemoryOutStream out;
    EXPECT_TRUE(Raster::WriteJPEG(*Raster::DynamicBitmap::Create(width, height), out));
    return out.TakeData();
}

pugi::xml_document ExportNavigation(const char* language, HostCallbacks callbacks = {}) {
    Book book;
    Exported out;
    auto settings = MakeSettings(book);
    settings->language = language;
    FlowingEPubExporter exporter(settings, MakeOptions());
    if (callbacks.localise)
        exporter.Callbacks().localise = callbacks.localise;
    exporter.Start(StringT(out.path));
    auto story = book.Builder().Text("Texte").Build();
    EXPECT_TRUE(exporter.ExportStory(story, story->gend(), "a.xhtml"));
    EXPECT_TRUE(exporter.End());
    const auto records = ReadZip(out.path);
    const ZipRecord* nav = Find(records, "OEBPS/toc.xhtml");
    pugi::xml_document doc;
    EXPECT_NE(nav, nullptr);
    if (nav) {
        EXPECT_TRUE(doc.load_string(nav->data.c_str())) << nav->data;
    }
    return doc;
}

std::string NavHeading(const pugi::xml_document& nav, const char* type) {
    return nav
        .select_node((std::string("//*[@epub:type='") + type + "']/*[local-name()='h2']").c_str())
        .node()
        .child_value();
}

} // namespace

TEST(FlowingEPubExporter, NavigationTextsFollowThePublicationsLanguage) {
    EXPECT_EQ(NavHeading(ExportNavigation("fr"), "toc"), "Table des matières");
    EXPECT_EQ(NavHeading(ExportNavigation("ja-JP"), "landmarks"), "ランドマーク");
    EXPECT_EQ(NavHeading(ExportNavigation("xx"), "toc"), "Table of Contents");
}

// A translation may hold any character: the navigation document stays well-formed.
TEST(FlowingEPubExporter, HostTextsInTheNavigationAreEscaped) {
    HostCallbacks callbacks;
    callbacks.localise = [](const StringT& key, const Text::Language*, const StringT& text) {
        return key == "EPUB:Table of Contents" ? StringT("R&D <\"Inhalt\">\x02")
                                               : text + StringT(" & co");
    };
    const auto nav = ExportNavigation("de", callbacks);
    EXPECT_EQ(NavHeading(nav, "toc"), "R&D <\"Inhalt\">");
    EXPECT_EQ(NavHeading(nav, "landmarks"), "Orientierungspunkte & co");
    EXPECT_STREQ(
        nav.select_node("//*[local-name()='a'][@epub:type='bodymatter']").node().child_value(),
        "Beginn des Inhalts & co");
}

TEST(FlowingEPubExporter, AJpegCoverKeepsItsBytesAndItsName) {
    Book book;
    ScratchDir dir;
    const std::string small = JpegOf(30, 40);
    FoundationTest::WriteFileBytes(dir / "Front Photo.jpg", small);
    // Larger than a reader is asked to handle: scaled, and still a JPEG.
    FoundationTest::WriteFileBytes(dir / "huge.jpeg", JpegOf(kJPEGMaxDimension * 2, 8));
    for (const char* file : {"Front Photo.jpg", "huge.jpeg"}) {
        Exported out;
        auto settings = MakeSettings(book);
        settings->coverSource = FileSource(dir / file);
        auto options = MakeOptions();
        options->SetCoverPageType(CoverPageType::Image);
        FlowingEPubExporter exporter(settings, options);
        exporter.Start(StringT(out.path));
        ASSERT_TRUE(exporter.End()) << exporter.GetLastError().str();
        const auto records = ReadZip(out.path);
        const auto opf = Parse(Find(records, "OEBPS/package.opf"));
        const auto item = opf.select_node("//*[@properties='cover-image']").node();
        EXPECT_STREQ(item.attribute("media-type").value(), "image/jpeg");
        const std::string href = item.attribute("href").value();
        const ZipRecord* image = Find(records, "OEBPS/" + href);
        ASSERT_NE(image, nullptr) << href;
        if (file == std::string("huge.jpeg")) {
            EXPECT_EQ(href, "images/huge.jpg");
            const auto size = Raster::ReadImageSize(image->data);
            ASSERT_TRUE(size);
            EXPECT_EQ(size->width, kJPEGMaxDimension);
            EXPECT_EQ(Raster::DetectFileType(image->data), Raster::FileType::JPEG);
        } else {
            EXPECT_EQ(href, "images/Front_Photo.jpg");
            EXPECT_EQ(image->data, small);
        }
    }
}

TEST(FlowingEPubExporter, AnUnreadableCoverFailsTheExportWithItsName) {
    Book book;
    ScratchDir dir;
    FoundationTest::WriteFileBytes(dir / "cover.jpg", "not a picture");
    Exported out;
    auto settings = MakeSettings(book);
    settings->coverSource = FileSource(dir / "cover.jpg");
    FlowingEPubExporter exporter(settings, MakeOptions());
    exporter.Start(StringT(out.path));
    EXPECT_FALSE(exporter.End());
    EXPECT_NE(exporter.GetLastError().Find("cover.jpg"), StringT::npos);
}

// An embedder that sets no callback at all still gets numbered notes, cross-reference texts and
// localised texts: every callback has its default, and an emptied one means the default too.
TEST(FlowingEPubExporter, EmptyCallbacksMeanTheirDefaults) {
    Book book;
    Exported out;
    auto settings = MakeSettings(book);
    settings->language = "es";
    FlowingEPubExporter exporter(settings, MakeOptions());
    exporter.Callbacks() = HostCallbacks{};
    exporter.Start(StringT(out.path));
    const auto target = book.Document()->MakeAnchor("Harbour");
    auto note = book.Builder().Text("A note.").Build();
    auto story = book.Builder()
                     .Anchor(target)
                     .Text("See ")
                     .CrossReference(target)
                     .Note(Text::NoteKind::Footnote, note)
                     .Build();
    ASSERT_TRUE(exporter.ExportStory(story, story->gend(), "a.xhtml"));
    ASSERT_TRUE(exporter.End());
    const auto records = ReadZip(out.path);
    const ZipRecord* doc = Find(records, "OEBPS/a.xhtml");
    ASSERT_NE(doc, nullptr);
    EXPECT_NE(doc->data.find("See Harbour"), std::string::npos) << doc->data;
    EXPECT_NE(doc->data.find("A note."), std::string::npos) << doc->data;
    EXPECT_EQ(NavHeading(Parse(Find(records, "OEBPS/toc.xhtml")), "toc"), "Índice");
}

TEST(FlowingEPubExporter, StoredDocumentNamesAreTheToolsOwn) {
    const std::vector<StringT> given = {"a b",          "a_b.xhtml", "Toc.xhtml", "toc",
                                        "part#1.xhtml", "a b",       "styles.css"};
    EXPECT_EQ(StoredDocumentNames(given),
              (std::vector<StringT>{"a_b-2.xhtml", "a_b.xhtml", "Toc.xhtml", "toc-2.xhtml",
                                    "part_1.xhtml", "a_b-2.xhtml", "styles.css.xhtml"}));
    // A publication refuses what its own entries take, as for the tool.
    Book book;
    Exported out;
    FlowingEPubExporter exporter(MakeSettings(book), MakeOptions());
    exporter.Start(StringT(out.path));
    auto story = book.Builder().Text("x").Build();
    EXPECT_FALSE(exporter.ExportStory(story, story->gend(), "package.opf"));
    EXPECT_NE(exporter.GetLastError().Find("taken by the output"), StringT::npos);
    EXPECT_TRUE(exporter.ExportStory(story, story->gend(), "A.xhtml"));
    EXPECT_FALSE(exporter.ExportStory(story, story->gend(), "a.xhtml"));
    EXPECT_NE(exporter.GetLastError().Find("written twice"), StringT::npos);
    exporter.Abort();
}

// SPDX-License-Identifier: MIT
// The tool on fixed-layout documents: where the publication goes, what --check reports, and
// links to named places on other pages.

#include "cli/ToolFixture.h"
#include "host/raster/ImageEncoder.h"
#include "host/raster/ImageFile.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <thread>

#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using ToolTest::Result;
using ToolTest::Tool;

const char* kText = R"({"type": "text", "character": {"fontFamily": "DejaVu Sans", "size": 14},
                        "lines": [{"x": 20, "y": 40, "text": "Plain words"}]})";

std::string FixedDocument(const std::string& items, const std::string& second = "") {
    return R"({"layout": "fixed", "options": {"cover": false},
  "metadata": {"title": "Pages", "language": "en",
               "identifier": "urn:uuid:11111111-2222-4333-8444-555555555555"},
  "pages": [{"width": 200, "height": 300, "items": [)" +
           items + R"(]}, {"width": 200, "height": 300, "items": [)" + second + "]}]}";
}

class FixedTool : public Tool {
protected:
    std::string Quote(const std::string& path) { return "'" + path + "'"; }
};

TEST_F(FixedTool, OutputFollowsSymlinksStreamsAndKeepsTheOldFileOnFailure) {
    const std::string input = Write("in.json", FixedDocument(kText));
    fs::create_directories(dir_ / "real");
    std::ofstream(dir_ / "real/book.epub") << "previous";
    fs::create_symlink("real/book.epub", dir_ / "link.epub");
    Result r = Run(Quote(input) + " -o " + Quote(dir_ / "link.epub"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::is_symlink(dir_ / "link.epub"));
    EXPECT_EQ(Entries(dir_ / "real/book.epub").count("OEBPS/page2.xhtml"), 1u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "real"), fs::directory_iterator()), 1);

    // Standard output through a pipe: a whole container, "mimetype" first.
    const std::string piped = dir_ / "piped.epub";
    ASSERT_EQ(ExportPiped(input, piped), 0);
    ASSERT_FALSE(FoundationTest::ReadZip(piped).empty());
    EXPECT_EQ(FoundationTest::ReadZip(piped).front().name, "mimetype");
    EXPECT_EQ(Entries(piped).count("OEBPS/page1.xhtml"), 1u);

    // A FIFO is written in place, not replaced by a file.
    const std::string fifo = dir_ / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string fromFifo;
    std::thread reader([&] { fromFifo = Read(fifo); });
    r = Run(Quote(input) + " -o " + Quote(fifo));
    reader.join();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::is_fifo(fifo));
    std::ofstream(dir_ / "fifo.epub", std::ios::binary) << fromFifo;
    EXPECT_EQ(Entries(dir_ / "fifo.epub").count("OEBPS/page1.xhtml"), 1u);

    // A cover that is no picture is refused with its place: the old file stays, nothing is
    // left over, and --check finds it too.
    Write("cover.png", "not a picture");
    std::string broken = FixedDocument(kText);
    broken.replace(broken.find(R"("cover": false)"), 14, R"("cover": "cover.png")");
    const Result failed = ExpectRefused(broken);
    EXPECT_NE(failed.err.find("$.options.cover: \""), std::string::npos) << failed.err;
    EXPECT_NE(failed.err.find("cover.png"), std::string::npos) << failed.err;
    const Result checked = Run("--check " + Quote(dir_ / "in.json"));
    EXPECT_EQ(checked.status, 2);
    EXPECT_NE(checked.err.find("$.options.cover"), std::string::npos) << checked.err;
    for (const auto& entry : fs::directory_iterator(dir_ / "."))
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
}

TEST_F(FixedTool, CheckListsTextLostToRasterisingAndExitsAsForReflowable) {
    const std::string clean = Write("clean.json", FixedDocument(kText));
    const ToolTest::Output nothing = Capture("--check " + Quote(clean));
    EXPECT_TRUE(nothing.lines.empty());
    EXPECT_EQ(nothing.status, 0);

    // Blending a faded group makes a picture of the caption; the plain text beside it stays text.
    const std::string blended =
        Write("blended.json",
              FixedDocument(std::string(kText) + R"(, {"type": "group", "blend": "multiply",
                                                 "opacity": 0.8, "items": [
            {"type": "text", "character": {"fontFamily": "DejaVu Sans", "size": 12},
             "lines": [{"x": 20, "y": 90, "text": "Under \"the\" sea"},
                       {"x": 20, "y": 110, "text": "second line"}]}]})",
                            R"({"type": "group", "opacity": 0.5, "items": [
            {"type": "text", "character": {"fontFamily": "DejaVu Sans", "size": 12},
             "lines": [{"x": 20, "y": 40, "text": "Faded"}]}]})"));
    const ToolTest::Output found = Capture("--check " + Quote(blended));
    const auto& lines = found.lines;
    EXPECT_EQ(found.status, 3);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], blended + ": page 1, text \"Under \\\"the\\\" sea second line\": Text is "
                                  "rasterised with the artwork around it (kept as invisible text)");
    EXPECT_EQ(lines[1].rfind(blended + ": page 2, text \"Faded\": ", 0), 0u) << lines[1];

    const std::string bad = Write("bad.json", FixedDocument(R"({"type": "circle"})"));
    const Result r = Run("--check " + Quote(bad));
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("pages[0].items[0].type"), std::string::npos) << r.err;
}

TEST_F(FixedTool, LinksToNamedPlacesResolveAcrossPages) {
    const std::string json = FixedDocument(
        R"({"type": "link", "x": 0, "y": 0, "width": 50, "height": 20, "anchor": "Chart 1"},
           {"type": "link", "x": 0, "y": 30, "width": 50, "height": 20, "anchor": "tb"},
           {"type": "anchor", "name": "Chart_1", "x": 5, "y": 5})",
        R"({"type": "anchor", "name": "Chart 1", "x": 10, "y": 150},
           {"type": "anchor", "name": "tb", "x": 10, "y": 20})");
    ASSERT_EQ(Export(json).status, 0);
    const auto entries = Entries(dir_ / "out.epub");
    pugi::xml_document first, second;
    ASSERT_TRUE(Parse(first, entries.at("OEBPS/page1.xhtml")));
    ASSERT_TRUE(Parse(second, entries.at("OEBPS/page2.xhtml")));
    std::vector<std::string> hrefs;
    for (const auto& a : first.select_nodes("//a[@href]"))
        hrefs.push_back(a.node().attribute("href").value());
    ASSERT_EQ(hrefs.size(), 2u);
    // Both names convert to "Chart_1"; the later one gets a suffix, and the link follows it.
    EXPECT_EQ(hrefs[0], "page2.xhtml#Chart_1-2");
    EXPECT_TRUE(first.select_node("//a[@id='Chart_1']"));
    EXPECT_EQ(hrefs[1], "page2.xhtml#a3"); // too short for a name: numbered
    for (const std::string& href : hrefs) {
        const std::string id = href.substr(href.find('#') + 1);
        EXPECT_TRUE(second.select_node(("//*[@id='" + id + "']").c_str())) << href;
    }
    EXPECT_EQ(EpubCheck(dir_ / "out.epub").find("ERROR"), std::string::npos);

    Result r = ExpectRefused(FixedDocument(
        R"({"type": "link", "x": 0, "y": 0, "width": 5, "height": 5, "anchor": "nowhere"})"));
    EXPECT_NE(r.err.find("pages[0].items[0].anchor"), std::string::npos) << r.err;
    r = ExpectRefused(FixedDocument(R"({"type": "anchor", "name": "twice"})",
                                    R"({"type": "anchor", "name": "twice"})"));
    EXPECT_NE(r.err.find("pages[1].items[0].name"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("already on page 1"), std::string::npos) << r.err;
}

} // namespace

namespace {

// A 4 × 2 PNG: red on the left, blue on the right.
std::string TwoTonePng() {
    auto bitmap = Raster::DynamicBitmap::Create(4, 2);
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 4; ++x) {
            uint8_t* p = bitmap->Row(y) + x * 4;
            p[0] = x < 2 ? 255 : 0;
            p[1] = 0;
            p[2] = x < 2 ? 0 : 255;
            p[3] = 255;
        }
    Foundation::MemoryOutStream out;
    Raster::WritePNG(*bitmap, out);
    return out.TakeData();
}

} // namespace

TEST_F(FixedTool, PictureFillsBecomeTheirFileOrARasterisedTiling) {
    const std::string png = TwoTonePng();
    Write("tone.png", png);
    const std::string json = FixedDocument(
        R"({"type": "rect", "x": 10, "y": 10, "width": 80, "height": 40,
            "fill": {"type": "image", "file": "tone.png"}},
           {"type": "rect", "x": 10, "y": 100, "width": 80, "height": 40,
            "fill": {"type": "image", "file": "tone.png", "tile": [20, 10]}})");
    ASSERT_EQ(Export(json).status, 0);
    const auto entries = Entries(dir_ / "out.epub");
    pugi::xml_document page;
    ASSERT_TRUE(Parse(page, entries.at("OEBPS/page1.xhtml")));
    const auto images = page.select_nodes("//img");
    ASSERT_EQ(images.size(), 2u);
    // Stretched over its box: the file itself, unchanged.
    const std::string first = images[0].node().attribute("src").value();
    EXPECT_EQ(first, "image/tone.png");
    EXPECT_EQ(entries.at("OEBPS/" + first), png);
    // Tiles: drawn into a picture of their own, which repeats the two tones.
    const std::string second = images[1].node().attribute("src").value();
    ASSERT_NE(second, first);
    auto tiles = Raster::DecodeImage(entries.at("OEBPS/" + second));
    ASSERT_TRUE(tiles);
    const uint32_t y = tiles->Height() / 2, tile = tiles->Width() / 4;
    std::string tones;
    for (uint32_t x = tile / 4; x < tiles->Width(); x += tile / 2)
        tones += tiles->Row(y)[x * 4] > 128 ? 'r' : 'b';
    EXPECT_EQ(tones, "rbrbrbrb");

    Write("shape.svg", R"(<svg xmlns="http://www.w3.org/2000/svg" width="2" height="2"/>)");
    const Result r = ExpectRefused(FixedDocument(
        R"({"type": "rect", "x": 0, "y": 0, "width": 5, "height": 5,
            "fill": {"type": "image", "file": "shape.svg"}})"));
    EXPECT_NE(r.err.find("pages[0].items[0].fill.file"), std::string::npos) << r.err;
}

TEST_F(FixedTool, TextNamesItsFaceSoReadingSystemsWithoutTheEmbeddedFontFindIt) {
    ASSERT_EQ(Export(FixedDocument(R"({"type": "text", "lines": [{"x": 20, "y": 40, "runs": [
        {"text": "plain ", "character": {"fontFamily": "DejaVu Sans", "size": 12}},
        {"text": "bold", "character": {"fontFamily": "DejaVu Sans", "size": 12,
                                       "fontWeight": 700}}]}]})"))
                  .status,
              0);
    const std::string css = Entries(dir_ / "out.epub").at("OEBPS/css/styles.css");
    // Each embedded face declares its weight and style, so the browser never fakes bold on it.
    EXPECT_NE(css.find("\"DejaVu Sans 1\"; src: url(\"../font/"), std::string::npos) << css;
    EXPECT_NE(css.find("font-weight: 700; font-style: normal; }"), std::string::npos) << css;
    EXPECT_NE(css.find("font-family: \"DejaVu Sans 2\", \"DejaVu Sans\"; font-size: 12px; "
                       "font-weight: 700"),
              std::string::npos)
        << css;
}

// A poster-sized page as the cover: drawn no larger than a reading system takes a JPEG.
TEST_F(FixedTool, APosterPageCoverIsDrawnWithinTheJpegLimit) {
    std::string json = FixedDocument(kText);
    json.replace(json.find(R"("cover": false)"), 14, R"("pageDPI": 96, "cover": 1)");
    for (const char* size :
         {R"("width": 14400, "height": 7200)", R"("width": 5000, "height": 300)"}) {
        std::string poster = json;
        const std::string page = R"("width": 200, "height": 300)";
        poster.replace(poster.find(page), page.size(), size);
        const Result r = Export(poster);
        ASSERT_EQ(r.status, 0) << size << ": " << r.err;
        const auto entries = Entries(dir_ / "out.epub");
        const auto cover = std::find_if(entries.begin(), entries.end(), [](const auto& e) {
            return e.first.ends_with("cover.jpg");
        });
        ASSERT_NE(cover, entries.end());
        // Baseline JPEG frame header: marker, length, precision, then height and width.
        const std::string& jpeg = cover->second;
        const size_t sof = jpeg.find("\xFF\xC0");
        ASSERT_NE(sof, std::string::npos);
        const auto at = [&](size_t i) { return static_cast<unsigned>(uint8_t(jpeg[sof + i])); };
        const unsigned height = at(5) << 8 | at(6), width = at(7) << 8 | at(8);
        EXPECT_LE(std::max(width, height), 4096u) << size;
        EXPECT_GE(std::max(width, height), 4095u) << size;
    }
}

namespace {

std::string Frame(const std::string& text) {
    return R"({"type": "textFrame", "x": 10, "y": 10, "width": 180, "height": 200,
               "character": {"fontFamily": "DejaVu Sans", "size": 12},
               "paragraphs": [{"text": ")" +
           text + R"("}]})";
}

} // namespace

// What a document may say is refused with its place before anything is written, as for
// reflowable documents; --check refuses it the same way.
TEST_F(FixedTool, ValuesPagesCannotCarryAreRefusedWithTheirPlace) {
    const std::string plain = FixedDocument(kText);
    const auto refused = [&](std::string json, const std::string& path) {
        const Result r = ExpectRefused(json);
        EXPECT_NE(r.err.find(path + ": "), std::string::npos) << r.err;
        EXPECT_EQ(Run("--check " + Quote(dir_ / "in.json")).status, 2) << path;
    };
    std::string language = plain;
    language.replace(language.find(R"("language": "en")"), 16, R"("language": "en\" onload=\"x")");
    refused(language, "$.metadata.language");

    Write("script.svg", R"(<svg xmlns="http://www.w3.org/2000/svg" width="2" height="2">
                           <script>alert(1)</script></svg>)");
    Write("entity.svg", R"(<!DOCTYPE svg [<!ENTITY a "aaaa">]>
                           <svg xmlns="http://www.w3.org/2000/svg">&a;</svg>)");
    Write("broken.svg", R"(<svg xmlns="http://www.w3.org/2000/svg"><g></svg>)");
    for (const char* svg : {"script.svg", "entity.svg", "broken.svg"})
        refused(FixedDocument(std::string(R"({"type": "image", "x": 0, "y": 0, "width": 9,
                                              "height": 9, "file": ")") +
                              svg + "\"}"),
                "$.pages[0].items[0].file");

    // Nested scales multiply: each is modest, together they would place text nowhere.
    refused(FixedDocument(R"({"type": "group", "transform": [1e300, 0, 0, 1e300, 0, 0],
                              "items": []})"),
            "$.pages[0].items[0].transform");
    refused(FixedDocument(R"({"type": "group", "transform": {"scale": 1000}, "items": [
                               {"type": "group", "transform": {"scale": 1000}, "items": []}]})"),
            "$.pages[0].items[0].items[0].transform");
}

TEST_F(FixedTool, DocumentedMetadataAndLandmarksAreTakenAndUntitledTakesTheInputsName) {
    std::string json = FixedDocument(kText);
    json.replace(json.find(R"("title": "Pages", )"), 18,
                 R"("title": "", "pageSource": "urn:isbn:9780306406157", "date": "2024-05-17", )");
    json.replace(json.find(R"("items")"), 7, R"("landmarks": ["copyright-page"], "items")");
    // A link to the only page there is.
    const std::string one = json.substr(0, json.find("}, {\"width\"")) + "}]}";
    std::string linked = one;
    linked.replace(linked.find(R"("items": [)"), 10,
                   R"("items": [{"type": "link", "x": 0, "y": 0, "width": 9, "height": 9,
                                 "page": 1}, )");
    Write("Mein Buch.json", linked);
    const Result r = Run(Quote(dir_ / "Mein Buch.json") + " -o " + Quote(dir_ / "other.epub"));
    ASSERT_EQ(r.status, 0) << r.err;
    const auto entries = Entries(dir_ / "other.epub");
    const std::string& opf = entries.at("OEBPS/package.opf");
    EXPECT_NE(opf.find("<dc:title>Mein Buch</dc:title>"), std::string::npos) << opf;
    EXPECT_NE(opf.find("<meta property=\"pageBreakSource\">urn:isbn:9780306406157</meta>"),
              std::string::npos)
        << opf;
    EXPECT_NE(opf.find("<dc:source>9780306406157</dc:source>"), std::string::npos) << opf;
    EXPECT_NE(opf.find("<dc:date>2024-05-17</dc:date>"), std::string::npos) << opf;
    pugi::xml_document nav, page;
    ASSERT_TRUE(Parse(nav, entries.at("OEBPS/nav.xhtml")));
    EXPECT_TRUE(nav.select_node("//*[@epub:type='copyright-page'][@href='page1.xhtml']"));
    ASSERT_TRUE(Parse(page, entries.at("OEBPS/page1.xhtml")));
    EXPECT_TRUE(page.select_node("//*[local-name()='a'][@href='page1.xhtml']"));
}

// Text the line breaker or the page writer once choked on: flags and other sequences of several
// code points, and characters XML cannot hold, in frames, lines and page labels.
TEST_F(FixedTool, AnyTextGivesWellFormedPages) {
    std::string json = FixedDocument(
        Frame("Flags \xF0\x9F\x87\xA9\xF0\x9F\x87\xAA\xF0\x9F\x87\xAB\xF0\x9F\x87\xB7 and a "
              "lone \xF0\x9F\x87\xA6, a family \xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80"
              "\x8D\xF0\x9F\x91\xA7, e\xCC\x81\xCC\x81 and \xE2\x9D\xA4\xEF\xB8\x8F; "
              "a\\u0001b, non\\uFFFFcharacter"),
        R"({"type": "text", "character": {"fontFamily": "DejaVu Sans", "size": 14},
            "lines": [{"x": 20, "y": 40, "text": "c\u0001d\uFFFEe"}]})");
    json.replace(json.find(R"("items")"), 7, R"("label": "i\u0001v", "items")");
    const Result r = Export(json);
    ASSERT_EQ(r.status, 0) << r.err;
    const auto entries = Entries(dir_ / "out.epub");
    for (const char* name : {"OEBPS/page1.xhtml", "OEBPS/page2.xhtml", "OEBPS/nav.xhtml"}) {
        pugi::xml_document doc;
        EXPECT_TRUE(Parse(doc, entries.at(name))) << name;
        EXPECT_EQ(entries.at(name).find("&#1;"), std::string::npos) << name;
    }
    EXPECT_NE(entries.at("OEBPS/page2.xhtml").find(">cde<"), std::string::npos);
    EXPECT_NE(entries.at("OEBPS/nav.xhtml").find(">iv</a>"), std::string::npos);
    EXPECT_EQ(Capture("--check " + Quote(dir_ / "in.json")).status, 3); // DejaVu has no flags
}

// Whatever the document asks that a page cannot draw, --check names, one line per finding.
TEST_F(FixedTool, CheckNamesCharacterAttributesPagesCannotDrawAndLongArtwork) {
    const std::string json = FixedDocument(
        R"({"type": "text", "character": {"fontFamily": "DejaVu Sans", "size": 14,
                                          "underline": "single", "horizontalScale": 1.5},
            "lines": [{"x": 20, "y": 40, "text": "one\u2028two\u0085three\u2029four"}]},
           {"type": "text", "character": {"fontFamily": "DejaVu Sans", "size": 14},
            "lines": [{"x": 20, "y": 80, "text": "plain"}]})",
        R"({"type": "group", "opacity": 0.5, "items": [
            {"type": "path", "d": "M0 0 L3 0 L3 10000 Z", "fill": "#ff0000"}]})");
    std::string tall = json;
    const std::string size = R"("width": 200, "height": 300, "items": [{"type": "group")";
    tall.replace(tall.find(size), size.size(),
                 R"("width": 200, "height": 14400, "items": [{"type": "group")");
    const std::string input = Write("atts.json", tall);
    const ToolTest::Output out = Capture("--check " + Quote(input));
    EXPECT_EQ(out.status, 3);
    // Line and paragraph separators in an excerpt would split its line.
    ASSERT_EQ(out.lines.size(), 3u);
    EXPECT_EQ(out.lines[0], input + ": page 1, text \"one two three four\": Character attributes "
                                    "have no effect on a fixed-layout page: horizontalScale");
    EXPECT_EQ(out.lines[1].rfind(input + ": page 1, text \"one two three four\": No installed", 0),
              0u)
        << out.lines[1];
    EXPECT_EQ(out.lines[2].rfind(input + ": page 2: Artwork too long for a bitmap", 0), 0u)
        << out.lines[2];
    // Drawn all the same, at the resolution that fits.
    ASSERT_EQ(Run(Quote(input) + " -o " + Quote(dir_ / "tall.epub")).status, 0);
    const auto entries = Entries(dir_ / "tall.epub");
    pugi::xml_document page;
    ASSERT_TRUE(Parse(page, entries.at("OEBPS/page2.xhtml")));
    const auto img = page.select_node("//*[local-name()='img']");
    ASSERT_TRUE(img);
    const auto bitmap = Raster::DecodeImage(
        entries.at("OEBPS/" + std::string(img.node().attribute("src").value())));
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->Height(), 32767u);
}

// A character hyperlink becomes a link area over each line's share of its text: to a page (even
// the only one), a named place or the web.
TEST_F(FixedTool, CharacterHyperlinksBecomeLinkAreas) {
    const std::string json = R"({"layout": "fixed", "options": {"cover": false}, "pages": [
      {"width": 200, "height": 300, "items": [
        {"type": "text", "character": {"fontFamily": "DejaVu Sans", "size": 12}, "lines": [
          {"x": 10, "y": 20, "runs": [{"text": "see "},
            {"text": "this page", "character": {"hyperlink": {"page": 1}}},
            {"text": " or the web", "character": {"hyperlink": "https://example.org/"}}]}]},
        {"type": "textFrame", "x": 10, "y": 40, "width": 80, "height": 200,
         "character": {"fontFamily": "DejaVu Sans", "size": 12},
         "paragraphs": [{"text": "a linked text over several lines",
                         "character": {"hyperlink": {"anchor": "there"}}}]},
        {"type": "anchor", "name": "there", "x": 5, "y": 5}]}]})";
    const Result r = Export(json);
    ASSERT_EQ(r.status, 0) << r.err;
    pugi::xml_document page;
    ASSERT_TRUE(Parse(page, Entries(dir_ / "out.epub").at("OEBPS/page1.xhtml")));
    std::vector<std::string> hrefs;
    for (const auto& a : page.select_nodes("//*[local-name()='a'][@href]"))
        hrefs.push_back(a.node().attribute("href").value());
    ASSERT_GE(hrefs.size(), 4u);
    EXPECT_EQ(hrefs[0], "page1.xhtml");
    EXPECT_EQ(hrefs[1], "https://example.org/");
    for (size_t i = 2; i < hrefs.size(); ++i)
        EXPECT_EQ(hrefs[i], "page1.xhtml#there");
    EXPECT_TRUE(Capture("--check " + Quote(dir_ / "in.json")).lines.empty());

    std::string nowhere = json;
    nowhere.replace(nowhere.find(R"("name": "there")"), 15, R"("name": "elsewhere")");
    const Result refused = ExpectRefused(nowhere);
    EXPECT_NE(refused.err.find("$.pages[0].items[1].paragraphs[0]: no anchor item named"),
              std::string::npos)
        << refused.err;
}

// Underlines and strikethroughs are rules in the text's colour; superscripts are set smaller and
// raised, as browsers set them.
TEST_F(FixedTool, DecorationsAndScriptsAreDrawn) {
    const Result r = Export(FixedDocument(
        R"({"type": "text", "character": {"fontFamily": "DejaVu Sans", "size": 20}, "lines": [
             {"x": 10, "y": 40, "runs": [{"text": "mc"},
               {"text": "2", "character": {"baselinePosition": "superscript"}},
               {"text": " under", "character": {"underline": "double", "textFill": "#ff0000"}},
               {"text": " struck", "character": {"strikethrough": "single"}}]}]})"));
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string css = Entries(dir_ / "out.epub").at("OEBPS/css/page1.css");
    const auto count = [&](const std::string& what) {
        size_t n = 0;
        for (size_t at = css.find(what); at != std::string::npos; at = css.find(what, at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(count("height: 1px; background-color: #ff0000"), 2u) << css;
    EXPECT_EQ(count("height: 1px; background-color: #000000"), 1u) << css;
    // Line boxes are centred on the baseline: 40 for the text, 0.33 em higher for the smaller
    // superscript (24 px high from 21.4: centred on 33.4).
    EXPECT_EQ(count("line-height: 40px; left: 10px; top: 20px"), 1u) << css;
    EXPECT_EQ(count("line-height: 24px; left: "), 1u) << css;
    EXPECT_EQ(count("px; top: 21.4px }"), 1u) << css;
    EXPECT_TRUE(Capture("--check " + Quote(dir_ / "in.json")).lines.empty());
}

// Pages marked with spread sides pair up in the book's direction; a side that cannot is named by
// --check and warned of by the export, which still makes the publication.
TEST_F(FixedTool, SpreadSidesThatCannotPairAreFoundAndWarnedOf) {
    auto book = [](const std::string& progression, const std::vector<std::string>& sides) {
        std::string pages;
        for (const std::string& side : sides)
            pages += std::string(pages.empty() ? "" : ", ") + R"({"width": 100, "height": 100, )" +
                     (side.empty() ? "" : R"("spread": ")" + side + "\", ") + R"("items": []})";
        return R"({"layout": "fixed", "options": {"cover": false, "pageProgression": ")" +
               progression + R"("}, "metadata": {"title": "S", "language": "en"}, "pages": [)" +
               pages + "]}";
    };
    auto pagesFound = [&](const std::string& json) {
        Write("in.json", json);
        std::vector<std::string> found;
        for (const std::string& line : Capture("--check in.json").lines)
            found.push_back(line.substr(0, line.find(": Spread")));
        return found;
    };
    using Pages = std::vector<std::string>;
    EXPECT_EQ(pagesFound(book("rtl", {"right", "left", "", "", "center", "right"})), Pages{});
    EXPECT_EQ(pagesFound(book("rtl", {"left", "right", "", "", "left"})), Pages{});
    EXPECT_EQ(pagesFound(book("rtl", {"right", "right", "", "left", "center", "left"})),
              (Pages{"in.json: page 2", "in.json: page 4", "in.json: page 6"}));
    // The same sides read left to right pair the other way round.
    EXPECT_EQ(pagesFound(book("ltr", {"left", "left", "right"})), Pages{"in.json: page 2"});
    EXPECT_EQ(pagesFound(book("ltr", {"right", "left", "", "", "right"})), Pages{});

    const std::string unpaired = book("rtl", {"", "right", "center"});
    const ToolTest::Output checked = Capture("--check " + Quote(Write("in.json", unpaired)));
    EXPECT_EQ(checked.status, 3);
    ASSERT_EQ(checked.lines.size(), 1u);
    const std::string message = "page 3: Spread side \"center\" cannot pair with the page before "
                                "it: right to left, a spread is a right page and then a left one";
    EXPECT_NE(checked.lines[0].find(message), std::string::npos) << checked.lines[0];
    const Result exported = Export(unpaired);
    EXPECT_EQ(exported.status, 0) << exported.err;
    EXPECT_NE(exported.err.find("warning: "), std::string::npos) << exported.err;
    EXPECT_NE(exported.err.find(message), std::string::npos) << exported.err;
    EXPECT_EQ(Run("--fail-on-warnings '" + Write("in.json", unpaired) + "' -o '" +
                  (dir_ / "strict.epub") + "'")
                  .status,
              3);
}

// Characters the font lacks are drawn from other installed faces, which are embedded too; only
// what no face has is a finding.
TEST_F(FixedTool, CharactersTheFontLacksComeFromFacesThatHaveThem) {
    const std::string json = FixedDocument(
        R"({"type": "text", "character": {"fontFamily": "DejaVu Sans", "size": 14},
            "lines": [{"x": 20, "y": 40, "text": "Tea \u8336 \ud83c\udf75"}]})",
        R"({"type": "text", "character": {"fontFamily": "DejaVu Sans", "size": 14},
            "lines": [{"x": 20, "y": 40, "text": "Lost \udbff\udffd"}]})");
    Write("in.json", json);
    const ToolTest::Output found = Capture("--check in.json");
    ASSERT_EQ(found.lines.size(), 1u) << found.err;
    EXPECT_EQ(found.lines[0], "in.json: page 2, text \"Lost \xF4\x8F\xBF\xBD\": No installed "
                              "font has a glyph for some of these characters");
    const Result r = Export(json);
    ASSERT_EQ(r.status, 0) << r.err;
    const auto entries = Entries(dir_ / "out.epub");
    size_t fonts = 0;
    for (const auto& [name, data] : entries)
        if (name.starts_with("OEBPS/font/")) {
            ++fonts;
            // Cut to the few glyphs used: the whole emoji face is megabytes.
            EXPECT_LT(data.size(), 200000u) << name;
        }
    EXPECT_EQ(fonts, 3u);
    const std::string& css = entries.at("OEBPS/css/styles.css");
    EXPECT_NE(css.find("Noto Color Emoji"), std::string::npos);
    EXPECT_NE(css.find("WenQuanYi Zen Hei"), std::string::npos);
}

// SPDX-License-Identifier: MIT
// Fixed-layout artwork as a reader gets it: what is rasterised keeps its text, links and named
// places, and pictures are rasterised no sharper than the page can show.

#include "cli/ToolFixture.h"
#include "host/raster/ImageEncoder.h"
#include "host/raster/ImageFile.h"

#include <algorithm>

namespace {

using ToolTest::Result;

std::string Page(const std::string& items, const std::string& second = "") {
    return R"({"layout": "fixed", "options": {"cover": false},
  "metadata": {"title": "Art", "language": "en",
               "identifier": "urn:uuid:11111111-2222-4333-8444-555555555555"},
  "pages": [{"width": 200, "height": 300, "items": [)" +
           items + R"(]}, {"width": 200, "height": 300, "items": [)" + second + "]}]}";
}

std::string Text(const std::string& text, const std::string& fill = "\"#000000\"") {
    return R"({"type": "text", "character": {"fontFamily": "DejaVu Sans", "size": 12, "textFill": )" +
           fill + R"(}, "lines": [{"x": 20, "y": 40, "text": ")" + text + R"("}]})";
}

class FixedArtwork : public ToolTest::Tool {
protected:
    // Page 1 parsed, with the text a reader selects on it.
    std::string PageText(pugi::xml_document& page) {
        const auto entries = Entries(dir_ / "out.epub");
        EXPECT_TRUE(Parse(page, entries.at("OEBPS/page1.xhtml")));
        std::string text;
        for (const auto& node : page.select_nodes("//text()"))
            text += node.node().value();
        return text;
    }

    // The size of the picture behind the page's `n`th img.
    std::pair<uint32_t, uint32_t> PictureSize(pugi::xml_document& page, size_t n) {
        const auto images = page.select_nodes("//img[not(@class='link-area')]");
        EXPECT_GT(images.size(), n);
        if (images.size() <= n)
            return {};
        const auto entries = Entries(dir_ / "out.epub");
        const auto bitmap = Raster::DecodeImage(
            entries.at("OEBPS/" + std::string(images[n].node().attribute("src").value())));
        EXPECT_TRUE(bitmap);
        return bitmap ? std::pair{bitmap->Width(), bitmap->Height()} : std::pair{0u, 0u};
    }
};

// A 4 × 2 opaque PNG.
std::string SmallPng() {
    auto bitmap = Raster::DynamicBitmap::Create(4, 2);
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 4; ++x) {
            uint8_t* p = bitmap->Row(y) + x * 4;
            p[0] = 200, p[1] = 40, p[2] = uint8_t(x * 60), p[3] = 255;
        }
    Foundation::MemoryOutStream out;
    Raster::WritePNG(*bitmap, out);
    return out.TakeData();
}

TEST_F(FixedArtwork, RasterisedItemsKeepTheirTextLinksAndAnchors) {
    const std::string json = Page(
        Text("No fill", "\"none\"") + "," +
            Text("Gradient",
                 R"({"type": "linear", "gradient": [{"position": 0, "colour": "#ff0000"},
                     {"position": 1, "colour": "#0000ff"}]})") +
            R"(, {"type": "group", "opacity": 0.5, "items": [)" + Text("Faded") + R"(,
                {"type": "link", "x": 10, "y": 10, "width": 50, "height": 20,
                 "url": "https://example.org/"},
                {"type": "anchor", "name": "in faded art", "x": 10, "y": 60}]},
            {"type": "group", "blend": "multiply", "items": [
                {"type": "rect", "x": 0, "y": 0, "width": 80, "height": 80, "fill": "#ffcc00"},
                {"type": "group", "hidden": true, "items": [)" +
            Text("Layer") + R"(]}]},
            {"type": "group", "opacity": 0.5, "transform": {"translate": [-1000, 0]},
             "items": [)" +
            Text("Off the page") + R"(]},
            {"type": "group", "clip": "M 10 20 l -5.5 .5 z", "items": [)" +
            Text("Clipped away") + "]}",
        R"({"type": "link", "x": 0, "y": 0, "width": 50, "height": 20, "anchor": "in faded art"})");
    const Result r = Export(json);
    ASSERT_EQ(r.status, 0) << r.err;
    pugi::xml_document page;
    const std::string text = PageText(page);
    for (const char* kept :
         {"No fill", "Gradient", "Faded", "Layer", "Off the page", "Clipped away"})
        EXPECT_NE(text.find(kept), std::string::npos) << kept << " in " << text;
    // A hidden layer's text stays in a hidden layer, not among what is read aloud.
    EXPECT_TRUE(page.select_node("//div[@class='hidden-layer']//span[.='Layer']"));
    EXPECT_TRUE(page.select_node("//a[@href='https://example.org/']"));
    EXPECT_TRUE(page.select_node("//a[@id='in_faded_art']"));
    const std::string report = EpubCheck(dir_ / "out.epub");
    EXPECT_EQ(report.find("ERROR"), std::string::npos) << report;
    EXPECT_EQ(report.find("WARNING"), std::string::npos) << report;
}

// Text scaled past anything a bitmap can show is left out of the cover drawing, where cairo
// would fail to make a font that size (and, under the sanitizers, leak what it made).
TEST_F(FixedArtwork, TextScaledBeyondAnyBitmapStillExports) {
    std::string json = Page(R"({"type": "group", "transform": {"scale": 10000, "translate": [0, 0]},
        "items": [)" + Text("Huge") +
                            "]}");
    json.replace(json.find(R"("cover": false)"), 14, R"("cover": 1)");
    const Result r = Export(json);
    ASSERT_EQ(r.status, 0) << r.err;
    const auto entries = Entries(dir_ / "out.epub");
    EXPECT_TRUE(
        std::ranges::any_of(entries, [](const auto& e) { return e.first.ends_with("cover.jpg"); }));
}

TEST_F(FixedArtwork, ContentsOutOfPageOrderAreRefused) {
    std::string json = Page(Text("One"), Text("Two"));
    json.replace(json.find(R"("pages")"), 7,
                 R"("contents": [{"title": "B", "page": 2}, {"title": "A", "page": 1}], "pages")");
    const Result r = ExpectRefused(json);
    EXPECT_NE(r.err.find("$.contents[1].page: contents go in page order"), std::string::npos)
        << r.err;
}

TEST_F(FixedArtwork, PicturesAreNotUpscaledAndArtworkFollowsThePageSize) {
    const std::string png = SmallPng();
    Write("small.png", png);
    const std::string json = Page(
        R"({"type": "image", "file": "small.png", "x": 0, "y": 0, "width": 200, "height": 100,
            "opacity": 0.5, "alt": "A faded picture"},
           {"type": "group", "blend": "multiply", "items": [
            {"type": "image", "file": "small.png", "x": 0, "y": 100, "width": 200,
             "height": 100}]},
           {"type": "group", "blend": "multiply", "items": [
            {"type": "rect", "x": 0, "y": 0, "width": 200, "height": 300, "fill": "#336699"},
            {"type": "path", "d": "M 0 0 L 200 300", "stroke": {"colour": "#000000", "width": 1}}]})");
    ASSERT_EQ(Export(json).status, 0);
    pugi::xml_document page;
    PageText(page);
    const auto images = page.select_nodes("//img[not(@class='link-area')]");
    ASSERT_EQ(images.size(), 3u);
    // Translucent: the file as given, faded by the page's style, with its text alternative.
    const auto entries = Entries(dir_ / "out.epub");
    EXPECT_EQ(entries.at("OEBPS/" + std::string(images[0].node().attribute("src").value())), png);
    EXPECT_STREQ(images[0].node().attribute("alt").value(), "A faded picture");
    const std::string css = entries.at("OEBPS/css/page1.css");
    EXPECT_NE(css.find("opacity: 0.5"), std::string::npos) << css;
    // Blended, a picture alone is drawn at about one pixel per point, not at the text
    // resolution's twenty.
    const auto [blendedWidth, blendedHeight] = PictureSize(page, 1);
    EXPECT_LE(blendedWidth, 202u);
    EXPECT_LE(blendedHeight, 102u);
    // Vector artwork over the whole page: at most the 2048 pixels a page of 300 CSS pixels gets,
    // not 6000.
    const auto [artWidth, artHeight] = PictureSize(page, 2);
    EXPECT_LE(artHeight, 2048u);
    EXPECT_GE(artHeight, 1200u);
    EXPECT_NEAR(double(artWidth) / artHeight, 2.0 / 3, 0.01);
}

} // namespace

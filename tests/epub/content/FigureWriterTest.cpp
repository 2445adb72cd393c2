// SPDX-License-Identifier: MIT
#include "epub/content/FigureWriter.h"
#include "epub/content/Article.h"
#include "epub/flowing/FlowingEPubExporter.h"
#include "host/foundation/DataSource.h"
#include "host/raster/ImageEncoder.h"
#include "host/text/AttributeIds.h"
#include "tests/epub/content/MemoryExporter.h"
#include "tests/hostimpl/foundation/ZipTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

using namespace ContentTest;
using FoundationTest::ScratchDir;

namespace {

constexpr std::string_view kSvg =
    "<?xml version=\"1.0\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100\" "
    "height=\"50\"><rect width=\"100\" height=\"50\" fill=\"red\"/></svg>\n";

Counted<const Raster::DynamicBitmap> RedSquare(uint32_t side) {
    auto bitmap = Raster::DynamicBitmap::Create(side, side);
    for (size_t i = 0; i < bitmap->Pixels().size(); i += 4) {
        bitmap->Pixels()[i] = 255;
        bitmap->Pixels()[i + 3] = 255;
    }
    return bitmap;
}

Counted<const Render::RenderTags> Tags(const char* alt, const char* description = "",
                                       const char* className = "") {
    Render::RenderTags::Fields fields;
    fields.altText = alt;
    fields.description = description;
    fields.className = className;
    return Render::RenderTags::Make(std::move(fields));
}

Counted<const Foundation::DataSource> FileSource(const std::string& path) {
    return Foundation::MakeCounted<Foundation::FileDataSource>(StringT(path));
}

// Writes picture frames the way a host does: a frame holding a bitmap becomes an image, one
// naming a file becomes an SVG drawing.
void InstallPictureWriter(HtmlExporter& exporter, const bool& wrapInClassDiv) {
    exporter.Callbacks().writeFrame = [&exporter, &wrapInClassDiv](const Text::PinGlyph& pin,
                                                                   const Text::StoryPos&) {
        const Text::AnchoredFrame* frame = pin.GetFrame();
        if (!frame)
            return;
        const Foundation::SizeT<double> size{frame->GetWidth(), frame->GetHeight()};
        if (!frame->GetContentPath().empty()) {
            exporter.ExportSVG(FileSource(frame->GetContentPath().str()), size, 72,
                               frame->GetName(), size, {}, frame->GetTags(), wrapInClassDiv);
            return;
        }
        const auto bitmap =
            Foundation::CountedCast<const Raster::DynamicBitmap>(frame->GetContent());
        exporter.ExportImage(bitmap, nullptr, frame->GetName(), Raster::FileType::PNG, size,
                             frame->GetTags(), wrapInClassDiv);
    };
    exporter.Callbacks().isFrameImage = [](const Text::PinnedObject&) { return true; };
}

Text::FrameSettings Picture(const char* name, Counted<const Render::RenderTags> tags = {}) {
    Text::FrameSettings frame;
    frame.name = name;
    frame.width = 24;
    frame.height = 12;
    frame.content = RedSquare(4);
    frame.tags = std::move(tags);
    return frame;
}

Text::FrameSettings Drawing(const std::string& path, Counted<const Render::RenderTags> tags = {}) {
    Text::FrameSettings frame;
    frame.name = "drawing";
    frame.width = 100;
    frame.height = 50;
    frame.contentPath = StringT(path);
    frame.tags = std::move(tags);
    return frame;
}

Counted<const Text::ImageBulletGlyph> Bullet() {
    return Text::ImageBulletGlyph::Make(
        Text::BulletImage::Make({0, 0, 1, 1}, 0.25, RedSquare(4), "dot.png"));
}

class FigureWriterTest : public ExportFixture {
protected:
    FigureWriterTest() {
        InstallPictureWriter(exporter_, wrap_);
        FoundationTest::WriteFileBytes(svgPath_, kSvg);
    }

    // "before", the frame, "after" in one paragraph, exported as `name`.
    pugi::xml_node ExportAround(const Text::FrameSettings& frame,
                                const std::string& name = "f.xhtml") {
        auto b = Builder();
        b.Paragraph().Text("before").Frame(frame).Text("after");
        EXPECT_TRUE(Export(b.Build(), name));
        doc_ = Parse(name);
        return Body(doc_);
    }

    std::string ImageStyles() const { return exporter_.Styles().DescribeImageStyles().str(); }

    bool wrap_ = false;
    ScratchDir dir_;
    std::string svgPath_ = dir_ / "drawing.svg";
    pugi::xml_document doc_;
};

TEST_F(FigureWriterTest, DecorativeImageStaysInlineWithAnEmptyAlternative) {
    const auto body = ExportAround(Picture("pic"));
    EXPECT_EQ(ChildNames(body), std::vector<std::string>{"p"});
    const auto img = body.select_node("p//img").node();
    ASSERT_TRUE(img) << exporter_.Text("f.xhtml");
    EXPECT_STREQ(img.attribute("id").value(), "img-1");
    EXPECT_STREQ(img.attribute("src").value(), "images/pic.png");
    EXPECT_STREQ(img.attribute("alt").value(), "");
    EXPECT_STREQ(img.attribute("role").value(), "presentation");
    EXPECT_FALSE(img.attribute("class"));
    EXPECT_EQ(AllText(body), "beforeafter");
    EXPECT_EQ(exporter_.Opened("images/pic.png"), 1u);
    // 24 by 12 units at 72 dpi is 2 by 1 rem; the rule has no comment line.
    EXPECT_NE(ImageStyles().find("#img-1 {\nwidth: 2rem;\nheight: 1rem;\n}"), std::string::npos)
        << ImageStyles();
    // The document holding the image links the image style sheet, which is then written.
    EXPECT_TRUE(doc_.select_node("//link[@href='images.css']"));
    // Pictures are found from documents in folders too.
    const auto nested = ExportAround(Picture("pic"), "sub/g.xhtml");
    EXPECT_STREQ(nested.select_node(".//img").node().attribute("src").value(),
                 "../images/pic_1.png");
}

TEST_F(FigureWriterTest, DescribedImageBecomesAFigureFollowedByItsDetails) {
    exporter_.Callbacks().localise = [](const StringT& key, const Text::Language*,
                                        const StringT& text) {
        return key == "EPUB:Description" ? StringT("Beschreibung") : text;
    };
    const auto body = ExportAround(Picture("cat", Tags("A cat", "A black cat <asleep>")));
    // The paragraph is closed before the figure and reopened after the details.
    EXPECT_EQ(ChildNames(body), (std::vector<std::string>{"p", "figure", "details", "p"}));
    const auto figure = body.child("figure");
    EXPECT_STREQ(figure.attribute("id").value(), "fig-1");
    const auto img = figure.child("img");
    EXPECT_STREQ(img.attribute("alt").value(), "A cat");
    EXPECT_STREQ(img.attribute("aria-details").value(), "fig-1-desc");
    EXPECT_FALSE(img.attribute("role"));
    const auto details = body.child("details");
    EXPECT_STREQ(details.attribute("id").value(), img.attribute("aria-details").value());
    EXPECT_STREQ(details.child("summary").text().get(), "Beschreibung");
    EXPECT_STREQ(details.child("p").text().get(), "A black cat <asleep>");
    EXPECT_EQ(AllText(body.last_child()), "after");
    EXPECT_NE(ImageStyles().find("#img-1 {\n/* A cat */\nwidth: 2rem;"), std::string::npos);

    // Summary text and styles come from the tags; an unknown style gives no class.
    styles_->AddStyle(Text::Style::Make(
        "Caption", Text::StyleKind::Paragraph, "",
        Text::Delta::Make(Text::AttCategory::Paragraph, Text::ParaInt::Alignment, 1)));
    Render::RenderTags::Fields fields;
    fields.description = "long";
    fields.summaryText = "More";
    fields.summaryStyle = "Caption";
    fields.descriptionStyle = "NoSuchStyle";
    const auto styled = ExportAround(Picture("p", Render::RenderTags::Make(fields)), "g.xhtml");
    const auto details2 = styled.child("details");
    EXPECT_STREQ(details2.child("summary").text().get(), "More");
    EXPECT_STREQ(details2.child("summary").attribute("class").value(), "Caption");
    EXPECT_FALSE(details2.child("p").attribute("class"));
    // Without alternative text there is no alt attribute, only the link to the description.
    EXPECT_FALSE(styled.child("figure").child("img").attribute("alt"));
}

TEST_F(FigureWriterTest, WrappingMovesTheClassOntoADivOutsideTheParagraph) {
    auto body = ExportAround(Picture("a", Tags("x", "", "photo")));
    EXPECT_STREQ(body.select_node("p//img").node().attribute("class").value(), "photo");

    wrap_ = true;
    body = ExportAround(Picture("b", Tags("x", "", "photo")), "g.xhtml");
    EXPECT_EQ(ChildNames(body), (std::vector<std::string>{"p", "div", "p"}));
    const auto div = body.child("div");
    EXPECT_STREQ(div.attribute("class").value(), "photo");
    EXPECT_FALSE(div.child("img").attribute("class"));

    // Without a class name there is nothing to wrap.
    body = ExportAround(Picture("c", Tags("x")), "h.xhtml");
    EXPECT_EQ(ChildNames(body), std::vector<std::string>{"p"});
}

TEST_F(FigureWriterTest, FigureNumbersCountAcrossImagesDrawingsAndDocuments) {
    auto b = Builder();
    b.Paragraph().Text("a").Frame(Picture("one")).Frame(Drawing(svgPath_, Tags("plan", "d")));
    ASSERT_TRUE(Export(b.Build(), "first.xhtml"));
    b.Paragraph().Frame(Picture("two"));
    ASSERT_TRUE(Export(b.Build(), "second.xhtml"));

    const auto first = Parse("first.xhtml");
    EXPECT_TRUE(first.select_node("//img[@id='img-1']"));
    EXPECT_TRUE(first.select_node("//figure[@id='fig-2']"));
    const auto object = first.select_node("//figure/div/object").node();
    ASSERT_TRUE(object) << exporter_.Text("first.xhtml");
    EXPECT_STREQ(object.parent().attribute("class").value(), "_objectAttr-1 _svgAttr-1");
    EXPECT_STREQ(object.attribute("data").value(), "images/drawing.svg");
    EXPECT_STREQ(object.attribute("type").value(), "image/svg+xml");
    EXPECT_STREQ(object.attribute("aria-details").value(), "fig-2-desc");
    // An object has no alt attribute; the alternative text names it instead.
    EXPECT_FALSE(object.attribute("alt"));
    EXPECT_STREQ(object.attribute("aria-label").value(), "plan");
    EXPECT_STREQ(object.attribute("role").value(), "img");
    // The drawing's details carry no style classes.
    EXPECT_FALSE(first.select_node("//details/summary[@class]"));
    EXPECT_EQ(exporter_.Text("images/drawing.svg"), kSvg);
    EXPECT_TRUE(Parse("second.xhtml").select_node("//img[@id='img-3']"));

    const std::string css = ImageStyles();
    EXPECT_NE(css.find("div._objectAttr-1 {\n-webkit-transform:translate(0.000%,0.000%) "
                       "rotate(0.000deg) skew(0.000deg) scale(1.000,1.000);\n"),
              std::string::npos)
        << css;
    EXPECT_NE(css.find("width:100px;\nheight:50px;\n"), std::string::npos);
    EXPECT_NE(css.find("._svgAttr-1 {\nwidth:100%;\nheight:100%;\n"), std::string::npos);
}

TEST_F(FigureWriterTest, AClippedDrawingIsScaledAndMovedToItsBox) {
    auto b = Builder();
    b.Paragraph().Text("x");
    const auto story = b.Build();
    exporter_.Callbacks().writeItem = [&](int32_t) {
        // Drawing units of 1/144 inch: the clip is 25 by 12.5 pixels, shown at 100 by 50.
        EXPECT_TRUE(exporter_.ExportSVG(FileSource(svgPath_), {100, 50}, 144, "d", {100, 50},
                                        {10, 20, 60, 45}, nullptr, false));
    };
    exporter_.Callbacks().isItemImage = [](int32_t) { return true; };
    Article article;
    article.title = "A";
    article.stories = {story};
    article.ends = {story->GetTerminator()};
    article.frameScales = {{}};
    article.items = {1};
    ASSERT_TRUE(exporter_.ExportArticle(article, "art.xhtml", 0));
    const std::string css = ImageStyles();
    EXPECT_NE(css.find("translate(-40.000%,-160.000%) rotate(0.000deg) skew(0.000deg) "
                       "scale(4.000,4.000);\n-webkit-transform-origin:0% 0%;\noverflow:hidden;\n"),
              std::string::npos)
        << css;
    EXPECT_NE(css.find("width:50px;\nheight:25px;\n"), std::string::npos) << css;
    // Decorative: hidden from assistive technology, and no figure around it.
    const auto doc = Parse("art.xhtml");
    const auto object = doc.select_node("//object").node();
    EXPECT_STREQ(object.attribute("aria-hidden").value(), "true");
    EXPECT_FALSE(object.attribute("alt"));
    EXPECT_FALSE(doc.select_node("//figure"));
}

TEST_F(FigureWriterTest, NothingIsWrittenForUnusableData) {
    // Outside any block there is nowhere to write.
    EXPECT_FALSE(exporter_.ExportImage(RedSquare(2), nullptr, "x", Raster::FileType::PNG, {1, 1},
                                       nullptr, false));
    // A PNG is no SVG drawing, and a missing file no picture at all.
    const std::string png = dir_ / "red.png";
    Foundation::MemoryOutStream encoded;
    ASSERT_TRUE(Raster::WritePNG(*RedSquare(2), encoded));
    FoundationTest::WriteFileBytes(png, encoded.Data());
    auto b = Builder();
    b.Paragraph().Text("a").Frame(Drawing(png)).Frame(Drawing(dir_ / "missing.svg")).Text("b");
    ASSERT_TRUE(Export(b.Build(), "n.xhtml"));
    const auto doc = Parse("n.xhtml");
    EXPECT_EQ(ChildNames(Body(doc)), std::vector<std::string>{"p"});
    EXPECT_EQ(AllText(Body(doc)), "ab");
    EXPECT_FALSE(exporter_.Styles().HasImages());
    EXPECT_FALSE(doc.select_node("//link[@href='images.css']"));
}

TEST_F(FigureWriterTest, UserTextCannotBreakTheMarkupOrTheStyleSheet) {
    const auto body = ExportAround(Picture("p", Tags("a */ b\v c & <d>", "x\x01y")));
    const auto img = body.select_node("figure/img").node();
    EXPECT_STREQ(img.attribute("alt").value(), "a */ b  c & <d>");
    EXPECT_STREQ(body.select_node("details/p").node().text().get(), "x y");
    const std::string css = ImageStyles();
    EXPECT_NE(css.find("/* a * / b  c & <d> */\n"), std::string::npos) << css;
}

TEST_F(FigureWriterTest, PictureBulletsAreInlineImagesStoredOnce) {
    auto b = Builder();
    b.Paragraph().Object(Bullet()).Text("one");
    const auto bullet = Bullet();
    b.Paragraph().Object(bullet).Text("two").Object(bullet);
    ASSERT_TRUE(Export(b.Build(), "l.xhtml"));
    const auto doc = Parse("l.xhtml");
    const auto images = Body(doc).select_nodes("p//img");
    ASSERT_EQ(images.size(), 3u) << exporter_.Text("l.xhtml");
    for (const auto& node : images) {
        EXPECT_STREQ(node.node().attribute("alt").value(), "");
        EXPECT_STREQ(node.node().attribute("role").value(), "presentation");
    }
    // Equal pictures share one file; the first bullet is another picture object.
    EXPECT_STRNE(images[0].node().attribute("src").value(),
                 images[1].node().attribute("src").value());
    EXPECT_STREQ(images[1].node().attribute("src").value(),
                 images[2].node().attribute("src").value());
    EXPECT_STREQ(images[2].node().attribute("id").value(), "img-3");
    // One em at 12pt, lifted by a quarter em less a tenth of a rem.
    EXPECT_NE(ImageStyles().find("#img-1 {\nwidth: 1rem;\nheight: 1rem;\nvertical-align: "
                                 "middle;\nposition: relative;\ntop: 0.15rem\n}"),
              std::string::npos)
        << ImageStyles();
}

TEST_F(FigureWriterTest, BulletsAreDrawnAtTheRunsFontSize) {
    const auto atts = styles_->GetDocument()->Consolidate(
        styles_->GetDocument()->GetDefaultGlyphAtts()->With(Text::GlyphDouble::Size, 10.5));
    const auto bitmap = exporter_.RasteriseImageBullet(Bullet(), atts);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->Width(), 11u);
    EXPECT_EQ(bitmap->Height(), 11u);
    const uint8_t* centre = bitmap->Row(5) + 5 * 4;
    EXPECT_GT(centre[0], 200);
    EXPECT_LT(centre[1], 50);
    EXPECT_GT(centre[3], 200);

    const auto empty = Text::ImageBulletGlyph::Make(Text::BulletImage::Make({0, 0, 1, 1}, 0, {}));
    EXPECT_FALSE(exporter_.RasteriseImageBullet(empty, atts));
    const auto huge = styles_->GetDocument()->Consolidate(
        styles_->GetDocument()->GetDefaultGlyphAtts()->With(Text::GlyphDouble::Size, 1e9));
    EXPECT_FALSE(exporter_.RasteriseImageBullet(Bullet(), huge));
}

// A whole publication with a table and pictures of every kind passes EPUBCheck.
TEST(FigureExport, PublicationWithTableAndPicturesPassesEpubCheck) {
    ScratchDir dir;
    const std::string svg = dir / "drawing.svg";
    FoundationTest::WriteFileBytes(svg, kSvg);
    const auto styles = Text::StyleSheet::Make(Text::TextDocument::Make());
    auto settings = Foundation::MakeCounted<ExportSettings>();
    settings->styles = styles;
    settings->defaultGlyphAtts = styles->GetDocument()->GetDefaultGlyphAtts();
    settings->title = "Pictures";
    settings->identifier = "urn:uuid:0b9c4f8a-1d2e-4c3b-9a8f-123456789abd";
    settings->language = "en";
    FlowingEPubExporter exporter(settings, Foundation::MakeCounted<FlowingEPubOptions>(
                                               Render::FileExportOptionsVector::Preset::Standard));
    exporter.Callbacks().localise = [](const StringT&, const Text::Language*, const StringT& text) {
        return text;
    };
    const bool wrap = false;
    InstallPictureWriter(exporter, wrap);

    Text::TableBuilder table(styles, 2, 2);
    table.Settings().headerRows = 1;
    table.Cell(0, 0).Text("Name");
    table.Cell(1, 0).Text("Picture");
    table.Cell(0, 1).Text("dot");
    table.Cell(1, 1).Object(Bullet()).Text(" small");
    Text::StoryBuilder b(styles);
    b.Paragraph().Object(Bullet()).Text("Intro ").Frame(Picture("pic", Tags("A red square")));
    b.Paragraph().Text("Table:").Table(table.Build()).Text("end");
    b.Paragraph().Frame(Drawing(svg, Tags("Plan", "A red plan."))).Frame(Drawing(svg));
    const auto story = b.Build();

    const std::string path = dir / "book.epub";
    ASSERT_TRUE(exporter.Start(StringT(path)));
    ASSERT_TRUE(exporter.ExportStory(story, story->GetTerminator(), "chapter.xhtml"));
    ASSERT_TRUE(exporter.End());

    const auto records = FoundationTest::ReadZip(path);
    const auto has = [&](std::string_view name) {
        return std::any_of(records.begin(), records.end(),
                           [&](const auto& r) { return r.name == name; });
    };
    EXPECT_TRUE(has("OEBPS/images/pic.png"));
    EXPECT_TRUE(has("OEBPS/images/drawing.svg"));
    EXPECT_TRUE(has("OEBPS/css/images.css"));

    const char* jar = "/usr/share/java/epubcheck.jar";
    if (!std::filesystem::exists(jar) || std::system("command -v java >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "EPUBCheck is not installed";
    const std::string report = dir / "report.txt";
    std::system(("java -jar " + std::string(jar) + " " + path + " >" + report + " 2>&1").c_str());
    const std::string text = FoundationTest::ReadFileBytes(report);
    EXPECT_EQ(text.find("ERROR"), std::string::npos) << text;
    EXPECT_EQ(text.find("WARNING"), std::string::npos) << text;
}

} // namespace

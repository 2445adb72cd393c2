// SPDX-License-Identifier: MIT
#include "epub/fixed/Schema.h"
#include "epub/fixed/PageRenderTarget.h"

#include "host/raster/ImageFile.h"
#include "host/render/Renderer.h"
#include "support/FakeZipArchive.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

namespace {

using Foundation::MakeCounted;
using Preset = Render::FileExportOptionsVector::Preset;

Foundation::Counted<EPub::FileExportOptions> Options(double pageDpi) {
    auto o = MakeCounted<EPub::FileExportOptions>(Preset::Standard);
    o->SetPageDPI(pageDpi);
    return o;
}

TEST(Schema, PageScaleFromThePageResolution) {
    EXPECT_EQ(EPub::Schema(Options(0)).GetPageScale(), 1.0);
    auto own = Options(72);
    own->SetIsUseRasteriseDpi(true);
    own->SetRasteriseDpi(144);
    EXPECT_EQ(EPub::Schema(own).GetPageScale(), 0.5);
    EPub::Schema document(Options(150));
    document.SetDocumentResolution(300);
    EXPECT_EQ(document.GetPageScale(), 0.5);
}

TEST(Schema, TheInnermostFixedLayoutOptionsCount) {
    EPub::Schema schema(Options(96));
    schema.PushOptions(Options(48));
    EXPECT_EQ(schema.GetOptions()->GetPageDPI(), 48);
    schema.PopOptions();
    EXPECT_EQ(schema.GetOptions()->GetPageDPI(), 96);
}

TEST(Schema, WhatIsRasterised) {
    EPub::Schema schema(Options(72));
    EXPECT_EQ(schema.GetBlendModeSupport(Render::BlendMode::Normal, 0.5), 0u);
    EXPECT_EQ(schema.GetBlendModeSupport(Render::BlendMode::Multiply, 1), 0u); // the group says
    Render::ShapeNode rect;
    rect.path = Render::Path::Rectangle({0, 0, 10, 10});
    rect.fill = Render::FillDescriptor::MakeSolid(Render::Colour::MakeRGB(1, 2, 3));
    EXPECT_EQ(schema.GetVectorSupport(rect), 0u);
    rect.opacity = 0.5;
    EXPECT_NE(schema.GetVectorSupport(rect), 0u);
    rect.opacity = 1;
    rect.fill = Render::FillDescriptor::MakeGradient(
        Render::FillType::LinearGradient,
        {{0, Render::Colour::MakeRGB(0, 0, 0)}, {1, Render::Colour::MakeRGB(9, 9, 9)}});
    EXPECT_NE(schema.GetVectorSupport(rect), 0u);
    Render::GroupNode empty;
    EXPECT_FALSE(schema.IsPreserveGroup(empty));

    // A picture fill is an image element only when it shows one upright picture over the box.
    auto picture = [](Render::AffineTransform placement, bool tiled) {
        Render::BitmapFill fill;
        fill.bitmap = Raster::DynamicBitmap::Create(4, 2);
        fill.placement = placement;
        fill.tiled = tiled;
        return Render::FillDescriptor::MakeBitmap(std::move(fill));
    };
    Render::ShapeNode framed;
    framed.path = Render::Path::Rectangle({10, 20, 50, 40});
    const auto placed =
        Render::AffineTransform::Translate(10, 20) * Render::AffineTransform::Scale(10, 10);
    framed.fill = picture(placed, false);
    EXPECT_TRUE(schema.CanDrawAsImage(framed));
    framed.fill = picture(placed, true); // one tile covers the box
    EXPECT_TRUE(schema.CanDrawAsImage(framed));
    framed.fill = picture(
        Render::AffineTransform::Translate(10, 20) * Render::AffineTransform::Scale(5, 5), true);
    EXPECT_FALSE(schema.CanDrawAsImage(framed)); // repeated
    framed.fill = picture(
        Render::AffineTransform::Translate(12, 20) * Render::AffineTransform::Scale(10, 10), false);
    EXPECT_FALSE(schema.CanDrawAsImage(framed)); // offset
    framed.fill = picture(placed * Render::AffineTransform::Rotate(90), false);
    EXPECT_FALSE(schema.CanDrawAsImage(framed));
    framed.fill = picture(placed, false);
    framed.opacity = 0.5;
    EXPECT_FALSE(schema.CanDrawAsImage(framed));
    framed.opacity = 1;
    framed.stroke = Render::FillDescriptor::MakeSolid(Render::Colour::MakeRGB(0, 0, 0));
    framed.lineStyle = MakeCounted<const Render::LineStyleDescriptor>(1.0, Render::DashKind::Solid);
    EXPECT_FALSE(schema.CanDrawAsImage(framed));
    EXPECT_NE(schema.GetVectorSupport(framed), 0u); // so it is rasterised
    Render::GroupNode faded;
    faded.opacity = 0.5;
    EXPECT_NE(schema.GetCompositeSupport(faded), 0u);
}

struct TargetFixture : testing::Test {
    Foundation::Counted<Testing::FakeZipArchive> zip = MakeCounted<Testing::FakeZipArchive>();
    EPub::Publication publication{"OEBPS", "b", "id", "t", "en"};
    EPub::Schema schema{Options(144)}; // two CSS pixels per point
    EPub::Images images;
    EPub::Page page{publication, 1, 200, 100};
    TargetFixture() { publication.SetArchive(zip); }

    Foundation::Counted<Render::ShapeNode> Solid(double l, double t, double r, double b,
                                                 uint8_t grey) {
        auto shape = MakeCounted<Render::ShapeNode>();
        shape->path = Render::Path::Rectangle({l, t, r, b});
        shape->fill = Render::FillDescriptor::MakeSolid(Render::Colour::MakeRGB(grey, grey, grey));
        return shape;
    }
};

TEST_F(TargetFixture, PageBackgroundsStayFirstAndPositionsAreInCssPixels) {
    EPub::RenderTarget target(page, {0, 0, 100, 50}, {0, 0, 100, 50}, schema, images);
    EXPECT_EQ(target.GetPageTransform().Apply(10, 5).x, 20);
    Render::GroupNode root;
    target.PushRenderable(root);
    target.DrawPolyPolygon(*Solid(0, 0, 100, 50, 255), {});
    Render::BitmapNode picture;
    picture.bitmap = Raster::DynamicBitmap::Create(2, 2);
    picture.rect = {10, 10, 20, 30};
    target.DrawBitmap(picture, {});
    target.DrawPolyPolygon(*Solid(5, 5, 6, 6, 0), {});
    target.PopRenderable();
    const auto& e = page.GetElements();
    ASSERT_EQ(e.size(), 3u);
    // The first background is emitted where it was drawn once the second one arrives; the
    // last one when its renderable is popped.
    EXPECT_EQ(e[0].tag, "div");
    EXPECT_EQ(e[1].tag, "img");
    EXPECT_EQ(e[2].tag, "div");
    EXPECT_NE(page.GetStyleSheet().find("left: 20px; top: 20px; width: 20px; height: 40px"),
              std::string::npos)
        << page.GetStyleSheet();
    EXPECT_NE(page.GetStyleSheet().find("background-color: #ffffff"), std::string::npos);
}

TEST_F(TargetFixture, RotatedTextKeepsItsBaselineOriginAndHiddenTextIsTransparent) {
    EPub::RenderTarget target(page, {0, 0, 100, 50}, {0, 0, 100, 50}, schema, images);
    Render::GlyphRunNode run;
    run.text = "Hi";
    run.size = 10;
    run.ascent = 0.8;
    run.descent = 0.2;
    run.origin = {10, 20};
    run.fill = Render::FillDescriptor::MakeSolid(Render::Colour::MakeRGB(255, 0, 0));
    run.family = "Face";
    run.fontPath = "/nowhere/face.ttf";
    target.DrawGlyphMetrics(run, Render::AffineTransform::Rotate(90), false);
    target.DrawGlyphMetrics(run, {}, true);
    const auto& e = page.GetElements();
    // Each run: a positioned box with an id, holding the text in its font.
    ASSERT_EQ(e.size(), 4u);
    EXPECT_EQ(e[0].id, 1u);
    EXPECT_EQ(e[1].depth, e[0].depth + 1);
    EXPECT_EQ(e[1].text, "Hi");
    const std::string& css = page.GetStyleSheet();
    // 20px font: a 40px strut puts the baseline 20px below the box top, and the rotation turns
    // about that point: the baseline origin (10, 20) turned to (-20, 10), in CSS pixels.
    EXPECT_NE(css.find("line-height: 40px; left: -40px; top: 0px; transform-origin: 0 20px; "
                       "transform: rotate(90deg) }"),
              std::string::npos)
        << css;
    EXPECT_NE(css.find("line-height: 40px; left: 20px; top: 20px }"), std::string::npos) << css;
    const auto& shown = publication.GetDocStyle(1).declarations;
    EXPECT_NE(shown.find("font-size: 20px"), std::string::npos) << shown;
    EXPECT_NE(shown.find("color: #ff0000"), std::string::npos);
    bool transparent = false;
    for (const auto& style : publication.GetDocStyles())
        transparent =
            transparent || (style.name == e[3].classes[0] &&
                            style.declarations.find("color: transparent") != std::string::npos);
    EXPECT_TRUE(transparent);
}

TEST_F(TargetFixture, RunsOfOneLineShareABoxAndAnythingElseStartsANewOne) {
    EPub::RenderTarget target(page, {0, 0, 100, 50}, {0, 0, 100, 50}, schema, images);
    auto run = [](const char* text, double x, int32_t story, int32_t line) {
        Render::GlyphRunNode r;
        r.text = text;
        r.size = 10;
        r.origin = {x, 20};
        r.advance = 10;
        r.fill = Render::FillDescriptor::MakeSolid(Render::Colour::MakeRGB(0, 0, 0));
        r.family = "Face";
        r.fontPath = "/nowhere/face.ttf";
        r.story = {story, 0, line};
        return r;
    };
    target.DrawGlyphMetrics(run("a", 0, 1, 0), {}, false);
    target.DrawGlyphMetrics(run("b", 10, 1, 0), {}, false); // joins
    target.DrawGlyphMetrics(run("c", 25, 1, 0), {}, false); // a gap
    target.DrawGlyphMetrics(run("d", 35, 1, 1), {}, false); // the next line
    target.DrawGlyphMetrics(run("e", 45, 2, 1), {}, false); // another story
    target.DrawGlyphMetrics(run("f", 55, 2, 1), {}, true);  // hidden text joins too
    target.DrawHyperlink(Render::HyperlinkNode{}, {});      // nothing written
    Render::BitmapNode picture;
    picture.bitmap = Raster::DynamicBitmap::Create(1, 1);
    picture.rect = {0, 0, 1, 1};
    target.DrawBitmap(picture, {});
    target.DrawGlyphMetrics(run("g", 65, 2, 1), {}, false); // after a picture
    auto big = run("h", 75, 2, 1);
    big.size = 30; // the box's strut is too short for it
    target.DrawGlyphMetrics(big, {}, false);
    target.DrawGlyphMetrics(run("i", 85, 2, 1), Render::AffineTransform::Scale(1, 1.5), false);
    std::string boxes;
    for (const auto& e : page.GetElements())
        boxes += e.tag == "img" ? std::string("|img") : e.text.empty() ? "|" : e.text;
    EXPECT_EQ(boxes, "|ab|c|d|ef|img|g|h|i");
}

// A blended group of what the page draws anyway is one element with mix-blend-mode; clipped,
// faded, or holding artwork, it is one picture.
TEST_F(TargetFixture, BlendedGroupsBecomeBlendingElementsWhenAllTheyHoldStaysOnThePage) {
    auto blended = [&](Render::BlendMode mode) {
        auto group = MakeCounted<Render::GroupNode>();
        group->blend = mode;
        group->children.push_back(Solid(0, 0, 40, 20, 90));
        auto inner = MakeCounted<Render::GroupNode>();
        inner->children.push_back(Solid(10, 10, 20, 20, 30));
        group->children.push_back(inner);
        return group;
    };
    auto wash = blended(Render::BlendMode::Multiply);
    EXPECT_EQ(schema.GetCompositeSupport(*wash), 0u);
    auto clipped = blended(Render::BlendMode::Screen);
    clipped->clip = Render::Path::Rectangle({0, 0, 5, 5});
    EXPECT_NE(schema.GetCompositeSupport(*clipped), 0u);
    auto faded = blended(Render::BlendMode::Darken);
    faded->opacity = 0.5;
    EXPECT_NE(schema.GetCompositeSupport(*faded), 0u);
    auto graded = blended(Render::BlendMode::Lighten);
    auto shaded = Solid(0, 0, 10, 10, 0);
    shaded->fill = Render::FillDescriptor::MakeGradient(
        Render::FillType::LinearGradient,
        {{0, Render::Colour::MakeRGB(0, 0, 0)}, {1, Render::Colour::MakeRGB(9, 9, 9)}});
    // Deep inside: any artwork the page rasterises makes the whole group a picture.
    auto deeper = MakeCounted<Render::GroupNode>();
    deeper->children.push_back(shaded);
    auto middle = MakeCounted<Render::GroupNode>(
        *static_cast<const Render::GroupNode*>(graded->children[1].get()));
    middle->children.push_back(deeper);
    graded->children[1] = middle;
    EXPECT_NE(schema.GetCompositeSupport(*graded), 0u);

    Render::GroupNode root;
    root.children = {Solid(0, 0, 100, 50, 250), wash, graded};
    EPub::RenderTarget target(page, {0, 0, 100, 50}, {0, 0, 100, 50}, schema, images);
    Render::Renderer(schema, target).Render(root, {0, 0, 100, 50});
    target.Finish();
    EXPECT_NE(page.GetStyleSheet().find("mix-blend-mode: multiply"), std::string::npos);
    EXPECT_EQ(page.GetStyleSheet().find("mix-blend-mode: lighten"), std::string::npos);
    // White paper to blend with, the background, then the blending element holding both its
    // boxes, then the picture.
    std::string tree;
    for (const auto& e : page.GetElements())
        tree += std::to_string(e.depth) + std::string(e.tag) + " ";
    EXPECT_EQ(tree, "0div 0div 0div 1div 1div 0img ");
    EXPECT_NE(page.GetStyleSheet().find("height: 100%; background-color: #ffffff"),
              std::string::npos);
}

TEST_F(TargetFixture, TextDpiIsTheRasteriseResolutionWhileThePageDraws) {
    const auto shared = schema.GetOptions();
    {
        EPub::RenderTarget target(page, {0, 0, 100, 50}, {0, 0, 100, 50}, schema, images);
        ASSERT_NE(schema.GetOptions(), shared); // a copy: the shared options stay as they are
        EXPECT_TRUE(schema.GetOptions()->IsUseRasteriseDpi());
        EXPECT_EQ(schema.GetOptions()->GetRasteriseDpi(), 1440);
        EXPECT_FALSE(shared->IsUseRasteriseDpi());
        EXPECT_EQ(schema.GetRasterScale(), 20);
        EXPECT_EQ(target.GetRasteriseScale(), 20);
        EXPECT_EQ(schema.GetPageScale(), 0.1); // CSS pixels per rasterised pixel
        // A pop the page did not push leaves the export's own options in place.
        target.PopExportOptions();
        target.PopExportOptions();
        EXPECT_EQ(schema.GetOptions(), shared);
    }
    {
        EPub::RenderTarget target(page, {0, 0, 100, 50}, {0, 0, 100, 50}, schema, images);
        // A gradient is rasterised at that resolution: 20 pixels a point.
        auto shape = Solid(0, 0, 3, 2, 0);
        shape->fill = Render::FillDescriptor::MakeGradient(
            Render::FillType::LinearGradient,
            {{0, Render::Colour::MakeRGB(0, 0, 0)}, {1, Render::Colour::MakeRGB(9, 9, 9)}});
        target.DrawPolyPolygon(*shape, {});
    }
    EXPECT_EQ(schema.GetOptions(), shared);
    EXPECT_EQ(schema.GetRasterScale(), 1);
    ASSERT_EQ(publication.GetImages().size(), 1u);
    const auto* stored = zip->Find("OEBPS/" + publication.GetImages()[0].path.str());
    ASSERT_NE(stored, nullptr);
    auto bitmap = Raster::DecodeImage(stored->data);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->Width(), 60u);
    EXPECT_EQ(bitmap->Height(), 40u);

    // Without TextDPI the options' own rasterise resolution stays; without that, the document's.
    auto own = Options(72);
    own->SetTextDPI(0);
    own->SetIsUseRasteriseDpi(true);
    own->SetRasteriseDpi(300);
    EPub::Schema ownSchema(own);
    EXPECT_EQ(
        EPub::RenderTarget(page, {0, 0, 1, 1}, {0, 0, 1, 1}, ownSchema, images).GetRasteriseScale(),
        300.0 / 72);
    auto none = Options(72);
    none->SetTextDPI(0);
    EPub::Schema noneSchema(none);
    EXPECT_EQ(EPub::RenderTarget(page, {0, 0, 1, 1}, {0, 0, 1, 1}, noneSchema, images)
                  .GetRasteriseScale(),
              1);
}

TEST(Cover, SizesUnderTheLimit) {
    EXPECT_EQ(EPub::CoverSize(4000, 1000, 2000), (Foundation::SizeT<uint32_t>{2000, 500}));
    EXPECT_EQ(EPub::CoverSize(1000, 800, 2000), (Foundation::SizeT<uint32_t>{1000, 800}));
    EXPECT_EQ(EPub::CoverSize(1, 5000, 2000), (Foundation::SizeT<uint32_t>{1, 2000}));
}

} // namespace

#include "epub/fixed/Schema.h"
#include "epub/fixed/RenderTarget.h"

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
    EXPECT_NE(schema.GetBlendModeSupport(Render::BlendMode::Multiply, 1), 0u);
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
    ASSERT_EQ(e.size(), 2u);
    const std::string& css = page.GetStyleSheet();
    // 20px font: ascent 16, descent 4, baseline 6px below the box top.
    EXPECT_NE(css.find("transform-origin: 0 6px; transform: rotate(90deg)"), std::string::npos)
        << css;
    const auto& shown = publication.GetDocStyle(1).declarations;
    EXPECT_NE(shown.find("font-size: 20px"), std::string::npos) << shown;
    EXPECT_NE(shown.find("color: #ff0000"), std::string::npos);
    bool transparent = false;
    for (const auto& style : publication.GetDocStyles())
        transparent =
            transparent || (style.name == e[1].classes[0] &&
                            style.declarations.find("color: transparent") != std::string::npos);
    EXPECT_TRUE(transparent);
}

TEST(Cover, SizesUnderTheLimit) {
    EXPECT_EQ(EPub::CoverSize(4000, 1000, 2000), (Foundation::SizeT<uint32_t>{2000, 500}));
    EXPECT_EQ(EPub::CoverSize(1000, 800, 2000), (Foundation::SizeT<uint32_t>{1000, 800}));
    EXPECT_EQ(EPub::CoverSize(1, 5000, 2000), (Foundation::SizeT<uint32_t>{1, 2000}));
}

} // namespace

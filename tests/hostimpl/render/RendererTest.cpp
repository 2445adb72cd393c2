// SPDX-License-Identifier: MIT
#include "host/render/Renderer.h"
#include "host/render/BitmapRenderTarget.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace Render;
using Foundation::MakeCounted;

// Records the calls a renderer makes.
class Recorder final : public RenderTarget {
public:
    std::vector<std::string> calls;
    std::vector<Foundation::RectT<double>> bitmaps;
    void DrawPolyPolygon(const ShapeNode&, const AffineTransform&) override {
        calls.push_back("shape");
    }
    void DrawGlyphMetrics(const GlyphRunNode& run, const AffineTransform&, bool hidden) override {
        calls.push_back((hidden ? "hidden " : "text ") + run.text);
    }
    void DrawBitmap(const BitmapNode& b, const AffineTransform&) override {
        calls.push_back("bitmap");
        bitmaps.push_back(b.rect);
    }
    void PushTagGroup(const Counted<const RenderTags>&) override { calls.push_back("(tag"); }
    void PopTagGroup() override { calls.push_back("tag)"); }
    bool SupportsTags() const override { return true; }
};

// Rasterises anything translucent, like an export that cannot blend.
class OpaqueOnly final : public RenderTree::Schema {
public:
    GraphicSupport::Type GetCompositeSupport(const GroupNode& g) const override {
        return g.opacity < 1 ? 1 : 0;
    }
    bool IsRasterWithHiddenText() const override { return true; }
    bool IsClipToDevice() const override { return true; }
};

Counted<ShapeNode> Box(double l, double t, double r, double b) {
    auto s = MakeCounted<ShapeNode>();
    s->path = Path::Rectangle({l, t, r, b});
    s->fill = FillDescriptor::MakeSolid(Colour::MakeRGB(200, 0, 0));
    return s;
}

Counted<GlyphRunNode> TextRun(const char* text) {
    auto r = MakeCounted<GlyphRunNode>();
    r->text = text;
    r->fill = FillDescriptor::MakeSolid(Colour::MakeRGB(0, 0, 0));
    r->origin = {5, 15};
    r->advance = 20;
    return r;
}

TEST(Renderer, UnsupportedGroupsBecomeOneBitmapWithTheirTextKeptHidden) {
    auto root = MakeCounted<GroupNode>();
    auto faded = MakeCounted<GroupNode>();
    faded->opacity = 0.5;
    faded->children = {Box(-10, 0, 30, 20), TextRun("under")};
    auto tagged = MakeCounted<GroupNode>();
    tagged->tags = RenderTags::Make({StringT("label"), {}, {}, {}, {}, {}});
    tagged->children = {TextRun("over")};
    root->children = {Box(0, 0, 50, 50), faded, tagged};
    OpaqueOnly schema;
    Recorder target;
    Renderer renderer(schema, target);
    ASSERT_TRUE(renderer.Render(*root, {0, 0, 50, 50}));
    EXPECT_EQ(target.calls, (std::vector<std::string>{"shape", "bitmap", "hidden under", "(tag",
                                                      "text over", "tag)"}));
    // Clipped to the page and snapped to whole units.
    EXPECT_EQ(target.bitmaps[0], (Foundation::RectT<double>{0, 0, 30, 20}));
}

TEST(Renderer, AnAbortFlagStopsTheDrawing) {
    bool abort = true;
    RenderTree::Schema schema(&abort);
    Recorder target;
    auto root = MakeCounted<GroupNode>();
    root->children = {Box(0, 0, 1, 1)};
    EXPECT_FALSE(Renderer(schema, target).Render(*root, {0, 0, 1, 1}));
    EXPECT_TRUE(target.calls.empty());
}

TEST(Renderer, RasterisingPaintsTranslucentContentInPlace) {
    auto group = MakeCounted<GroupNode>();
    group->opacity = 0.5;
    group->children = {Box(0, 0, 10, 10)};
    auto bitmap = Renderer::Rasterise(*group, {}, {0, 0, 10, 10}, 2);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->Width(), 20u);
    const uint8_t* p = bitmap->Row(10) + 10 * 4;
    EXPECT_NEAR(p[0], 200, 2); // premultiplied on the way
    EXPECT_NEAR(p[3], 128, 1);
}

TEST(SvgPath, ParsesCommandsAndReportsWhereItFails) {
    std::string error;
    auto path = Path::ParseSvg("M10 10 h 20 v 5 L 10 15 z", error);
    ASSERT_TRUE(path) << error;
    EXPECT_TRUE(path->IsRectangle({}));
    auto curve = Path::ParseSvg("m0,0 c 1 1 2 2 3 3 s 4 4 5 5 q 1 1 2 2 t 3 3", error);
    ASSERT_TRUE(curve) << error;
    EXPECT_TRUE(curve->HasCurves());
    EXPECT_FALSE(Path::ParseSvg("M 0 0 A 1 1 0 0 0 2 2", error));
    EXPECT_NE(error.find("arcs"), std::string::npos);
    EXPECT_FALSE(Path::ParseSvg("M 0 x", error));
    EXPECT_FALSE(Path::ParseSvg("", error));
}

} // namespace

namespace {

// A red and a blue pixel side by side, placed at 5 × 10 units a pixel.
Counted<ShapeNode> PictureBox(double width, bool tiled) {
    auto bitmap = Raster::DynamicBitmap::Create(2, 1);
    uint8_t* p = bitmap->Row(0);
    const uint8_t pixels[8] = {255, 0, 0, 255, 0, 0, 255, 255};
    std::copy(std::begin(pixels), std::end(pixels), p);
    BitmapFill picture;
    picture.bitmap = bitmap;
    picture.placement = AffineTransform::Scale(5, 10);
    picture.tiled = tiled;
    auto shape = MakeCounted<ShapeNode>();
    shape->path = Path::Rectangle({0, 0, width, 10});
    shape->fill = FillDescriptor::MakeBitmap(std::move(picture));
    return shape;
}

// The dominant channel of a pixel: 'r', 'b' or 'w' (white: nothing painted).
char Tone(const Raster::DynamicBitmap& b, uint32_t x) {
    const uint8_t* p = b.Row(5) + x * 4;
    if (p[0] > 200 && p[1] > 200 && p[2] > 200)
        return 'w';
    return p[0] > p[2] ? 'r' : 'b';
}

// Takes a picture-filled rectangle as an image when asked to.
class Images final : public RenderTree::Schema {
public:
    bool CanDrawAsImage(const ShapeNode&) const override { return true; }
};

} // namespace

TEST(Renderer, PictureFillsArePaintedPlacedOrTiledAndCanBecomeImages) {
    BitmapRenderTarget tiled(40, 10, 1);
    tiled.DrawTree(*PictureBox(40, true));
    std::string tones;
    for (uint32_t x : {2u, 7u, 12u, 17u, 32u, 37u})
        tones += Tone(*tiled.GetBitmap(), x);
    EXPECT_EQ(tones, "rbrbrb");

    BitmapRenderTarget once(40, 10, 1);
    once.DrawTree(*PictureBox(40, false));
    tones.clear();
    for (uint32_t x : {2u, 7u, 20u, 37u})
        tones += Tone(*once.GetBitmap(), x);
    EXPECT_EQ(tones, "rbww"); // the shape beyond the picture stays empty

    // Translucent fills fade the picture.
    auto faded = PictureBox(10, false);
    BitmapFill picture = *faded->fill->GetBitmap();
    faded->fill = FillDescriptor::MakeBitmap(picture, 0.5);
    BitmapRenderTarget half(10, 10, 1);
    half.DrawTree(*faded);
    const auto halfBitmap = half.GetBitmap();
    const uint8_t* p = halfBitmap->Row(5) + 2 * 4;
    EXPECT_NEAR(p[0], 255, 2);
    EXPECT_NEAR(p[1], 128, 10); // half of white shows through

    auto root = MakeCounted<GroupNode>();
    root->children = {PictureBox(10, false)};
    Images schema;
    Recorder target;
    ASSERT_TRUE(Renderer(schema, target).Render(*root, {0, 0, 10, 10}));
    EXPECT_EQ(target.calls, std::vector<std::string>{"bitmap"});
    EXPECT_EQ(target.bitmaps[0], (Foundation::RectT<double>{0, 0, 10, 10}));
}

// Content a transform flattens or stretches past what FreeType can size draws nothing, and what
// follows it on the page still draws: cairo would otherwise stay in error for the rest of it.
TEST(Renderer, DegenerateTransformsSkipOnlyWhatTheyFlatten) {
    auto flatShape = Box(0, 0, 40, 10);
    flatShape->transform = AffineTransform::Scale(0, 1);
    auto stretchedText = MakeCounted<GlyphRunNode>();
    stretchedText->fontPath = StringT("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    stretchedText->glyphs = {{36, 0, 0}};
    stretchedText->fill = FillDescriptor::MakeSolid(Colour::MakeRGB(0, 0, 0));
    stretchedText->transform = AffineTransform::Scale(0.0002, 20000);
    auto flatClip = MakeCounted<GroupNode>();
    flatClip->clip = Path::Rectangle({0, 0, 40, 10});
    flatClip->transform = AffineTransform::Scale(1, 0);
    flatClip->children = {Box(0, 0, 40, 10)};
    auto root = MakeCounted<GroupNode>();
    root->children = {flatShape, stretchedText, flatClip, PictureBox(40, false)};
    BitmapRenderTarget target(40, 10, 1);
    target.DrawTree(*root);
    EXPECT_EQ(Tone(*target.GetBitmap(), 2), 'r');
    EXPECT_EQ(Tone(*target.GetBitmap(), 7), 'b');
}

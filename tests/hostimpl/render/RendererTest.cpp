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

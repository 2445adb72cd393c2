// SPDX-License-Identifier: MIT
#pragma once
// The surface a fixed-layout page is drawn into: text runs become positioned spans, solid
// rectangles boxes, bitmaps and rasterised artwork images, hyperlinks links and tag groups
// described groups, all written into the page's element tree.

#include "epub/fixed/Images.h"
#include "epub/fixed/PageGeometry.h"
#include "epub/fixed/Publication.h"
#include "epub/fixed/Schema.h"
#include "epub/package/CoverImage.h"
#include "host/render/BitmapRenderTarget.h"
#include "host/render/RenderTarget.h"

#include <functional>
#include <optional>
#include <vector>

namespace EPub {

enum class ResamplerType : int32_t { Bilinear = 0 };

// Draws a vector cover (the stream) into the bitmap target; false when it cannot.
using CoverRenderCallback =
    std::function<bool(Foundation::InStreamSeekable&, Render::BitmapRenderTarget&)>;

class RenderTarget final : public Render::RenderTarget {
public:
    // `pageRect` and `renderRect` in document units (points).
    RenderTarget(Page& page, const RectT<double>& pageRect, const RectT<double>& renderRect,
                 Schema& schema, Images& images);
    // Pops whatever export options the page pushed onto the shared schema.
    ~RenderTarget() override;
    RenderTarget(const RenderTarget&) = delete;
    RenderTarget& operator=(const RenderTarget&) = delete;

    void DrawPolyPolygon(const Render::ShapeNode& shape, const AffineTransform& world) override;
    void DrawPolyCurve(const Render::ShapeNode& shape, const AffineTransform& world) override;
    void DrawGlyphMetrics(const Render::GlyphRunNode& run, const AffineTransform& world,
                          bool hidden) override;
    void DrawBitmap(const Render::BitmapNode& bitmap, const AffineTransform& world) override;
    void DrawHyperlink(const Render::HyperlinkNode& link, const AffineTransform& world) override;

    bool PushFilterEffects() override { return false; }
    Render::RenderTarget* PushSubRender() override { return this; }
    bool HasClipPaths() const override { return false; }
    void PushTransform(const AffineTransform& t) override;
    void PopTransform() override;
    void PushLogicalGroup(Render::LogicalGroup kind, const RectT<double>& rect,
                          const Render::OrderTags& order) override;
    void PopLogicalGroup() override;
    void PushTagGroup(const Counted<const Render::RenderTags>& tags) override;
    void PopTagGroup() override;
    void PushLayer(bool hidden) override;
    void PopLayer() override;
    void PushExportOptions(Counted<const Render::FileExportOptions> options) override;
    void PopExportOptions() override;
    void PushRenderable(const Render::Node& node) override;
    void PopRenderable() override;
    bool SupportsTags() const override { return true; }

    // Emits whatever is still pending; call before the page is added.
    void Finish();

    // Artwork is rasterised sharp enough for the page shown at kRasterViewportMultiple times its
    // viewport (a high-density screen, zoomed in), and no sharper whatever the text resolution:
    // the page's longest side at most that many pixels, or kRasterMinimumSide for small viewports.
    static constexpr double kRasterViewportMultiple = 4;
    static constexpr double kRasterMinimumSide = 2048;
    // The rasterise scale (pixels per document unit) for a page of `renderRect` (document units)
    // shown in a viewport of `viewport` CSS pixels.
    static double CapRasterScale(double scale, const RectT<double>& renderRect,
                                 SizeT<int32_t> viewport);

    // Maps document units to the page's CSS pixels.
    const AffineTransform& GetPageTransform() const noexcept { return pageTransform_; }

    static bool IsCover(const Foundation::DataSource& source);
    static bool AddCover(Publication& publication, const Foundation::DataSource& source,
                         uint8_t quality, ResamplerType resampler,
                         const CoverRenderCallback& callback, bool* result);

private:
    struct Frame {
        int kind = 0; // 0 page or element group, 1 ordered group, 2 text, 3 story paragraph
        AffineTransform transform;
        int64_t order = 0;
        size_t renderables = 0;
        bool opened = false; // opened an element on the page
    };
    struct Background {
        uint32_t rgb = 0;
        RectT<double> rect; // document units, page space
        AffineTransform world;
        size_t frameDepth = 0;
        size_t element = 0; // where in the page's elements it belongs
        int depth = 0;
    };

    // The schema's options with their rasterise resolution set from TextDPI, pushed for the page.
    void PushPageOptions();
    uint32_t GetRGB(const Render::Colour& colour) const;
    // The break between two lines of text, written where copying and speech find it.
    void AddLineEnd(const std::string& text);
    // Whether the run goes on the open text box's line: same story line, same transform, starting
    // where the last run ended, and nothing else written in between.
    bool ContinuesText(const Render::GlyphRunNode& run, const AffineTransform& world,
                       double fontPx) const;
    // Vertical lines: a box in vertical writing per line, its runs spans inside.
    static std::string VerticalDeclarations(Render::VerticalForm form);
    void OpenVerticalBox(const Render::GlyphRunNode& run, const AffineTransform& world,
                         const CSSTransform& css, double ratio, double fontPx);
    bool ContinuesVertical(const Render::GlyphRunNode& run, const AffineTransform& world,
                           double fontPx) const;
    void DrawSolid(const Render::ShapeNode& shape, const AffineTransform& world);
    void AddBackground();
    void AddSolid(uint32_t rgb, const RectT<double>& rect, const AffineTransform& world,
                  std::optional<size_t> at = {}, int depth = 0);
    void AddImage(const Render::BitmapNode& node, const AffineTransform& world);
    StringT StoreBitmap(const Render::BitmapNode& node);
    uint32_t AddBlank();
    int32_t Tag(const Render::RenderTags* tags);
    // Position, size and transform of a box at `rect` (node units) under `world`.
    std::string BoxRule(const RectT<double>& rect, const AffineTransform& world) const;
    void OpenGroup(const StringT& className, int32_t description);
    void OpenBlend(Render::BlendMode mode);
    // A story paragraph's element: p, or h1 to h6.
    void OpenParagraph(int32_t heading);

    Page& page_;
    Publication& publication_;
    Schema& schema_;
    Images& images_;
    AffineTransform pageTransform_;
    RectT<int> deviceBounds_;
    std::vector<Frame> frames_;
    std::optional<Background> background_;
    // The text box of the last run: one box per story line, each run a span inside it.
    struct OpenText {
        AffineTransform world;
        int32_t story = -1;
        int32_t line = -1;
        double baselineY = 0; // run coordinates
        double endX = 0;
        double strut = 0; // CSS pixels
        size_t next = 0;  // the page's element count after the box's last span
        bool vertical = false;
        double centreX = 0; // of a vertical line, run coordinates
        double endY = 0;
    };
    std::optional<OpenText> text_;
    size_t renderables_ = 0;
    std::vector<Counted<const Render::RenderTags>> tagGroups_;
    std::vector<bool> openedGroups_;
    // Per renderable pushed: whether it opened a blending element.
    std::vector<bool> blendElements_;
    bool paper_ = false; // a white box under the page's content, for blending elements
    size_t pushedOptions_ = 0;
};

} // namespace EPub

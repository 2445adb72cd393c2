// SPDX-License-Identifier: MIT
#pragma once
// A render target that paints pixels: reference renderings of pages and SVG covers.

#include "host/foundation/Stream.h"
#include "host/render/RenderTarget.h"

#include <memory>

namespace Render {

class BitmapRenderTarget final : public RenderTarget {
public:
    // A white-backed (or transparent) bitmap of `width` × `height` pixels; document units are
    // scaled by `scale` pixels each.
    BitmapRenderTarget(uint32_t width, uint32_t height, double scale, bool opaque = true);
    ~BitmapRenderTarget() override;

    void DrawPolyPolygon(const ShapeNode& shape, const AffineTransform& world) override;
    void DrawGlyphMetrics(const GlyphRunNode& run, const AffineTransform& world,
                          bool hidden) override;
    void DrawBitmap(const BitmapNode& bitmap, const AffineTransform& world) override;

    // Paints the whole tree, effects included, without asking a schema.
    void DrawTree(const Node& root, const AffineTransform& world = {});
    // Draws SVG data scaled to fill the bitmap; false when it is not a readable SVG document.
    bool DrawSvg(Foundation::InStreamSeekable& svg);

    Counted<Raster::DynamicBitmap> GetBitmap() const;

private:
    struct Surface;
    std::unique_ptr<Surface> surface_;
    double scale_;
};

} // namespace Render

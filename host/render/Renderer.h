// SPDX-License-Identifier: MIT
#pragma once
// Draws a page's render tree into a target, asking the schema about every node: what it
// supports goes to the target's drawing calls, the rest is rasterised in place.

#include "host/render/RenderTarget.h"

namespace Render {

class Renderer {
public:
    // Largest bitmap the renderer makes for one rasterised node; larger ones are drawn at a
    // lower resolution.
    static constexpr uint64_t kMaxRasterPixels = uint64_t(16) << 20;
    // The longest side a bitmap may have (what cairo and the image writers take): longer artwork
    // is drawn at a lower resolution so that this side fits.
    static constexpr uint32_t kMaxRasterSide = 32767;

    Renderer(RenderTree::Schema& schema, RenderTarget& target) : schema_(schema), target_(target) {}

    // `page` is the page's rectangle in document units; content is clipped to it when the
    // schema asks. False when the drawing was aborted.
    bool Render(const GroupNode& root, const Foundation::RectT<double>& page);

    // The node drawn with cairo into an RGBA bitmap covering `area` (document units) at `scale`
    // pixels per unit. Null when the area is empty.
    static Counted<Raster::DynamicBitmap> Rasterise(const Node& node, const AffineTransform& world,
                                                    const Foundation::RectT<double>& area,
                                                    double scale);

private:
    void Walk(const Node& node, const AffineTransform& parent);
    // A rectangle filled with one upright picture goes to the target as that picture.
    bool DrawAsImage(const ShapeNode& shape, const AffineTransform& world);
    void WalkGroup(const GroupNode& group, const AffineTransform& world);
    void RasteriseInPlace(const Node& node, const AffineTransform& world);
    // The text, links and anchors of rasterised artwork, over its picture.
    void DrawHiddenText(const Node& node, const AffineTransform& parent);
    bool NeedsRaster(const Node& node) const;

    RenderTree::Schema& schema_;
    RenderTarget& target_;
    Foundation::RectT<double> page_;
    bool aborted_ = false;
};

} // namespace Render

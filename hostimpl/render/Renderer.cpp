// SPDX-License-Identifier: MIT
#include "host/render/Renderer.h"

#include "hostimpl/render/CairoPainter.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace Render {

namespace {

// Device units per node unit along the transform's sides (the mean of the two).
double LinearScale(const AffineTransform& t) {
    return std::sqrt(std::abs(t.Determinant()));
}

// Pixels per document unit of the sharpest picture in `node` when pictures are all it paints;
// none when it paints text or vector artwork, which gain from any resolution.
std::optional<double> PictureDensity(const Node& node, const AffineTransform& parent) {
    const AffineTransform world = parent * node.transform;
    const double scale = LinearScale(world);
    switch (node.Kind()) {
    case NodeKind::Bitmap: {
        const auto& image = static_cast<const BitmapNode&>(node);
        const double area = std::abs(image.rect.Width() * image.rect.Height()) * scale * scale;
        if (!image.bitmap || area <= 0)
            return std::nullopt;
        return std::sqrt(double(image.bitmap->Width()) * image.bitmap->Height() / area);
    }
    case NodeKind::Shape: {
        const auto& shape = static_cast<const ShapeNode&>(node);
        const BitmapFill* picture = shape.fill ? shape.fill->GetBitmap() : nullptr;
        const bool stroked = shape.stroke && shape.stroke->Type() != FillType::None;
        const double placed =
            LinearScale(world * (picture ? picture->placement : AffineTransform()));
        if (!picture || !picture->bitmap || stroked || placed <= 0)
            return std::nullopt;
        return 1 / placed;
    }
    case NodeKind::Group: {
        const auto& group = static_cast<const GroupNode&>(node);
        double densest = 0;
        for (const auto& child : group.children) {
            if (child->Kind() == NodeKind::Hyperlink)
                continue;
            const auto density = PictureDensity(*child, world);
            if (!density)
                return std::nullopt;
            densest = std::max(densest, *density);
        }
        return densest > 0 ? std::optional<double>(densest) : std::nullopt;
    }
    case NodeKind::GlyphRun:
    case NodeKind::Hyperlink:
        break;
    }
    return std::nullopt;
}

} // namespace

bool Renderer::Render(const GroupNode& root, const Foundation::RectT<double>& page) {
    page_ = page;
    aborted_ = false;
    Walk(root, {});
    return !aborted_;
}

bool Renderer::NeedsRaster(const Node& node) const {
    switch (node.Kind()) {
    case NodeKind::Group: {
        const auto& g = static_cast<const GroupNode&>(node);
        return schema_.GetBlendModeSupport(g.blend, g.opacity) != 0 ||
               schema_.GetCompositeSupport(g) != 0 || (g.clip && !schema_.IsClipPathSupported());
    }
    case NodeKind::Shape:
    case NodeKind::GlyphRun:
        return schema_.GetVectorSupport(node) != 0;
    case NodeKind::Bitmap:
        return schema_.GetBitmapSupport(static_cast<const BitmapNode&>(node)) != 0;
    case NodeKind::Hyperlink:
        return false;
    }
    return false;
}

bool Renderer::DrawAsImage(const ShapeNode& shape, const AffineTransform& world) {
    if (!shape.fill || !shape.fill->GetBitmap() || !schema_.CanDrawAsImage(shape))
        return false;
    const BitmapFill& picture = *shape.fill->GetBitmap();
    BitmapNode image;
    image.bitmap = picture.bitmap;
    image.encoded = picture.encoded;
    image.fileType = picture.fileType;
    image.sourceName = picture.sourceName;
    if (!shape.path.IsRectangle({}, &image.rect) || schema_.GetBitmapSupport(image) != 0)
        return false;
    target_.DrawBitmap(image, world);
    return true;
}

void Renderer::Walk(const Node& node, const AffineTransform& parent) {
    if (aborted_ || schema_.IsAborted() || target_.IsAborted()) {
        aborted_ = true;
        return;
    }
    const AffineTransform world = parent * node.transform;
    if (node.Kind() == NodeKind::Shape && DrawAsImage(static_cast<const ShapeNode&>(node), world))
        return;
    if (NeedsRaster(node)) {
        RasteriseInPlace(node, parent);
        return;
    }
    switch (node.Kind()) {
    case NodeKind::Group:
        WalkGroup(static_cast<const GroupNode&>(node), world);
        break;
    case NodeKind::Shape: {
        const auto& shape = static_cast<const ShapeNode&>(node);
        if (shape.path.HasCurves())
            target_.DrawPolyCurve(shape, world);
        else
            target_.DrawPolyPolygon(shape, world);
        break;
    }
    case NodeKind::GlyphRun:
        target_.DrawGlyphMetrics(static_cast<const GlyphRunNode&>(node), world, false);
        break;
    case NodeKind::Bitmap:
        target_.DrawBitmap(static_cast<const BitmapNode&>(node), world);
        break;
    case NodeKind::Hyperlink:
        target_.DrawHyperlink(static_cast<const HyperlinkNode&>(node), world);
        break;
    }
}

void Renderer::WalkGroup(const GroupNode& group, const AffineTransform& world) {
    if (group.children.empty() && !schema_.IsPreserveGroup(group))
        return;
    const bool layer = group.hidden;
    const bool tagged = group.tags && target_.SupportsTags();
    const bool logical = group.logical != LogicalGroup::None;
    if (layer)
        target_.PushLayer(true);
    if (tagged)
        target_.PushTagGroup(group.tags);
    if (logical)
        target_.PushLogicalGroup(group.logical,
                                 NodeBounds(group, world * group.transform.Inverse()), group.order);
    target_.PushRenderable(group);
    for (const auto& child : group.children)
        Walk(*child, world);
    target_.PopRenderable();
    if (logical)
        target_.PopLogicalGroup();
    if (tagged)
        target_.PopTagGroup();
    if (layer)
        target_.PopLayer();
}

Counted<Raster::DynamicBitmap> Renderer::Rasterise(const Node& node, const AffineTransform& world,
                                                   const Foundation::RectT<double>& area,
                                                   double scale) {
    const int w = static_cast<int>(std::lround(area.Width() * scale));
    const int h = static_cast<int>(std::lround(area.Height() * scale));
    if (w <= 0 || h <= 0)
        return nullptr;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* cr = cairo_create(surface);
    const AffineTransform device = AffineTransform::Scale(w / area.Width(), h / area.Height()) *
                                   AffineTransform::Translate(-area.left, -area.top);
    Cairo::Paint(cr, node, device * world, Raster::ICCProfileSet{});
    cairo_destroy(cr);
    auto bitmap = Cairo::ToBitmap(surface);
    cairo_surface_destroy(surface);
    return bitmap;
}

void Renderer::RasteriseInPlace(const Node& node, const AffineTransform& parent) {
    auto area = NodeBounds(node, parent);
    if (schema_.IsClipToDevice())
        area = Intersect(area, page_);
    if (IsEmptyRect(area)) {
        // Nothing of it shows on the page, but its text is kept as plain text off the page is.
        if (schema_.IsRasterWithHiddenText())
            DrawHiddenText(node, parent);
        return;
    }
    double scale = target_.GetRasteriseScale();
    // Pictures alone are drawn at their own resolution at most: upscaling adds bytes, not detail.
    if (const auto density = PictureDensity(node, parent))
        scale = std::min(scale, std::max(*density, 1.0));
    // Whole device pixels, so the bitmap's edges fall on pixel edges.
    area = {std::floor(area.left), std::floor(area.top), std::ceil(area.right),
            std::ceil(area.bottom)};
    const double pixels = area.Width() * area.Height() * scale * scale;
    if (pixels > double(kMaxRasterPixels))
        scale *= std::sqrt(double(kMaxRasterPixels) / pixels);
    // Long thin artwork passes the pixel budget yet may exceed a side a bitmap can have.
    const double longest = std::max(area.Width(), area.Height()) * scale;
    if (longest > double(kMaxRasterSide))
        scale *= double(kMaxRasterSide) / longest;
    auto bitmap = Rasterise(node, parent, area, scale);
    if (!bitmap) {
        // Too thin to cover a pixel (a clip of no area): its text is still the page's.
        if (schema_.IsRasterWithHiddenText())
            DrawHiddenText(node, parent);
        return;
    }
    BitmapNode placed;
    placed.bitmap = bitmap;
    placed.rect = area;
    target_.DrawBitmap(placed, {});
    if (schema_.IsRasterWithHiddenText())
        DrawHiddenText(node, parent);
}

void Renderer::DrawHiddenText(const Node& node, const AffineTransform& parent) {
    const AffineTransform world = parent * node.transform;
    if (node.Kind() == NodeKind::GlyphRun) {
        target_.DrawGlyphMetrics(static_cast<const GlyphRunNode&>(node), world, true);
        return;
    }
    // Links and named places inside artwork still work over its picture.
    if (node.Kind() == NodeKind::Hyperlink) {
        target_.DrawHyperlink(static_cast<const HyperlinkNode&>(node), world);
        return;
    }
    if (node.Kind() != NodeKind::Group)
        return;
    const auto& group = static_cast<const GroupNode&>(node);
    // A hidden layer's text stays in its hidden layer, as it does outside artwork.
    if (group.hidden)
        target_.PushLayer(true);
    for (const auto& child : group.children)
        DrawHiddenText(*child, world);
    if (group.hidden)
        target_.PopLayer();
}

} // namespace Render

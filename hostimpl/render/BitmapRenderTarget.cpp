// SPDX-License-Identifier: MIT
#include "host/render/BitmapRenderTarget.h"

#include "hostimpl/render/CairoPainter.h"

namespace Render {

struct BitmapRenderTarget::Surface {
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;
    ~Surface() {
        if (cr)
            cairo_destroy(cr);
        if (surface)
            cairo_surface_destroy(surface);
    }
};

BitmapRenderTarget::BitmapRenderTarget(uint32_t width, uint32_t height, double scale, bool opaque)
    : surface_(std::make_unique<Surface>()), scale_(scale) {
    surface_->surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(width),
                                                   static_cast<int>(height));
    surface_->cr = cairo_create(surface_->surface);
    if (opaque) {
        cairo_set_source_rgb(surface_->cr, 1, 1, 1);
        cairo_paint(surface_->cr);
    }
    SetRasteriseScale(scale);
}

BitmapRenderTarget::~BitmapRenderTarget() = default;

void BitmapRenderTarget::DrawPolyPolygon(const ShapeNode& shape, const AffineTransform& world) {
    Cairo::Paint(surface_->cr, shape,
                 AffineTransform::Scale(scale_, scale_) * world * shape.transform.Inverse(),
                 GetProfiles());
}

void BitmapRenderTarget::DrawGlyphMetrics(const GlyphRunNode& run, const AffineTransform& world,
                                          bool hidden) {
    if (hidden)
        return;
    Cairo::Paint(surface_->cr, run,
                 AffineTransform::Scale(scale_, scale_) * world * run.transform.Inverse(),
                 GetProfiles());
}

void BitmapRenderTarget::DrawBitmap(const BitmapNode& bitmap, const AffineTransform& world) {
    Cairo::Paint(surface_->cr, bitmap,
                 AffineTransform::Scale(scale_, scale_) * world * bitmap.transform.Inverse(),
                 GetProfiles());
}

void BitmapRenderTarget::DrawTree(const Node& root, const AffineTransform& world) {
    Cairo::Paint(surface_->cr, root, AffineTransform::Scale(scale_, scale_) * world, GetProfiles());
}

bool BitmapRenderTarget::DrawSvg(Foundation::InStreamSeekable& svg) {
    svg.Rewind();
    const std::string data = Foundation::ReadAll(svg);
    svg.Rewind();
    const double w = cairo_image_surface_get_width(surface_->surface);
    const double h = cairo_image_surface_get_height(surface_->surface);
    return Cairo::PaintSvg(surface_->cr, data, {0, 0, w, h}, {});
}

Counted<Raster::DynamicBitmap> BitmapRenderTarget::GetBitmap() const {
    return Cairo::ToBitmap(surface_->surface);
}

} // namespace Render

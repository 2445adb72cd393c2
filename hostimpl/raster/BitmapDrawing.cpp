// SPDX-License-Identifier: MIT
#include "host/raster/BitmapDrawing.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace Raster {

namespace {

struct SurfaceDeleter {
    void operator()(cairo_surface_t* s) const noexcept { cairo_surface_destroy(s); }
};
struct ContextDeleter {
    void operator()(cairo_t* c) const noexcept { cairo_destroy(c); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using Context = std::unique_ptr<cairo_t, ContextDeleter>;

// cairo's own limit on image surface sides.
constexpr uint32_t kMaxSide = 32767;

uint32_t Premultiply(const uint8_t* rgba) {
    const uint32_t a = rgba[3];
    const auto mul = [a](uint32_t c) { return (c * a + 127) / 255; };
    return a << 24 | mul(rgba[0]) << 16 | mul(rgba[1]) << 8 | mul(rgba[2]);
}

void Unpremultiply(uint32_t argb, uint8_t* rgba) {
    const uint32_t a = argb >> 24;
    const auto div = [a](uint32_t c) {
        return a ? uint8_t(std::min<uint32_t>((c * 255 + a / 2) / a, 255)) : uint8_t(0);
    };
    rgba[0] = div((argb >> 16) & 0xFF);
    rgba[1] = div((argb >> 8) & 0xFF);
    rgba[2] = div(argb & 0xFF);
    rgba[3] = uint8_t(a);
}

// cairo's ARGB32 is premultiplied and in native byte order; bitmaps are straight RGBA bytes.
Surface ToSurface(const DynamicBitmap& bitmap) {
    Surface surface(
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(bitmap.Width()), int(bitmap.Height())));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    cairo_surface_flush(surface.get());
    unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    for (uint32_t y = 0; y < bitmap.Height(); ++y) {
        const uint8_t* src = bitmap.Row(y);
        unsigned char* dst = data + size_t(y) * stride;
        for (uint32_t x = 0; x < bitmap.Width(); ++x) {
            const uint32_t px = Premultiply(src + size_t(x) * 4);
            std::memcpy(dst + size_t(x) * 4, &px, 4);
        }
    }
    cairo_surface_mark_dirty(surface.get());
    return surface;
}

void FromSurface(cairo_surface_t* surface, DynamicBitmap& bitmap) {
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (uint32_t y = 0; y < bitmap.Height(); ++y) {
        const unsigned char* src = data + size_t(y) * stride;
        uint8_t* dst = bitmap.Row(y);
        for (uint32_t x = 0; x < bitmap.Width(); ++x) {
            uint32_t px = 0;
            std::memcpy(&px, src + size_t(x) * 4, 4);
            Unpremultiply(px, dst + size_t(x) * 4);
        }
    }
}

bool IsDrawable(const DynamicBitmap& bitmap) {
    return bitmap.Width() > 0 && bitmap.Height() > 0 && bitmap.Width() <= kMaxSide &&
           bitmap.Height() <= kMaxSide;
}

} // namespace

bool DrawBitmap(DynamicBitmap& target, const DynamicBitmap& source, double x, double y,
                double width, double height) {
    if (!IsDrawable(target) || !IsDrawable(source) || !std::isfinite(x) || !std::isfinite(y) ||
        !(width > 0) || !(height > 0) || !std::isfinite(width) || !std::isfinite(height))
        return false;
    const Surface canvas = ToSurface(target);
    const Surface picture = ToSurface(source);
    if (!canvas || !picture)
        return false;
    const Context cr(cairo_create(canvas.get()));
    cairo_translate(cr.get(), x, y);
    cairo_scale(cr.get(), width / source.Width(), height / source.Height());
    cairo_set_source_surface(cr.get(), picture.get(), 0, 0);
    // Padding keeps the edges from fading into transparency when scaling up.
    cairo_pattern_set_extend(cairo_get_source(cr.get()), CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(cairo_get_source(cr.get()), CAIRO_FILTER_GOOD);
    cairo_rectangle(cr.get(), 0, 0, source.Width(), source.Height());
    cairo_fill(cr.get());
    if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS)
        return false;
    FromSurface(canvas.get(), target);
    return true;
}

Foundation::Counted<DynamicBitmap> ScaleBitmap(const DynamicBitmap& source, uint32_t width,
                                               uint32_t height) {
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide)
        return nullptr;
    auto scaled = DynamicBitmap::Create(width, height);
    if (!DrawBitmap(*scaled, source, 0, 0, width, height))
        return nullptr;
    return scaled;
}

} // namespace Raster

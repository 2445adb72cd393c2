// TIFF and BMP pictures, read through gdk-pixbuf's loaders: only covers take them, and always
// re-encoded, so reading is all that is needed.

#include "hostimpl/raster/Codecs.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <memory>

namespace Raster::Codecs {
namespace {

struct Unref {
    void operator()(void* object) const { g_object_unref(object); }
};
using Loader = std::unique_ptr<GdkPixbufLoader, Unref>;

// The loaded picture, still owned by the loader; null when the data is not a readable picture
// of `type`.
GdkPixbuf* Load(GdkPixbufLoader* loader, std::string_view data) {
    GError* error = nullptr;
    const bool written =
        gdk_pixbuf_loader_write(loader, reinterpret_cast<const guchar*>(data.data()), data.size(),
                                &error) &&
        gdk_pixbuf_loader_close(loader, &error);
    if (error)
        g_error_free(error);
    if (!written) {
        gdk_pixbuf_loader_close(loader, nullptr); // a loader must be closed before it goes
        return nullptr;
    }
    return gdk_pixbuf_loader_get_pixbuf(loader);
}

Loader MakeLoader(const char* type) {
    return Loader(gdk_pixbuf_loader_new_with_type(type, nullptr));
}

Foundation::Counted<DynamicBitmap> ToBitmap(const GdkPixbuf* pixbuf) {
    const int width = gdk_pixbuf_get_width(pixbuf), height = gdk_pixbuf_get_height(pixbuf);
    if (!IsAcceptableSize(uint64_t(width), uint64_t(height)) ||
        gdk_pixbuf_get_colorspace(pixbuf) != GDK_COLORSPACE_RGB ||
        gdk_pixbuf_get_bits_per_sample(pixbuf) != 8)
        return nullptr;
    const int channels = gdk_pixbuf_get_n_channels(pixbuf);
    const bool alpha = gdk_pixbuf_get_has_alpha(pixbuf);
    const int stride = gdk_pixbuf_get_rowstride(pixbuf);
    const guchar* pixels = gdk_pixbuf_read_pixels(pixbuf);
    auto bitmap = DynamicBitmap::Create(uint32_t(width), uint32_t(height));
    for (int y = 0; y < height; ++y) {
        const guchar* in = pixels + ptrdiff_t(y) * stride;
        uint8_t* out = bitmap->Row(uint32_t(y));
        for (int x = 0; x < width; ++x, in += channels, out += 4) {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
            out[3] = alpha ? in[3] : 255;
        }
    }
    return bitmap;
}

Foundation::Counted<DynamicBitmap> Decode(const char* type, std::string_view data) {
    const Loader loader = MakeLoader(type);
    if (!loader)
        return nullptr;
    const GdkPixbuf* pixbuf = Load(loader.get(), data);
    return pixbuf ? ToBitmap(pixbuf) : nullptr;
}

std::optional<ImageSize> Size(const char* type, std::string_view data) {
    // The loaders give the size only with the picture; covers are read whole anyway.
    const auto bitmap = Decode(type, data);
    if (!bitmap)
        return std::nullopt;
    return ImageSize{bitmap->Width(), bitmap->Height()};
}

} // namespace

std::optional<ImageSize> ReadTIFFSize(std::string_view data) {
    return Size("tiff", data);
}

Foundation::Counted<DynamicBitmap> DecodeTIFF(std::string_view data) {
    return Decode("tiff", data);
}

std::optional<ImageSize> ReadBMPSize(std::string_view data) {
    return Size("bmp", data);
}

Foundation::Counted<DynamicBitmap> DecodeBMP(std::string_view data) {
    return Decode("bmp", data);
}

} // namespace Raster::Codecs

// SPDX-License-Identifier: MIT
#include "hostimpl/raster/Codecs.h"

#include <png.h>

#include <vector>

namespace Raster::Codecs {

namespace {

// The simplified API frees its own state on failure; this covers the early returns in between.
struct ImageGuard {
    png_image& image;
    ~ImageGuard() { png_image_free(&image); }
};

bool BeginRead(png_image& image, std::string_view data) {
    image.version = PNG_IMAGE_VERSION;
    return !data.empty() && png_image_begin_read_from_memory(&image, data.data(), data.size());
}

} // namespace

std::optional<ImageSize> ReadPNGSize(std::string_view data) {
    png_image image{};
    if (!BeginRead(image, data))
        return std::nullopt;
    const ImageGuard guard{image};
    return ImageSize{image.width, image.height};
}

Foundation::Counted<DynamicBitmap> DecodePNG(std::string_view data) {
    png_image image{};
    if (!BeginRead(image, data))
        return nullptr;
    const ImageGuard guard{image};
    if (!IsAcceptableSize(image.width, image.height))
        return nullptr;
    image.format = PNG_FORMAT_RGBA;
    auto bitmap = DynamicBitmap::Create(image.width, image.height);
    if (!png_image_finish_read(&image, nullptr, bitmap->Pixels().data(),
                               png_int_32(bitmap->Stride()), nullptr))
        return nullptr;
    return bitmap;
}

std::optional<std::string> EncodePNG(const DynamicBitmap& bitmap) {
    if (!IsAcceptableSize(bitmap.Width(), bitmap.Height()))
        return std::nullopt;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = bitmap.Width();
    image.height = bitmap.Height();

    // An opaque bitmap is written without its alpha channel, a quarter smaller before deflate.
    std::vector<uint8_t> rgb;
    const void* pixels = bitmap.Pixels().data();
    png_int_32 stride = png_int_32(bitmap.Stride());
    image.format = PNG_FORMAT_RGBA;
    if (bitmap.IsOpaque()) {
        const auto src = bitmap.Pixels();
        rgb.resize(src.size() / 4 * 3);
        for (size_t i = 0, o = 0; i < src.size(); i += 4, o += 3) {
            rgb[o] = src[i];
            rgb[o + 1] = src[i + 1];
            rgb[o + 2] = src[i + 2];
        }
        pixels = rgb.data();
        stride = png_int_32(bitmap.Width()) * 3;
        image.format = PNG_FORMAT_RGB;
    }

    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, pixels, stride, nullptr))
        return std::nullopt;
    std::string out(size, '\0');
    if (!png_image_write_to_memory(&image, out.data(), &size, 0, pixels, stride, nullptr))
        return std::nullopt;
    out.resize(size);
    return out;
}

} // namespace Raster::Codecs

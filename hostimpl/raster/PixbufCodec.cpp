// SPDX-License-Identifier: MIT
// TIFF and BMP pictures, read through gdk-pixbuf's loaders: only covers take them, and always
// re-encoded, so reading is all that is needed.

#include "hostimpl/raster/Codecs.h"
#include "hostimpl/raster/PixbufLibrary.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <memory>

namespace Raster::Codecs {
namespace {

struct Unref {
    void operator()(void* object) const { PixbufLibrary::Get().unref(object); }
};
using Loader = std::unique_ptr<GdkPixbufLoader, Unref>;

// The loaded picture, still owned by the loader; null when the data is not a readable picture
// of `type`.
GdkPixbuf* Load(const PixbufLibrary& api, GdkPixbufLoader* loader, std::string_view data) {
    GError* error = nullptr;
    const bool written = api.loaderWrite(loader, reinterpret_cast<const guchar*>(data.data()),
                                         data.size(), &error) &&
                         api.loaderClose(loader, &error);
    if (error)
        api.errorFree(error);
    if (!written) {
        api.loaderClose(loader, nullptr); // a loader must be closed before it goes
        return nullptr;
    }
    return api.loaderGetPixbuf(loader);
}

Foundation::Counted<DynamicBitmap> ToBitmap(const PixbufLibrary& api, const GdkPixbuf* pixbuf) {
    const int width = api.width(pixbuf), height = api.height(pixbuf);
    if (!IsAcceptableSize(uint64_t(width), uint64_t(height)) ||
        api.colorspace(pixbuf) != GDK_COLORSPACE_RGB || api.bitsPerSample(pixbuf) != 8)
        return nullptr;
    const int channels = api.channels(pixbuf);
    const bool alpha = api.hasAlpha(pixbuf);
    const int stride = api.rowstride(pixbuf);
    const guchar* pixels = api.readPixels(pixbuf);
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
    const PixbufLibrary& api = PixbufLibrary::Get();
    if (!api.IsLoaded())
        return nullptr;
    const Loader loader(api.loaderNewWithType(type, nullptr));
    if (!loader)
        return nullptr;
    const GdkPixbuf* pixbuf = Load(api, loader.get(), data);
    return pixbuf ? ToBitmap(api, pixbuf) : nullptr;
}

std::optional<ImageSize> Size(const char* type, std::string_view data) {
    // The loaders give the size only with the picture; covers are read whole anyway.
    const auto bitmap = Decode(type, data);
    if (!bitmap)
        return std::nullopt;
    return ImageSize{bitmap->Width(), bitmap->Height()};
}

uint32_t LittleEndian(std::string_view data, size_t at, size_t bytes) {
    uint32_t value = 0;
    for (size_t i = bytes; i-- > 0;)
        value = value << 8 | static_cast<uint8_t>(data[at + i]);
    return value;
}

// gdk-pixbuf's BMP loader trusts the header: it allocates whatever header size and picture
// size the file claims, 4 GB for a few bytes of garbage. The header is checked first.
bool IsPlausibleBMP(std::string_view data) {
    constexpr size_t kFileHeader = 14;
    if (data.size() < kFileHeader + 12 || !data.starts_with("BM"))
        return false;
    const uint32_t infoSize = LittleEndian(data, kFileHeader, 4);
    constexpr uint32_t kInfoSizes[] = {12, 16, 40, 52, 56, 64, 108, 124};
    if (std::find(std::begin(kInfoSizes), std::end(kInfoSizes), infoSize) == std::end(kInfoSizes) ||
        data.size() < kFileHeader + infoSize)
        return false;
    if (infoSize == 12)
        return IsAcceptableSize(LittleEndian(data, 18, 2), LittleEndian(data, 20, 2));
    const auto width = static_cast<int32_t>(LittleEndian(data, 18, 4));
    const auto height = static_cast<int32_t>(LittleEndian(data, 22, 4)); // negative: top-down
    return width > 0 && height != 0 && height != INT32_MIN &&
           IsAcceptableSize(uint64_t(width), uint64_t(height < 0 ? -int64_t(height) : height));
}

} // namespace

std::optional<ImageSize> ReadTIFFSize(std::string_view data) {
    return Size("tiff", data);
}

Foundation::Counted<DynamicBitmap> DecodeTIFF(std::string_view data) {
    return Decode("tiff", data);
}

std::optional<ImageSize> ReadBMPSize(std::string_view data) {
    if (!IsPlausibleBMP(data))
        return std::nullopt;
    return Size("bmp", data);
}

Foundation::Counted<DynamicBitmap> DecodeBMP(std::string_view data) {
    if (!IsPlausibleBMP(data))
        return nullptr;
    return Decode("bmp", data);
}

} // namespace Raster::Codecs

// SPDX-License-Identifier: MIT
#pragma once
// Per-format readers and writers behind the raster library's image-file functions.

#include "host/foundation/Counted.h"
#include "host/raster/DynamicBitmap.h"
#include "host/raster/ImageFile.h"

#include <optional>
#include <string>
#include <string_view>

namespace Raster::Codecs {

// Damaged or hostile headers may claim huge images; refuse rather than allocate gigabytes.
inline constexpr uint64_t kMaxPixels = uint64_t(1) << 27;

inline bool IsAcceptableSize(uint64_t width, uint64_t height) {
    return width > 0 && height > 0 && width * height <= kMaxPixels;
}

std::optional<ImageSize> ReadPNGSize(std::string_view data);
Foundation::Counted<DynamicBitmap> DecodePNG(std::string_view data);
std::optional<std::string> EncodePNG(const DynamicBitmap& bitmap);

std::optional<ImageSize> ReadJPEGSize(std::string_view data);
Foundation::Counted<DynamicBitmap> DecodeJPEG(std::string_view data);
std::optional<std::string> EncodeJPEG(const DynamicBitmap& bitmap, int quality);

std::optional<ImageSize> ReadGIFSize(std::string_view data);
Foundation::Counted<DynamicBitmap> DecodeGIF(std::string_view data);

// Read only: pictures of these kinds are always stored re-encoded.
std::optional<ImageSize> ReadTIFFSize(std::string_view data);
Foundation::Counted<DynamicBitmap> DecodeTIFF(std::string_view data);
std::optional<ImageSize> ReadBMPSize(std::string_view data);
Foundation::Counted<DynamicBitmap> DecodeBMP(std::string_view data);

} // namespace Raster::Codecs

// SPDX-License-Identifier: MIT
#pragma once
// Image files as bytes: recognising their type, reading their size and decoding them.

#include "host/foundation/Counted.h"
#include "host/raster/DynamicBitmap.h"
#include "host/raster/FileType.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace Raster {

struct ImageSize {
    uint32_t width = 0;
    uint32_t height = 0;
    bool operator==(const ImageSize&) const = default;
};

// By signature: JPEG, PNG, GIF, TIFF, BMP, or SVG (an XML document whose root is "svg").
FileType DetectFileType(std::string_view data);

// Pixel size of JPEG, PNG or GIF data (for GIF the logical screen); none for other types or
// damaged headers.
std::optional<ImageSize> ReadImageSize(std::string_view data);

// Decodes JPEG, PNG or GIF data (the first frame of an animation) to RGBA; null for other types
// or damaged data.
Foundation::Counted<DynamicBitmap> DecodeImage(std::string_view data);

// "jpg", "png", "gif", "svg", "tif", "bmp"; empty for unknown types.
std::string_view FileExtension(FileType type);
// "image/jpeg" and so on; empty for unknown types.
std::string_view MediaType(FileType type);

} // namespace Raster

// SPDX-License-Identifier: MIT
#pragma once
// Image file types of the raster library; the numbers are the library's own codes.

#include <cstdint>

namespace Raster {

enum class FileType : int32_t {
    JPEG = 0,
    PNG = 1,
    TIFF = 2,
    BMP = 3,
    GIF = 6,
    SVG = 12,
    Unknown = -1,
};

} // namespace Raster

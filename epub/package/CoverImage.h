// SPDX-License-Identifier: MIT
#pragma once
// A cover picture as it goes into a publication: the file's own bytes whenever they can be, so a
// photograph stays the JPEG it was; scaled and re-encoded only when it is too large.

#include "host/foundation/Geometry.h"
#include "host/raster/ImageFile.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace EPub {

// Largest side of a cover image stored as JPEG, and as PNG or GIF.
inline constexpr uint32_t kJPEGMaxDimension = 4096;
inline constexpr uint32_t kPNGMaxDimension = 2048;

// The size an image of `width` × `height` is stored at under `limit`: unchanged when it fits,
// else scaled so the larger side is the limit, sides rounded and at least 1.
Foundation::SizeT<uint32_t> CoverSize(uint32_t width, uint32_t height, uint32_t limit);

struct StoredCover {
    std::string bytes;
    Raster::FileType type = Raster::FileType::Unknown;
    bool copied = false; // the bytes are the file's own
};

// `data` as a cover: copied when it is a JPEG, PNG or GIF within the limit of its format; else
// decoded, scaled to that limit and re-encoded, a JPEG as JPEG at `quality` and anything else as
// PNG (there is no GIF encoder). Nothing when it is no raster picture this library can read.
std::optional<StoredCover> PrepareCover(std::string_view data, int quality);

} // namespace EPub

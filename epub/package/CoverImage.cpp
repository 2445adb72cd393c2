// SPDX-License-Identifier: MIT
#include "epub/package/CoverImage.h"

#include "host/foundation/Stream.h"
#include "host/raster/BitmapDrawing.h"
#include "host/raster/ImageEncoder.h"

#include <algorithm>
#include <cmath>

namespace EPub {

Foundation::SizeT<uint32_t> CoverSize(uint32_t width, uint32_t height, uint32_t limit) {
    const uint32_t larger = std::max(width, height);
    if (larger <= limit || larger == 0)
        return {width, height};
    const double factor = double(limit) / larger;
    auto side = [factor](uint32_t v) {
        return std::max<uint32_t>(1, static_cast<uint32_t>(std::lround(v * factor)));
    };
    return {side(width), side(height)};
}

std::optional<StoredCover> PrepareCover(std::string_view data, int quality) {
    using Raster::FileType;
    const FileType type = Raster::DetectFileType(data);
    const auto pixels = Raster::ReadImageSize(data);
    if (!pixels)
        return std::nullopt;
    const bool jpeg = type == FileType::JPEG;
    const auto size =
        CoverSize(pixels->width, pixels->height, jpeg ? kJPEGMaxDimension : kPNGMaxDimension);
    if (size.width == pixels->width && size.height == pixels->height &&
        (jpeg || type == FileType::PNG || type == FileType::GIF))
        return StoredCover{std::string(data), type, true};
    auto bitmap = Raster::DecodeImage(data);
    if (bitmap && (size.width != pixels->width || size.height != pixels->height))
        bitmap = Raster::ScaleBitmap(*bitmap, size.width, size.height);
    if (!bitmap)
        return std::nullopt;
    Foundation::MemoryOutStream out;
    const bool ok =
        jpeg ? Raster::WriteJPEG(*bitmap, out, quality) : Raster::WritePNG(*bitmap, out);
    if (!ok)
        return std::nullopt;
    return StoredCover{out.TakeData(), jpeg ? FileType::JPEG : FileType::PNG, false};
}

} // namespace EPub

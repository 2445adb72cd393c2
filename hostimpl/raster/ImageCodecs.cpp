// SPDX-License-Identifier: MIT
// The raster library's image-file entry points, dispatched by file type.
#include "host/raster/ImageEncoder.h"
#include "host/raster/ImageFile.h"

#include "hostimpl/raster/Codecs.h"

namespace Raster {

namespace {
bool WriteAll(const std::optional<std::string>& encoded, Foundation::OutStream& out) {
    return encoded && out.Write(*encoded);
}
} // namespace

std::optional<ImageSize> ReadImageSize(std::string_view data) {
    switch (DetectFileType(data)) {
    case FileType::JPEG:
        return Codecs::ReadJPEGSize(data);
    case FileType::PNG:
        return Codecs::ReadPNGSize(data);
    case FileType::GIF:
        return Codecs::ReadGIFSize(data);
    case FileType::TIFF:
        return Codecs::ReadTIFFSize(data);
    case FileType::BMP:
        return Codecs::ReadBMPSize(data);
    default:
        return std::nullopt;
    }
}

Foundation::Counted<DynamicBitmap> DecodeImage(std::string_view data) {
    switch (DetectFileType(data)) {
    case FileType::JPEG:
        return Codecs::DecodeJPEG(data);
    case FileType::PNG:
        return Codecs::DecodePNG(data);
    case FileType::GIF:
        return Codecs::DecodeGIF(data);
    case FileType::TIFF:
        return Codecs::DecodeTIFF(data);
    case FileType::BMP:
        return Codecs::DecodeBMP(data);
    default:
        return nullptr;
    }
}

bool WritePNG(const DynamicBitmap& bitmap, Foundation::OutStream& out) {
    return WriteAll(Codecs::EncodePNG(bitmap), out);
}

bool WriteJPEG(const DynamicBitmap& bitmap, Foundation::OutStream& out, int quality) {
    return WriteAll(Codecs::EncodeJPEG(bitmap, quality), out);
}

} // namespace Raster

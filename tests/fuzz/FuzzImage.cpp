// SPDX-License-Identifier: MIT
// Image bytes from anywhere: type detection, size reading, decoding and re-encoding, and the same
// bytes taken as an ICC profile for every colour model.

#include "host/raster/ICCProfileSet.h"
#include "host/raster/ImageFile.h"
#include "host/render/Colour.h"
#include "hostimpl/raster/Codecs.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

// Encoding is linear in the pixels: a few bytes can claim a screen of 16M pixels, which takes
// seconds under the sanitizers without telling anything new.
constexpr uint64_t kMaxEncodedPixels = uint64_t(1) << 20;

void Decode(std::string_view data) {
    Raster::DetectFileType(data);
    Raster::ReadImageSize(data);
    const auto bitmap = Raster::DecodeImage(data);
    if (bitmap && uint64_t(bitmap->Width()) * bitmap->Height() <= kMaxEncodedPixels)
        Raster::Codecs::EncodePNG(*bitmap);
    // Each codec on its own, so a wrong signature check cannot hide a decoder.
    Raster::Codecs::ReadPNGSize(data);
    Raster::Codecs::DecodePNG(data);
    Raster::Codecs::ReadJPEGSize(data);
    Raster::Codecs::DecodeJPEG(data);
    Raster::Codecs::ReadGIFSize(data);
    Raster::Codecs::DecodeGIF(data);
}

void ConvertThrough(std::string_view data) {
    Raster::ICCProfileSet profiles;
    profiles.rgbProfile = profiles.cmykProfile = profiles.grayProfile = std::string(data);
    profiles.ToRGBA8(*Render::Colour::MakeRGB(10, 200, 30));
    profiles.ToRGBA8(*Render::Colour::MakeCMYK(10, 20, 30, 40));
    profiles.ToRGBA8(*Render::Colour::MakeGray(128));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const std::string_view data(reinterpret_cast<const char*>(bytes), size);
    Decode(data);
    ConvertThrough(data);
    return 0;
}

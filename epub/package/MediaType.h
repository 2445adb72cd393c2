// SPDX-License-Identifier: MIT
#pragma once
// The one table of media types both layouts write into their manifests.

#include <cstdint>
#include <string_view>

namespace EPub {

// The media types of the container's files, told by their extension.
enum class MediaType : int32_t {
    Other = 0,
    GIF = 1,
    JPEG = 2,
    PNG = 3,
    SVG = 4,
    XHTML = 5,
    TTF = 6,
    OTF = 7,
    WOFF = 8,
    SMIL = 9,
    PLS = 10,
    MP3 = 11,
    MP4 = 12,
    CSS = 13,
    JS = 14,
};
MediaType GetMediaType(std::string_view fileName);
std::string_view MediaTypeName(MediaType type); // "image/png"...

} // namespace EPub

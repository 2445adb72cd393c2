#pragma once
// The colour profiles of a document: how its RGB, CMYK and gray colours become screen RGB.

#include "host/render/Colour.h"

#include <array>
#include <cstdint>
#include <string>

namespace Raster {

struct RGBA8 {
    uint8_t r = 0, g = 0, b = 0, a = 0;
    bool operator==(const RGBA8&) const = default;
};

// Profiles are ICC data as read from the profile files; an empty profile means "use the
// built-in conversion" (sRGB for RGB, naive complement for CMYK, gray ramp).
class ICCProfileSet {
public:
    std::string rgbProfile;
    std::string cmykProfile;
    std::string grayProfile;

    // Converts to 8-bit sRGB with alpha.
    RGBA8 ToRGBA8(const Render::Colour& colour) const;
};

} // namespace Raster

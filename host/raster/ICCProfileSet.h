// SPDX-License-Identifier: MIT
#pragma once
// The colour profiles of a document: how its RGB, CMYK and gray colours become screen RGB.

#include "host/render/Colour.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace Raster {

struct RGBA8 {
    uint8_t r = 0, g = 0, b = 0, a = 0;
    bool operator==(const RGBA8&) const = default;
};

// Colour transforms built from profiles, kept because building one costs far more than using
// it. Copies of a profile set share it; it is safe to use from several threads.
class ColourTransformCache;
std::shared_ptr<ColourTransformCache> MakeColourTransformCache();

// Profiles are ICC data as read from the profile files; an empty profile means "use the
// built-in conversion" (sRGB for RGB, naive complement for CMYK, gray ramp).
class ICCProfileSet {
public:
    std::string rgbProfile;
    std::string cmykProfile;
    std::string grayProfile;

    // Converts to 8-bit sRGB with alpha. A profile that cannot be read, or that is not of the
    // colour's model, counts as absent. LAB colours are taken as CIELAB D50.
    RGBA8 ToRGBA8(const Render::Colour& colour) const;

    std::shared_ptr<ColourTransformCache> transforms = MakeColourTransformCache();
};

} // namespace Raster

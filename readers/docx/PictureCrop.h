// SPDX-License-Identifier: MIT
#pragma once
// Cropped pictures: Word keeps the whole picture and the share of each side to leave out
// (DrawingML's a:srcRect, VML's croptop...); the publication holds only the part shown.

#include <pugixml.hpp>

#include <optional>
#include <string>

namespace Readers::Docx {

// The share of each side left out, 0..1.
struct PictureCrop {
    double left = 0, top = 0, right = 0, bottom = 0;

    bool Any() const noexcept { return left > 0 || top > 0 || right > 0 || bottom > 0; }
    // Distinguishes the cropped copies of one picture.
    std::string Key() const;
};

// From a:srcRect (thousandths of a percent); negative sides (space added round the picture)
// are not cropping.
PictureCrop DrawingCrop(pugi::xml_node srcRect);
// From v:imagedata (fractions, or 65536ths with an "f").
PictureCrop VmlCrop(pugi::xml_node imagedata);

// The shown part of a PNG, JPEG or GIF picture, encoded again (JPEG as JPEG, others as PNG);
// none when it cannot be decoded or nothing would be left.
std::optional<std::string> CropPicture(const std::string& data, const PictureCrop& crop);

} // namespace Readers::Docx

// SPDX-License-Identifier: MIT
#include "readers/docx/PictureCrop.h"

#include "host/raster/DynamicBitmap.h"
#include "host/raster/FileType.h"
#include "host/raster/ImageFile.h"
#include "hostimpl/raster/Codecs.h"
#include "readers/docx/XmlPart.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace Readers::Docx {

namespace {

double Share(double value) {
    return std::isfinite(value) ? std::clamp(value, 0.0, 1.0) : 0;
}

// "0.25", "16384f" (65536ths).
double VmlFraction(std::string_view text) {
    if (text.empty())
        return 0;
    const bool sixteenths = text.back() == 'f';
    if (sixteenths)
        text.remove_suffix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return 0;
    return Share(sixteenths ? value / 65536 : value);
}

} // namespace

std::string PictureCrop::Key() const {
    const auto part = [](double v) { return std::to_string(std::lround(v * 100000)); };
    return "crop-" + part(left) + "-" + part(top) + "-" + part(right) + "-" + part(bottom);
}

PictureCrop DrawingCrop(pugi::xml_node srcRect) {
    const auto side = [&](std::string_view name) {
        return Share(NumberAttr(srcRect, name, 1).value_or(0) / 100000);
    };
    return {side("l"), side("t"), side("r"), side("b")};
}

PictureCrop VmlCrop(pugi::xml_node imagedata) {
    return {VmlFraction(AttrText(imagedata, "cropleft")),
            VmlFraction(AttrText(imagedata, "croptop")),
            VmlFraction(AttrText(imagedata, "cropright")),
            VmlFraction(AttrText(imagedata, "cropbottom"))};
}

std::optional<std::string> CropPicture(const std::string& data, const PictureCrop& crop) {
    if (crop.left + crop.right >= 1 || crop.top + crop.bottom >= 1)
        return std::nullopt;
    const auto bitmap = Raster::DecodeImage(data);
    if (!bitmap)
        return std::nullopt;
    const auto pixels = [](uint32_t size, double share) {
        return static_cast<uint32_t>(std::lround(size * share));
    };
    const uint32_t x = pixels(bitmap->Width(), crop.left);
    const uint32_t y = pixels(bitmap->Height(), crop.top);
    const uint32_t right = bitmap->Width() - pixels(bitmap->Width(), crop.right);
    const uint32_t bottom = bitmap->Height() - pixels(bitmap->Height(), crop.bottom);
    if (right <= x || bottom <= y)
        return std::nullopt;
    const auto shown = Raster::DynamicBitmap::Create(right - x, bottom - y);
    for (uint32_t row = 0; row < shown->Height(); ++row)
        std::memcpy(shown->Row(row), bitmap->Row(y + row) + size_t{x} * 4, shown->Stride());
    if (Raster::DetectFileType(data) == Raster::FileType::JPEG)
        return Raster::Codecs::EncodeJPEG(*shown, 90);
    return Raster::Codecs::EncodePNG(*shown);
}

} // namespace Readers::Docx

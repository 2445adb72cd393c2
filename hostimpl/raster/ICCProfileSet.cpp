// SPDX-License-Identifier: MIT
#include "host/raster/ICCProfileSet.h"

#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <optional>
#include <utility>

namespace Raster {

namespace {

struct ProfileCloser {
    void operator()(void* p) const noexcept { cmsCloseProfile(p); }
};
using Profile = std::unique_ptr<void, ProfileCloser>;

struct TransformDeleter {
    void operator()(void* t) const noexcept { cmsDeleteTransform(t); }
};
using Transform = std::unique_ptr<void, TransformDeleter>;

uint8_t ToByte(double unit) {
    if (!(unit > 0)) // also NaN
        return 0;
    return uint8_t(std::lround(std::min(unit, 1.0) * 255));
}

RGBA8 FromUnits(double r, double g, double b, double alpha) {
    return {ToByte(r), ToByte(g), ToByte(b), ToByte(alpha)};
}

struct Source {
    cmsUInt32Number format;
    cmsColorSpaceSignature space;
};

Source SourceFor(Render::ColourModel model) {
    switch (model) {
    case Render::ColourModel::CMYK:
        return {TYPE_CMYK_DBL, cmsSigCmykData};
    case Render::ColourModel::Gray:
        return {TYPE_GRAY_DBL, cmsSigGrayData};
    case Render::ColourModel::LAB:
        return {TYPE_Lab_DBL, cmsSigLabData};
    default:
        return {TYPE_RGB_DBL, cmsSigRgbData};
    }
}

// Relative colorimetric with black-point compensation keeps paper white white and rich blacks
// black, which is what a page shown on screen should look like. No cache inside the transform,
// so several threads may use one at once.
Transform MakeTransform(Render::ColourModel model, const std::string& icc) {
    const Source source = SourceFor(model);
    Profile input(model == Render::ColourModel::LAB
                      ? cmsCreateLab4Profile(nullptr)
                      : cmsOpenProfileFromMem(icc.data(), cmsUInt32Number(icc.size())));
    if (!input || cmsGetColorSpace(input.get()) != source.space)
        return nullptr;
    const Profile output(cmsCreate_sRGBProfile());
    if (!output)
        return nullptr;
    return Transform(cmsCreateTransform(input.get(), source.format, output.get(), TYPE_RGB_DBL,
                                        INTENT_RELATIVE_COLORIMETRIC,
                                        cmsFLAGS_BLACKPOINTCOMPENSATION | cmsFLAGS_NOCACHE));
}

// lcms takes CMYK as percentages and the others as they are stored.
std::array<double, 4> Inputs(const Render::Colour& colour) {
    std::array<double, 4> in = colour.Components();
    if (colour.Model() == Render::ColourModel::CMYK)
        for (double& c : in)
            c *= 100;
    return in;
}

RGBA8 Fallback(const Render::Colour& colour) {
    const auto& c = colour.Components();
    switch (colour.Model()) {
    case Render::ColourModel::CMYK: {
        const double k = 1 - std::clamp(c[3], 0.0, 1.0);
        const auto ink = [k](double v) { return (1 - std::clamp(v, 0.0, 1.0)) * k; };
        return FromUnits(ink(c[0]), ink(c[1]), ink(c[2]), colour.Alpha());
    }
    case Render::ColourModel::Gray:
        return FromUnits(c[0], c[0], c[0], colour.Alpha());
    case Render::ColourModel::LAB: // only when lcms fails: keep the lightness
        return FromUnits(c[0] / 100, c[0] / 100, c[0] / 100, colour.Alpha());
    default: // sRGB into sRGB is the identity
        return FromUnits(c[0], c[1], c[2], colour.Alpha());
    }
}

} // namespace

class ColourTransformCache {
public:
    // The transform for the model and profile, built on first use; null when the profile is
    // unusable (that answer is kept too).
    void* Get(Render::ColourModel model, const std::string& icc) {
        std::lock_guard lock(mutex_);
        auto key = std::make_pair(model, icc);
        auto found = transforms_.find(key);
        if (found == transforms_.end())
            found = transforms_.emplace(std::move(key), MakeTransform(model, icc)).first;
        return found->second.get();
    }

private:
    std::mutex mutex_;
    std::map<std::pair<Render::ColourModel, std::string>, Transform> transforms_;
};

std::shared_ptr<ColourTransformCache> MakeColourTransformCache() {
    return std::make_shared<ColourTransformCache>();
}

RGBA8 ICCProfileSet::ToRGBA8(const Render::Colour& colour) const {
    const std::string* profile = nullptr;
    switch (colour.Model()) {
    case Render::ColourModel::RGB:
        profile = &rgbProfile;
        break;
    case Render::ColourModel::CMYK:
        profile = &cmykProfile;
        break;
    case Render::ColourModel::Gray:
        profile = &grayProfile;
        break;
    case Render::ColourModel::LAB:
        break; // Lab needs no profile of the document's
    }
    if (profile && profile->empty())
        return Fallback(colour);
    // The cache owns the transform, so it must outlive its use here.
    const auto cache = transforms ? transforms : MakeColourTransformCache();
    void* transform = cache->Get(colour.Model(), profile ? *profile : std::string());
    if (!transform)
        return Fallback(colour);
    const std::array<double, 4> in = Inputs(colour);
    std::array<double, 3> out{};
    cmsDoTransform(transform, in.data(), out.data(), 1);
    return FromUnits(out[0], out[1], out[2], colour.Alpha());
}

} // namespace Raster

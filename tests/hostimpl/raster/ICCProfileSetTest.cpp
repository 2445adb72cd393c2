// SPDX-License-Identifier: MIT
#include "host/raster/ICCProfileSet.h"

#include <gtest/gtest.h>

#include <lcms2.h>

#include <array>
#include <cmath>
#include <thread>

using namespace Raster;
using Render::Colour;

namespace {

std::string Save(cmsHPROFILE profile) {
    cmsUInt32Number size = 0;
    EXPECT_TRUE(cmsSaveProfileToMem(profile, nullptr, &size));
    std::string bytes(size, '\0');
    EXPECT_TRUE(cmsSaveProfileToMem(profile, bytes.data(), &size));
    cmsCloseProfile(profile);
    return bytes;
}

std::string SRGBProfile() {
    return Save(cmsCreate_sRGBProfile());
}

std::string GrayProfile(double gamma) {
    cmsToneCurve* curve = cmsBuildGamma(nullptr, gamma);
    const std::string bytes = Save(cmsCreateGrayProfile(cmsD50_xyY(), curve));
    cmsFreeToneCurve(curve);
    return bytes;
}

// A CMYK profile whose colours are the naive complement, sampled into a lookup table: through
// it, a conversion must land where the built-in one does.
int NaiveCMYKToLab(const cmsUInt16Number in[], cmsUInt16Number out[], void* toLab) {
    const double k = 1 - in[3] / 65535.0;
    const double rgb[3] = {(1 - in[0] / 65535.0) * k, (1 - in[1] / 65535.0) * k,
                           (1 - in[2] / 65535.0) * k};
    cmsCIELab lab;
    cmsDoTransform(toLab, rgb, &lab, 1);
    cmsFloat2LabEncodedV2(out, &lab); // the table is in a version 2 profile
    return 1;
}

std::string NaiveCMYKProfile() {
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
    cmsHTRANSFORM toLab =
        cmsCreateTransform(srgb, TYPE_RGB_DBL, lab, TYPE_Lab_DBL, INTENT_RELATIVE_COLORIMETRIC, 0);
    cmsHPROFILE profile = cmsCreateProfilePlaceholder(nullptr);
    cmsSetProfileVersion(profile, 2.1);
    cmsSetDeviceClass(profile, cmsSigInputClass);
    cmsSetColorSpace(profile, cmsSigCmykData);
    cmsSetPCS(profile, cmsSigLabData);
    cmsPipeline* pipeline = cmsPipelineAlloc(nullptr, 4, 3);
    cmsStage* clut = cmsStageAllocCLut16bit(nullptr, 9, 4, 3, nullptr);
    cmsStageSampleCLut16bit(clut, NaiveCMYKToLab, toLab, 0);
    cmsPipelineInsertStage(pipeline, cmsAT_BEGIN, clut);
    cmsPipelineInsertStage(pipeline, cmsAT_BEGIN, cmsStageAllocToneCurves(nullptr, 4, nullptr));
    cmsPipelineInsertStage(pipeline, cmsAT_END, cmsStageAllocToneCurves(nullptr, 3, nullptr));
    cmsWriteTag(profile, cmsSigAToB0Tag, pipeline);
    cmsWriteTag(profile, cmsSigMediaWhitePointTag, cmsD50_XYZ());
    cmsPipelineFree(pipeline);
    cmsDeleteTransform(toLab);
    cmsCloseProfile(lab);
    cmsCloseProfile(srgb);
    return Save(profile);
}

void ExpectNear(RGBA8 got, RGBA8 want, int tolerance) {
    EXPECT_NEAR(got.r, want.r, tolerance);
    EXPECT_NEAR(got.g, want.g, tolerance);
    EXPECT_NEAR(got.b, want.b, tolerance);
    EXPECT_EQ(got.a, want.a);
}

} // namespace

TEST(ICCProfileSetTest, RGBWithoutProfileIsExact) {
    const ICCProfileSet set;
    for (int v = 0; v < 256; ++v) {
        const auto c = uint8_t(v);
        ASSERT_EQ(set.ToRGBA8(*Colour::MakeRGB(c, uint8_t(255 - c), uint8_t(c / 3), c)),
                  (RGBA8{c, uint8_t(255 - c), uint8_t(c / 3), c}));
    }
    // Alpha is rounded, not truncated: half opacity is 0x80.
    EXPECT_EQ(set.ToRGBA8(Colour(Render::ColourModel::RGB, {1, 0, 0, 0}, 0.5)).a, 128);
    // Out-of-range components are clamped.
    EXPECT_EQ(set.ToRGBA8(Colour(Render::ColourModel::RGB, {1.5, -0.2, NAN, 0}, 2)),
              (RGBA8{255, 0, 0, 255}));
}

TEST(ICCProfileSetTest, BuiltInFallbacksForCMYKAndGray) {
    const ICCProfileSet set;
    EXPECT_EQ(set.ToRGBA8(*Colour::MakeCMYK(0, 0, 0, 0)), (RGBA8{255, 255, 255, 255}));
    EXPECT_EQ(set.ToRGBA8(*Colour::MakeCMYK(255, 0, 0, 0)), (RGBA8{0, 255, 255, 255}));
    EXPECT_EQ(set.ToRGBA8(*Colour::MakeCMYK(0, 255, 255, 0)), (RGBA8{255, 0, 0, 255}));
    EXPECT_EQ(set.ToRGBA8(*Colour::MakeCMYK(0, 0, 0, 255)), (RGBA8{0, 0, 0, 255}));
    EXPECT_EQ(set.ToRGBA8(*Colour::MakeCMYK(0, 0, 0, 128, 64)), (RGBA8{127, 127, 127, 64}));
    EXPECT_EQ(set.ToRGBA8(*Colour::MakeGray(0)), (RGBA8{0, 0, 0, 255}));
    EXPECT_EQ(set.ToRGBA8(*Colour::MakeGray(200)), (RGBA8{200, 200, 200, 255}));
}

TEST(ICCProfileSetTest, ProfilesAreUsedWhenGiven) {
    ICCProfileSet set;
    set.rgbProfile = SRGBProfile();
    set.cmykProfile = NaiveCMYKProfile();
    set.grayProfile = GrayProfile(1.0);

    ExpectNear(set.ToRGBA8(*Colour::MakeRGB(12, 130, 250)), {12, 130, 250, 255}, 1);
    ExpectNear(set.ToRGBA8(*Colour::MakeCMYK(255, 0, 0, 0)), {0, 255, 255, 255}, 3);
    ExpectNear(set.ToRGBA8(*Colour::MakeCMYK(0, 255, 255, 0, 10)), {255, 0, 0, 10}, 3);
    ExpectNear(set.ToRGBA8(*Colour::MakeCMYK(0, 0, 0, 0)), {255, 255, 255, 255}, 1);
    ExpectNear(set.ToRGBA8(*Colour::MakeCMYK(0, 0, 0, 255)), {0, 0, 0, 255}, 1);
    ExpectNear(set.ToRGBA8(*Colour::MakeCMYK(0, 0, 0, 128)), {127, 127, 127, 255}, 3);
    // A linear gray is lighter on the sRGB curve: mid gray lands near 188, not 128.
    const RGBA8 gray = set.ToRGBA8(*Colour::MakeGray(128));
    EXPECT_NEAR(gray.r, 188, 3);
    EXPECT_EQ(gray.r, gray.g);
    EXPECT_EQ(gray.g, gray.b);
}

TEST(ICCProfileSetTest, UnusableProfilesFallBack) {
    ICCProfileSet set;
    set.cmykProfile = SRGBProfile(); // a profile of the wrong model
    set.grayProfile = "not an ICC profile";
    EXPECT_EQ(set.ToRGBA8(*Colour::MakeCMYK(255, 0, 0, 0)), (RGBA8{0, 255, 255, 255}));
    EXPECT_EQ(set.ToRGBA8(*Colour::MakeGray(77)), (RGBA8{77, 77, 77, 255}));
    set.transforms.reset(); // still works without a cache to share
    EXPECT_EQ(set.ToRGBA8(*Colour::MakeGray(77)), (RGBA8{77, 77, 77, 255}));
}

TEST(ICCProfileSetTest, LabIsConvertedFromD50) {
    const ICCProfileSet set;
    ExpectNear(set.ToRGBA8(*Colour::MakeLAB(100, 0, 0)), {255, 255, 255, 255}, 1);
    ExpectNear(set.ToRGBA8(*Colour::MakeLAB(0, 0, 0)), {0, 0, 0, 255}, 1);
    ExpectNear(set.ToRGBA8(*Colour::MakeLAB(54.29, 80.80, 69.89)), {255, 0, 0, 255}, 3);
}

TEST(ICCProfileSetTest, CopiesShareTransformsAcrossThreads) {
    ICCProfileSet set;
    set.cmykProfile = NaiveCMYKProfile();
    const auto colour = Colour::MakeCMYK(40, 80, 120, 30);
    const RGBA8 expected = set.ToRGBA8(*colour);
    std::array<int, 4> mismatches{};
    std::vector<std::thread> threads;
    for (int& misses : mismatches)
        threads.emplace_back([&misses, &colour, expected, copy = set] {
            for (int i = 0; i < 200; ++i)
                misses += copy.ToRGBA8(*colour) != expected;
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(mismatches, (std::array<int, 4>{}));
}

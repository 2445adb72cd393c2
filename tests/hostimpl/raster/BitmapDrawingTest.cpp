// SPDX-License-Identifier: MIT
#include "host/raster/BitmapDrawing.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

using namespace Raster;
using Pixel = std::array<uint8_t, 4>;

namespace {

Pixel At(const DynamicBitmap& b, uint32_t x, uint32_t y) {
    const uint8_t* p = b.Row(y) + x * 4;
    return {p[0], p[1], p[2], p[3]};
}

void Set(DynamicBitmap& b, uint32_t x, uint32_t y, Pixel px) {
    std::copy(px.begin(), px.end(), b.Row(y) + x * 4);
}

void Fill(DynamicBitmap& b, Pixel px) {
    for (uint32_t y = 0; y < b.Height(); ++y)
        for (uint32_t x = 0; x < b.Width(); ++x)
            Set(b, x, y, px);
}

void ExpectNear(Pixel got, Pixel want, int tolerance = 1) {
    for (size_t c = 0; c < 4; ++c)
        EXPECT_NEAR(got[c], want[c], tolerance) << "channel " << c;
}

} // namespace

TEST(BitmapDrawingTest, ScalingUpKeepsColoursToTheEdges) {
    DynamicBitmap source(2, 1);
    Set(source, 0, 0, {255, 0, 0, 255});
    Set(source, 1, 0, {0, 0, 255, 255});
    const auto scaled = ScaleBitmap(source, 8, 4);
    ASSERT_TRUE(scaled);
    EXPECT_EQ(scaled->Width(), 8u);
    EXPECT_EQ(scaled->Height(), 4u);
    for (uint32_t y = 0; y < 4; ++y) {
        ExpectNear(At(*scaled, 0, y), {255, 0, 0, 255});
        ExpectNear(At(*scaled, 7, y), {0, 0, 255, 255});
    }
}

TEST(BitmapDrawingTest, StraightAlphaSurvivesTheRoundTrip) {
    DynamicBitmap source(3, 3);
    Fill(source, {20, 200, 90, 128});
    const auto copy = ScaleBitmap(source, 3, 3);
    ASSERT_TRUE(copy);
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 3; ++x)
            ExpectNear(At(*copy, x, y), {20, 200, 90, 128}, 2);
}

TEST(BitmapDrawingTest, DrawsOverTheTargetOnlyInsideTheRectangle) {
    DynamicBitmap target(6, 6);
    Fill(target, {255, 255, 255, 255});
    DynamicBitmap red(1, 1);
    Fill(red, {255, 0, 0, 128});
    ASSERT_TRUE(DrawBitmap(target, red, 2, 2, 2, 3));
    for (uint32_t y = 0; y < 6; ++y)
        for (uint32_t x = 0; x < 6; ++x) {
            SCOPED_TRACE(testing::Message() << x << "," << y);
            const bool inside = x >= 2 && x < 4 && y >= 2 && y < 5;
            ExpectNear(At(target, x, y),
                       inside ? Pixel{255, 127, 127, 255} : Pixel{255, 255, 255, 255});
        }
}

TEST(BitmapDrawingTest, RejectsDegenerateRequests) {
    DynamicBitmap source(2, 2), target(2, 2), empty(0, 0);
    EXPECT_FALSE(ScaleBitmap(source, 0, 4));
    EXPECT_FALSE(ScaleBitmap(source, 4, 100000));
    EXPECT_FALSE(DrawBitmap(target, source, 0, 0, 0, 1));
    EXPECT_FALSE(DrawBitmap(target, source, NAN, 0, 1, 1));
    EXPECT_FALSE(DrawBitmap(target, source, 0, 0, INFINITY, 1));
    EXPECT_FALSE(DrawBitmap(empty, source, 0, 0, 1, 1));
}

// SPDX-License-Identifier: MIT
#include "epub/fixed/PageGeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using EPub::AffineTransform;
using EPub::RectT;
using EPub::SizeT;

TEST(PageGeometry, SnappingKeepsNearWholeValuesAndGrowsTheRest) {
    EXPECT_TRUE(EPub::IsEqual({0, 0, 10.0000004, 20}, {0, 0, 10, 20}));
    EXPECT_FALSE(EPub::IsEqual({0, 0, 10.4, 20}, {0, 0, 10, 20}));
    const RectT<double> snapped = EPub::Snap({0.2, 1.0000001, 10.4, 19.9999999}, 1e-6);
    EXPECT_EQ(snapped, (RectT<double>{0, 1, 11, 20}));
    constexpr double lowest = std::numeric_limits<double>::lowest();
    const RectT<double> none{lowest, lowest, lowest, lowest};
    EXPECT_EQ(EPub::Snap(none, 1e-6), none);
}

TEST(PageGeometry, MirroringMovesScaleIntoTheSizeAndKeepsTheSign) {
    AffineTransform t{{-2, 0, 5, 0, 3, 7}};
    SizeT<double> size{10, 10};
    const auto css = EPub::Scale(t, size);
    EXPECT_DOUBLE_EQ(size.width, 20);
    EXPECT_DOUBLE_EQ(size.height, 30);
    EXPECT_EQ(css.scaleX, -1);
    EXPECT_EQ(css.scaleY, 1);
    EXPECT_NEAR(css.rotation, 0, 1e-9);
    EXPECT_EQ(css.translateX, 5);
    EXPECT_EQ(css.translateY, 7);
}

TEST(PageGeometry, QuarterTurnIsARotationWithoutScaleOrSkew) {
    AffineTransform t{{0, -1, 0, 1, 0, 0}};
    SizeT<double> size{4, 2};
    const auto css = EPub::Scale(t, size);
    EXPECT_NEAR(css.rotation, 90, 1e-9);
    EXPECT_EQ(css.scaleX, 1);
    EXPECT_EQ(css.scaleY, 1);
    EXPECT_NEAR(css.skew, 0, 1e-9);
    EXPECT_NEAR(size.width, 4, 1e-9);
    EXPECT_NEAR(size.height, 2, 1e-9);
}

TEST(PageGeometry, ShearBecomesSkewAndComposesBackToTheTransform) {
    // rotate(30°) · skewX(20°) · scale(2, 1.5)
    const double r = 30 * M_PI / 180, k = std::tan(20 * M_PI / 180);
    const AffineTransform original = AffineTransform::Rotate(30) *
                                     AffineTransform{{1, k, 0, 0, 1, 0}} *
                                     AffineTransform::Scale(2, 1.5);
    AffineTransform t = original;
    SizeT<double> size{1, 1};
    const auto css = EPub::Scale(t, size);
    EXPECT_NEAR(css.rotation, 30, 1e-9);
    EXPECT_NEAR(css.skew, 20, 1e-9);
    EXPECT_NEAR(size.width, 2, 1e-9);
    EXPECT_NEAR(size.height, 1.5, 1e-9);
    (void)r;
}

TEST(PageGeometry, StyleValuesAreQuantisedWithoutNegativeZero) {
    EXPECT_EQ(EPub::FormatNumber(12), "12");
    EXPECT_EQ(EPub::FormatNumber(0.5), "0.5");
    EXPECT_EQ(EPub::FormatNumber(-0.0000001), "0");
    // CSS has no infinity, and a hundred digits are no length either.
    EXPECT_EQ(EPub::FormatNumber(std::numeric_limits<double>::infinity()), "0");
    EXPECT_EQ(EPub::FormatNumber(std::nan("")), "0");
    EXPECT_EQ(EPub::FormatNumber(-1e300), "-1000000000");
    EXPECT_EQ(EPub::FormatNumber(1.23456789), "1.234568");
}

TEST(PageGeometry, OrderKeys) {
    EXPECT_EQ(EPub::Order({}), 0);
    EXPECT_EQ(EPub::Order({true, -1, 5, true}), -1);
    EXPECT_EQ(EPub::Order({true, -1, 5, false}), 0);
    EXPECT_EQ(EPub::Order({true, 0, 1, false}), (int64_t(1) << 32) | 2);
    EXPECT_EQ(EPub::Order({true, 0, 1, true}), ~((int64_t(1) << 32) | 2));
}

} // namespace

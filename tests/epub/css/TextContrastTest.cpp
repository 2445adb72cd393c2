// SPDX-License-Identifier: MIT
// Contrast of text against its background, as the accessibility findings and the derived
// conformance judge it.

#include "epub/css/TextContrast.h"
#include "host/render/Fill.h"
#include "host/text/AttributeObjects.h"
#include "host/text/TextDocument.h"

#include <gtest/gtest.h>

using namespace EPub;
using Foundation::Counted;

namespace {

Counted<const Text::AttObject> Solid(uint8_t r, uint8_t g, uint8_t b, double opacity = 1) {
    return Counted<const Text::AttObject>(Text::FillAtt::Make(
        Render::FillDescriptor::MakeSolid(Render::Colour::MakeRGB(r, g, b), opacity)));
}

Text::GlyphAtts Atts(Counted<const Text::AttObject> text,
                     Counted<const Text::AttObject> highlight = {}) {
    Text::GlyphAtts atts = *Text::TextDocument::Make()->GetDefaultGlyphAtts();
    if (text)
        atts = atts.With(Text::GlyphObject::TextFill, std::move(text));
    if (highlight)
        atts = atts.With(Text::GlyphObject::HighlightFill, std::move(highlight));
    return atts;
}

std::optional<double> Contrast(const Text::GlyphAtts& atts) {
    return TextContrast(atts, Raster::ICCProfileSet());
}

TEST(TextContrast, RatiosOfKnownColourPairs) {
    EXPECT_NEAR(ContrastRatio({0, 0, 0}, kWhite), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio(kWhite, {0, 0, 0}), 21.0, 1e-9);
    EXPECT_DOUBLE_EQ(ContrastRatio({0.2, 0.4, 0.6}, {0.2, 0.4, 0.6}), 1.0);
    // #777777 is the classic grey that just misses 4.5:1; #767676 just makes it.
    EXPECT_LT(ContrastRatio({0x77 / 255.0, 0x77 / 255.0, 0x77 / 255.0}, kWhite), 4.5);
    EXPECT_GE(ContrastRatio({0x76 / 255.0, 0x76 / 255.0, 0x76 / 255.0}, kWhite), 4.5);
    // Green weighs most in luminance, blue least.
    EXPECT_GT(RelativeLuminance({0, 1, 0}), RelativeLuminance({1, 0, 0}));
    EXPECT_GT(RelativeLuminance({1, 0, 0}), RelativeLuminance({0, 0, 1}));
}

TEST(TextContrast, TransparentTextIsBlendedWithWhatIsBehindIt) {
    // Half-transparent blue on white: the case the showcase used to have.
    const auto half = Contrast(Atts(Solid(0x1d, 0x5c, 0x8c, 0.5)));
    ASSERT_TRUE(half);
    EXPECT_NEAR(*half, 2.34, 0.01);
    const auto opaque = Contrast(Atts(Solid(0x1d, 0x5c, 0x8c)));
    ASSERT_TRUE(opaque);
    EXPECT_GT(*opaque, 4.5);
    // Even black loses too much at half opacity.
    EXPECT_LT(*Contrast(Atts(Solid(0, 0, 0, 0.5))), 4.5);
    const RgbColour grey = Blend({0, 0, 0}, 0.5, kWhite);
    EXPECT_DOUBLE_EQ(grey.red, 0.5);
}

TEST(TextContrast, HighlightIsTheBackgroundAndDefaultTextIsBlack) {
    EXPECT_NEAR(*Contrast(Atts({})), 21.0, 1e-9);
    // Black text on a black highlight cannot be read; white text on it can.
    EXPECT_NEAR(*Contrast(Atts({}, Solid(0, 0, 0))), 1.0, 1e-9);
    EXPECT_NEAR(*Contrast(Atts(Solid(255, 255, 255), Solid(0, 0, 0))), 21.0, 1e-9);
    // A mostly opaque black highlight leaves black text too little; a half one is a mid grey
    // that black text still stands out from.
    EXPECT_LT(*Contrast(Atts({}, Solid(0, 0, 0, 0.8))), 4.5);
    EXPECT_GT(*Contrast(Atts({}, Solid(0, 0, 0, 0.5))), 4.5);
    // White text on the page has no contrast at all.
    EXPECT_NEAR(*Contrast(Atts(Solid(255, 255, 255))), 1.0, 1e-9);
}

TEST(TextContrast, GradientsAreNotJudged) {
    const auto gradient =
        Counted<const Text::AttObject>(Text::FillAtt::Make(Render::FillDescriptor::MakeGradient(
            Render::FillType::LinearGradient,
            {{0, Render::Colour::MakeRGB(0, 0, 0)}, {1, Render::Colour::MakeRGB(255, 255, 255)}})));
    EXPECT_FALSE(Contrast(Atts(gradient)));
    EXPECT_FALSE(Contrast(Atts({}, gradient)));
}

} // namespace

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

namespace {

RgbColour Rgb(int r, int g, int b) {
    return {r / 255.0, g / 255.0, b / 255.0};
}

TEST(TextContrast, FaintColoursBecomeTheNearestReadableOfTheirHue) {
    // Word's heading blue, 4.03:1 on white.
    const RgbColour blue = Rgb(0x4F, 0x81, 0xBD);
    const auto readable = ReadableColour(blue, kWhite, 4.5);
    ASSERT_TRUE(readable);
    EXPECT_GE(ContrastRatio(*readable, kWhite), 4.5);
    // Nearest: one 8-bit step lighter would not pass.
    const double step = 1 / 255.0;
    const RgbColour lighter{readable->red + step * readable->red / readable->blue,
                            readable->green + step * readable->green / readable->blue,
                            readable->blue + step};
    EXPECT_LT(ContrastRatio(lighter, kWhite), 4.5);
    // Same hue: the components keep their proportions, to the rounding of 8 bits.
    EXPECT_NEAR(readable->red / readable->blue, blue.red / blue.blue, 0.02);
    EXPECT_NEAR(readable->green / readable->blue, blue.green / blue.blue, 0.02);
    EXPECT_EQ(HexColour(*readable).substr(0, 1), "#");

    // Large text needs 3:1, which the blue has; readable colours stay; 0 changes nothing.
    EXPECT_DOUBLE_EQ(RequiredContrast(4.5, 18, 400), 3);
    EXPECT_DOUBLE_EQ(RequiredContrast(4.5, 14, 700), 3);
    EXPECT_DOUBLE_EQ(RequiredContrast(4.5, 14, 400), 4.5);
    EXPECT_FALSE(ReadableColour(blue, kWhite, 3));
    EXPECT_FALSE(ReadableColour(Rgb(0, 0, 0), kWhite, 4.5));
    EXPECT_FALSE(ReadableColour(blue, kWhite, 0));
}

TEST(TextContrast, OnDarkBackgroundsFaintColoursAreLightened) {
    const RgbColour navy = Rgb(0x1F, 0x38, 0x64);
    const auto readable = ReadableColour(Rgb(0x30, 0x50, 0x90), navy, 4.5);
    ASSERT_TRUE(readable);
    EXPECT_GE(ContrastRatio(*readable, navy), 4.5);
    EXPECT_GT(RelativeLuminance(*readable), RelativeLuminance(Rgb(0x30, 0x50, 0x90)));
    // Nothing of a grey's hue reaches 21:1 on mid grey.
    EXPECT_FALSE(ReadableColour(Rgb(120, 120, 120), Rgb(128, 128, 128), 21));
}

TEST(TextContrast, JudgedColoursSayWhatIsWritten) {
    const Raster::ICCProfileSet profiles;
    const auto judged = JudgeTextColours(Atts(Solid(0x4F, 0x81, 0xBD)), profiles, 4.5);
    ASSERT_TRUE(judged && judged->readable);
    EXPECT_GE(judged->contrast, 4.5);
    // The reader's default black and translucent colours are not changed.
    EXPECT_FALSE(JudgeTextColours(Atts({}), profiles, 4.5)->readable);
    EXPECT_FALSE(JudgeTextColours(Atts(Solid(0x4F, 0x81, 0xBD, 0.5)), profiles, 4.5)->readable);
    EXPECT_FALSE(JudgeTextColours(Atts(Solid(0x4F, 0x81, 0xBD)), profiles, 0)->readable);
}

} // namespace

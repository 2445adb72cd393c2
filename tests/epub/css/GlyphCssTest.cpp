// SPDX-License-Identifier: MIT
#include "epub/css/CssColours.h"
#include "epub/css/FontPalettes.h"
#include "tests/epub/css/CssTestSupport.h"

#include <gtest/gtest.h>

using namespace CssTest;
using namespace Text;

namespace {

class GlyphCssTest : public CssFixture {
protected:
    GlyphCssTest() {
        AddParagraphStyle("Body", {}, {}, Set({{GlyphStr::FontFamily, StringT("DejaVu Sans")}}));
    }

    Counted<GlyphParams> Register(const AttributeSet& local, const StringT& characterStyle = {}) {
        const auto paragraph = Sheet().RegisterParagraphAtts(Para("Body"), nullptr);
        return Sheet().RegisterGlyphAtts(Run("Body", local, characterStyle), paragraph.get());
    }
    std::string Css(const Counted<GlyphParams>& params) {
        return RuleBody(Sheet().DescribeStyles(), "." + params->overrideClass.str());
    }
    static Counted<const AttObject> Fill(Counted<const Render::Colour> colour, double opacity = 1) {
        return Counted<const AttObject>(
            FillAtt::Make(Render::FillDescriptor::MakeSolid(std::move(colour), opacity)));
    }
    static Counted<const AttObject> Features(std::vector<std::string> tags) {
        std::vector<OpenTypeFeature> features;
        for (auto& tag : tags)
            features.push_back({std::move(tag), 1});
        return Counted<const AttObject>(OpenTypeAtt::Make(std::move(features)));
    }
};

TEST_F(GlyphCssTest, LocalOverridesFollowTheOption) {
    options_->SetPreserveLocalOverrides(false);
    EXPECT_TRUE(Register(Set({{GlyphInt::FontWeight, 700}}))->overrideClass.empty());

    options_->SetPreserveLocalOverrides(true);
    sheet_.reset();
    const auto bold = Register(Set({{GlyphInt::FontWeight, 700}}));
    EXPECT_EQ(bold->overrideClass, "span1");
    EXPECT_NE(Css(bold).find("font-weight:bold;"), std::string::npos);
    EXPECT_EQ(Register(Set({{GlyphInt::FontWeight, 700}}))->overrideClass, "span1");
}

TEST_F(GlyphCssTest, CharacterStyleGivesElementAndClasses) {
    AddCharacterStyle("Strong", Set({{GlyphInt::FontWeight, 700}}));
    const auto run = Register({}, "Strong");
    EXPECT_EQ(run->element, "span");
    EXPECT_EQ(run->styleClasses, "Strong");
    EXPECT_EQ(RuleBody(Sheet().DescribeStyles(), ".Strong"), "font-weight:bold;\n");
}

TEST_F(GlyphCssTest, FontFamiliesWithGenericFallback) {
    const std::string mono =
        Css(Register(Set({{GlyphStr::FontFamily, StringT("DejaVu Sans Mono")}})));
    if (mono.find("font-family") == std::string::npos)
        GTEST_SKIP() << "DejaVu fonts are not installed";
    EXPECT_NE(mono.find("font-family:'DejaVu Sans Mono', monospace;"), std::string::npos) << mono;
    const std::string serif = Css(Register(Set({{GlyphStr::FontFamily, StringT("DejaVu Serif")}})));
    EXPECT_NE(serif.find("font-family:'DejaVu Serif', serif;"), std::string::npos) << serif;
    // The paragraph's own family is its class's, not restated on its runs.
    const std::string italic = Css(Register(Set({{GlyphInt::FontStyle, FontStyle::Italic}})));
    EXPECT_EQ(italic, "font-style:italic;\n");
    EXPECT_NE(Sheet().DescribeStyles().Find(".Body {\nfont-family:'DejaVu Sans', sans-serif;"),
              StringT::npos);
    // A family this system lacks keeps its name for the reading systems that have it; a name
    // that would break out of its CSS string is left out.
    const std::string missing =
        Css(Register(Set({{GlyphStr::FontFamily, StringT("Nowhere Grotesk Pro")}})));
    EXPECT_NE(missing.find("font-family:'Nowhere Grotesk Pro', "), std::string::npos) << missing;
    const std::string hostile =
        Css(Register(Set({{GlyphStr::FontFamily, StringT("X'; } body { color:red")}})));
    EXPECT_EQ(hostile.find("font-family"), std::string::npos) << hostile;
}

TEST_F(GlyphCssTest, AttributeRows) {
    const std::string css =
        Css(Register(Set({{GlyphDouble::Size, 18.0},
                          {GlyphDouble::Tracking, 0.05},
                          {GlyphInt::Underline, LineKind::Double},
                          {GlyphInt::Strikethrough, LineKind::Single},
                          {GlyphInt::BaselinePosition, BaselinePosition::Subscript}})));
    // Both lines share one declaration; a single line among them draws both solid.
    for (const char* d : {"font-size:1.5em;", "letter-spacing:0.05em;",
                          "text-decoration:underline line-through;", "vertical-align:sub;"})
        EXPECT_NE(css.find(d), std::string::npos) << d << " in " << css;
    const std::string doubled = Css(Register(Set(
        {{GlyphInt::Underline, LineKind::Double}, {GlyphInt::Strikethrough, LineKind::Double}})));
    EXPECT_NE(doubled.find("text-decoration-line:underline line-through;\n"
                           "text-decoration-style:double;"),
              std::string::npos)
        << doubled;
    const std::string over = Css(Register(
        Set({{GlyphInt::Overline, LineKind::Single}, {GlyphInt::Underline, LineKind::Single}})));
    EXPECT_NE(over.find("text-decoration:underline overline;"), std::string::npos) << over;
    EXPECT_EQ(over.find("text-decoration", over.find("text-decoration") + 1), std::string::npos)
        << "one declaration for both lines: " << over;
}

TEST_F(GlyphCssTest, Colours) {
    const auto red = Render::FillDescriptor::MakeSolid(Render::Colour::MakeRGB(255, 0, 0));
    EXPECT_EQ(Sheet().ColourToCSS(red.get(), true), "Red");
    const auto halfRed = Render::FillDescriptor::MakeSolid(Render::Colour::MakeRGB(255, 0, 0), 0.5);
    EXPECT_EQ(Sheet().ColourToCSS(halfRed.get(), true), "#FF000080");
    const auto odd = Render::FillDescriptor::MakeSolid(Render::Colour::MakeRGB(0x12, 0xAB, 0x0C));
    EXPECT_EQ(Sheet().ColourToCSS(odd.get(), false), "#12AB0C");
    // First match wins where two names share a colour.
    EXPECT_EQ(
        Sheet().ColourToCSS(
            Render::FillDescriptor::MakeSolid(Render::Colour::MakeRGB(0, 255, 255)).get(), false),
        "Aqua");
    EXPECT_EQ(
        Sheet().ColourToCSS(
            Render::FillDescriptor::MakeSolid(Render::Colour::MakeRGB(169, 169, 169)).get(), false),
        "DarkGray");
    // Only RGB colours are named.
    EXPECT_EQ(Sheet().ColourToCSS(
                  Render::FillDescriptor::MakeSolid(Render::Colour::MakeGray(0)).get(), false),
              "#000000");
    EXPECT_TRUE(Sheet().ColourToCSS(Render::FillDescriptor::MakeNone().get(), false).empty());

    // The document's default text colour is recognised by identity, not by value.
    const auto black = Render::Colour::MakeRGB(0, 0, 0);
    settings_->colours.push_back(black);
    EXPECT_TRUE(Sheet().ColourToCSS(Render::FillDescriptor::MakeSolid(black).get(), true).empty());
    EXPECT_EQ(Sheet().ColourToCSS(Render::FillDescriptor::MakeSolid(black).get(), false), "Black");
    EXPECT_EQ(Sheet().ColourToCSS(
                  Render::FillDescriptor::MakeSolid(Render::Colour::MakeRGB(0, 0, 0)).get(), true),
              "Black");

    // Red on yellow is below 4.5:1: kept only when colours are kept as they are.
    options_->SetMinimumTextContrast(0);
    const std::string css = Css(
        Register(Set({{GlyphObject::TextFill, Fill(Render::Colour::MakeRGB(255, 0, 0))},
                      {GlyphObject::HighlightFill, Fill(Render::Colour::MakeRGB(255, 255, 0))}})));
    EXPECT_NE(css.find("color:Red;"), std::string::npos);
    EXPECT_NE(css.find("background-color:Yellow;"), std::string::npos);
}

TEST_F(GlyphCssTest, NamedColourTable) {
    const auto table = GetNamedColours();
    ASSERT_EQ(table.size(), 148u);
    EXPECT_EQ(table.front().name, "AliceBlue");
    EXPECT_EQ(table.back().name, "YellowGreen");
    EXPECT_EQ(FindNamedColour(0xFF, 0x00, 0xFF, 255), "Fuchsia");
    EXPECT_EQ(FindNamedColour(0x66, 0x33, 0x99, 255), "RebeccaPurple");
    EXPECT_EQ(FindNamedColour(0xFF, 0x00, 0x00, 128), "");
}

TEST_F(GlyphCssTest, OpenTypeCapsAreSettledLast) {
    const auto css = [&](std::vector<std::string> tags) {
        return Css(Register(Set({{GlyphObject::OpenType, Features(std::move(tags))}})));
    };
    const std::string small = css({"c2sc", "liga", "smcp"});
    EXPECT_NE(
        small.find("font-variant-ligatures:common-ligatures;\nfont-variant-caps:all-small-caps;"),
        std::string::npos)
        << small;
    EXPECT_EQ(small.find("\"c2sc\""), std::string::npos);
    EXPECT_NE(css({"c2sc"}).find("font-feature-settings:\"c2sc\";"), std::string::npos);
    EXPECT_NE(css({"pcap"}).find("font-variant-caps:petite-caps;"), std::string::npos);
    EXPECT_NE(css({"c2pc", "pcap"}).find("font-variant-caps:all-petite-caps;"), std::string::npos);
    // Alternates need @font-feature-values names, so every other feature goes into one
    // font-feature-settings list.
    const std::string misc = css({"ss07", "cv12", "salt", "kern", "CAPS", "lnum", "tnum", "onum"});
    EXPECT_NE(misc.find("font-feature-settings:\"cv12\", \"kern\", \"salt\", \"ss07\";"),
              std::string::npos)
        << misc;
    EXPECT_EQ(misc.find("font-variant-alternates"), std::string::npos);
    EXPECT_NE(misc.find("font-variant-numeric:oldstyle-nums tabular-nums;"), std::string::npos);
    EXPECT_NE(misc.find("text-transform:uppercase;"), std::string::npos);
    // Case mappings are one property: capitals win, and none leaks into the feature list.
    EXPECT_NE(css({"LOWR"}).find("text-transform:lowercase;"), std::string::npos);
    EXPECT_NE(css({"CAPW"}).find("text-transform:capitalize;"), std::string::npos);
    const std::string both = css({"LOWR", "CAPS"});
    EXPECT_NE(both.find("text-transform:uppercase;"), std::string::npos) << both;
    EXPECT_EQ(both.find("LOWR"), std::string::npos) << both;

    const std::string off = Css(
        Register(Set({{GlyphObject::OpenType,
                       Counted<const AttObject>(OpenTypeAtt::Make({{"liga", 0}, {"smcp", 2}}))}})));
    EXPECT_EQ(off.find("font-variant"), std::string::npos) << off;
}

TEST(PaletteRGBTest, ColourWords) {
    EXPECT_EQ(PaletteRGB::ColourText(0x00ABCD), "#00abcd");
    EXPECT_EQ(PaletteRGB::ColourText(0xFFA500), "orange");
    EXPECT_EQ(PaletteRGB::ColourText(0x000000), "black");
    EXPECT_EQ(PaletteRGB::ColourText(PaletteRGB::kInherit), "inherit");
    EXPECT_EQ(PaletteRGB::ColourText(PaletteRGB::kCurrentColour), "currentColor");

    Foundation::MemoryOutStream out;
    out << PaletteRGB(2, {0xFF0000, 0x123456}, true);
    EXPECT_EQ(out.Data(), "\n\tbase-palette: 2;\n\toverride-colors: 0 red, 1 #123456;");
}

TEST_F(GlyphCssTest, PalettesAreRegisteredOnce) {
    const auto palette = Render::FontColourPaletteDescriptor::Make(
        Render::FontColourPaletteType::Custom, 1, {0xFF0000});
    const Foundation::Font font("DejaVu Sans");
    const StringT name = Sheet().RegisterFontColourPalette(font, palette);
    EXPECT_EQ(name, "--font-palette-0");
    EXPECT_EQ(Sheet().RegisterFontColourPalette(
                  font, Render::FontColourPaletteDescriptor::Make(
                            Render::FontColourPaletteType::Custom, 1, {0xFF0000})),
              name);
    const StringT css = Sheet().DescribeStyles();
    EXPECT_NE(css.Find("@font-palette-values --font-palette-0 {\nfont-family: '"), StringT::npos);
    EXPECT_NE(css.Find("base-palette: 1;\noverride-colors: 0 Red;\n}\n"), StringT::npos) << css;

    // Entries left to the base palette are not colours override-colors accepts.
    EXPECT_EQ(Sheet().RegisterFontColourPalette(
                  font, Render::FontColourPaletteDescriptor::Make(
                            Render::FontColourPaletteType::Custom, 0,
                            {PaletteRGB::kInherit, 0x0000FF, PaletteRGB::kCurrentColour})),
              "--font-palette-1");
    const StringT more = Sheet().DescribeStyles();
    EXPECT_NE(more.Find("base-palette: 0;\noverride-colors: 1 Blue;\n}\n"), StringT::npos) << more;
    EXPECT_EQ(more.Find("inherit"), StringT::npos);
}

TEST_F(GlyphCssTest, PaletteWithoutFontFamilyIsLeftOut) {
    // Without a family there is no palette rule to name, and "font-palette:;" is invalid.
    AddParagraphStyle("Plain", {}, {}, {});
    const auto palette = Counted<const AttObject>(
        Text::FontColourPaletteAtt::Make(0, 1, {{0, Render::Colour::MakeRGB(255, 0, 0)}}));
    const auto paragraph = Sheet().RegisterParagraphAtts(Para("Plain"), nullptr);
    Sheet().RegisterGlyphAtts(Run("Plain", Set({{GlyphObject::FontColourPalette, palette}})),
                              paragraph.get());
    const StringT css = Sheet().DescribeStyles();
    EXPECT_EQ(css.Find("font-palette:;"), StringT::npos) << css;
    EXPECT_EQ(css.Find("@font-palette-values"), StringT::npos) << css;
}

} // namespace

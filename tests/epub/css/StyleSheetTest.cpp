// SPDX-License-Identifier: MIT
#include "epub/css/StyleSheet.h"

#include "tests/epub/css/CssTestSupport.h"

#include <gtest/gtest.h>

using namespace CssTest;
using namespace Text;

namespace {

using StyleRegistryTest = CssFixture;

TEST_F(StyleRegistryTest, ClassNamesAreMadeValidAndUnique) {
    for (const char* name : {"1st Heading", "1st-Heading", "1st?Heading", "-", "-x", "-_x", "--x",
                             "\xC3\x9C"
                             "berschrift",
                             "-5a"})
        AddParagraphStyle(name);
    EXPECT_EQ(Sheet().Register("1st Heading").className, "_1st_Heading");
    EXPECT_EQ(Sheet().Register("1st?Heading").className, "_1st_Heading_1");
    EXPECT_EQ(Sheet().Register("1st-Heading").className, "_1st-Heading");
    AddParagraphStyle("1st.Heading");
    EXPECT_EQ(Sheet().Register("1st.Heading").className, "_1st_Heading_2");
    EXPECT_EQ(Sheet().Register("-").className, "-_");
    EXPECT_EQ(Sheet().Register("-x").className, "-x");
    EXPECT_EQ(Sheet().Register("-_x").className, "-_x");
    EXPECT_EQ(Sheet().Register("--x").className, "-_-x");
    EXPECT_EQ(Sheet().Register("-5a").className, "-_5a");
    EXPECT_EQ(Sheet()
                  .Register("\xC3\x9C"
                            "berschrift")
                  .className,
              "_berschrift");
}

TEST_F(StyleRegistryTest, BasesComeFirstAndClassListsCascade) {
    AddParagraphStyle("Body", {}, Set({{ParaInt::Alignment, 1}}));
    AddParagraphStyle("Quote", "Body", Set({{ParaInt::Alignment, 2}}));
    AddParagraphStyle("Inner", "Quote", Set({{ParaInt::Alignment, 3}}));
    AddCharacterStyle("Strong");

    const StyleParams inner = Sheet().Register("Inner");
    EXPECT_EQ(inner.classList, "Body Quote Inner");
    EXPECT_EQ(inner.elementName, "p");
    EXPECT_EQ(Sheet().Register("Quote").classList, "Body Quote");
    EXPECT_EQ(Sheet().Register("Strong").elementName, "span");

    const StringT css = Sheet().DescribeStyles();
    const size_t body = css.Find(".Body {"), quote = css.Find(".Quote {"),
                 innerAt = css.Find(".Inner {");
    ASSERT_NE(body, StringT::npos);
    EXPECT_LT(body, quote);
    EXPECT_LT(quote, innerAt);
    // Registering again adds nothing.
    Sheet().Register("Inner");
    EXPECT_EQ(Sheet().DescribeStyles(), css);
}

TEST_F(StyleRegistryTest, UnknownStyleGivesEmptyRecordAndNoRule) {
    const StyleParams missing = Sheet().Register("Nowhere");
    EXPECT_TRUE(missing.className.empty());
    EXPECT_TRUE(missing.emitCSS);
    EXPECT_TRUE(missing.affected.describeAll);
    EXPECT_TRUE(Sheet().DescribeStyles().empty());
    EXPECT_TRUE(Sheet().GetStyleParams("Nowhere").includeClass);
}

TEST_F(StyleRegistryTest, SecondaryStyleSheetIsSearchedSecond) {
    auto other = Text::StyleSheet::Make(document_);
    other->AddStyle(Style::Make("Extra", StyleKind::Character, {},
                                MakeCounted<const Delta>(AttributeSet(), AttributeSet())));
    EXPECT_TRUE(Sheet().Register("Extra").className.empty());
    AddParagraphStyle("Other");
    Sheet().SetSecondaryStyleSheet(other);
    EXPECT_EQ(Sheet().Register("Extra").classList, "Extra");
}

TEST_F(StyleRegistryTest, EPubTaggingOverridesNamesAndFlags) {
    AddParagraphStyle("Heading", {}, Set({{ParaDouble::LeftIndent, 24.0}}), {},
                      EPubTag::Make(EPubTag::ElementSet | EPubTag::ClassSet | EPubTag::EmitCSSSet,
                                    "h1", "my class", true, false));
    AddParagraphStyle("Sub", "Heading");
    AddParagraphStyle("Plain", {}, {}, {}, EPubTag::Make(EPubTag::IncludeClassSet, "", "", false));

    const StyleParams heading = Sheet().Register("Heading");
    EXPECT_EQ(heading.elementName, "h1");
    EXPECT_EQ(heading.className, "my class"); // taken as given
    EXPECT_FALSE(heading.emitCSS);
    const StyleParams sub = Sheet().Register("Sub");
    EXPECT_EQ(sub.elementName, "h1");
    EXPECT_FALSE(sub.emitCSS);
    EXPECT_EQ(sub.classList, "my class Sub");

    // No rule, but the class is still used on content.
    const auto params = Sheet().RegisterParagraphAtts(Para("Heading"), nullptr);
    EXPECT_EQ(params->element, "h1");
    EXPECT_EQ(params->styleClasses, "my class");
    EXPECT_EQ(RuleBody(Sheet().DescribeStyles(), ".my class"), "<none>");

    EXPECT_TRUE(Sheet().RegisterParagraphAtts(Para("Plain"), nullptr)->styleClasses.empty());
}

// A style based on itself, or two based on each other, register as styles without base.
TEST_F(StyleRegistryTest, BaseLoopsEndTheChain) {
    AddParagraphStyle("Self", "Self", Set({{ParaInt::Alignment, 1}}));
    AddParagraphStyle("A", "B", Set({{ParaInt::Alignment, 2}}));
    AddParagraphStyle("B", "A", Set({{ParaInt::Alignment, 3}}));
    EXPECT_EQ(Sheet().Register("Self").classList, "Self");
    EXPECT_EQ(Sheet().Register("A").classList, "B A");
    EXPECT_EQ(Sheet().Register("B").classList, "B");
    const StringT css = Sheet().DescribeStyles();
    EXPECT_EQ(RuleBody(css, ".Self"), "text-align:center;\n");
}

// Generated classes step around every name a style may take, and styles around generated ones.
TEST_F(StyleRegistryTest, GeneratedNamesNeverMeetStyleNames) {
    AddParagraphStyle("Body");
    AddParagraphStyle("p1", {}, Set({{ParaInt::Alignment, 1}}));
    AddParagraphStyle("span 1");
    const auto p = Sheet().RegisterParagraphAtts(
        Para("Body", Set({{ParaInt::Alignment, 2}})), nullptr);
    EXPECT_EQ(p->overrideClass, "p2");
    EXPECT_EQ(Sheet().Register("p1").className, "p1");
}

TEST_F(StyleRegistryTest, RuleDescribesOnlyWhatDiffers) {
    AddParagraphStyle("Body", {}, Set({{ParaDouble::LeftIndent, 24.0}, {ParaInt::Alignment, 0}}));
    AddParagraphStyle("Same", "Body");
    AddParagraphStyle("Back", "Body", Set({{ParaDouble::LeftIndent, 0.0}}));
    Sheet().Register("Same");
    Sheet().Register("Back");
    const StringT css = Sheet().DescribeStyles();
    EXPECT_EQ(RuleBody(css, ".Body"), "margin-left:2em;\ntext-indent:-2em;\n");
    // A style that sets nothing of its own has no rule; its class still names it.
    EXPECT_EQ(RuleBody(css, ".Same"), "<none>");
    // A derived style restates a value it returns to the default.
    EXPECT_EQ(RuleBody(css, ".Back"), "margin-left:0;\ntext-indent:0;\n");
}

TEST(ClassNameValidity, ClassNames) {
    EXPECT_TRUE(IsValidClassName("a1"));
    EXPECT_FALSE(IsValidClassName("1a"));
    EXPECT_FALSE(IsValidClassName("-1a"));
    EXPECT_FALSE(IsValidClassName("--a"));
    EXPECT_TRUE(IsValidClassName("_a"));
    EXPECT_TRUE(IsValidClassName("-a"));
    EXPECT_FALSE(IsValidClassName("a b"));
    EXPECT_TRUE(IsValidClassName(""));
}

TEST(ClassNameValidity, ElementNames) {
    EXPECT_TRUE(IsValidElementName("h1"));
    EXPECT_FALSE(IsValidElementName("1h"));
    EXPECT_TRUE(IsValidElementName("my-el"));
    EXPECT_FALSE(IsValidElementName("my_el"));
    EXPECT_TRUE(IsValidElementName(""));
}

TEST_F(StyleRegistryTest, ScaleFactors) {
    settings_->documentResolution = MakeCounted<const DocumentResolution>(300.0);
    EXPECT_DOUBLE_EQ(EPub::StyleSheet::GetScale(*settings_, *options_), 1.0);
    EXPECT_DOUBLE_EQ(EPub::StyleSheet::GetPointScale(*settings_, *options_), 0.24);
    options_->SetIsUseRasteriseDpi(true);
    options_->SetRasteriseDpi(150);
    EXPECT_DOUBLE_EQ(EPub::StyleSheet::GetScale(*settings_, *options_), 0.5);
}

} // namespace

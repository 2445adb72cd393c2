// SPDX-License-Identifier: MIT
#include "tests/epub/css/CssTestSupport.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace CssTest;
using namespace Text;

namespace {

class ParagraphCssTest : public CssFixture {
protected:
    ParagraphCssTest() { AddParagraphStyle("Body"); }

    StringT OverrideCss(const Counted<ParaParams>& params) {
        return StringT(RuleBody(Sheet().DescribeStyles(), "." + params->overrideClass.str()));
    }
};

TEST_F(ParagraphCssTest, LocalIndentsMakeCachedOverrideClasses) {
    const auto a =
        Sheet().RegisterParagraphAtts(Para("Body", Set({{ParaDouble::LeftIndent, 24.0}})), nullptr);
    const auto again =
        Sheet().RegisterParagraphAtts(Para("Body", Set({{ParaDouble::LeftIndent, 24.0}})), nullptr);
    const auto b =
        Sheet().RegisterParagraphAtts(Para("Body", Set({{ParaDouble::LeftIndent, 36.0}})), nullptr);
    EXPECT_EQ(a->overrideClass, "p1");
    EXPECT_EQ(again->overrideClass, "p1");
    EXPECT_EQ(b->overrideClass, "p2");
    EXPECT_EQ(a->ClassList(), "Body p1");
    // The first line stays where the document puts it, counted from the new left indent.
    EXPECT_EQ(OverrideCss(a), "margin-left:2em;\ntext-indent:-2em;\n");
    EXPECT_EQ(OverrideCss(b), "margin-left:3em;\ntext-indent:-3em;\n");
    EXPECT_TRUE(Sheet().RegisterParagraphAtts(Para("Body"), nullptr)->overrideClass.empty());
}

TEST_F(ParagraphCssTest, OverrideBackToDefaultIsWritten) {
    AddParagraphStyle("Indented", {}, Set({{ParaDouble::LeftIndent, 24.0}}));
    const auto p = Sheet().RegisterParagraphAtts(
        Para("Indented", Set({{ParaDouble::LeftIndent, 0.0}})), nullptr);
    EXPECT_EQ(p->overrideClass, "p1");
    EXPECT_EQ(OverrideCss(p), "margin-left:0;\ntext-indent:0;\n");
}

TEST_F(ParagraphCssTest, LengthsAreExactAndBounded) {
    EXPECT_EQ(CssDescriber::Length(1, 18), "1.5em");
    EXPECT_EQ(CssDescriber::Length(1, 5), "0.417em");
    EXPECT_EQ(CssDescriber::Length(1, -6), "-0.5em");
    EXPECT_EQ(CssDescriber::Length(1, 0.001), "0");
    EXPECT_EQ(CssDescriber::Length(0.24, 150), "3em"); // 300 dpi: 36 points
    EXPECT_EQ(CssDescriber::Length(1, 22, 11), "2em"); // in the ems of an 11-point element
    EXPECT_EQ(CssDescriber::Length(1, 1e308), "166.667em");
    EXPECT_EQ(CssDescriber::Length(1, -1e308), "-166.667em");
    EXPECT_EQ(CssDescriber::Length(1, std::nan("")), "0");
}

TEST_F(ParagraphCssTest, AttributeRows) {
    const auto p = Sheet().RegisterParagraphAtts(
        Para("Body", Set({{ParaInt::Alignment, Alignment::JustifyAll},
                          {ParaDouble::LineSpacing, 1.2},
                          {ParaDouble::LeftIndent, 12.0},
                          {ParaDouble::FirstLineIndent, 36.0},
                          {ParaInt::StartPosition, StartPosition::NextPage},
                          {ParaInt::KeepLinesTogether, 1},
                          {ParaInt::Widows, 2},
                          {ParaInt::Hyphenate, 0},
                          {ParaDouble::SpaceAfter, 48.0}})),
        nullptr);
    const StringT css = OverrideCss(p);
    for (const char* d :
         {"line-height:1.2;", "margin-left:1em;", "text-indent:2em;", "text-align:justify;",
          "page-break-before:always;", "page-break-inside:avoid;", "widows:2;", "hyphens:none;"})
        EXPECT_NE(css.Find(d), StringT::npos) << d;
    EXPECT_EQ(css.Find("margin-bottom"), StringT::npos);
    EXPECT_EQ(css.Find("48"), StringT::npos);

    // Absolute leading only counts under a non-proportional leading mode.
    const auto exact = Sheet().RegisterParagraphAtts(
        Para("Body", Set({{ParaInt::LeadingMode, LeadingMode::Exactly},
                          {ParaDouble::Leading, 24.0},
                          {ParaDouble::LineSpacing, 1.5},
                          {ParaInt::Alignment, Alignment::TowardsSpine}})),
        nullptr);
    EXPECT_EQ(OverrideCss(exact), "line-height:2em;\n");
}

TEST_F(ParagraphCssTest, ListsAsMarkupOrText) {
    ListSettings numbered;
    numbered.type = ListType::Numbered;
    numbered.level = 1;
    numbered.format = NumberFormat::LowerRoman;
    const auto local = Set({{ParaObject::List, Counted<const AttObject>(ListAtt::Make(numbered))}});

    const auto asList = Sheet().RegisterParagraphAtts(Para("Body", local), nullptr);
    EXPECT_EQ(asList->element, "li");
    EXPECT_EQ(asList->listElement, "ol");
    EXPECT_EQ(asList->listDepth, 2);
    EXPECT_EQ(OverrideCss(asList), "list-style-position:inside;\nlist-style-type:lower-roman;\n");

    options_->SetConvertNumberedListsToText(true);
    sheet_.reset();
    const auto asText = Sheet().RegisterParagraphAtts(Para("Body", local), nullptr);
    EXPECT_EQ(asText->element, "p");
    EXPECT_TRUE(asText->listElement.empty());
    EXPECT_EQ(asText->listDepth, 0);
    EXPECT_EQ(Sheet().DescribeStyles().Find("list-style"), StringT::npos);

    ListSettings bullet;
    bullet.type = ListType::Bullet;
    bullet.bullet = GlyphString("\u25E6\t");
    const auto square = Sheet().RegisterParagraphAtts(
        Para("Body", Set({{ParaObject::List, Counted<const AttObject>(ListAtt::Make(bullet))}})),
        nullptr);
    EXPECT_EQ(square->listElement, "ul");
    EXPECT_EQ(OverrideCss(square), "list-style-position:inside;\nlist-style-type:circle;\n");
}

TEST_F(ParagraphCssTest, DropCapsShareClassesByCss) {
    AddCharacterStyle("Initial");
    const auto dropCap = Set(
        {{ParaObject::DropCap, Counted<const AttObject>(DropCapAtt::Make(3, 1, 6.0, "Initial"))}});
    auto indented = dropCap;
    indented.Set(ParaDouble::RightIndent, 12.0);
    const auto first = Sheet().RegisterParagraphAtts(Para("Body", dropCap), nullptr);
    const auto second = Sheet().RegisterParagraphAtts(Para("Body", indented), nullptr);
    EXPECT_EQ(first->dropCapClass, "dropCap_1");
    EXPECT_EQ(second->dropCapClass, "dropCap_1");
    EXPECT_EQ(first->dropCapClasses, "Initial");
    EXPECT_EQ(RuleBody(Sheet().DescribeStyles(), ".dropCap_1"),
              "float:left;\nfont-size:300%;\nline-height:1;\nmargin-right:0.167em;\n");
    // The paragraph holds its floated letter, so the float does not run into the next one.
    EXPECT_EQ(first->ClassList(), "Body dropCapClear_1");
    EXPECT_EQ(first->DropCapClassList(), "Initial dropCap_1");
    EXPECT_EQ(RuleBody(Sheet().DescribeStyles(), ".dropCapClear_1::after"),
              "content:\"\";\ndisplay:block;\nclear:left;\n");
}

TEST_F(ParagraphCssTest, SpacingIsCarriedBySecondParagraph) {
    const auto prev = Para("Body", Set({{ParaDouble::SpaceAfter, 12.0}}));
    const auto cur = Para("Body", Set({{ParaDouble::SpaceBefore, 6.0}}));
    EXPECT_DOUBLE_EQ(
        Sheet().CreateSimulatedSpacingAtts(cur, prev)->GetDouble(ParaDouble::SpaceBefore), 12.0);

    const auto adding =
        Para("Body", Set({{ParaDouble::SpaceBefore, 6.0}, {ParaInt::AddSpacing, 1}}));
    EXPECT_DOUBLE_EQ(
        Sheet().CreateSimulatedSpacingAtts(adding, prev)->GetDouble(ParaDouble::SpaceBefore), 18.0);

    const auto same = Para("Body", Set({{ParaDouble::SpaceBefore, 6.0},
                                        {ParaInt::UseSameStyleSpacing, 1},
                                        {ParaDouble::SameStyleSpacing, -3.0}}));
    EXPECT_DOUBLE_EQ(
        Sheet().CreateSimulatedSpacingAtts(same, prev)->GetDouble(ParaDouble::SpaceBefore), 0.0);

    const auto kept =
        Para("Body", Set({{ParaDouble::SpaceBefore, 6.0},
                          {ParaInt::TopOfFlowSpacing, TopOfFlowSpacing::KeepUnlessShared}}));
    EXPECT_EQ(Sheet().CreateSimulatedSpacingAtts(kept, prev), kept);
    EXPECT_EQ(Sheet().CreateSimulatedSpacingAtts(kept, nullptr), kept);
}

TEST_F(ParagraphCssTest, FirstParagraphOfFlowLosesItsMargin) {
    AddParagraphStyle("Spaced", {}, Set({{ParaDouble::SpaceBefore, 10.0}}));
    const auto p = Sheet().RegisterParagraphAtts(Para("Spaced"), nullptr);
    EXPECT_EQ(OverrideCss(p), "margin-top:0;\n");
}

TEST_F(ParagraphCssTest, DecorationsMakeDivClasses) {
    const auto red = Render::FillDescriptor::MakeSolid(Render::Colour::MakeRGB(255, 0, 0));
    const auto stroke =
        MakeCounted<const Render::LineStyleDescriptor>(2.0, Render::DashKind::Dashed);
    Decoration box{true, DecorationSide::All, red, stroke, nullptr, 1};
    // A gradient pen has no CSS colour: its sides use the two-value form.
    const auto gradient = Render::FillDescriptor::MakeGradient(
        Render::FillType::LinearGradient,
        {{0, Render::Colour::MakeRGB(0, 0, 0)}, {1, Render::Colour::MakeRGB(9, 9, 9)}});
    Decoration rule{true, DecorationSide::Left | DecorationSide::Bottom, gradient, stroke, nullptr,
                    1};
    const auto decorated =
        Para("Body", Set({{ParaObject::Decorations,
                           Counted<const AttObject>(DecorationsAtt::Make({rule, box}))}}));
    const auto div = Sheet().RegisterDivAtts(decorated);
    ASSERT_TRUE(div);
    EXPECT_EQ(div->className, "div1");
    EXPECT_EQ(Sheet().RegisterDivAtts(decorated), div);
    EXPECT_EQ(RuleBody(Sheet().DescribeStyles(), ".div1"),
              "border-left:2px dashed;\nborder-bottom:2px dashed;\nborder-right:2px dashed Red;\n"
              "border-top:2px dashed Red;\n");
    EXPECT_FALSE(Sheet().RegisterDivAtts(Para("Body")));
    const auto disabled =
        Para("Body", Set({{ParaObject::Decorations,
                           Counted<const AttObject>(DecorationsAtt::Make({box}, false))}}));
    EXPECT_FALSE(Sheet().RegisterDivAtts(disabled));
}

} // namespace

// SPDX-License-Identifier: MIT
// Office Math into presentation MathML: the element each structure becomes, and its arguments
// in order.

#include "readers/docx/MathMarkup.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr std::string_view kOpen = R"(<math xmlns="http://www.w3.org/1998/Math/MathML">)";

// The MathML of an m:oMath holding `omml`, without the <math> element around it.
std::string Convert(const std::string& omml) {
    pugi::xml_document doc;
    const std::string xml =
        R"(<m:oMath xmlns:m="http://schemas.openxmlformats.org/officeDocument/2006/math" )"
        R"(xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">)" +
        omml + "</m:oMath>";
    EXPECT_TRUE(doc.load_string(xml.c_str()));
    std::string out = Readers::Docx::MathMarkup(doc.first_child(), false);
    if (!out.starts_with(kOpen) || !out.ends_with("</math>"))
        return "unexpected: " + out;
    return out.substr(kOpen.size(), out.size() - kOpen.size() - 7);
}

std::string R(const std::string& text, const std::string& props = {}) {
    return "<m:r>" + (props.empty() ? "" : "<m:rPr>" + props + "</m:rPr>") + "<m:t>" + text +
           "</m:t></m:r>";
}
std::string E(const std::string& inner, const std::string& tag = "e") {
    return "<m:" + tag + ">" + inner + "</m:" + tag + ">";
}

TEST(DocxMath, RunsBecomeIdentifiersNumbersOperatorsOrText) {
    EXPECT_EQ(Convert(R("x2+3.14−αy")),
              "<mi>x</mi><mn>2</mn><mo>+</mo><mn>3.14</mn><mo>−</mo><mi>α</mi><mi>y</mi>");
    // Upright letters make one name; normal text and word-processor runs stay text.
    EXPECT_EQ(Convert(R("max", R"(<m:sty m:val="p"/>)") + R(" if ", "<m:nor/>") +
                      "<w:r><w:t>words</w:t></w:r>"),
              "<mi>max</mi><mtext> if </mtext><mtext>words</mtext>");
    EXPECT_EQ(Convert(R("v", R"(<m:sty m:val="b"/>)")), R"(<mi mathvariant="bold">v</mi>)");
}

TEST(DocxMath, FractionsByTheirType) {
    const auto fraction = [](const std::string& type) {
        return "<m:f>" +
               (type.empty() ? "" : R"(<m:fPr><m:type m:val=")" + type + R"("/></m:fPr>)") +
               E(R("a"), "num") + E(R("b+1"), "den") + "</m:f>";
    };
    EXPECT_EQ(Convert(fraction("")),
              "<mfrac><mi>a</mi><mrow><mi>b</mi><mo>+</mo><mn>1</mn></mrow></mfrac>");
    EXPECT_EQ(Convert(fraction("noBar")).substr(0, 26), R"(<mfrac linethickness="0">)"
                                                        "<");
    EXPECT_EQ(Convert(fraction("skw")).substr(0, 24), R"(<mfrac bevelled="true"><)");
    EXPECT_EQ(Convert(fraction("lin")),
              "<mrow><mi>a</mi><mo>/</mo><mrow><mi>b</mi><mo>+</mo><mn>1</mn></mrow></mrow>");
    // An empty argument is an empty row, so the fraction keeps its two.
    EXPECT_EQ(Convert("<m:f><m:num/>" + E(R("2"), "den") + "</m:f>"),
              "<mfrac><mrow/><mn>2</mn></mfrac>");
}

TEST(DocxMath, ScriptsAndRadicals) {
    EXPECT_EQ(Convert("<m:sSup>" + E(R("x")) + E(R("2"), "sup") + "</m:sSup>"),
              "<msup><mi>x</mi><mn>2</mn></msup>");
    EXPECT_EQ(Convert("<m:sSub>" + E(R("x")) + E(R("i"), "sub") + "</m:sSub>"),
              "<msub><mi>x</mi><mi>i</mi></msub>");
    EXPECT_EQ(
        Convert("<m:sSubSup>" + E(R("x")) + E(R("i"), "sub") + E(R("2"), "sup") + "</m:sSubSup>"),
        "<msubsup><mi>x</mi><mi>i</mi><mn>2</mn></msubsup>");
    EXPECT_EQ(Convert("<m:sPre>" + E(R("1"), "sub") + E(R("2"), "sup") + E(R("F")) + "</m:sPre>"),
              "<mmultiscripts><mi>F</mi><mprescripts/><mn>1</mn><mn>2</mn></mmultiscripts>");
    EXPECT_EQ(Convert("<m:rad>" + E(R("3"), "deg") + E(R("y")) + "</m:rad>"),
              "<mroot><mi>y</mi><mn>3</mn></mroot>");
    // A hidden or empty degree is a square root.
    EXPECT_EQ(Convert(R"(<m:rad><m:radPr><m:degHide m:val="1"/></m:radPr>)" + E(R("3"), "deg") +
                      E(R("y")) + "</m:rad>"),
              "<msqrt><mi>y</mi></msqrt>");
    EXPECT_EQ(Convert("<m:rad><m:deg/>" + E(R("y")) + "</m:rad>"), "<msqrt><mi>y</mi></msqrt>");
}

TEST(DocxMath, NaryOperatorsPlaceTheirLimits) {
    const auto nary = [](const std::string& props) {
        return "<m:nary><m:naryPr>" + props + "</m:naryPr>" + E(R("0"), "sub") + E(R("n"), "sup") +
               E(R("k")) + "</m:nary>";
    };
    EXPECT_EQ(Convert(nary(R"(<m:chr m:val="∑"/>)")),
              R"(<mrow><munderover><mo largeop="true">∑</mo><mn>0</mn><mi>n</mi></munderover>)"
              "<mi>k</mi></mrow>");
    // An integral puts them beside the sign unless told otherwise.
    EXPECT_EQ(Convert(nary("")),
              R"(<mrow><msubsup><mo largeop="true">∫</mo><mn>0</mn><mi>n</mi></msubsup>)"
              "<mi>k</mi></mrow>");
    EXPECT_EQ(Convert(nary(R"(<m:limLoc m:val="undOvr"/><m:supHide m:val="1"/>)")),
              R"(<mrow><munder><mo largeop="true">∫</mo><mn>0</mn></munder><mi>k</mi></mrow>)");
    EXPECT_EQ(Convert(nary(R"(<m:chr m:val="∏"/><m:subHide m:val="on"/><m:supHide/>)")),
              R"(<mrow><mo largeop="true">∏</mo><mi>k</mi></mrow>)");
}

TEST(DocxMath, DelimitersAndFunctions) {
    EXPECT_EQ(Convert("<m:d>" + E(R("a")) + "</m:d>"),
              R"(<mrow><mo fence="true">(</mo><mi>a</mi><mo fence="true">)</mo></mrow>)");
    EXPECT_EQ(
        Convert(R"(<m:d><m:dPr><m:begChr m:val="{"/><m:sepChr m:val=";"/><m:endChr m:val=""/>)"
                "</m:dPr>" +
                E(R("a")) + E(R("b")) + E(R("c")) + "</m:d>"),
        R"(<mrow><mo fence="true">{</mo><mi>a</mi><mo separator="true">;</mo><mi>b</mi>)"
        R"(<mo separator="true">;</mo><mi>c</mi></mrow>)");
    EXPECT_EQ(Convert("<m:func>" + E(R("sin"), "fName") + E(R("2x")) + "</m:func>"),
              "<mrow><mi>sin</mi><mo>\u2061</mo><mrow><mn>2</mn><mi>x</mi></mrow></mrow>");
    EXPECT_EQ(Convert("<m:func><m:fName><m:limLow>" + E(R("lim", R"(<m:sty m:val="p"/>)")) +
                      E(R("n→∞"), "lim") + "</m:limLow></m:fName>" + E(R("a")) + "</m:func>"),
              "<mrow><munder><mi>lim</mi><mrow><mi>n</mi><mo>→</mo><mi>∞</mi></mrow></munder>"
              "<mo>\u2061</mo><mi>a</mi></mrow>");
}

TEST(DocxMath, MarksAboveAndBelow) {
    EXPECT_EQ(Convert("<m:limUpp>" + E(R("x")) + E(R("def"), "lim") + "</m:limUpp>"),
              "<mover><mi>x</mi><mrow><mi>d</mi><mi>e</mi><mi>f</mi></mrow></mover>");
    EXPECT_EQ(Convert("<m:acc>" + E(R("v")) + "</m:acc>"),
              R"(<mover accent="true"><mi>v</mi><mo stretchy="true">̂</mo></mover>)");
    EXPECT_EQ(Convert(R"(<m:acc><m:accPr><m:chr m:val="→"/></m:accPr>)" + E(R("v")) + "</m:acc>"),
              R"(<mover accent="true"><mi>v</mi><mo stretchy="true">→</mo></mover>)");
    EXPECT_EQ(Convert("<m:bar>" + E(R("z")) + "</m:bar>"),
              R"(<munder accentunder="true"><mi>z</mi><mo stretchy="true">_</mo></munder>)");
    EXPECT_EQ(Convert(R"(<m:bar><m:barPr><m:pos m:val="top"/></m:barPr>)" + E(R("z")) + "</m:bar>"),
              R"(<mover accent="true"><mi>z</mi><mo stretchy="true">¯</mo></mover>)");
    EXPECT_EQ(Convert("<m:groupChr>" + E(R("a")) + "</m:groupChr>"),
              R"(<munder><mi>a</mi><mo stretchy="true">⏟</mo></munder>)");
    EXPECT_EQ(
        Convert("<m:borderBox>" + E(R("a")) + "</m:borderBox><m:box>" + E(R("b")) + "</m:box>"),
        R"(<menclose notation="box"><mi>a</mi></menclose><mi>b</mi>)");
    EXPECT_EQ(Convert(R"(<m:phant><m:phantPr><m:show m:val="0"/></m:phantPr>)" + E(R("0")) +
                      "</m:phant><m:phant>" + E(R("1")) + "</m:phant>"),
              "<mphantom><mn>0</mn></mphantom><mn>1</mn>");
}

TEST(DocxMath, ArraysAndMatricesAreTables) {
    EXPECT_EQ(Convert("<m:eqArr>" + E(R("a=1")) + E(R("b")) + "</m:eqArr>"),
              R"(<mtable columnalign="left"><mtr><mtd><mrow><mi>a</mi><mo>=</mo><mn>1</mn>)"
              "</mrow></mtd></mtr><mtr><mtd><mi>b</mi></mtd></mtr></mtable>");
    EXPECT_EQ(Convert("<m:m><m:mPr/><m:mr>" + E(R("1")) + E(R("0")) + "</m:mr><m:mr>" + E(R("0")) +
                      E("") + "</m:mr></m:m>"),
              "<mtable><mtr><mtd><mn>1</mn></mtd><mtd><mn>0</mn></mtd></mtr><mtr><mtd><mn>0</mn>"
              "</mtd><mtd><mrow/></mtd></mtr></mtable>");
}

TEST(DocxMath, UnknownStructuresKeepTheirTextAndDeepOnesAreCut) {
    // Tracked deletions and bookmarks are not part of the equation.
    EXPECT_EQ(Convert("<m:future>" + E(R("q")) + "</m:future><w:del>" + R("gone") +
                      "</w:del><w:bookmarkStart w:name=\"b\"/>"),
              "<mtext>q</mtext>");
    std::string deep = R("x");
    for (int i = 0; i < 200; ++i)
        deep = "<m:sSup>" + E(deep) + E(R("2"), "sup") + "</m:sSup>";
    const std::string out = Convert(deep);
    EXPECT_NE(out.find("<mtext>"), std::string::npos);
    EXPECT_LT(out.size(), 10000u);
}

TEST(DocxMath, ADisplayParagraphOfSeveralEquationsStacksThem) {
    pugi::xml_document doc;
    doc.load_string("<m:oMathPara xmlns:m=\"m\"><m:oMath><m:r><m:t>a</m:t></m:r></m:oMath>"
                    "<m:oMath><m:r><m:t>b</m:t></m:r></m:oMath></m:oMathPara>");
    EXPECT_EQ(Readers::Docx::MathMarkup(doc.first_child(), true),
              R"(<math xmlns="http://www.w3.org/1998/Math/MathML" display="block"><mtable>)"
              "<mtr><mtd><mi>a</mi></mtd></mtr><mtr><mtd><mi>b</mi></mtd></mtr></mtable></math>");
}

} // namespace

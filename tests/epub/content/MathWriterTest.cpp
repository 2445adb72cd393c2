// SPDX-License-Identifier: MIT
// Equations from documents reach the content as MathML the reading system can trust.

#include "epub/content/MathWriter.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using EPub::MathElement;

constexpr std::string_view kOpen = R"(<math xmlns="http://www.w3.org/1998/Math/MathML")";

TEST(MathWriter, KeepsPresentationMarkupAndAddsTheTextAlternative) {
    const std::string out = MathElement(
        R"(<math xmlns="http://www.w3.org/1998/Math/MathML" display="block"><mfrac><mi>a</mi>)"
        R"(<mn>2</mn></mfrac><mo stretchy="false">&lt;</mo></math>)",
        "a/2<\"b\"");
    EXPECT_EQ(out, std::string(kOpen) +
                       R"( display="block" alttext="a/2&lt;&quot;b&quot;"><mfrac><mi>a</mi>)"
                       R"(<mn>2</mn></mfrac><mo stretchy="false">&lt;</mo></math>)");
    // A prefixed MathML element, or one in no namespace, is MathML too.
    EXPECT_EQ(MathElement(R"(<m:math xmlns:m="http://www.w3.org/1998/Math/MathML"><m:mi>x)"
                          R"(</m:mi></m:math>)",
                          "x"),
              std::string(kOpen) + R"( alttext="x"><mi>x</mi></math>)");
    EXPECT_EQ(MathElement("<mi>y</mi>", ""), std::string(kOpen) + "><mi>y</mi></math>");
}

TEST(MathWriter, DropsWhatCouldScriptLinkOrRestyle) {
    const std::string out = MathElement(
        R"(<math xmlns="http://www.w3.org/1998/Math/MathML" onload="go"><mi href="http://e.org" )"
        R"(style="color:red" mathvariant="bold" xlink:href="j" id="dup" class="c">x</mi>)"
        R"(<script>alert(1)</script><h:p xmlns:h="http://www.w3.org/1999/xhtml">html</h:p>)"
        R"(<semantics><mi>z</mi><annotation-xml encoding="text/html"><b>no</b></annotation-xml>)"
        R"(</semantics><mtext>a<b>b</b>c</mtext><mrow>loose text<mi>w</mi></mrow></math>)",
        "");
    EXPECT_EQ(out, std::string(kOpen) + R"(><mi mathvariant="bold">x</mi><mi>z</mi>)"
                                        R"(<mtext>abc</mtext><mrow><mi>w</mi></mrow></math>)");
}

TEST(MathWriter, FitsChildrenToWhatEachElementTakes) {
    // Too few and too many arguments, a cell outside its row, a stray row.
    EXPECT_EQ(MathElement("<math><mfrac><mi>a</mi></mfrac><msup><mi>b</mi><mn>1</mn><mn>2</mn>"
                          "</msup><mtable><mtd><mi>c</mi></mtd><mi>d</mi></mtable>"
                          "<mtr><mtd><mi>e</mi></mtd></mtr><none/></math>",
                          ""),
              std::string(kOpen) +
                  "><mfrac><mi>a</mi><mrow/></mfrac><msup><mi>b</mi><mrow><mn>1</mn><mn>2</mn>"
                  "</mrow></msup><mtable><mtr><mtd><mi>c</mi></mtd></mtr><mtr><mtd><mi>d</mi>"
                  "</mtd></mtr></mtable><mtable><mtr><mtd><mi>e</mi></mtd></mtr></mtable></math>");
}

TEST(MathWriter, RefusesWhatItCannotTrust) {
    // Not well-formed, a DOCTYPE with an entity, another vocabulary, nothing to show.
    EXPECT_EQ(MathElement("<math><mi>x</math>", "x"), "");
    EXPECT_EQ(MathElement(R"(<!DOCTYPE math [<!ENTITY e "boom">]><math><mi>&e;</mi></math>)", "x"),
              "");
    EXPECT_EQ(MathElement(R"(<svg xmlns="http://www.w3.org/2000/svg"><mi>x</mi></svg>)", "x"), "");
    EXPECT_EQ(MathElement("<math><script/></math>", "x"), "");
    EXPECT_EQ(MathElement("", "x"), "");
    // Absurd nesting is cut, not followed.
    std::string deep;
    for (int i = 0; i < 5000; ++i)
        deep += "<mrow>";
    deep += "<mi>x</mi>";
    for (int i = 0; i < 5000; ++i)
        deep += "</mrow>";
    const std::string out = MathElement("<math>" + deep + "</math>", "x");
    EXPECT_TRUE(out.starts_with(kOpen));
    EXPECT_EQ(out.find("<mi>"), std::string::npos);
}

} // namespace

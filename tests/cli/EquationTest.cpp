// SPDX-License-Identifier: MIT
// Equations given as MathML in a JSON document: written as MathML the package declares, their
// text kept as the alternative, and MathML the library cannot trust written as that text.

#include "cli/ToolFixture.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <string>

using ToolTest::Result;
using ToolTest::Tool;

namespace {

const char* const kDocument = R"({
  "metadata": {"title": "Sums", "identifier": "urn:uuid:11111111-2222-4333-8444-555555555555"},
  "styles": [{"name": "Body"}],
  "stories": [
    {"file": "one.xhtml", "paragraphs": [
      {"style": "Body", "runs": ["So ",
        {"text": "x^2", "character": {"mathML":
          "<math xmlns=\"http://www.w3.org/1998/Math/MathML\"><msup><mi>x</mi><mn>2</mn></msup><script>bad()</script></math>"}},
        " grows."]},
      {"style": "Body", "runs": [{"text": "a/b", "character": {"mathML":
          "<math display=\"block\"><mfrac><mi onclick=\"bad()\">a</mi><mi>b</mi></mfrac></math>"}}]}]},
    {"file": "two.xhtml", "paragraphs": [
      {"style": "Body", "runs": ["Plain, and ",
        {"text": "y<1", "character": {"mathML": "<math><mi>y</mi>"}}]}]}
  ]
})";

TEST_F(Tool, MathMLFromJsonIsWrittenCheckedAndDeclared) {
    const Result r = Export(kDocument);
    ASSERT_EQ(r.status, 0) << r.err;
    const auto entries = Entries(dir_ / "out.epub");
    const std::string& one = entries.at("OEBPS/one.xhtml");
    pugi::xml_document doc;
    ASSERT_TRUE(Parse(doc, one)) << one;
    const pugi::xpath_node_set maths = doc.select_nodes("//*[local-name()='math']");
    ASSERT_EQ(maths.size(), 2u) << one;
    const pugi::xml_node inline_ = maths[0].node();
    EXPECT_STREQ(inline_.attribute("alttext").value(), "x^2");
    EXPECT_STREQ(inline_.attribute("xmlns").value(), "http://www.w3.org/1998/Math/MathML");
    EXPECT_TRUE(inline_.child("msup"));
    EXPECT_STREQ(maths[1].node().attribute("display").value(), "block");
    EXPECT_EQ(one.find("bad()"), std::string::npos) << one;
    EXPECT_NE(one.find(" grows."), std::string::npos);
    // Broken MathML leaves the equation's text, and its document no MathML to declare.
    const std::string& two = entries.at("OEBPS/two.xhtml");
    EXPECT_EQ(two.find("<math"), std::string::npos);
    EXPECT_NE(two.find("y&lt;1"), std::string::npos) << two;
    const std::string& opf = entries.at("OEBPS/package.opf");
    EXPECT_NE(
        opf.find(R"(href="one.xhtml" media-type="application/xhtml+xml" properties="mathml")"),
        std::string::npos)
        << opf;
    EXPECT_NE(opf.find(R"(href="two.xhtml" media-type="application/xhtml+xml"/>)"),
              std::string::npos);
    EXPECT_NE(opf.find("accessibilityFeature\">MathML<"), std::string::npos);
    const std::string report = EpubCheck(dir_ / "out.epub");
    if (!report.empty()) {
        EXPECT_NE(report.find("0 fatals / 0 errors / 0 warnings"), std::string::npos) << report;
    }
}

TEST_F(Tool, MathMLMustBeAString) {
    ExpectRefused(R"({"styles": [{"name": "Body"}], "stories": [{"file": "a.xhtml",
      "paragraphs": [{"runs": [{"text": "x", "character": {"mathML": 2}}]}]}]})");
}

} // namespace

// SPDX-License-Identifier: MIT
#include "hostimpl/text/StoryBuilder.h"
#include "tests/epub/css/CssTestSupport.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace CssTest;
using namespace Text;

namespace {

class TableAndImageCssTest : public CssFixture {};

TEST_F(TableAndImageCssTest, TableClassesAndAlignmentMargins) {
    const StringT left = Sheet().RegisterTableFormat(nullptr, 0);
    const StringT centre = Sheet().RegisterTableFormat(nullptr, 1);
    const StringT other = Sheet().RegisterTableFormat(nullptr, 7);
    EXPECT_EQ(left, "table_1");
    EXPECT_EQ(centre, "table_2");
    const StringT css = Sheet().DescribeStyles();
    EXPECT_EQ(RuleBody(css, ".table_1"),
              "border-collapse: collapse;\nmargin-left: 0;\nmargin-right: auto;\n");
    EXPECT_EQ(RuleBody(css, ".table_2"),
              "border-collapse: collapse;\nmargin-left: auto;\nmargin-right: auto;\n");
    EXPECT_EQ(RuleBody(css, "." + other.str()), "border-collapse: collapse;\n");
}

TEST_F(TableAndImageCssTest, CellSizesAreSharedBetweenTablesPlacedAlike) {
    const StringT a = Sheet().RegisterTableFormat(nullptr, 1);
    const StringT b = Sheet().RegisterTableFormat(nullptr, 1);
    const StringT c = Sheet().RegisterTableFormat(nullptr, 2);
    EXPECT_EQ(a, b);
    EXPECT_EQ(c, "table_2");
    EXPECT_EQ(Sheet().RegisterTableCellSize(a, 100, 20), "table_1_size1");
    EXPECT_EQ(Sheet().RegisterTableCellSize(a, 100, 20), "table_1_size1");
    EXPECT_EQ(Sheet().RegisterTableCellSize(a, 100, 0), "table_1_size2");
    EXPECT_EQ(Sheet().RegisterTableCellSize(b, 100, 20), "table_1_size1");
    EXPECT_EQ(Sheet().RegisterTableCellSize(c, 100, 20), "table_2_size1");
    EXPECT_EQ(RuleBody(Sheet().DescribeStyles(), ".table_1_size2"), "width:100px;\nheight:0;\n");
}

TEST_F(TableAndImageCssTest, CellFormatsAndBorders) {
    const auto red = Render::FillDescriptor::MakeSolid(Render::Colour::MakeRGB(255, 0, 0));
    const auto solid =
        MakeCounted<const Render::LineStyleDescriptor>(1.5, Render::DashKind::Dotted);
    EXPECT_EQ(Sheet().DescribeCellBorderFormat(BorderFormat{red, solid}), "1.5px dotted Red");
    EXPECT_EQ(Sheet().DescribeCellBorderFormat(BorderFormat{nullptr, solid}), "");

    TableFormatSettings settings;
    settings.cellFill = red;
    settings.outer = BorderFormat{red, solid};
    const auto format = TableFormat::Make(settings);
    TableBuilder builder(styles_, 2, 1);
    builder.Settings().format = format;
    builder.Cell(0, 0).Text("a");
    builder.Cell(1, 0).Text("b");
    const Counted<const Table> table = builder.Build();
    const StringT t = Sheet().RegisterTableFormat(format, 1);
    const StringT c0 = Sheet().RegisterTableCellFormat(t, format, 0, 0, *table, {1, 1});
    EXPECT_EQ(c0, "table_1_1");
    EXPECT_EQ(Sheet().RegisterTableCellFormat(t, format, 0, 0, *table, {1, 1}), c0);
    const std::string css = RuleBody(Sheet().DescribeStyles(), ".table_1_1");
    EXPECT_EQ(css.rfind("background-color:Red;\nborder-left: ", 0), 0u) << css;
    EXPECT_NE(css.find("border-bottom: "), std::string::npos);
}

TEST_F(TableAndImageCssTest, FramesAndImages) {
    const auto blue = Render::FillDescriptor::MakeSolid(Render::Colour::MakeRGB(0, 0, 255));
    const auto stroke =
        MakeCounted<const Render::LineStyleDescriptor>(2.4, Render::DashKind::Solid);
    EXPECT_EQ(Sheet().RegisterFrameFormat(blue, blue, stroke), "Frame_1");
    EXPECT_EQ(Sheet().RegisterFrameFormat(nullptr, nullptr, nullptr), "Frame_2");
    EXPECT_EQ(Sheet().RegisterFrameFormat(blue, blue, stroke), "Frame_1");
    EXPECT_FALSE(Sheet().HasImages()); // frames alone are not images
    const StringT css = Sheet().DescribeStyles();
    EXPECT_EQ(RuleBody(css, ".Frame_1"), "background-color:Blue;\nborder:2px solid Blue;\n");
    EXPECT_EQ(RuleBody(css, ".Frame_2"), "<none>");

    Sheet().RegisterImageFormat("img1", "width:10px;", "");
    Sheet().RegisterImageFormat("img2", "width:20px;", "scaled");
    EXPECT_TRUE(Sheet().HasImages());
    EXPECT_EQ(Sheet().RegisterSVGFormat("a", "fill:red;"), "_svgAttr-1");
    EXPECT_EQ(Sheet().RegisterSVGFormat("b", "fill:red;"), "_svgAttr-1");
    const StringT images = Sheet().DescribeImageStyles();
    EXPECT_EQ(images, "._svgAttr-1 {\nfill:red;\n}\n\n"
                      "#img1 {\nwidth:10px;\n}\n\n"
                      "#img2 {\n/* scaled */\nwidth:20px;\n}\n\n");
}

// Every rule is balanced and every declaration line ends in ';'.
TEST_F(TableAndImageCssTest, GeneratedSheetIsWellFormed) {
    AddParagraphStyle("Body", {}, Set({{ParaDouble::LeftIndent, 24.0}, {ParaInt::Alignment, 1}}),
                      Set({{GlyphInt::FontWeight, 700}, {GlyphInt::Underline, 2}}));
    AddParagraphStyle("Quote", "Body", Set({{ParaDouble::LineSpacing, 1.5}}));
    const auto quote = Sheet().RegisterParagraphAtts(
        Para("Quote", Set({{ParaDouble::SpaceBefore, 12.0}})), nullptr);
    Sheet().RegisterGlyphAtts(Run("Quote", Set({{GlyphDouble::Tracking, 0.1}})), quote.get());
    const StringT t = Sheet().RegisterTableFormat(nullptr, 2);
    Sheet().RegisterTableCellSize(t, 10, 10);
    Sheet().RegisterFrameFormat(Render::FillDescriptor::MakeSolid(Render::Colour::MakeRGB(1, 2, 3)),
                                nullptr, nullptr);

    const std::string css = Sheet().DescribeStyles().str();
    int depth = 0;
    size_t rules = 0;
    std::istringstream lines(css);
    for (std::string line; std::getline(lines, line);) {
        if (line.empty())
            continue;
        if (line.ends_with(" {")) {
            EXPECT_EQ(depth++, 0) << line;
            ++rules;
        } else if (line == "}") {
            EXPECT_EQ(--depth, 0);
        } else {
            EXPECT_EQ(depth, 1) << line;
            EXPECT_TRUE(line.ends_with(";")) << line;
        }
    }
    EXPECT_EQ(depth, 0);
    EXPECT_GE(rules, 6u);
}

} // namespace

// SPDX-License-Identifier: MIT
#include "host/text/Table.h"

#include "hostimpl/text/StoryBuilder.h"

#include <gtest/gtest.h>

using namespace Text;
using Foundation::Counted;

namespace {

Counted<const Render::FillDescriptor> Grey(uint8_t level) {
    return Render::FillDescriptor::MakeSolid(Render::Colour::MakeGray(level));
}

BorderFormat Border(double weight) {
    return BorderFormat{Grey(0), Foundation::MakeCounted<const Render::LineStyleDescriptor>(
                                     weight, Render::DashKind::Solid)};
}

class TableTest : public ::testing::Test {
protected:
    TableTest() : sheet(StyleSheet::Make(TextDocument::Make())) {}

    // 3 × 3: the first row's first two cells merged; every written cell holds its position.
    Counted<const Table> Build() {
        TableBuilder t(sheet, 3, 3);
        t.Settings().headerRows = 1;
        t.Settings().columnWidths = {100, 50, 25};
        t.Settings().rowHeights = {10, 20, 30};
        t.Settings().merges.push_back({0, 0, CellSpan{2, 1}});
        TableFormatSettings format;
        format.cellFill = Grey(255);
        format.headerFill = Grey(128);
        format.outer = Border(2);
        format.innerHorizontal = Border(1);
        format.innerVertical = Border(0.5);
        t.Settings().format = TableFormat::Make(format);
        CellFormatOverride own;
        own.borders[static_cast<size_t>(CellSide::Bottom)] = Border(4);
        t.Settings().overrides.push_back({1, 1, own});
        t.Cell(0, 0).Paragraph().Text("wide");
        t.Cell(2, 0).Text("c2");
        t.Cell(1, 1).Text("b\nb2"); // (0, 1) stays empty
        t.Cell(2, 2).Text("last");
        return t.Build();
    }

    Counted<StyleSheet> sheet;
};

} // namespace

TEST_F(TableTest, CellsAreRangesOfTheTableStory) {
    auto table = Build();
    EXPECT_EQ(table->GetSize(), (TableSize{3, 3}));
    EXPECT_EQ(table->GetCellRange(0, 0).GetText(), "wide\n");
    EXPECT_EQ(table->GetCellRange(2, 0).GetText(), "c2\n");
    EXPECT_EQ(table->GetCellRange(0, 1).GetText(), "\n");
    EXPECT_EQ(table->GetCellRange(1, 1).GetText(), "b\nb2\n");
    EXPECT_EQ(table->GetCellRange(2, 2).GetText(), "last\n");
    EXPECT_TRUE(table->GetCellRange(1, 0).empty());
    EXPECT_TRUE(table->GetCellRange(5, 5).empty());
    // A cell ends with its cell-end glyph, which GetCellEnd finds from anywhere inside it.
    StoryRange cell = table->GetCellRange(1, 1);
    EXPECT_EQ((cell.begin() + 1).GetCellEnd(), cell.end());
    EXPECT_TRUE((cell.end() - 1).GetGlyph().IsHardBreak(BreakKind::Cell));
    EXPECT_EQ(cell.begin().GetParagraphEnd(), cell.begin() + 2);
}

TEST_F(TableTest, MergedCellsCoverTheirNeighbours) {
    auto table = Build();
    EXPECT_EQ(table->GetMerged(0, 0), (CellSpan{2, 1}));
    EXPECT_EQ(table->GetMerged(1, 0), (CellSpan{0, 0}));
    EXPECT_TRUE(table->IsBrokenInto(1, 0));
    EXPECT_FALSE(table->IsBrokenInto(0, 0));
    EXPECT_EQ(table->GetMerged(2, 1), (CellSpan{1, 1}));
    EXPECT_DOUBLE_EQ(table->GetColumnWidth(1), 50);
    EXPECT_DOUBLE_EQ(table->GetRowHeight(2), 30);
    EXPECT_DOUBLE_EQ(table->GetRowHeight(3), 0);
}

TEST_F(TableTest, CellFormatsComeFromTheTableFormatAndTheCell) {
    auto table = Build();
    CellFormat header = table->GetEffectiveCellFormat(0, 0);
    EXPECT_EQ(*header.fill, *Grey(128));
    // The merged cell spans two of the three columns, so its right side is an inner border.
    EXPECT_DOUBLE_EQ(header.GetBorder(CellSide::Right).lineStyle->Weight(), 0.5);
    EXPECT_DOUBLE_EQ(header.GetBorder(CellSide::Left).lineStyle->Weight(), 2);
    EXPECT_DOUBLE_EQ(header.GetBorder(CellSide::Bottom).lineStyle->Weight(), 1);

    CellFormat middle = table->GetEffectiveCellFormat(1, 1);
    EXPECT_EQ(*middle.fill, *Grey(255));
    EXPECT_DOUBLE_EQ(middle.GetBorder(CellSide::Bottom).lineStyle->Weight(), 4);
    EXPECT_DOUBLE_EQ(middle.GetBorder(CellSide::Top).lineStyle->Weight(), 1);
    EXPECT_TRUE(middle.GetBorder(CellSide::Top).IsVisible());

    EXPECT_DOUBLE_EQ(
        table->GetEffectiveCellFormat(2, 2).GetBorder(CellSide::Right).lineStyle->Weight(), 2);
    EXPECT_FALSE(table->GetEffectiveCellFormat(1, 0).fill);
}

TEST_F(TableTest, TablesArePinnedInText) {
    auto table = Build();
    StoryBuilder b(sheet);
    b.Paragraph().Text("Before").Table(table).Text("after");
    auto story = b.Build();
    const auto* pin = story->GetPos(6).GetGlyph().As<PinGlyph>();
    ASSERT_NE(pin, nullptr);
    ASSERT_TRUE(pin->IsTable());
    EXPECT_EQ(pin->GetTableFrame()->GetTable(), table);
    EXPECT_EQ(pin->GetTableFrame()->GetTableSize(), (TableSize{3, 3}));
    EXPECT_FALSE(pin->IsNote());
    EXPECT_EQ(pin->GetNote(), nullptr);
}

TEST_F(TableTest, BadTablesAreRejected) {
    auto story = Story::Make(sheet->GetDocument());
    auto make = [&](TableSettings s) { return Table::Make(std::move(s), story); };
    TableSettings negative;
    negative.size = {-1, 2};
    EXPECT_THROW(make(negative), std::invalid_argument);
    TableSettings huge;
    huge.size = {100000, 100000};
    EXPECT_THROW(make(huge), std::invalid_argument);
    TableSettings widths;
    widths.size = {0, 0};
    widths.columnWidths = {1};
    EXPECT_THROW(make(widths), std::invalid_argument);
    TableSettings missingText;
    missingText.size = {1, 1};
    EXPECT_THROW(make(missingText), std::invalid_argument);
    TableSettings overlap;
    overlap.size = {2, 2};
    overlap.merges = {{0, 0, {2, 1}}, {1, 0, {1, 2}}};
    EXPECT_THROW(make(overlap), std::invalid_argument);
    TableSettings outside;
    outside.size = {2, 2};
    outside.merges = {{1, 1, {2, 1}}};
    EXPECT_THROW(make(outside), std::invalid_argument);
    EXPECT_NO_THROW(make(TableSettings{}));

    TableBuilder t(sheet, 2, 2);
    t.Settings().merges.push_back({0, 0, CellSpan{1, 2}});
    t.Cell(1, 0);
    EXPECT_THROW(t.Cell(0, 0), std::invalid_argument); // backwards
    EXPECT_THROW(t.Cell(0, 1), std::invalid_argument); // covered
    EXPECT_THROW(t.Cell(2, 0), std::invalid_argument); // outside
    EXPECT_EQ(t.Build()->GetCellRange(1, 1).GetText(), "\n");
}

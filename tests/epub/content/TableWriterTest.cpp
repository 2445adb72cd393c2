// SPDX-License-Identifier: MIT
#include "epub/content/TableWriter.h"
#include "host/text/AttributeIds.h"
#include "tests/epub/content/MemoryExporter.h"

#include <gtest/gtest.h>

using namespace ContentTest;

namespace {

class TableWriterTest : public ExportFixture {
protected:
    // A table whose cell at (c, r) reads "c,r".
    Counted<const Text::Table> Grid(int columns, int rows, int header, int footer,
                                    int headerColumns = 0,
                                    std::vector<Text::TableSettings::Merge> merges = {}) {
        Text::TableBuilder b(styles_, columns, rows);
        b.Settings().headerRows = header;
        b.Settings().footerRows = footer;
        b.Settings().headerColumns = headerColumns;
        b.Settings().merges = std::move(merges);
        b.Settings().columnWidths.assign(size_t(columns), 50.0);
        b.Settings().rowHeights.assign(size_t(rows), 20.0);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < columns; ++c) {
                bool covered = false;
                for (const auto& m : b.Settings().merges)
                    covered =
                        covered || (c >= m.column && c < m.column + m.span.columns && r >= m.row &&
                                    r < m.row + m.span.rows && !(c == m.column && r == m.row));
                if (!covered)
                    b.Cell(c, r).Text(std::to_string(c) + "," + std::to_string(r));
            }
        return b.Build();
    }

    // Exports "before", the table, "after" as one paragraph and returns the table element.
    pugi::xml_node ExportWithTable(const Counted<const Text::Table>& table,
                                   const std::string& name = "t.xhtml",
                                   Counted<const Text::Delta> paragraph = {}) {
        auto b = Builder();
        b.Paragraph({}, std::move(paragraph)).Text("before").Table(table).Text("after");
        EXPECT_TRUE(Export(b.Build(), name));
        doc_ = Parse(name);
        return Body(doc_).child("table");
    }

    pugi::xml_document doc_;
};

std::vector<std::string> RowGroups(const pugi::xml_node& table) {
    return ChildNames(table);
}

size_t RowsIn(const pugi::xml_node& group) {
    return ChildNames(group).size();
}

TEST_F(TableWriterTest, HeaderBodyAndFooterRowsGoInTheirGroups) {
    const auto table = ExportWithTable(Grid(2, 3, 1, 1));
    ASSERT_TRUE(table) << exporter_.Text("t.xhtml");
    EXPECT_EQ(RowGroups(table), (std::vector<std::string>{"thead", "tbody", "tfoot"}));
    EXPECT_EQ(table.select_nodes("thead/tr/th[@scope='col']").size(), 2u);
    EXPECT_EQ(table.select_nodes("tbody/tr/td").size(), 2u);
    EXPECT_EQ(table.select_nodes("tfoot/tr/td").size(), 2u);
    // Cells hold their own paragraphs, in row order.
    EXPECT_EQ(AllText(table.select_node("thead/tr/th[2]/p").node()), "1,0");
    EXPECT_EQ(AllText(table.select_node("tfoot/tr/td[1]/p").node()), "0,2");
}

TEST_F(TableWriterTest, HeaderAndFooterRowsAreClampedToTheTable) {
    // Two header and two footer rows in three rows: the header keeps both, the footer one.
    auto table = ExportWithTable(Grid(1, 3, 2, 2));
    EXPECT_EQ(RowGroups(table), (std::vector<std::string>{"thead", "tfoot"}));
    EXPECT_EQ(RowsIn(table.child("thead")), 2u);
    EXPECT_EQ(RowsIn(table.child("tfoot")), 1u);

    // More header rows than rows: all rows are header rows and nothing else is opened.
    table = ExportWithTable(Grid(1, 2, 5, 1), "u.xhtml");
    EXPECT_EQ(RowGroups(table), (std::vector<std::string>{"thead"}));
    EXPECT_EQ(RowsIn(table.child("thead")), 2u);

    // No header and no footer: one body.
    table = ExportWithTable(Grid(1, 2, 0, 0), "v.xhtml");
    EXPECT_EQ(RowGroups(table), (std::vector<std::string>{"tbody"}));
}

TEST_F(TableWriterTest, MergedCellsSpanAndCoverTheirNeighbours) {
    const auto table = ExportWithTable(Grid(3, 3, 0, 0, 0, {{0, 0, {2, 1}}, {2, 0, {1, 3}}}));
    const auto rows = table.select_nodes("tbody/tr");
    ASSERT_EQ(rows.size(), 3u);
    const auto first = rows[0].node();
    EXPECT_EQ(ChildNames(first).size(), 2u);
    EXPECT_STREQ(first.child("td").attribute("colspan").value(), "2");
    EXPECT_FALSE(first.child("td").attribute("rowspan"));
    EXPECT_EQ(AllText(first.child("td").child("p")), "0,0");
    const auto tall = first.child("td").next_sibling("td");
    EXPECT_STREQ(tall.attribute("rowspan").value(), "3");
    EXPECT_FALSE(tall.attribute("colspan"));
    // Rows below the tall cell hold only the two cells left of it.
    EXPECT_EQ(ChildNames(rows[1].node()).size(), 2u);
    EXPECT_EQ(AllText(rows[2].node()), "0,21,2");
}

TEST_F(TableWriterTest, HeaderColumnsUseRowScopedHeaderCells) {
    const auto table = ExportWithTable(Grid(3, 3, 1, 1, 1));
    // The header row's cells are column headers, also in the header column.
    EXPECT_EQ(table.select_nodes("thead/tr/th[@scope='col']").size(), 3u);
    EXPECT_STREQ(table.select_node("tbody/tr/*[1]").node().name(), "th");
    EXPECT_STREQ(table.select_node("tbody/tr/th").node().attribute("scope").value(), "row");
    EXPECT_STREQ(table.select_node("tfoot/tr/th").node().attribute("scope").value(), "row");
    EXPECT_EQ(table.select_nodes("tbody/tr/td").size(), 2u);
    EXPECT_EQ(table.select_nodes("tfoot/tr/td").size(), 2u);
}

TEST_F(TableWriterTest, TablesPlacedAlikeShareTheirClasses) {
    auto b = Builder();
    b.Paragraph()
        .Text("a")
        .Table(Grid(2, 1, 0, 0))
        .Text("b")
        .Table(Grid(2, 1, 0, 0, 0, {{0, 0, {2, 1}}}));
    ASSERT_TRUE(Export(b.Build(), "s.xhtml"));
    const auto doc = Parse("s.xhtml");
    const auto tables = Body(doc).select_nodes("table");
    ASSERT_EQ(tables.size(), 2u);
    EXPECT_STREQ(tables[0].node().attribute("class").value(), "table_1");
    EXPECT_STREQ(tables[1].node().attribute("class").value(), "table_1");
    const auto cells = tables[0].node().select_nodes(".//td");
    ASSERT_EQ(cells.size(), 2u);
    // Size class first, then the format class.
    EXPECT_STREQ(cells[0].node().attribute("class").value(), "table_1_size1 table_1_1");
    EXPECT_STREQ(cells[1].node().attribute("class").value(), "table_1_size1 table_1_1");
    const auto merged = tables[1].node().select_node(".//td").node();
    EXPECT_STREQ(merged.attribute("class").value(), "table_1_size2 table_1_1");

    // 50 units per column at the default scale; the merged cell spans both columns.
    const std::string css = exporter_.Styles().DescribeStyles().str();
    EXPECT_NE(css.find(".table_1_size1 {\nwidth:50px;\nheight:20px;\n"), std::string::npos) << css;
    EXPECT_NE(css.find(".table_1_size2 {\nwidth:100px;\nheight:20px;\n"), std::string::npos) << css;
}

TEST_F(TableWriterTest, TheParagraphIsClosedAroundTheTableAndGivesItsAlignment) {
    const auto table =
        ExportWithTable(Grid(1, 1, 0, 0), "a.xhtml",
                        Text::Delta::Make(Text::AttCategory::Paragraph, Text::ParaInt::Alignment,
                                          Text::Alignment::Right));
    ASSERT_TRUE(table);
    EXPECT_EQ(ChildNames(Body(doc_)), (std::vector<std::string>{"p", "table", "p"}));
    EXPECT_EQ(AllText(Body(doc_)), "before0,0after");
    const std::string css = exporter_.Styles().DescribeStyles().str();
    EXPECT_NE(css.find(".table_1 {\nborder-collapse: collapse;\nmargin-left: auto;\nmargin-right: "
                       "0;\n"),
              std::string::npos)
        << css;
}

TEST_F(TableWriterTest, TablesNestInCellsAndCellNotesWaitForTheDocument) {
    Text::TableBuilder inner(styles_, 1, 1);
    inner.Cell(0, 0).Text("inner");
    const auto innerTable = inner.Build();

    auto note = Builder();
    note.Paragraph().Text("note text");
    Text::TableBuilder outer(styles_, 2, 1);
    outer.Cell(0, 0).Text("x").Table(innerTable).Text("y");
    outer.Cell(1, 0).Text("z").Note(Text::NoteKind::Footnote, note.Build());
    const auto table = ExportWithTable(outer.Build());
    ASSERT_TRUE(table);
    const auto innerCell = table.select_node("tbody/tr/td[1]/table/tbody/tr/td").node();
    EXPECT_EQ(AllText(innerCell.child("p")), "inner");
    // The footnote body is written after the table, at the end of the outer document.
    EXPECT_FALSE(table.select_node(".//aside"));
    const auto aside = Body(doc_).select_node(".//aside").node();
    ASSERT_TRUE(aside) << exporter_.Text("t.xhtml");
    EXPECT_NE(AllText(aside).find("note text"), std::string::npos);
}

} // namespace

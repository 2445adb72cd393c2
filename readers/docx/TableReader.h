// SPDX-License-Identifier: MIT
#pragma once
// Lays a Word table out on its grid: column widths, cells with their column and row spans
// (gridSpan, vMerge), header rows, and the fills and borders of the table, its style and its
// cells.

#include "host/text/Table.h"
#include "readers/docx/Properties.h"
#include "readers/docx/StyleTable.h"

#include <optional>
#include <string>
#include <vector>

namespace Readers::Docx {

struct TableCell {
    int32_t column = 0;
    int32_t row = 0;
    pugi::xml_node node; // the w:tc
};

struct TableLayout {
    int32_t columns = 0;
    int32_t rows = 0;
    Text::TableSettings settings; // size, widths, merges, header rows, formats
    std::vector<TableCell> cells; // in row order
    std::string problem;          // why the table cannot be a table; empty when it can
};

TableLayout LayoutTable(pugi::xml_node tbl, const StyleTable& styles, const Properties& properties);

// What the table gives the text of cell `tc` at (`column`, `row`) of a table of `columns` x
// `rows`: the run properties of its style, weakest first (the whole table's, banded rows',
// first and last column's, first and last row's, as the table's look turns them on; direct
// formatting goes on top), and the colour the text stands on.
struct CellText {
    std::vector<pugi::xml_node> runProperties;
    std::optional<uint32_t> fill; // RGB
};
CellText CellTextFormat(pugi::xml_node tbl, pugi::xml_node tc, const StyleTable& styles,
                        const Properties& properties, int32_t column, int32_t row, int32_t columns,
                        int32_t rows);

} // namespace Readers::Docx

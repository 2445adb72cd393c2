// SPDX-License-Identifier: MIT
#pragma once
// Lays a Word table out on its grid: column widths, cells with their column and row spans
// (gridSpan, vMerge), header rows, and the fills and borders of the table, its style and its
// cells.

#include "host/text/Table.h"
#include "readers/docx/Properties.h"
#include "readers/docx/StyleTable.h"

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

} // namespace Readers::Docx

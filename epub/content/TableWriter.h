// SPDX-License-Identifier: MIT
#pragma once
// Writes a table anchored in the text as an XHTML table: row groups, merged cells, header cells,
// and the size and format classes of every cell.

#include "host/foundation/Counted.h"
#include "host/foundation/Stream.h"
#include "host/foundation/StringT.h"
#include "host/text/Story.h"
#include "host/text/Table.h"

#include <vector>

namespace EPub {

using Foundation::Counted;
using Foundation::StringT;

class BlockFlow;
class DocumentHost;

class TableWriter {
public:
    TableWriter(DocumentHost& host, BlockFlow& writer) noexcept : host_(host), writer_(writer) {}

    // Writes the table at the current glyph; the open paragraph is closed around it. False when
    // no block is being written or a cell failed.
    bool ExportTable(const Text::TableFrame& frame, const Counted<const Text::Story>& story);
    // Writes one cell's text as nested content of the current document.
    bool ExportTableCell(const Text::StoryRange& cell);

private:
    struct Layout {
        int32_t rows = 0;
        int32_t columns = 0;
        int32_t headerRows = 0;
        int32_t footerRows = 0;
        int32_t headerColumns = 0;
        bool HasBody() const noexcept { return headerRows + footerRows < rows; }
    };

    static Layout MakeLayout(const Text::Table& table);
    bool WriteRow(Foundation::OutStream& out, const Text::Table& table, const StringT& tableClass,
                  const Layout& layout, int32_t row);
    StringT CellClasses(const Text::Table& table, const StringT& tableClass, int32_t column,
                        int32_t row, Text::CellSpan span) const;

    DocumentHost& host_;
    BlockFlow& writer_;
    std::vector<const Text::Table*> open_; // tables being written, outermost first
};

} // namespace EPub

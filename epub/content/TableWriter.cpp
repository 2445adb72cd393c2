// SPDX-License-Identifier: MIT
#include "epub/content/TableWriter.h"

#include "epub/content/BlockFlow.h"
#include "epub/content/DocumentHost.h"
#include "epub/xml/XmlWriter.h"
#include "host/text/AttributeIds.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace EPub {

namespace {

using Foundation::OutStream;

// Sizes come from user data: keep absurd values from overflowing the conversion.
int ClampToInt(double value) {
    if (!std::isfinite(value))
        return 0;
    constexpr double kMax = std::numeric_limits<int>::max();
    return static_cast<int>(std::clamp(value, -kMax, kMax));
}

// Cells may hold tables; a story that pins its own table must not recurse for ever.
constexpr size_t kMaxNesting = 32;

} // namespace

TableWriter::Layout TableWriter::MakeLayout(const Text::Table& table) {
    Layout layout;
    layout.rows = table.GetSize().rows;
    layout.columns = table.GetSize().columns;
    layout.headerRows = std::clamp(table.GetHeaderRows(), 0, layout.rows);
    layout.footerRows = std::max(table.GetFooterRows(), 0);
    // Header rows win when both claim the same rows.
    if (layout.headerRows + layout.footerRows > layout.rows)
        layout.footerRows = layout.rows - layout.headerRows;
    layout.headerColumns = std::max(table.GetHeaderColumns(), 0);
    return layout;
}

bool TableWriter::ExportTable(const Text::TableFrame& frame, const Counted<const Text::Story>&) {
    const BlockContext* block = writer_.CurrentBlock();
    if (!block || !block->out)
        return false;
    OutStream& out = *block->out;
    const Text::Table& table = *frame.GetTable();
    if (open_.size() >= kMaxNesting || std::ranges::find(open_, &table) != open_.end())
        return false;
    open_.push_back(&table);
    struct Closer {
        std::vector<const Text::Table*>& open;
        ~Closer() { open.pop_back(); }
    } closer{open_};
    const bool inParagraph = !block->paragraphElement.empty() && !block->pos.IsNull();
    const int alignment =
        inParagraph ? block->pos.GetParagraphAtts()->GetAlignment() : Text::Alignment::Centre;

    // A table may not sit inside a paragraph.
    writer_.BreakIntoParagraph(true);
    const StringT tableClass = host_.Styles().RegisterTableFormat(table.GetFormat(), alignment);
    XmlWriter x;
    x.Open("table").Attribute("class", tableClass).Close().Space("\n").Flush(out);

    const Layout layout = MakeLayout(table);
    bool ok = true;
    for (int32_t row = 0; row < layout.rows; ++row) {
        if (row == 0 && layout.headerRows >= 1)
            x.Open("thead").Close().Space("\n").Flush(out);
        else if (row == layout.headerRows && layout.HasBody())
            x.Open("tbody").Close().Space("\n").Flush(out);
        if (row == layout.rows - layout.footerRows && layout.footerRows >= 1)
            x.Open("tfoot").Close().Space("\n").Flush(out);

        ok = WriteRow(out, table, tableClass, layout, row) && ok;

        if (layout.headerRows >= 1 && row == layout.headerRows - 1)
            x.End("thead").Space("\n").Flush(out);
        if (layout.HasBody() && row == layout.rows - layout.footerRows - 1)
            x.End("tbody").Space("\n").Flush(out);
        if (layout.footerRows >= 1 && row == layout.rows - 1)
            x.End("tfoot").Space("\n").Flush(out);
    }
    x.End("table").Space("\n").Flush(out);
    writer_.BreakIntoParagraph(false);
    return ok;
}

bool TableWriter::WriteRow(OutStream& out, const Text::Table& table, const StringT& tableClass,
                           const Layout& layout, int32_t row) {
    const bool headerRow = row < layout.headerRows;
    bool ok = true;
    XmlWriter x;
    x.Open("tr").Close().Space("\n").Flush(out);
    for (int32_t column = 0; column < layout.columns; ++column) {
        if (table.IsBrokenInto(column, row))
            continue;
        const Text::CellSpan span = table.GetMerged(column, row);
        const bool headerColumn = !headerRow && column < layout.headerColumns;
        const std::string_view cell = headerRow || headerColumn ? "th" : "td";
        x.Open(cell).Attribute("class", CellClasses(table, tableClass, column, row, span));
        if (span.columns > 1)
            x.Attribute("colspan", span.columns);
        if (span.rows > 1)
            x.Attribute("rowspan", span.rows);
        if (headerRow || headerColumn)
            x.Attribute("scope", headerRow ? "col" : "row");
        x.Close().Flush(out);
        ok = ExportTableCell(table.GetCellRange(column, row)) && ok;
        x.End(cell).Space("\n").Flush(out);
    }
    x.End("tr").Space("\n").Flush(out);
    return ok;
}

StringT TableWriter::CellClasses(const Text::Table& table, const StringT& tableClass,
                                 int32_t column, int32_t row, Text::CellSpan span) const {
    const double scale = StyleSheet::GetScale(*host_.GetSettings(), *host_.GetOptions());
    double width = 0;
    for (int32_t c = column; c < column + span.columns; ++c)
        width += table.GetColumnWidth(c);
    const int pxWidth = ClampToInt(std::trunc(width * scale));
    const int pxHeight = ClampToInt(std::round(table.GetRowHeight(row) * scale));
    // A table that gives no sizes is laid out by its content: "width:0" would squeeze every
    // column to its longest word.
    const StringT size = pxWidth == 0 && pxHeight == 0
                             ? StringT()
                             : host_.Styles().RegisterTableCellSize(tableClass, pxWidth, pxHeight);
    const StringT format = host_.Styles().RegisterTableCellFormat(tableClass, table.GetFormat(),
                                                                  column, row, table, span);
    if (size.empty() || format.empty())
        return size.empty() ? format : size;
    return size + " " + format;
}

bool TableWriter::ExportTableCell(const Text::StoryRange& cell) {
    const BlockContext* block = writer_.CurrentBlock();
    if (!block || !block->out || cell.begin().IsNull())
        return false;
    if (cell.empty())
        return true;
    const StoryChunk* outer = block->chunk;
    const StoryChunk chunk(outer ? outer->name : block->fileName, cell,
                           outer ? outer->language : nullptr, outer && outer->hasImages);
    // Copies: the cell's own pins push further blocks while it is written.
    OutStream& out = *block->out;
    const StringT fileName = block->fileName;
    return writer_.ExportStoryChunk(cell.GetStory(), chunk, out, fileName, true);
}

} // namespace EPub

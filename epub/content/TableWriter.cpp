// SPDX-License-Identifier: MIT
#include "epub/content/TableWriter.h"

#include "epub/content/ContentWriter.h"
#include "epub/content/DocumentHost.h"
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
    const ContentWriter::BlockContext* block = writer_.CurrentBlock();
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
    out << StringT::Format("<table class=\"%1\">\n", tableClass).view();

    const Layout layout = MakeLayout(table);
    bool ok = true;
    for (int32_t row = 0; row < layout.rows; ++row) {
        if (row == 0 && layout.headerRows >= 1)
            out << "<thead>\n";
        else if (row == layout.headerRows && layout.HasBody())
            out << "<tbody>\n";
        if (row == layout.rows - layout.footerRows && layout.footerRows >= 1)
            out << "<tfoot>\n";

        ok = WriteRow(out, table, tableClass, layout, row) && ok;

        if (layout.headerRows >= 1 && row == layout.headerRows - 1)
            out << "</thead>\n";
        if (layout.HasBody() && row == layout.rows - layout.footerRows - 1)
            out << "</tbody>\n";
        if (layout.footerRows >= 1 && row == layout.rows - 1)
            out << "</tfoot>\n";
    }
    out << "</table>\n";
    writer_.BreakIntoParagraph(false);
    return ok;
}

bool TableWriter::WriteRow(OutStream& out, const Text::Table& table, const StringT& tableClass,
                           const Layout& layout, int32_t row) {
    const bool headerRow = row < layout.headerRows;
    bool ok = true;
    out << "<tr>\n";
    for (int32_t column = 0; column < layout.columns; ++column) {
        if (table.IsBrokenInto(column, row))
            continue;
        const Text::CellSpan span = table.GetMerged(column, row);
        StringT attributes =
            StringT::Format(" class=\"%1\"", CellClasses(table, tableClass, column, row, span));
        if (span.columns > 1)
            attributes += StringT::Format(" colspan=\"%1\"", span.columns).view();
        if (span.rows > 1)
            attributes += StringT::Format(" rowspan=\"%1\"", span.rows).view();

        const bool headerColumn = !headerRow && column < layout.headerColumns;
        if (headerRow)
            out << StringT::Format("<th%1 scope=\"col\">", attributes).view();
        else if (headerColumn)
            out << StringT::Format("<th%1 scope=\"row\">", attributes).view();
        else
            out << StringT::Format("<td%1>", attributes).view();
        ok = ExportTableCell(table.GetCellRange(column, row)) && ok;
        out << (headerRow || headerColumn ? "</th>\n" : "</td>\n");
    }
    out << "</tr>\n";
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
    const ContentWriter::BlockContext* block = writer_.CurrentBlock();
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

// SPDX-License-Identifier: MIT
#include "host/text/Table.h"

#include <stdexcept>

namespace Text {

namespace {

void Require(bool condition, const char* what) {
    if (!condition)
        throw std::invalid_argument(what);
}

} // namespace

bool BorderFormat::IsVisible() const {
    return Render::IsLineStyleVisible(lineStyle.get()) && Render::IsFillVisible(fill.get());
}

bool operator==(const BorderFormat& a, const BorderFormat& b) {
    return SameValue(a.fill, b.fill) && SameValue(a.lineStyle, b.lineStyle);
}

bool operator==(const CellFormat& a, const CellFormat& b) {
    return SameValue(a.fill, b.fill) && a.borders == b.borders && a.insets == b.insets;
}

void ApplyInsets(const CellFormatOverride& own, CellFormat& format) {
    for (size_t side = 0; side < own.insets.size(); ++side) {
        if (!own.insets[side])
            continue;
        if (!format.insets)
            format.insets = CellInsets{};
        (*format.insets)[side] = *own.insets[side];
    }
}

Counted<const TableFormat> TableFormat::Make(TableFormatSettings settings) {
    return Foundation::MakeCounted<const TableFormat>(std::move(settings));
}

CellFormat TableFormat::GetFormatForAppliedCell(const Table& table, int32_t column, int32_t row,
                                                CellSpan span) const {
    const TableSize size = table.GetSize();
    const int32_t header = table.GetHeaderRows();
    const int32_t footer = table.GetFooterRows();
    CellFormat format;
    format.insets = s_.cellInsets;
    if (row < header)
        format.fill = s_.headerFill ? s_.headerFill : s_.cellFill;
    else if (row >= size.rows - footer)
        format.fill = s_.footerFill ? s_.footerFill : s_.cellFill;
    else if (s_.alternateRowFill && (row - header) % 2 == 1)
        format.fill = s_.alternateRowFill;
    else
        format.fill = s_.cellFill;
    for (CellSide side : {CellSide::Left, CellSide::Right, CellSide::Top, CellSide::Bottom})
        format.borders[static_cast<size_t>(side)] =
            GetFormatForAppliedBorder(table, column, row, span, side);
    return format;
}

BorderFormat TableFormat::GetFormatForAppliedBorder(const Table& table, int32_t column, int32_t row,
                                                    CellSpan span, CellSide side) const {
    const TableSize size = table.GetSize();
    switch (side) {
    case CellSide::Left:
        return column == 0 ? s_.outer : s_.innerVertical;
    case CellSide::Right:
        return column + span.columns >= size.columns ? s_.outer : s_.innerVertical;
    case CellSide::Top:
        return row == 0 ? s_.outer : s_.innerHorizontal;
    case CellSide::Bottom:
        return row + span.rows >= size.rows ? s_.outer : s_.innerHorizontal;
    }
    return {};
}

Counted<const Table> Table::Make(TableSettings settings, Counted<const Story> story) {
    return Foundation::MakeCounted<const Table>(std::move(settings), std::move(story));
}

Table::Table(TableSettings settings, Counted<const Story> story)
    : s_(std::move(settings)), story_(std::move(story)) {
    Require(story_ != nullptr, "a table needs a story");
    const TableSize size = s_.size;
    Require(size.columns >= 0 && size.rows >= 0, "a table size is not negative");
    Require(int64_t{size.columns} * size.rows <= kMaxCells, "a table has too many cells");
    Require(s_.headerRows >= 0 && s_.footerRows >= 0 && s_.headerColumns >= 0,
            "header and footer counts are not negative");
    Require(s_.columnWidths.empty() || s_.columnWidths.size() == size_t(size.columns),
            "one width per column");
    Require(s_.rowHeights.empty() || s_.rowHeights.size() == size_t(size.rows),
            "one height per row");

    const size_t n = static_cast<size_t>(size.columns) * static_cast<size_t>(size.rows);
    enum : uint8_t { Free, Anchor, Covered };
    std::vector<uint8_t> state(n, Free);
    spans_.assign(n, CellSpan{});
    for (const auto& m : s_.merges) {
        Require(Inside(m.column, m.row) && m.span.columns >= 1 && m.span.rows >= 1 &&
                    m.span.columns <= size.columns - m.column && m.span.rows <= size.rows - m.row,
                "a merged cell lies inside its table");
        for (int32_t r = m.row; r < m.row + m.span.rows; ++r)
            for (int32_t c = m.column; c < m.column + m.span.columns; ++c) {
                Require(state[Flat(c, r)] == Free, "merged cells do not overlap");
                state[Flat(c, r)] = Covered;
                spans_[Flat(c, r)] = CellSpan{0, 0};
            }
        state[Flat(m.column, m.row)] = Anchor;
        spans_[Flat(m.column, m.row)] = m.span;
    }

    cellOfPosition_.assign(n, kCovered);
    uint32_t cells = 0;
    for (size_t i = 0; i < n; ++i)
        if (state[i] != Covered)
            cellOfPosition_[i] = cells++;

    cellStarts_.reserve(size_t{cells} + 1);
    uint32_t start = 0;
    for (uint32_t i = 0; i < cells; ++i) {
        cellStarts_.push_back(start);
        start = story_->FindCellEnd(start);
        Require(start < story_->size(), "the story holds a text for every cell");
    }
    cellStarts_.push_back(start);

    overrideOf_.assign(n, -1);
    for (size_t i = 0; i < s_.overrides.size(); ++i) {
        const auto& o = s_.overrides[i];
        Require(Inside(o.column, o.row), "a cell format lies inside its table");
        overrideOf_[Flat(o.column, o.row)] = static_cast<int32_t>(i);
    }
}

double Table::GetColumnWidth(int32_t column) const noexcept {
    if (column < 0 || column >= s_.size.columns || s_.columnWidths.empty())
        return 0;
    return s_.columnWidths[static_cast<size_t>(column)];
}

double Table::GetRowHeight(int32_t row) const noexcept {
    if (row < 0 || row >= s_.size.rows || s_.rowHeights.empty())
        return 0;
    return s_.rowHeights[static_cast<size_t>(row)];
}

CellSpan Table::GetMerged(int32_t column, int32_t row) const noexcept {
    return Inside(column, row) ? spans_[Flat(column, row)] : CellSpan{0, 0};
}

bool Table::IsBrokenInto(int32_t column, int32_t row) const noexcept {
    return Inside(column, row) && cellOfPosition_[Flat(column, row)] == kCovered;
}

StoryRange Table::GetCellRange(int32_t column, int32_t row) const {
    const uint32_t cell = Inside(column, row) ? cellOfPosition_[Flat(column, row)] : kCovered;
    if (cell == kCovered)
        return StoryRange(story_->gbegin(), story_->gbegin());
    return StoryRange(story_->GetPos(cellStarts_[cell]), story_->GetPos(cellStarts_[cell + 1]));
}

const CellFormatOverride* Table::GetCellOverride(int32_t column, int32_t row) const noexcept {
    if (!Inside(column, row))
        return nullptr;
    const int32_t i = overrideOf_[Flat(column, row)];
    return i < 0 ? nullptr : &s_.overrides[static_cast<size_t>(i)].format;
}

CellFormat Table::GetEffectiveCellFormat(int32_t column, int32_t row) const {
    const CellSpan span = GetMerged(column, row);
    if (span.columns == 0)
        return {};
    CellFormat format =
        s_.format ? s_.format->GetFormatForAppliedCell(*this, column, row, span) : CellFormat{};
    const CellFormatOverride* own = GetCellOverride(column, row);
    if (!own)
        return format;
    if (own->fill)
        format.fill = own->fill;
    for (size_t side = 0; side < own->borders.size(); ++side)
        if (own->borders[side])
            format.borders[side] = *own->borders[side];
    ApplyInsets(*own, format);
    return format;
}

Counted<const TableFrame> TableFrame::Make(Counted<const Table> table) {
    return Foundation::MakeCounted<const TableFrame>(std::move(table));
}

TableFrame::TableFrame(Counted<const Table> table) : table_(std::move(table)) {
    Require(table_ != nullptr, "a table frame needs its table");
}

} // namespace Text

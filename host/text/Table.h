// SPDX-License-Identifier: MIT
#pragma once
// Tables anchored in text. A table's cells are consecutive ranges of one story, in row order,
// each ending with a cell-end glyph (BreakKind::Cell); cells covered by a merged cell have no
// text. Cell fills and borders come from the table format, with each cell's own overrides.

#include "host/render/Fill.h"
#include "host/render/LineStyle.h"
#include "host/text/PinnedObject.h"
#include "host/text/Story.h"

#include <array>
#include <optional>
#include <vector>

namespace Text {

struct TableSize {
    int32_t columns = 0;
    int32_t rows = 0;
    friend bool operator==(const TableSize&, const TableSize&) = default;
};

struct CellSpan {
    int32_t columns = 1;
    int32_t rows = 1;
    friend bool operator==(const CellSpan&, const CellSpan&) = default;
};

enum class CellSide : uint8_t { Left = 0, Right = 1, Top = 2, Bottom = 3 };

struct BorderFormat {
    Counted<const Render::FillDescriptor> fill; // the stroke's colour
    Counted<const Render::LineStyleDescriptor> lineStyle;

    bool IsVisible() const;
    friend bool operator==(const BorderFormat& a, const BorderFormat& b);
};

// Space between a cell's edges and its text, in document units, by CellSide.
using CellInsets = std::array<double, 4>;

struct CellFormat {
    Counted<const Render::FillDescriptor> fill;
    std::array<BorderFormat, 4> borders; // by CellSide
    std::optional<CellInsets> insets;    // none: the reading system's own

    const BorderFormat& GetBorder(CellSide side) const noexcept {
        return borders[static_cast<size_t>(side)];
    }
    friend bool operator==(const CellFormat& a, const CellFormat& b);
};

// What one cell sets for itself; unset parts come from the table format.
struct CellFormatOverride {
    Counted<const Render::FillDescriptor> fill;
    std::array<std::optional<BorderFormat>, 4> borders;
    std::array<std::optional<double>, 4> insets; // by CellSide
};

// Lays the sides a cell sets for itself over the table's insets (none where the table has none).
void ApplyInsets(const CellFormatOverride& own, CellFormat& format);

struct TableFormatSettings {
    Counted<const Render::FillDescriptor> cellFill;
    Counted<const Render::FillDescriptor> headerFill;       // header rows; null: cellFill
    Counted<const Render::FillDescriptor> footerFill;       // footer rows; null: cellFill
    Counted<const Render::FillDescriptor> alternateRowFill; // every second body row; null: none
    BorderFormat outer;
    BorderFormat innerHorizontal;
    BorderFormat innerVertical;
    std::optional<CellInsets> cellInsets; // every cell's; none: the reading system's own
};

class Table;

class TableFormat final : public Foundation::Countable {
public:
    static Counted<const TableFormat> Make(TableFormatSettings settings);
    explicit TableFormat(TableFormatSettings settings) : s_(std::move(settings)) {}

    const TableFormatSettings& GetSettings() const noexcept { return s_; }
    // The format the table style gives a cell at (column, row) with that span.
    CellFormat GetFormatForAppliedCell(const Table& table, int32_t column, int32_t row,
                                       CellSpan span) const;
    BorderFormat GetFormatForAppliedBorder(const Table& table, int32_t column, int32_t row,
                                           CellSpan span, CellSide side) const;

private:
    TableFormatSettings s_;
};

struct TableSettings {
    struct Merge {
        int32_t column = 0;
        int32_t row = 0;
        CellSpan span;
    };
    struct Override {
        int32_t column = 0;
        int32_t row = 0;
        CellFormatOverride format;
    };

    TableSize size;
    int32_t headerRows = 0;
    int32_t footerRows = 0;
    int32_t headerColumns = 0;
    std::vector<double> columnWidths; // document units; one per column, or none (all 0)
    std::vector<double> rowHeights;   // one per row, or none
    std::vector<Merge> merges;
    std::vector<Override> overrides;
    Counted<const TableFormat> format; // null: no fills, no borders
};

class Table final : public Foundation::Countable {
public:
    // At most this many cells (rows × columns).
    static constexpr int64_t kMaxCells = 1'000'000;

    // Throws std::invalid_argument when the settings do not describe a table (negative or
    // oversized size, sizes that do not match, merges outside the table or overlapping) or the
    // story holds fewer cells than the table.
    static Counted<const Table> Make(TableSettings settings, Counted<const Story> story);
    Table(TableSettings settings, Counted<const Story> story);

    const TableSize& GetSize() const noexcept { return s_.size; }
    int32_t GetHeaderRows() const noexcept { return s_.headerRows; }
    int32_t GetFooterRows() const noexcept { return s_.footerRows; }
    int32_t GetHeaderColumns() const noexcept { return s_.headerColumns; }
    // 0 outside the table.
    double GetColumnWidth(int32_t column) const noexcept;
    double GetRowHeight(int32_t row) const noexcept;

    // The span of the cell at (column, row): its own for a cell, {1, 1} for a plain one,
    // {0, 0} for a position covered by another cell or outside the table.
    CellSpan GetMerged(int32_t column, int32_t row) const noexcept;
    // True where a merged cell covers the position (its own top-left position excepted).
    bool IsBrokenInto(int32_t column, int32_t row) const noexcept;

    const Counted<const Story>& GetStory() const noexcept { return story_; }
    // The cell's text, its cell-end glyph included; empty for covered positions.
    StoryRange GetCellRange(int32_t column, int32_t row) const;

    const Counted<const TableFormat>& GetFormat() const noexcept { return s_.format; }
    const CellFormatOverride* GetCellOverride(int32_t column, int32_t row) const noexcept;
    // The table format's format for the cell, with the cell's own fill and borders put in.
    CellFormat GetEffectiveCellFormat(int32_t column, int32_t row) const;

private:
    static constexpr uint32_t kCovered = 0xFFFFFFFFu;

    bool Inside(int32_t column, int32_t row) const noexcept {
        return column >= 0 && row >= 0 && column < s_.size.columns && row < s_.size.rows;
    }
    size_t Flat(int32_t column, int32_t row) const noexcept {
        return static_cast<size_t>(row) * static_cast<size_t>(s_.size.columns) +
               static_cast<size_t>(column);
    }

    TableSettings s_;
    Counted<const Story> story_;
    std::vector<uint32_t> cellOfPosition_; // per position: its cell's number, or kCovered
    std::vector<CellSpan> spans_;          // per position
    std::vector<uint32_t> cellStarts_;     // per cell, then the end of the last
    std::vector<int32_t> overrideOf_;      // per position: index into s_.overrides, or -1
};

// A table pinned in the text.
class TableFrame final : public PinnedObject {
public:
    static Counted<const TableFrame> Make(Counted<const Table> table);
    explicit TableFrame(Counted<const Table> table);

    PinnedKind GetPinnedKind() const override { return PinnedKind::Table; }
    const Counted<const Table>& GetTable() const noexcept { return table_; }
    const TableSize& GetTableSize() const noexcept { return table_->GetSize(); }

private:
    Counted<const Table> table_;
};

} // namespace Text

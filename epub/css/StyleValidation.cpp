// SPDX-License-Identifier: MIT
// The style sheet's half of the validation pass: attribute sets, styles, tables and frame formats.

#include "epub/css/StyleSheet.h"

#include <algorithm>

namespace EPub {

using namespace Text;

namespace {

void AddOnce(std::vector<StringT>& messages, std::string_view text) {
    StringT message = LocaliseValidationMessage(text);
    if (std::ranges::find(messages, message) == messages.end())
        messages.push_back(std::move(message));
}

void CheckFill(const Counted<const Render::FillDescriptor>& fill, std::string_view text,
               std::vector<StringT>& messages) {
    if (IsUnsupportedFill(fill.get()))
        AddOnce(messages, text);
}

// Only a border that is drawn can be drawn wrongly.
void CheckBorder(const BorderFormat& border, std::vector<StringT>& messages) {
    if (!border.IsVisible())
        return;
    if (IsUnsupportedLineStyle(border.lineStyle.get()))
        AddOnce(messages, "Unsupported cell stroke");
    CheckFill(border.fill, "Unsupported cell pen", messages);
}

void CheckCell(const CellFormat& cell, std::vector<StringT>& messages) {
    CheckFill(cell.fill, "Unsupported cell brush", messages);
    for (const BorderFormat& border : cell.borders)
        CheckBorder(border, messages);
}

} // namespace

ValidationMessages StyleSheet::ValidateParagraphAtts(const Consolidated<ParagraphAtts>& atts,
                                                     bool checkLocal) const {
    if (!atts || !checkLocal)
        return {};
    UnsupportedPropertyVisitor visitor(*settings_);
    const Text::StyleSheet* sheet = SheetOf(atts->GetStyleName());
    if (!sheet)
        sheet = settings_->styles.get();
    if (!sheet) {
        // Without styles everything the set holds is local; it stores no defaults.
        visitor.VisitParagraph(atts->GetSet());
    } else if (const auto local = sheet->MakeLocalParagraphFormatting(*atts)) {
        visitor.VisitParagraph(local->GetParagraph());
    }
    return visitor.TakeMessages();
}

ValidationMessages StyleSheet::ValidateGlyphAtts(const Consolidated<GlyphAtts>& atts,
                                                 const Counted<const Style>& paragraphStyle,
                                                 bool checkLocal) const {
    if (!atts || !checkLocal)
        return {};
    UnsupportedPropertyVisitor visitor(*settings_);
    const StringT styleName = paragraphStyle ? paragraphStyle->GetName() : StringT();
    const Text::StyleSheet* sheet = SheetOf(styleName);
    if (!sheet)
        sheet = settings_->styles.get();
    if (!sheet) {
        visitor.VisitGlyph(atts->GetSet());
        return visitor.TakeMessages();
    }
    // The same base the override classes are described against.
    const Counted<const Delta> local =
        settings_->defaultGlyphAtts
            ? sheet->MakeLocalGlyphFormatting(*atts, styleName, *settings_->defaultGlyphAtts)
            : sheet->MakeLocalGlyphFormatting(*atts, styleName);
    if (local)
        visitor.VisitGlyph(local->GetGlyph());
    return visitor.TakeMessages();
}

ValidationMessages StyleSheet::ValidateStyle(const Counted<const Style>& style) const {
    if (!style || !style->GetDelta())
        return {};
    UnsupportedPropertyVisitor visitor(*settings_);
    if (style->IsParagraphStyle())
        visitor.VisitParagraph(style->GetDelta()->GetParagraph());
    visitor.VisitGlyph(style->GetDelta()->GetGlyph());
    return visitor.TakeMessages();
}

void StyleSheet::ValidateTable(const Table& table, const TableSize& size,
                               std::vector<StringT>& messages) const {
    // A size beyond the table's own has no cells to look at.
    const int32_t rows = std::min(size.rows, table.GetSize().rows);
    const int32_t columns = std::min(size.columns, table.GetSize().columns);
    for (int32_t row = 0; row < rows; ++row)
        for (int32_t column = 0; column < columns; ++column)
            if (table.GetMerged(column, row).columns > 0)
                CheckCell(table.GetEffectiveCellFormat(column, row), messages);
}

std::vector<StringT> StyleSheet::ValidateTableFormat(const Counted<const TableFormat>& format,
                                                     const TableSize& size) const {
    std::vector<StringT> messages;
    if (!format || size.rows <= 0 || size.columns <= 0)
        return messages;
    const TableFormatSettings& s = format->GetSettings();
    CheckFill(s.cellFill, "Unsupported cell brush", messages);
    CheckFill(s.headerFill, "Unsupported cell brush", messages);
    CheckFill(s.footerFill, "Unsupported cell brush", messages);
    if (size.rows > 1)
        CheckFill(s.alternateRowFill, "Unsupported cell brush", messages);
    CheckBorder(s.outer, messages);
    if (size.rows > 1)
        CheckBorder(s.innerHorizontal, messages);
    if (size.columns > 1)
        CheckBorder(s.innerVertical, messages);
    return messages;
}

std::vector<StringT>
StyleSheet::ValidateFrameFormat(const Counted<const Render::FillDescriptor>& background,
                                const Counted<const Render::FillDescriptor>& strokeFill,
                                const Counted<const Render::LineStyleDescriptor>& stroke) const {
    std::vector<StringT> messages;
    CheckFill(background, "Unsupported brush", messages);
    // The same test that decides whether the frame's class gets a border at all.
    if (Render::IsLineStyleVisible(stroke.get()) && Render::IsFillVisible(strokeFill.get(), 0.01)) {
        CheckFill(strokeFill, "Unsupported pen", messages);
        if (IsUnsupportedLineStyle(stroke.get()))
            AddOnce(messages, "Unsupported linestyle");
    }
    return messages;
}

} // namespace EPub

// SPDX-License-Identifier: MIT
#include "epub/css/UnsupportedPropertyVisitor.h"

#include "epub/css/CssDescriber.h"

#include "host/foundation/LocalisedString.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace EPub {

using namespace Text;

namespace {

enum class Condition : uint8_t {
    NotDefault,     // any value but the catalogue default
    LeadingModeCSS, // a leading mode that line-height cannot stand for
};

struct NumberRow {
    AttCategory category;
    AttKind kind;
    AttId id;
    bool ExportSettings::*report;
    std::string_view message;
    Condition condition = Condition::NotDefault;
};

constexpr AttCategory P = AttCategory::Paragraph;
constexpr AttCategory G = AttCategory::Glyph;
constexpr AttKind I = AttKind::Integer;
constexpr AttKind D = AttKind::Double;

// The misspellings are the messages' own, which translations are keyed on.
constexpr std::array<NumberRow, 25> kNumberRows{{
    {G, D, GlyphDouble::ManualKerning, &ExportSettings::reportKerning,
     "Unsupported manual kerning"},
    {G, D, GlyphDouble::HorizontalScale, &ExportSettings::reportScaleShear, "Unsupported scale"},
    {G, D, GlyphDouble::VerticalScale, &ExportSettings::reportScaleShear, "Unsupported scale"},
    {G, D, GlyphDouble::Shear, &ExportSettings::reportScaleShear, "Unsupported shear"},
    {G, D, GlyphDouble::Leading, &ExportSettings::reportLeading, "Unsupported absolute leading"},
    {P, I, ParaInt::LeadingMode, &ExportSettings::reportLeading, "Unsupported leading",
     Condition::LeadingModeCSS},
    {P, I, ParaInt::KeepWithPrevious, &ExportSettings::reportKeepOptions,
     "Unsupported keep with previous"},
    {P, I, ParaInt::KeepWithNext, &ExportSettings::reportKeepOptions, "Unsupported keep with next"},
    {P, I, ParaInt::HyphenMinWordLength, &ExportSettings::reportHyphenation,
     "Unsupported hyphenation min length"},
    {P, I, ParaInt::HyphenMinPrefix, &ExportSettings::reportHyphenation,
     "Unsupported hyphenation min prefix"},
    {P, I, ParaInt::HyphenMinSuffix, &ExportSettings::reportHyphenation,
     "Unsupported hyphenation min suffix"},
    {P, I, ParaInt::HyphenMaxConsecutive, &ExportSettings::reportHyphenation,
     "Unsupported max consecutive hyphens"},
    {P, D, ParaDouble::DefaultTabStop, &ExportSettings::reportTabStops, "Unsupported tab stops"},
    {P, D, ParaDouble::WordSpacingMin, &ExportSettings::reportSpacing, "Unsupported word spacing"},
    {P, D, ParaDouble::WordSpacingDesired, &ExportSettings::reportSpacing,
     "Unsupported word spacing"},
    {P, D, ParaDouble::WordSpacingMax, &ExportSettings::reportSpacing, "Unsupported word spacing"},
    {P, D, ParaDouble::LetterSpacingMin, &ExportSettings::reportSpacing,
     "Unsupported letter spacing"},
    {P, D, ParaDouble::LetterSpacingDesired, &ExportSettings::reportSpacing,
     "Unsupported letter spacing"},
    {P, D, ParaDouble::LetterSpacingMax, &ExportSettings::reportSpacing,
     "Unsupported letter spacing"},
    {P, D, ParaDouble::HyphenationScore, &ExportSettings::reportHyphenation,
     "Unsupported hyphentation score"},
    {P, D, ParaDouble::HyphenationZone, &ExportSettings::reportHyphenation,
     "Unsupported hyphentation zone"},
    {P, D, ParaDouble::HyphenationZoneCapitals, &ExportSettings::reportHyphenation,
     "Unsupported hyphentation zone capitals"},
    {P, D, ParaDouble::HyphenationZoneParagraphEnd, &ExportSettings::reportHyphenation,
     "Unsupported hyphenation zone paragraph end"},
    {P, D, ParaDouble::HyphenationZoneColumnEnd, &ExportSettings::reportHyphenation,
     "Unsupported hyphenation zone column end"},
    {P, D, ParaDouble::LastLineOutdent, &ExportSettings::reportLastLineOutdent,
     "Unsupported last line outdent"},
}};

const NumberRow* FindRow(AttCategory category, AttKind kind, AttId id) {
    const auto it = std::ranges::find_if(kNumberRows, [&](const NumberRow& row) {
        return row.category == category && row.kind == kind && row.id == id;
    });
    return it == kNumberRows.end() ? nullptr : &*it;
}

// Proportional modes become a line-height number and "exactly" a line-height length; "at least"
// has no CSS counterpart.
bool IsLeadingModeExpressible(int32_t mode) {
    return mode == LeadingMode::Default || mode == LeadingMode::Proportional ||
           mode == LeadingMode::Exactly || mode == LeadingMode::ProportionalToFont;
}

bool IsRaised(const NumberRow& row, const AttEntry& entry) {
    if (row.condition == Condition::LeadingModeCSS)
        return !IsLeadingModeExpressible(entry.GetInt());
    if (row.kind == AttKind::Integer)
        return entry.GetInt() != GetDefaultInt(row.category, row.id);
    return entry.GetDouble() != GetDefaultDouble(row.category, row.id);
}

TextStyleCategory CategoryOf(AttCategory category) {
    return category == AttCategory::Paragraph ? TextStyleCategory::Paragraph
                                              : TextStyleCategory::Character;
}

const Render::FillDescriptor* FillOf(const AttEntry& entry) {
    const auto* fill = entry.GetObjectAs<FillAtt>();
    return fill ? fill->GetFill().get() : nullptr;
}

} // namespace

StringT LocaliseValidationMessage(std::string_view text) {
    return Foundation::LocalisedString(StringT(text), "Flowing EPUB Errors").ToString();
}

bool IsUnsupportedFill(const Render::FillDescriptor* fill) {
    return Render::IsFillVisible(fill) && !(fill->IsSolid() && fill->GetColour());
}

bool IsUnsupportedLineStyle(const Render::LineStyleDescriptor* stroke) {
    return Render::IsLineStyleVisible(stroke) && stroke->Dash() == Render::DashKind::Custom &&
           !stroke->Pattern().empty();
}

void UnsupportedPropertyVisitor::Visit(const Delta& delta) {
    VisitParagraph(delta.GetParagraph());
    VisitGlyph(delta.GetGlyph());
}

void UnsupportedPropertyVisitor::VisitParagraph(const AttributeSet& atts) {
    for (const AttEntry& entry : atts) {
        if (entry.kind() == AttKind::Object)
            VisitParagraphObject(entry);
        else
            VisitNumber(AttCategory::Paragraph, entry);
    }
}

void UnsupportedPropertyVisitor::VisitGlyph(const AttributeSet& atts) {
    for (const AttEntry& entry : atts) {
        if (entry.kind() == AttKind::Object)
            VisitGlyphObject(entry);
        else
            VisitNumber(AttCategory::Glyph, entry);
    }
}

// Lengths and sizes beyond what a page holds are clamped in the CSS; the document asked for
// something else.
bool IsOutOfBounds(AttCategory category, const AttEntry& entry, double pointScale) {
    if (entry.kind() != AttKind::Double)
        return false;
    static constexpr std::array<AttId, 6> kLengths{
        ParaDouble::LeftIndent,  ParaDouble::RightIndent, ParaDouble::FirstLineIndent,
        ParaDouble::SpaceBefore, ParaDouble::SpaceAfter,  ParaDouble::Leading};
    const bool measured = category == AttCategory::Paragraph
                              ? std::ranges::find(kLengths, entry.id) != kLengths.end()
                              : entry.id == GlyphDouble::Size;
    const double points = entry.GetDouble() * pointScale;
    return measured && !(std::fabs(points) <= CssDescriber::kMaxPoints);
}

void UnsupportedPropertyVisitor::VisitNumber(AttCategory category, const AttEntry& entry) {
    if (entry.kind() != AttKind::Integer && entry.kind() != AttKind::Double)
        return;
    if (IsOutOfBounds(category, entry, 72.0 / settings_.GetResolution()))
        Report(true,
               category == AttCategory::Paragraph ? "Unsupported length" : "Unsupported font size",
               CategoryOf(category));
    const NumberRow* row = FindRow(category, entry.kind(), entry.id);
    if (row && IsRaised(*row, entry))
        Report(settings_.*(row->report), row->message, CategoryOf(category));
}

void UnsupportedPropertyVisitor::VisitParagraphObject(const AttEntry& entry) {
    constexpr auto kParagraph = TextStyleCategory::Paragraph;
    switch (entry.id) {
    case ParaObject::TabStops:
        if (const auto* tabs = entry.GetObjectAs<TabStopsAtt>(); tabs && !tabs->GetStops().empty())
            Report(settings_.reportTabStops, "Unsupported tab stops", kParagraph);
        break;
    case ParaObject::Decorations:
        if (const auto* decorations = entry.GetObjectAs<DecorationsAtt>())
            VisitDecorations(*decorations);
        break;
    default:
        break;
    }
}

void UnsupportedPropertyVisitor::VisitDecorations(const DecorationsAtt& decorations) {
    if (!decorations.IsEnabled())
        return;
    constexpr auto kParagraph = TextStyleCategory::Paragraph;
    const bool report = settings_.reportDecorations;
    for (const Decoration& d : decorations.GetDecorations()) {
        if (!d.IsDrawn())
            continue;
        if (IsUnsupportedFill(d.background.get()))
            Report(report, "Unsupported decoration fill", kParagraph);
        if (d.HasVisibleStroke()) {
            if (IsUnsupportedFill(d.penFill.get()))
                Report(report, "Unsupported decoration pen", kParagraph);
            if (IsUnsupportedLineStyle(d.lineStyle.get()))
                Report(report, "Unsupported decoration line style", kParagraph);
        }
        // Colours carry their own alpha into CSS; a decoration-wide opacity has nowhere to go.
        if (d.opacity < 1)
            Report(report, "Unsupported decoration transparency", kParagraph);
    }
}

void UnsupportedPropertyVisitor::VisitGlyphObject(const AttEntry& entry) {
    constexpr auto kCharacter = TextStyleCategory::Character;
    switch (entry.id) {
    case GlyphObject::TextFill:
        if (IsUnsupportedFill(FillOf(entry)))
            Report(settings_.reportFills, "Unsupported fill", kCharacter);
        break;
    case GlyphObject::HighlightFill:
        if (IsUnsupportedFill(FillOf(entry)))
            Report(settings_.reportFills, "Unsupported highlight", kCharacter);
        break;
    case GlyphObject::UnderlineFill:
        if (IsUnsupportedFill(FillOf(entry)))
            Report(settings_.reportFills, "Unsupported underline fill", kCharacter);
        break;
    case GlyphObject::StrikethroughFill:
        if (IsUnsupportedFill(FillOf(entry)))
            Report(settings_.reportFills, "Unsupported strikeout fill", kCharacter);
        break;
    case GlyphObject::OutlineFill:
        if (Render::IsFillVisible(FillOf(entry)))
            Report(settings_.reportFills, "Unsupported outline", kCharacter);
        break;
    case GlyphObject::OutlineStroke:
        if (const auto* stroke = entry.GetObjectAs<LineStyleAtt>();
            stroke && Render::IsLineStyleVisible(stroke->GetLineStyle().get()))
            Report(settings_.reportFills, "Unsupported outline", kCharacter);
        break;
    case GlyphObject::Transparency:
        if (Render::IsFillVisible(FillOf(entry)))
            Report(settings_.reportTransparency, "Unsupported transparency", kCharacter);
        break;
    case GlyphObject::OpticalAlignment:
        if (const auto* optical = entry.GetObjectAs<OpticalAlignmentAtt>();
            optical && !optical->GetHangs().empty())
            Report(settings_.reportOpticalAlignment, "Unsupported optical alignment", kCharacter);
        break;
    case GlyphObject::ColourEffect:
        if (entry.GetObjectAs<ColourEffectAtt>())
            Report(settings_.reportColourEffects, "Unsupported colour effect", kCharacter);
        break;
    default:
        break;
    }
}

void UnsupportedPropertyVisitor::Report(bool enabled, std::string_view text,
                                        TextStyleCategory category) {
    if (!enabled)
        return;
    StringT message = LocaliseValidationMessage(text);
    if (std::ranges::find(messages_, message, &ValidationMessage::text) != messages_.end())
        return;
    messages_.push_back({std::move(message), category});
}

} // namespace EPub

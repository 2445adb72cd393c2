// SPDX-License-Identifier: MIT
#include "host/text/AttributeIds.h"

#include <algorithm>
#include <array>
#include <tuple>

namespace Text {

namespace {

using enum AttCategory;
using enum AttKind;

constexpr std::array kCatalogue{
    AttInfo{Paragraph, Integer, ParaInt::Alignment, "alignment", 0},
    AttInfo{Paragraph, Integer, ParaInt::LeadingMode, "leadingMode", 0},
    AttInfo{Paragraph, Integer, ParaInt::StartPosition, "startPosition", 0},
    AttInfo{Paragraph, Integer, ParaInt::KeepLinesTogether, "keepLinesTogether", 0},
    AttInfo{Paragraph, Integer, ParaInt::KeepWithNext, "keepWithNext", 0},
    AttInfo{Paragraph, Integer, ParaInt::KeepWithPrevious, "keepWithPrevious", 0},
    AttInfo{Paragraph, Integer, ParaInt::Widows, "widows", 0},
    AttInfo{Paragraph, Integer, ParaInt::Orphans, "orphans", 0},
    AttInfo{Paragraph, Integer, ParaInt::Hyphenate, "hyphenate", 1},
    AttInfo{Paragraph, Integer, ParaInt::HyphenMinWordLength, "hyphenMinWordLength", 6},
    AttInfo{Paragraph, Integer, ParaInt::HyphenMinPrefix, "hyphenMinPrefix", 2},
    AttInfo{Paragraph, Integer, ParaInt::HyphenMinSuffix, "hyphenMinSuffix", 2},
    AttInfo{Paragraph, Integer, ParaInt::HyphenMaxConsecutive, "hyphenMaxConsecutive", 0},
    AttInfo{Paragraph, Integer, ParaInt::TopOfFlowSpacing, "topOfFlowSpacing", 0},
    AttInfo{Paragraph, Integer, ParaInt::Index, "index", 0},
    AttInfo{Paragraph, Integer, ParaInt::UseSameStyleSpacing, "useSameStyleSpacing", 0},
    AttInfo{Paragraph, Integer, ParaInt::AddSpacing, "addSpacing", 0},
    AttInfo{Paragraph, Integer, ParaInt::Direction, "direction", 0},
    AttInfo{Paragraph, Double, ParaDouble::LineSpacing, "lineSpacing", 1},
    AttInfo{Paragraph, Double, ParaDouble::Leading, "leading", 0},
    AttInfo{Paragraph, Double, ParaDouble::LeftIndent, "leftIndent", 0},
    AttInfo{Paragraph, Double, ParaDouble::RightIndent, "rightIndent", 0},
    AttInfo{Paragraph, Double, ParaDouble::FirstLineIndent, "firstLineIndent", 0},
    AttInfo{Paragraph, Double, ParaDouble::SpaceBefore, "spaceBefore", 0},
    AttInfo{Paragraph, Double, ParaDouble::SpaceAfter, "spaceAfter", 0},
    AttInfo{Paragraph, Double, ParaDouble::SameStyleSpacing, "sameStyleSpacing", 0},
    AttInfo{Paragraph, Double, ParaDouble::WordSpacingMin, "wordSpacingMin", 0.8},
    AttInfo{Paragraph, Double, ParaDouble::WordSpacingDesired, "wordSpacingDesired", 1},
    AttInfo{Paragraph, Double, ParaDouble::WordSpacingMax, "wordSpacingMax", 1.33},
    AttInfo{Paragraph, Double, ParaDouble::LetterSpacingMin, "letterSpacingMin", 0},
    AttInfo{Paragraph, Double, ParaDouble::LetterSpacingDesired, "letterSpacingDesired", 0},
    AttInfo{Paragraph, Double, ParaDouble::LetterSpacingMax, "letterSpacingMax", 0},
    AttInfo{Paragraph, Double, ParaDouble::HyphenationScore, "hyphenationScore", 0},
    AttInfo{Paragraph, Double, ParaDouble::HyphenationZone, "hyphenationZone", 0},
    AttInfo{Paragraph, Double, ParaDouble::HyphenationZoneCapitals, "hyphenationZoneCapitals", 0},
    AttInfo{Paragraph, Double, ParaDouble::HyphenationZoneParagraphEnd,
            "hyphenationZoneParagraphEnd", 0},
    AttInfo{Paragraph, Double, ParaDouble::HyphenationZoneColumnEnd, "hyphenationZoneColumnEnd", 0},
    AttInfo{Paragraph, Double, ParaDouble::LastLineOutdent, "lastLineOutdent", 0},
    AttInfo{Paragraph, Double, ParaDouble::DefaultTabStop, "defaultTabStop", 0},
    AttInfo{Paragraph, String, ParaStr::StyleName, "styleName", 0},
    AttInfo{Paragraph, Object, ParaObject::List, "list", 0},
    AttInfo{Paragraph, Object, ParaObject::Decorations, "decorations", 0},
    AttInfo{Paragraph, Object, ParaObject::DropCap, "dropCap", 0},
    AttInfo{Paragraph, Object, ParaObject::AutoFormat, "autoFormat", 0},
    AttInfo{Paragraph, Object, ParaObject::TabStops, "tabStops", 0},
    AttInfo{Paragraph, Object, ParaObject::TableOfContents, "tableOfContents", 0},
    AttInfo{Glyph, Integer, GlyphInt::Underline, "underline", 0},
    AttInfo{Glyph, Integer, GlyphInt::Strikethrough, "strikethrough", 0},
    AttInfo{Glyph, Integer, GlyphInt::BaselinePosition, "baselinePosition", 0},
    AttInfo{Glyph, Integer, GlyphInt::AutoKerning, "autoKerning", 1},
    AttInfo{Glyph, Integer, GlyphInt::FontWeight, "fontWeight", 400},
    AttInfo{Glyph, Integer, GlyphInt::FontStyle, "fontStyle", 0},
    AttInfo{Glyph, Integer, GlyphInt::FontStretch, "fontStretch", 5},
    AttInfo{Glyph, Integer, GlyphInt::NoBreak, "noBreak", 0},
    AttInfo{Glyph, Integer, GlyphInt::TocPageNumber, "tocPageNumber", 0},
    AttInfo{Glyph, Integer, GlyphInt::Overline, "overline", 0},
    AttInfo{Glyph, Double, GlyphDouble::Size, "size", 12},
    AttInfo{Glyph, Double, GlyphDouble::Leading, "leading", 0},
    AttInfo{Glyph, Double, GlyphDouble::Tracking, "tracking", 0},
    AttInfo{Glyph, Double, GlyphDouble::ManualKerning, "manualKerning", 0},
    AttInfo{Glyph, Double, GlyphDouble::BaselineShift, "baselineShift", 0},
    AttInfo{Glyph, Double, GlyphDouble::HorizontalScale, "horizontalScale", 1},
    AttInfo{Glyph, Double, GlyphDouble::VerticalScale, "verticalScale", 1},
    AttInfo{Glyph, Double, GlyphDouble::Shear, "shear", 0},
    AttInfo{Glyph, String, GlyphStr::CharacterStyleName, "characterStyleName", 0},
    AttInfo{Glyph, String, GlyphStr::FontFamily, "fontFamily", 0},
    AttInfo{Glyph, String, GlyphStr::MathML, "mathML", 0},
    AttInfo{Glyph, Object, GlyphObject::TextFill, "textFill", 0},
    AttInfo{Glyph, Object, GlyphObject::HighlightFill, "highlightFill", 0},
    AttInfo{Glyph, Object, GlyphObject::UnderlineFill, "underlineFill", 0},
    AttInfo{Glyph, Object, GlyphObject::StrikethroughFill, "strikethroughFill", 0},
    AttInfo{Glyph, Object, GlyphObject::OutlineFill, "outlineFill", 0},
    AttInfo{Glyph, Object, GlyphObject::OutlineStroke, "outlineStroke", 0},
    AttInfo{Glyph, Object, GlyphObject::Transparency, "transparency", 0},
    AttInfo{Glyph, Object, GlyphObject::OpticalAlignment, "opticalAlignment", 0},
    AttInfo{Glyph, Object, GlyphObject::ColourEffect, "colourEffect", 0},
    AttInfo{Glyph, Object, GlyphObject::FontColourPalette, "fontColourPalette", 0},
    AttInfo{Glyph, Object, GlyphObject::Hyperlink, "hyperlink", 0},
    AttInfo{Glyph, Object, GlyphObject::OpenType, "openType", 0},
    AttInfo{Glyph, Object, GlyphObject::Language, "language", 0},
};

constexpr auto Key(const AttInfo& a) {
    return std::tuple(a.category, a.kind, a.id);
}

static_assert(std::is_sorted(kCatalogue.begin(), kCatalogue.end(),
                             [](const AttInfo& a, const AttInfo& b) { return Key(a) < Key(b); }),
              "the catalogue is searched by binary search");

} // namespace

std::span<const AttInfo> GetAttCatalogue() {
    return kCatalogue;
}

const AttInfo* FindAttInfo(AttCategory category, AttKind kind, AttId id) {
    const auto key = std::tuple(category, kind, id);
    auto it = std::lower_bound(kCatalogue.begin(), kCatalogue.end(), key,
                               [](const AttInfo& a, const auto& k) { return Key(a) < k; });
    return it != kCatalogue.end() && Key(*it) == key ? &*it : nullptr;
}

const AttInfo* FindAttInfo(AttCategory category, std::string_view name) {
    for (const AttInfo& info : kCatalogue)
        if (info.category == category && info.name == name)
            return &info;
    return nullptr;
}

int32_t GetDefaultInt(AttCategory category, AttId id) {
    const AttInfo* info = FindAttInfo(category, AttKind::Integer, id);
    return info ? static_cast<int32_t>(info->defaultValue) : 0;
}

double GetDefaultDouble(AttCategory category, AttId id) {
    const AttInfo* info = FindAttInfo(category, AttKind::Double, id);
    return info ? info->defaultValue : 0.0;
}

} // namespace Text

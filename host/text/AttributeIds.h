// SPDX-License-Identifier: MIT
#pragma once
// The attribute catalogue of the text model: every paragraph and glyph attribute, its identifier,
// its name and its default. Identifiers are counted per category and kind, so paragraph integer
// attribute 2 and paragraph object attribute 2 are different attributes. An attribute set never
// stores a default value: absence means the default below.

#include <cstdint>
#include <span>
#include <string_view>

namespace Text {

using AttId = uint16_t;

enum class AttCategory : uint8_t { Paragraph, Glyph };
// The order matches the alternatives of AttValue.
enum class AttKind : uint8_t { Integer, Double, String, Object };

// Paragraph attributes. Lengths are in document units.
namespace ParaInt {
inline constexpr AttId Alignment = 0;     // values in Text::Alignment
inline constexpr AttId LeadingMode = 1;   // values in Text::LeadingMode
inline constexpr AttId StartPosition = 2; // break before the paragraph, Text::StartPosition
inline constexpr AttId KeepLinesTogether = 3;
inline constexpr AttId KeepWithNext = 4;
inline constexpr AttId KeepWithPrevious = 5;
inline constexpr AttId Widows = 6;
inline constexpr AttId Orphans = 7;
inline constexpr AttId Hyphenate = 8; // default on
inline constexpr AttId HyphenMinWordLength = 9;
inline constexpr AttId HyphenMinPrefix = 10;
inline constexpr AttId HyphenMinSuffix = 11;
inline constexpr AttId HyphenMaxConsecutive = 12; // 0 = unlimited
inline constexpr AttId TopOfFlowSpacing = 13;     // values in Text::TopOfFlowSpacing
inline constexpr AttId Index = 14;                // non-zero: the paragraph belongs to an index
inline constexpr AttId UseSameStyleSpacing = 15;
inline constexpr AttId AddSpacing = 16; // space before and after add up instead of overlapping
inline constexpr AttId Direction = 17;  // values in Text::Direction
} // namespace ParaInt

namespace ParaDouble {
inline constexpr AttId LineSpacing = 0; // proportional, default 1
inline constexpr AttId Leading = 1;     // absolute, used when the leading mode asks for it
inline constexpr AttId LeftIndent = 2;
inline constexpr AttId RightIndent = 3;
inline constexpr AttId FirstLineIndent = 4; // measured like the left indent, from the frame edge
inline constexpr AttId SpaceBefore = 5;
inline constexpr AttId SpaceAfter = 6;
inline constexpr AttId SameStyleSpacing = 7;
inline constexpr AttId WordSpacingMin = 8;
inline constexpr AttId WordSpacingDesired = 9;
inline constexpr AttId WordSpacingMax = 10;
inline constexpr AttId LetterSpacingMin = 11;
inline constexpr AttId LetterSpacingDesired = 12;
inline constexpr AttId LetterSpacingMax = 13;
inline constexpr AttId HyphenationScore = 14;
inline constexpr AttId HyphenationZone = 15;
inline constexpr AttId HyphenationZoneCapitals = 16;
inline constexpr AttId HyphenationZoneParagraphEnd = 17;
inline constexpr AttId HyphenationZoneColumnEnd = 18;
inline constexpr AttId LastLineOutdent = 19;
inline constexpr AttId DefaultTabStop = 20;
} // namespace ParaDouble

namespace ParaStr {
inline constexpr AttId StyleName = 0;
} // namespace ParaStr

namespace ParaObject {
inline constexpr AttId List = 0;            // ListAtt
inline constexpr AttId Decorations = 1;     // DecorationsAtt
inline constexpr AttId DropCap = 2;         // DropCapAtt
inline constexpr AttId AutoFormat = 3;      // AutoFormatAtt
inline constexpr AttId TabStops = 4;        // TabStopsAtt
inline constexpr AttId TableOfContents = 5; // TocAtt
} // namespace ParaObject

// Glyph (character) attributes.
namespace GlyphInt {
inline constexpr AttId Underline = 0;        // values in Text::LineKind
inline constexpr AttId Strikethrough = 1;    // values in Text::LineKind
inline constexpr AttId BaselinePosition = 2; // values in Text::BaselinePosition
inline constexpr AttId AutoKerning = 3;      // default on
inline constexpr AttId FontWeight = 4;       // 100..900, default 400
inline constexpr AttId FontStyle = 5;        // values in Text::FontStyle
inline constexpr AttId FontStretch = 6;      // 1..9, default 5
inline constexpr AttId NoBreak = 7;
inline constexpr AttId TocPageNumber = 9; // 1: the run is a page number of a table of contents
inline constexpr AttId Overline = 10;     // values in Text::LineKind
} // namespace GlyphInt

namespace GlyphDouble {
inline constexpr AttId Size = 0;     // font size; inline objects such as image bullets scale by it
inline constexpr AttId Leading = 1;  // absolute leading
inline constexpr AttId Tracking = 2; // in ems
inline constexpr AttId ManualKerning = 3; // in ems
inline constexpr AttId BaselineShift = 4;
inline constexpr AttId HorizontalScale = 5; // default 1
inline constexpr AttId VerticalScale = 6;   // default 1
inline constexpr AttId Shear = 7;           // degrees
} // namespace GlyphDouble

namespace GlyphStr {
inline constexpr AttId CharacterStyleName = 0;
inline constexpr AttId FontFamily = 1;
// An equation as presentation MathML (a <math> element); the run's text is its linear form,
// which layout, search and plain-text output use.
inline constexpr AttId MathML = 2;
} // namespace GlyphStr

namespace GlyphObject {
inline constexpr AttId TextFill = 0;          // FillAtt
inline constexpr AttId HighlightFill = 1;     // FillAtt
inline constexpr AttId UnderlineFill = 2;     // FillAtt
inline constexpr AttId StrikethroughFill = 3; // FillAtt
inline constexpr AttId OutlineFill = 4;       // FillAtt
inline constexpr AttId OutlineStroke = 5;     // LineStyleAtt
inline constexpr AttId Transparency = 6;      // FillAtt
inline constexpr AttId OpticalAlignment = 7;  // OpticalAlignmentAtt
inline constexpr AttId ColourEffect = 8;      // ColourEffectAtt
inline constexpr AttId FontColourPalette = 9; // FontColourPaletteAtt
inline constexpr AttId Hyperlink = 10;        // HyperlinkAtt
inline constexpr AttId OpenType = 11;         // OpenTypeAtt
inline constexpr AttId Language = 12;         // Language (spelling language)
} // namespace GlyphObject

// Values of the enumerated integer attributes.
namespace Alignment {
inline constexpr int32_t Left = 0, Centre = 1, Right = 2, Justify = 3, JustifyCentre = 4,
                         JustifyRight = 5, JustifyAll = 6, TowardsSpine = 7, Start = 8, Natural = 9;
}
namespace LeadingMode {
// Proportional modes use ParaDouble::LineSpacing; the others ParaDouble::Leading.
inline constexpr int32_t Default = 0, Proportional = 1, Exactly = 2, AtLeast = 3,
                         ProportionalToFont = 4;
} // namespace LeadingMode
namespace StartPosition {
// 5 to 8 start a new page and so a new content document.
inline constexpr int32_t Anywhere = 0, NextLine = 1, RunIn = 2, NextFrame = 3, NextColumn = 4,
                         NextPage = 5, NextOddPage = 6, NextEvenPage = 7, NextSection = 8,
                         NextSpread = 9;
inline constexpr bool IsPageLevel(int32_t v) {
    return v >= NextPage && v <= NextSection;
}
} // namespace StartPosition
namespace TopOfFlowSpacing {
inline constexpr int32_t Remove = 0, Keep = 1, KeepUnlessShared = 2;
}
namespace Direction {
// Natural: the direction of the paragraph's first strong character, as reading systems decide.
inline constexpr int32_t Natural = 0, LeftToRight = 1, RightToLeft = 2;
} // namespace Direction
namespace LineKind {
inline constexpr int32_t None = 0, Single = 1, Double = 2;
}
namespace BaselinePosition {
inline constexpr int32_t Normal = 0, Superscript = 1, Subscript = 2;
}
namespace FontStyle {
inline constexpr int32_t Upright = 0, Italic = 1, Oblique = 2;
}

struct AttInfo {
    AttCategory category;
    AttKind kind;
    AttId id;
    std::string_view name; // lower camel case, as the JSON story format spells it
    double defaultValue;   // integers and doubles; strings default to "" and objects to none
};

// Every catalogued attribute, ordered by category, kind and identifier.
std::span<const AttInfo> GetAttCatalogue();
const AttInfo* FindAttInfo(AttCategory category, AttKind kind, AttId id);
const AttInfo* FindAttInfo(AttCategory category, std::string_view name);

// Defaults of uncatalogued identifiers are 0.
int32_t GetDefaultInt(AttCategory category, AttId id);
double GetDefaultDouble(AttCategory category, AttId id);

} // namespace Text

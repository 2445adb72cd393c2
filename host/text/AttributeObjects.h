// SPDX-License-Identifier: MIT
#pragma once
// Structured attribute values: fills and strokes, OpenType features, tab stops, paragraph
// decorations, drop caps, automatic formatting, table-of-contents marks, colour palettes and
// effects. Lists, notes, hyperlinks and languages have headers of their own.

#include "host/render/Colour.h"
#include "host/render/Fill.h"
#include "host/render/LineStyle.h"
#include "host/text/AttributeSet.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Text {

class StoryPos;
class StoryRange;

// Compares by the derived type's operator==.
template <class Derived> class ValueAtt : public AttObject {
public:
    bool Equals(const AttObject& other) const override {
        return static_cast<const Derived&>(*this) == static_cast<const Derived&>(other);
    }
};

class FillAtt final : public ValueAtt<FillAtt> {
public:
    static Counted<const FillAtt> Make(Counted<const Render::FillDescriptor> fill);
    explicit FillAtt(Counted<const Render::FillDescriptor> fill) : fill_(std::move(fill)) {}

    const Counted<const Render::FillDescriptor>& GetFill() const noexcept { return fill_; }

    size_t Hash() const override { return fill_ ? fill_->Hash() : 0; }
    friend bool operator==(const FillAtt& a, const FillAtt& b) {
        return SameValue(a.fill_, b.fill_);
    }

private:
    Counted<const Render::FillDescriptor> fill_;
};

class LineStyleAtt final : public ValueAtt<LineStyleAtt> {
public:
    static Counted<const LineStyleAtt> Make(Counted<const Render::LineStyleDescriptor> style);
    explicit LineStyleAtt(Counted<const Render::LineStyleDescriptor> style)
        : style_(std::move(style)) {}

    const Counted<const Render::LineStyleDescriptor>& GetLineStyle() const noexcept {
        return style_;
    }

    size_t Hash() const override { return style_ ? style_->Hash() : 0; }
    friend bool operator==(const LineStyleAtt& a, const LineStyleAtt& b) {
        return SameValue(a.style_, b.style_);
    }

private:
    Counted<const Render::LineStyleDescriptor> style_;
};

struct OpenTypeFeature {
    std::string tag; // four characters
    int32_t value = 1;
    friend bool operator==(const OpenTypeFeature&, const OpenTypeFeature&) = default;
};

// OpenType feature settings. In a full attribute set it lists every feature the user set; in a
// delta the features that change.
class OpenTypeAtt final : public ValueAtt<OpenTypeAtt> {
public:
    // Not a registered tag: all capitals is a case mapping the text model does itself.
    static constexpr std::string_view AllCapitals = "CAPS";
    // Likewise all small letters, and a capital at the start of each word.
    static constexpr std::string_view AllLowercase = "LOWR";
    static constexpr std::string_view Capitalised = "CAPW";

    // Sorted by tag; a later duplicate wins. Throws std::invalid_argument for a tag that is not
    // four printable ASCII characters.
    static Counted<const OpenTypeAtt> Make(std::vector<OpenTypeFeature> features);
    explicit OpenTypeAtt(std::vector<OpenTypeFeature> features);

    const std::vector<OpenTypeFeature>& GetFeatures() const noexcept { return features_; }
    std::optional<int32_t> GetValue(std::string_view tag) const;
    bool IsOn(std::string_view tag) const { return GetValue(tag) == 1; }

    size_t Hash() const override;
    friend bool operator==(const OpenTypeAtt& a, const OpenTypeAtt& b) {
        return a.features_ == b.features_;
    }

private:
    std::vector<OpenTypeFeature> features_;
};

enum class TabAlignment : int32_t { Left = 0, Centre = 1, Right = 2, Decimal = 3 };

struct TabStop {
    double position = 0;
    TabAlignment alignment = TabAlignment::Left;
    char32_t leader = 0;
    friend bool operator==(const TabStop&, const TabStop&) = default;
};

class TabStopsAtt final : public ValueAtt<TabStopsAtt> {
public:
    // Sorted by position.
    static Counted<const TabStopsAtt> Make(std::vector<TabStop> stops);
    explicit TabStopsAtt(std::vector<TabStop> stops);

    const std::vector<TabStop>& GetStops() const noexcept { return stops_; }
    Counted<const TabStopsAtt> GetScaled(double x) const;

    size_t Hash() const override;
    friend bool operator==(const TabStopsAtt& a, const TabStopsAtt& b) {
        return a.stops_ == b.stops_;
    }

private:
    std::vector<TabStop> stops_;
};

namespace DecorationSide {
inline constexpr uint8_t Left = 1, Top = 2, Right = 4, Bottom = 8, All = 15;
}

// One rule or box drawn around a paragraph.
struct Decoration {
    bool enabled = true;
    uint8_t sides = 0; // DecorationSide bits
    Counted<const Render::FillDescriptor> penFill;
    Counted<const Render::LineStyleDescriptor> lineStyle;
    Counted<const Render::FillDescriptor> background;
    double opacity = 1;

    bool HasSide(uint8_t side) const noexcept { return (sides & side) != 0; }
    bool HasVisibleStroke() const;
    bool HasVisibleBackground() const;
    // Enabled and painting something: a stroked side or a background.
    bool IsDrawn() const;
    friend bool operator==(const Decoration& a, const Decoration& b);
};

class DecorationsAtt final : public ValueAtt<DecorationsAtt> {
public:
    static Counted<const DecorationsAtt> Make(std::vector<Decoration> decorations,
                                              bool enabled = true);
    DecorationsAtt(std::vector<Decoration> decorations, bool enabled)
        : decorations_(std::move(decorations)), enabled_(enabled) {}

    bool IsEnabled() const noexcept { return enabled_; }
    const std::vector<Decoration>& GetDecorations() const noexcept { return decorations_; }
    // Enabled with at least one decoration that is drawn.
    bool HasDrawn() const;

    size_t Hash() const override;
    friend bool operator==(const DecorationsAtt& a, const DecorationsAtt& b) {
        return a.enabled_ == b.enabled_ && a.decorations_ == b.decorations_;
    }

private:
    std::vector<Decoration> decorations_;
    bool enabled_;
};

class DropCapAtt final : public ValueAtt<DropCapAtt> {
public:
    static Counted<const DropCapAtt> Make(int32_t lines, int32_t characters, double distance,
                                          StringT characterStyle, bool enabled = true);
    DropCapAtt(int32_t lines, int32_t characters, double distance, StringT characterStyle,
               bool enabled);

    bool IsEnabled() const noexcept { return enabled_; }
    int32_t GetLines() const noexcept { return lines_; }           // height in lines
    int32_t GetCharacters() const noexcept { return characters_; } // how many characters drop
    double GetDistance() const noexcept { return distance_; }      // gap to the text
    const StringT& GetCharacterStyle() const noexcept { return characterStyle_; }
    // End of the dropped characters in a paragraph (never past its last character).
    StoryPos GetRangeEnd(const StoryRange& paragraph) const;

    size_t Hash() const override;
    friend bool operator==(const DropCapAtt& a, const DropCapAtt& b);

private:
    int32_t lines_;
    int32_t characters_;
    double distance_;
    StringT characterStyle_;
    bool enabled_;
};

enum class AutoFormatScope : int32_t {
    Characters = 0, // the first `count` characters
    Words = 1,      // the first `count` words
    Delimiter = 2,  // up to and including the first `delimiter` (the whole paragraph without one)
};

// A character style applied automatically to the start of a paragraph (run-in headings,
// small-capital openings).
class AutoFormatAtt final : public ValueAtt<AutoFormatAtt> {
public:
    static Counted<const AutoFormatAtt> Make(StringT characterStyle, AutoFormatScope scope,
                                             int32_t count, char32_t delimiter = 0,
                                             bool enabled = true);
    AutoFormatAtt(StringT characterStyle, AutoFormatScope scope, int32_t count, char32_t delimiter,
                  bool enabled);

    bool IsEnabled() const noexcept { return enabled_; }
    const StringT& GetCharacterStyle() const noexcept { return characterStyle_; }
    AutoFormatScope GetScope() const noexcept { return scope_; }
    int32_t GetCount() const noexcept { return count_; }
    char32_t GetDelimiter() const noexcept { return delimiter_; }
    StoryPos GetRangeEnd(const StoryRange& paragraph) const;

    size_t Hash() const override;
    friend bool operator==(const AutoFormatAtt& a, const AutoFormatAtt& b);

private:
    StringT characterStyle_;
    AutoFormatScope scope_;
    int32_t count_;
    char32_t delimiter_;
    bool enabled_;
};

namespace TocKind {
inline constexpr int32_t Contents = 1, Illustrations = 2, Tables = 3;
}

// Marks paragraphs of a generated table of contents (or list of figures or tables).
class TocAtt final : public ValueAtt<TocAtt> {
public:
    static Counted<const TocAtt> Make(int32_t kind, bool enabled = true);
    TocAtt(int32_t kind, bool enabled) : kind_(kind), enabled_(enabled) {}

    bool IsEnabled() const noexcept { return enabled_; }
    int32_t GetKind() const noexcept { return kind_; } // TocKind

    size_t Hash() const override { return static_cast<size_t>(kind_) * 2 + enabled_; }
    friend bool operator==(const TocAtt& a, const TocAtt& b) {
        return a.kind_ == b.kind_ && a.enabled_ == b.enabled_;
    }

private:
    int32_t kind_;
    bool enabled_;
};

namespace PaletteType {
inline constexpr int32_t Default = 0, Base = 1, Custom = 2;
}

struct PaletteEntry {
    int32_t index = 0;
    Counted<const Render::Colour> colour;
    friend bool operator==(const PaletteEntry& a, const PaletteEntry& b) {
        return a.index == b.index && SameValue(a.colour, b.colour);
    }
};

// The colour palette of a colour font: a base palette of the font, optionally overridden.
class FontColourPaletteAtt final : public ValueAtt<FontColourPaletteAtt> {
public:
    static Counted<const FontColourPaletteAtt> Make(int32_t paletteIndex, int32_t type,
                                                    std::vector<PaletteEntry> entries = {});
    FontColourPaletteAtt(int32_t paletteIndex, int32_t type, std::vector<PaletteEntry> entries)
        : paletteIndex_(paletteIndex), type_(type), entries_(std::move(entries)) {}

    int32_t GetPaletteIndex() const noexcept { return paletteIndex_; }
    int32_t GetType() const noexcept { return type_; } // PaletteType
    const std::vector<PaletteEntry>& GetEntries() const noexcept { return entries_; }
    bool HasEntries() const noexcept { return !entries_.empty(); }

    size_t Hash() const override;
    friend bool operator==(const FontColourPaletteAtt& a, const FontColourPaletteAtt& b) {
        return a.paletteIndex_ == b.paletteIndex_ && a.type_ == b.type_ && a.entries_ == b.entries_;
    }

private:
    int32_t paletteIndex_;
    int32_t type_;
    std::vector<PaletteEntry> entries_;
};

struct OpticalHang {
    char32_t character = 0;
    double left = 0; // fraction of the glyph hung into the margin
    double right = 0;
    friend bool operator==(const OpticalHang&, const OpticalHang&) = default;
};

class OpticalAlignmentAtt final : public ValueAtt<OpticalAlignmentAtt> {
public:
    static Counted<const OpticalAlignmentAtt> Make(std::vector<OpticalHang> hangs);
    explicit OpticalAlignmentAtt(std::vector<OpticalHang> hangs) : hangs_(std::move(hangs)) {}

    const std::vector<OpticalHang>& GetHangs() const noexcept { return hangs_; }

    size_t Hash() const override { return hangs_.size(); }
    friend bool operator==(const OpticalAlignmentAtt& a, const OpticalAlignmentAtt& b) {
        return a.hangs_ == b.hangs_;
    }

private:
    std::vector<OpticalHang> hangs_;
};

// A colour effect on text (glow, shadow, bevel...), named by kind.
class ColourEffectAtt final : public ValueAtt<ColourEffectAtt> {
public:
    static Counted<const ColourEffectAtt>
    Make(StringT kind, Counted<const Render::FillDescriptor> fill, double radius);
    ColourEffectAtt(StringT kind, Counted<const Render::FillDescriptor> fill, double radius)
        : kind_(std::move(kind)), fill_(std::move(fill)), radius_(radius) {}

    const StringT& GetKind() const noexcept { return kind_; }
    const Counted<const Render::FillDescriptor>& GetFill() const noexcept { return fill_; }
    double GetRadius() const noexcept { return radius_; }

    size_t Hash() const override { return std::hash<std::string_view>{}(kind_.view()); }
    friend bool operator==(const ColourEffectAtt& a, const ColourEffectAtt& b) {
        return a.kind_ == b.kind_ && SameValue(a.fill_, b.fill_) && a.radius_ == b.radius_;
    }

private:
    StringT kind_;
    Counted<const Render::FillDescriptor> fill_;
    double radius_;
};

} // namespace Text

// SPDX-License-Identifier: MIT
#include "host/text/AttributeObjects.h"

#include "host/text/Story.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace Text {

namespace {

// The end of a paragraph's text: before its break glyph.
StoryPos TextEnd(const StoryRange& paragraph) {
    StoryPos end = paragraph.end();
    if (end > paragraph.begin()) {
        StoryPos last = end - 1;
        if (last.GetGlyph().IsParagraphBreak())
            return last;
    }
    return end;
}

bool IsSpace(const Glyph& g) {
    const char32_t c = g.GetChar32();
    return c == U' ' || c == U'\t' || c == U'\u00A0' || c == U'\u2028' || g.IsLineBreak();
}

size_t HashFill(const Counted<const Render::FillDescriptor>& fill) {
    return fill ? fill->Hash() : 0;
}

} // namespace

Counted<const FillAtt> FillAtt::Make(Counted<const Render::FillDescriptor> fill) {
    return Foundation::MakeCounted<const FillAtt>(std::move(fill));
}

Counted<const LineStyleAtt> LineStyleAtt::Make(Counted<const Render::LineStyleDescriptor> style) {
    return Foundation::MakeCounted<const LineStyleAtt>(std::move(style));
}

Counted<const OpenTypeAtt> OpenTypeAtt::Make(std::vector<OpenTypeFeature> features) {
    return Foundation::MakeCounted<const OpenTypeAtt>(std::move(features));
}

OpenTypeAtt::OpenTypeAtt(std::vector<OpenTypeFeature> features) {
    for (const OpenTypeFeature& f : features)
        if (f.tag.size() != 4 ||
            !std::all_of(f.tag.begin(), f.tag.end(), [](char c) { return c >= 0x20 && c <= 0x7E; }))
            throw std::invalid_argument("an OpenType feature tag has four printable characters");
    // Stable, so among duplicates the last one given ends up last and is kept.
    std::stable_sort(features.begin(), features.end(),
                     [](const auto& a, const auto& b) { return a.tag < b.tag; });
    for (auto& f : features) {
        if (!features_.empty() && features_.back().tag == f.tag)
            features_.back() = std::move(f);
        else
            features_.push_back(std::move(f));
    }
}

std::optional<int32_t> OpenTypeAtt::GetValue(std::string_view tag) const {
    for (const OpenTypeFeature& f : features_)
        if (f.tag == tag)
            return f.value;
    return std::nullopt;
}

size_t OpenTypeAtt::Hash() const {
    size_t h = features_.size();
    for (const OpenTypeFeature& f : features_) {
        HashCombine(h, std::hash<std::string>{}(f.tag));
        HashCombine(h, static_cast<size_t>(f.value));
    }
    return h;
}

Counted<const TabStopsAtt> TabStopsAtt::Make(std::vector<TabStop> stops) {
    return Foundation::MakeCounted<const TabStopsAtt>(std::move(stops));
}

TabStopsAtt::TabStopsAtt(std::vector<TabStop> stops) : stops_(std::move(stops)) {
    std::stable_sort(stops_.begin(), stops_.end(),
                     [](const TabStop& a, const TabStop& b) { return a.position < b.position; });
}

Counted<const TabStopsAtt> TabStopsAtt::GetScaled(double x) const {
    std::vector<TabStop> stops = stops_;
    for (TabStop& s : stops)
        s.position *= x;
    return Make(std::move(stops));
}

size_t TabStopsAtt::Hash() const {
    size_t h = stops_.size();
    for (const TabStop& s : stops_)
        HashCombine(h, std::hash<double>{}(s.position));
    return h;
}

bool Decoration::HasVisibleStroke() const {
    return sides != 0 && Render::IsLineStyleVisible(lineStyle.get()) &&
           Render::IsFillVisible(penFill.get());
}

bool Decoration::HasVisibleBackground() const {
    return Render::IsFillVisible(background.get());
}

bool Decoration::IsDrawn() const {
    return enabled && opacity > 0 && (HasVisibleStroke() || HasVisibleBackground());
}

bool operator==(const Decoration& a, const Decoration& b) {
    return a.enabled == b.enabled && a.sides == b.sides && SameValue(a.penFill, b.penFill) &&
           SameValue(a.lineStyle, b.lineStyle) && SameValue(a.background, b.background) &&
           a.opacity == b.opacity;
}

Counted<const DecorationsAtt> DecorationsAtt::Make(std::vector<Decoration> decorations,
                                                   bool enabled) {
    return Foundation::MakeCounted<const DecorationsAtt>(std::move(decorations), enabled);
}

bool DecorationsAtt::HasDrawn() const {
    return enabled_ && std::any_of(decorations_.begin(), decorations_.end(),
                                   [](const Decoration& d) { return d.IsDrawn(); });
}

size_t DecorationsAtt::Hash() const {
    size_t h = decorations_.size() * 2 + enabled_;
    for (const Decoration& d : decorations_) {
        HashCombine(h, d.sides);
        HashCombine(h, HashFill(d.background));
    }
    return h;
}

Counted<const DropCapAtt> DropCapAtt::Make(int32_t lines, int32_t characters, double distance,
                                           StringT characterStyle, bool enabled) {
    return Foundation::MakeCounted<const DropCapAtt>(lines, characters, distance,
                                                     std::move(characterStyle), enabled);
}

DropCapAtt::DropCapAtt(int32_t lines, int32_t characters, double distance, StringT characterStyle,
                       bool enabled)
    : lines_(lines), characters_(characters), distance_(distance),
      characterStyle_(std::move(characterStyle)), enabled_(enabled) {}

StoryPos DropCapAtt::GetRangeEnd(const StoryRange& paragraph) const {
    const StoryPos end = TextEnd(paragraph);
    if (!enabled_ || characters_ <= 0)
        return paragraph.begin();
    return std::min(paragraph.begin() + characters_, end);
}

size_t DropCapAtt::Hash() const {
    size_t h = static_cast<size_t>(lines_);
    HashCombine(h, static_cast<size_t>(characters_));
    HashCombine(h, std::hash<std::string_view>{}(characterStyle_.view()));
    return h;
}

bool operator==(const DropCapAtt& a, const DropCapAtt& b) {
    return a.lines_ == b.lines_ && a.characters_ == b.characters_ && a.distance_ == b.distance_ &&
           a.characterStyle_ == b.characterStyle_ && a.enabled_ == b.enabled_;
}

Counted<const AutoFormatAtt> AutoFormatAtt::Make(StringT characterStyle, AutoFormatScope scope,
                                                 int32_t count, char32_t delimiter, bool enabled) {
    return Foundation::MakeCounted<const AutoFormatAtt>(std::move(characterStyle), scope, count,
                                                        delimiter, enabled);
}

AutoFormatAtt::AutoFormatAtt(StringT characterStyle, AutoFormatScope scope, int32_t count,
                             char32_t delimiter, bool enabled)
    : characterStyle_(std::move(characterStyle)), scope_(scope), count_(count),
      delimiter_(delimiter), enabled_(enabled) {}

StoryPos AutoFormatAtt::GetRangeEnd(const StoryRange& paragraph) const {
    const StoryPos end = TextEnd(paragraph);
    if (!enabled_)
        return paragraph.begin();
    switch (scope_) {
    case AutoFormatScope::Characters:
        return std::min(paragraph.begin() + std::max(count_, 0), end);
    case AutoFormatScope::Words: {
        StoryPos p = paragraph.begin();
        for (int32_t words = 0; words < count_ && p < end; ++words) {
            while (p < end && IsSpace(p.GetGlyph()))
                ++p;
            while (p < end && !IsSpace(p.GetGlyph()))
                ++p;
        }
        return p;
    }
    case AutoFormatScope::Delimiter:
        for (StoryPos p = paragraph.begin(); p < end; ++p)
            if (p.GetGlyph().IsChar() && p.GetGlyph().GetChar32() == delimiter_)
                return p + 1;
        return end;
    }
    return paragraph.begin();
}

size_t AutoFormatAtt::Hash() const {
    size_t h = static_cast<size_t>(scope_);
    HashCombine(h, static_cast<size_t>(count_));
    HashCombine(h, std::hash<std::string_view>{}(characterStyle_.view()));
    return h;
}

bool operator==(const AutoFormatAtt& a, const AutoFormatAtt& b) {
    return a.characterStyle_ == b.characterStyle_ && a.scope_ == b.scope_ && a.count_ == b.count_ &&
           a.delimiter_ == b.delimiter_ && a.enabled_ == b.enabled_;
}

Counted<const TocAtt> TocAtt::Make(int32_t kind, bool enabled) {
    return Foundation::MakeCounted<const TocAtt>(kind, enabled);
}

Counted<const FontColourPaletteAtt> FontColourPaletteAtt::Make(int32_t paletteIndex, int32_t type,
                                                               std::vector<PaletteEntry> entries) {
    return Foundation::MakeCounted<const FontColourPaletteAtt>(paletteIndex, type,
                                                               std::move(entries));
}

size_t FontColourPaletteAtt::Hash() const {
    size_t h = static_cast<size_t>(paletteIndex_);
    HashCombine(h, static_cast<size_t>(type_));
    HashCombine(h, entries_.size());
    return h;
}

Counted<const OpticalAlignmentAtt> OpticalAlignmentAtt::Make(std::vector<OpticalHang> hangs) {
    return Foundation::MakeCounted<const OpticalAlignmentAtt>(std::move(hangs));
}

Counted<const ColourEffectAtt>
ColourEffectAtt::Make(StringT kind, Counted<const Render::FillDescriptor> fill, double radius) {
    return Foundation::MakeCounted<const ColourEffectAtt>(std::move(kind), std::move(fill), radius);
}

} // namespace Text

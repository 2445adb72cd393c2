// SPDX-License-Identifier: MIT
#pragma once
// Lists: the list paragraph attribute, number formats and the numbering state that walks a story.

#include "host/text/GlyphAtts.h"
#include "host/text/GlyphString.h"

#include <array>

namespace Text {

class StoryPos;

enum class NumberFormat : int32_t {
    Decimal = 0,
    UpperRoman = 1,
    LowerRoman = 2,
    UpperAlpha = 3,
    LowerAlpha = 4,
    Symbols = 5, // *, †, ‡, §, ‖, ¶, then doubled
    TwoDigits = 6,
    ThreeDigits = 7,
    FourDigits = 8,
};

// Numbers that a format cannot show (zero or negative in any format but decimal, Roman numbers
// beyond 3999) are written in decimal.
StringT FormatNumber(int32_t n, NumberFormat format);

enum class ListType : int32_t { None = 0, Bullet = 1, Numbered = 2 };

struct ListSettings {
    ListType type = ListType::None;
    int32_t level = 0; // 0 is the outermost list
    NumberFormat format = NumberFormat::Decimal;
    int32_t startAt = 1;
    bool restart = false; // numbering starts again at this paragraph
    GlyphString bullet{"\u2022\t"};
    GlyphString prefix;
    GlyphString suffix{".\t"};
    // Attributes of the bullet or number; null means those of the paragraph's first character.
    Consolidated<GlyphAtts> glyphAtts;
};

class Numberer;

class ListAtt final : public AttObject {
public:
    static constexpr int32_t kMaxLevel = 15;

    // Throws std::invalid_argument for a level outside 0..kMaxLevel.
    static Counted<const ListAtt> Make(ListSettings settings);
    explicit ListAtt(ListSettings settings);

    ListType GetType() const noexcept { return s_.type; }
    bool HasContent() const noexcept { return s_.type != ListType::None; }
    int32_t GetLevel() const noexcept { return s_.level; }
    NumberFormat GetNumberFormat() const noexcept { return s_.format; }
    int32_t GetStartAt() const noexcept { return s_.startAt; }
    bool IsRestart() const noexcept { return s_.restart; }
    const GlyphString& GetBulletString() const noexcept { return s_.bullet; }
    const GlyphString& GetPrefix() const noexcept { return s_.prefix; }
    const GlyphString& GetSuffix() const noexcept { return s_.suffix; }
    const Consolidated<GlyphAtts>& GetGlyphAtts() const noexcept { return s_.glyphAtts; }

    // The list text of the paragraph the numberer was last advanced for: the bullet string, or
    // prefix, number and suffix. Without a numberer the start number is shown.
    GlyphString GetValue(const Numberer* numberer) const;

    bool Equals(const AttObject& other) const override;
    size_t Hash() const override;

private:
    ListSettings s_;
};

// Numbering state along a story: advance it once per list paragraph, in order.
class Numberer final : public Foundation::Countable {
public:
    static Counted<Numberer> Make() { return Foundation::MakeCounted<Numberer>(); }
    // A numberer advanced over every list paragraph before `pos` in its story.
    static Counted<Numberer> ForPosition(const StoryPos& pos);

    void Advance(const ListAtt& list);
    // Whether a numbered list has started at that level (and not been closed by a shallower
    // list paragraph since), and its current number.
    bool IsStarted(int32_t level) const;
    int32_t GetNumber(int32_t level) const;
    Counted<Numberer> Clone() const { return Foundation::MakeCounted<Numberer>(*this); }

private:
    std::array<int32_t, ListAtt::kMaxLevel + 1> numbers_{};
    std::array<bool, ListAtt::kMaxLevel + 1> started_{};
};

} // namespace Text

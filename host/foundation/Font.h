// SPDX-License-Identifier: MIT
#pragma once
// A font as the text model names it: family, style and the numeric axes that pick a face.

#include "host/foundation/StringT.h"

#include <compare>
#include <cstdint>

namespace Foundation {

enum class FontSlant : uint8_t { Upright = 0, Italic = 1, Oblique = 2 };

// Weights follow the OpenType scale (400 regular, 700 bold); stretch is a percentage of the
// normal width (100), as in OpenType usWidthClass terms and CSS font-stretch.
class Font {
public:
    static constexpr int kRegularWeight = 400;
    static constexpr int kBoldWeight = 700;
    static constexpr int kNormalStretch = 100;

    Font() = default;
    explicit Font(StringT family, StringT styleName = {}, int weight = kRegularWeight,
                  FontSlant slant = FontSlant::Upright, int stretch = kNormalStretch)
        : family_(std::move(family)), styleName_(std::move(styleName)), weight_(weight),
          slant_(slant), stretch_(stretch) {}

    const StringT& GetFamilyName() const noexcept { return family_; }
    // The face's own style name ("Bold Italic"); may be empty when only the axes are known.
    const StringT& GetStyleName() const noexcept { return styleName_; }
    int GetWeight() const noexcept { return weight_; }
    FontSlant GetSlant() const noexcept { return slant_; }
    bool IsItalic() const noexcept { return slant_ != FontSlant::Upright; }
    int GetStretch() const noexcept { return stretch_; }
    bool IsEmpty() const noexcept { return family_.empty(); }

    Font WithFamily(StringT family) const {
        Font f = *this;
        f.family_ = std::move(family);
        return f;
    }
    Font WithStyle(StringT styleName, int weight, FontSlant slant) const {
        Font f = *this;
        f.styleName_ = std::move(styleName);
        f.weight_ = weight;
        f.slant_ = slant;
        return f;
    }

    // Byte-wise on the names, then the axes: a total order that containers can key on.
    friend bool operator==(const Font&, const Font&) = default;
    friend std::strong_ordering operator<=>(const Font&, const Font&) = default;
    size_t Hash() const noexcept;

private:
    StringT family_;
    StringT styleName_;
    int weight_ = kRegularWeight;
    FontSlant slant_ = FontSlant::Upright;
    int stretch_ = kNormalStretch;
};

} // namespace Foundation

template <> struct std::hash<Foundation::Font> {
    size_t operator()(const Foundation::Font& f) const noexcept { return f.Hash(); }
};

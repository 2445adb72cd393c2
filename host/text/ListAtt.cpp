// SPDX-License-Identifier: MIT
#include "host/text/ListAtt.h"

#include "host/text/ParagraphAtts.h"
#include "host/text/Story.h"

#include <array>
#include <limits>
#include <stdexcept>
#include <string_view>

namespace Text {

using Foundation::ToStringT;

namespace {

StringT Roman(int32_t n, bool upper) {
    static constexpr std::array<std::pair<int32_t, std::string_view>, 13> kDigits{{
        {1000, "m"},
        {900, "cm"},
        {500, "d"},
        {400, "cd"},
        {100, "c"},
        {90, "xc"},
        {50, "l"},
        {40, "xl"},
        {10, "x"},
        {9, "ix"},
        {5, "v"},
        {4, "iv"},
        {1, "i"},
    }};
    std::string out;
    for (const auto& [value, text] : kDigits)
        for (; n >= value; n -= value)
            out += text;
    if (upper)
        for (char& c : out)
            c = static_cast<char>(c - 'a' + 'A');
    return StringT(std::move(out));
}

StringT Alpha(int32_t n, bool upper) {
    std::string out;
    for (int64_t v = n; v > 0; v = (v - 1) / 26)
        out.insert(out.begin(), static_cast<char>((upper ? 'A' : 'a') + (v - 1) % 26));
    return StringT(std::move(out));
}

StringT Symbols(int32_t n) {
    static constexpr std::array<std::string_view, 6> kSymbols{"*",      "\u2020", "\u2021",
                                                              "\u00A7", "\u2016", "\u00B6"};
    StringT out;
    const int32_t repeat = (n - 1) / 6 + 1;
    for (int32_t i = 0; i < repeat; ++i)
        out += kSymbols[static_cast<size_t>((n - 1) % 6)];
    return out;
}

StringT Padded(int32_t n, size_t width) {
    std::string digits = ToStringT(n).str();
    if (digits.size() < width)
        digits.insert(0, width - digits.size(), '0');
    return StringT(std::move(digits));
}

} // namespace

StringT FormatNumber(int32_t n, NumberFormat format) {
    if (n <= 0 && format != NumberFormat::Decimal)
        return ToStringT(n);
    switch (format) {
    case NumberFormat::UpperRoman:
    case NumberFormat::LowerRoman:
        if (n > 3999)
            break;
        return Roman(n, format == NumberFormat::UpperRoman);
    case NumberFormat::UpperAlpha:
    case NumberFormat::LowerAlpha:
        return Alpha(n, format == NumberFormat::UpperAlpha);
    case NumberFormat::Symbols:
        if (n > 6 * 8) // beyond eight repeats a mark is unreadable
            break;
        return Symbols(n);
    case NumberFormat::TwoDigits:
        return Padded(n, 2);
    case NumberFormat::ThreeDigits:
        return Padded(n, 3);
    case NumberFormat::FourDigits:
        return Padded(n, 4);
    case NumberFormat::Decimal:
        break;
    }
    return ToStringT(n);
}

Counted<const ListAtt> ListAtt::Make(ListSettings settings) {
    return Foundation::MakeCounted<const ListAtt>(std::move(settings));
}

ListAtt::ListAtt(ListSettings settings) : s_(std::move(settings)) {
    if (s_.level < 0 || s_.level > kMaxLevel)
        throw std::invalid_argument("list level out of range");
}

GlyphString ListAtt::GetValue(const Numberer* numberer) const {
    switch (s_.type) {
    case ListType::None:
        return {};
    case ListType::Bullet:
        return s_.bullet;
    case ListType::Numbered:
        break;
    }
    const int32_t n =
        numberer && numberer->IsStarted(s_.level) ? numberer->GetNumber(s_.level) : s_.startAt;
    GlyphString out = s_.prefix;
    out.AppendText(FormatNumber(n, s_.format).view());
    return out.Append(s_.suffix);
}

bool ListAtt::Equals(const AttObject& other) const {
    const ListSettings& o = static_cast<const ListAtt&>(other).s_;
    return s_.type == o.type && s_.level == o.level && s_.format == o.format &&
           s_.startAt == o.startAt && s_.restart == o.restart && s_.bullet == o.bullet &&
           s_.prefix == o.prefix && s_.suffix == o.suffix && s_.glyphAtts == o.glyphAtts;
}

size_t ListAtt::Hash() const {
    size_t h = static_cast<size_t>(s_.type);
    HashCombine(h, static_cast<size_t>(s_.level));
    HashCombine(h, static_cast<size_t>(s_.format));
    HashCombine(h, static_cast<size_t>(s_.startAt));
    HashCombine(h, std::hash<const void*>{}(s_.glyphAtts.get()));
    return h;
}

Counted<Numberer> Numberer::ForPosition(const StoryPos& pos) {
    Counted<Numberer> numberer = Make();
    if (pos.IsNull())
        return numberer;
    for (StoryPos p = pos.GetStory()->gbegin(); p < pos; p = p.GetParagraphEnd())
        if (Counted<const ListAtt> list = p.GetParagraphAtts()->GetList())
            numberer->Advance(*list);
    return numberer;
}

void Numberer::Advance(const ListAtt& list) {
    if (!list.HasContent())
        return;
    const auto level = static_cast<size_t>(list.GetLevel());
    for (size_t deeper = level + 1; deeper < started_.size(); ++deeper)
        started_[deeper] = false;
    if (list.GetType() != ListType::Numbered)
        return;
    if (!started_[level] || list.IsRestart()) {
        numbers_[level] = list.GetStartAt();
        started_[level] = true;
    } else if (numbers_[level] < std::numeric_limits<int32_t>::max()) {
        ++numbers_[level];
    }
}

bool Numberer::IsStarted(int32_t level) const {
    return level >= 0 && level <= ListAtt::kMaxLevel && started_[static_cast<size_t>(level)];
}

int32_t Numberer::GetNumber(int32_t level) const {
    return IsStarted(level) ? numbers_[static_cast<size_t>(level)] : 0;
}

} // namespace Text

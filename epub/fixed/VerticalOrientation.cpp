// SPDX-License-Identifier: MIT
#include "epub/fixed/VerticalOrientation.h"

#include "host/foundation/StringT.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <utility>

namespace EPub {

namespace {

// Upright ranges, inclusive, sorted: the blocks whose characters are upright in mixed vertical
// text. Punctuation within them that has vertical forms gets those from the font's `vert`
// feature, as browsers rely on too.
constexpr std::array<std::pair<char32_t, char32_t>, 24> kUpright{{
    {0x00A7, 0x00A7},   {0x00A9, 0x00A9},   {0x00AE, 0x00AE},   {0x00B1, 0x00B1},
    {0x00BC, 0x00BE},   {0x00D7, 0x00D7},   {0x00F7, 0x00F7},   {0x1100, 0x11FF},
    {0x2150, 0x218F},   {0x2460, 0x24FF},   {0x25A0, 0x27BF},   {0x2B00, 0x2BFF},
    {0x2E80, 0xA4CF},   {0xA960, 0xA97F},   {0xAC00, 0xD7FF},   {0xE000, 0xFAFF},
    {0xFE10, 0xFE1F},   {0xFE30, 0xFE6F},   {0xFF00, 0xFF60},   {0xFFE0, 0xFFE7},
    {0x1F000, 0x1F1FF}, {0x1F200, 0x1FAFF}, {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
}};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// What keeps digits next to it from standing as a block: they are part of a word or number.
bool JoinsDigits(char c) {
    return IsDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '.' || c == ',';
}

} // namespace

bool VerticalOrientation::IsUpright(char32_t c) {
    const auto it = std::upper_bound(kUpright.begin(), kUpright.end(), c,
                                     [](char32_t v, const auto& r) { return v < r.first; });
    return it != kUpright.begin() && c <= std::prev(it)->second;
}

std::vector<OrientedSpan> VerticalOrientation::Spans(std::string_view text, size_t begin,
                                                     size_t end, int combineDigits) {
    using Render::VerticalForm;
    std::vector<OrientedSpan> spans;
    auto add = [&](size_t a, size_t b, VerticalForm form) {
        if (!spans.empty() && spans.back().form == form && form != VerticalForm::Combined &&
            spans.back().end == a)
            spans.back().end = b;
        else
            spans.push_back({a, b, form});
    };
    for (size_t i = begin; i < end;) {
        if (IsDigit(text[i])) {
            size_t j = i;
            while (j < end && IsDigit(text[j]))
                ++j;
            const bool alone = (i == 0 || !JoinsDigits(text[i - 1])) &&
                               (j >= text.size() || !JoinsDigits(text[j]));
            // A run cut by `end` is measured whole: its other half is on the next line.
            size_t whole = j;
            while (whole < text.size() && IsDigit(text[whole]))
                ++whole;
            if (alone && whole == j && int(j - i) <= combineDigits) {
                add(i, j, VerticalForm::Combined);
                i = j;
                continue;
            }
        }
        const size_t from = i;
        const char32_t c = Foundation::NextCodePoint(text, i);
        add(from, std::min(end, i), IsUpright(c) ? VerticalForm::Upright : VerticalForm::Sideways);
    }
    return spans;
}

} // namespace EPub

// SPDX-License-Identifier: MIT
#pragma once
// Which way the characters of vertical text stand: ideographs, kana, Hangul, full-width forms and
// pictographs upright, other scripts turned a quarter clockwise, short runs of digits set across
// the line in one em.

#include "host/render/RenderTree.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace EPub {

// Byte offsets [begin, end) of text set in one form.
struct OrientedSpan {
    size_t begin = 0;
    size_t end = 0;
    Render::VerticalForm form = Render::VerticalForm::Upright;
};

class VerticalOrientation {
public:
    // Whether `c` stands upright in a vertical line, as browsers set mixed vertical text.
    static bool IsUpright(char32_t c);
    // The spans of text[begin, end). Runs of at most `combineDigits` ASCII digits with no letter,
    // digit or decimal point next to them (looking past begin and end) are Combined.
    static std::vector<OrientedSpan> Spans(std::string_view text, size_t begin, size_t end,
                                           int combineDigits);
};

} // namespace EPub

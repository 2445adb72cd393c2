// SPDX-License-Identifier: MIT
#include "epub/fixed/BidiParagraph.h"

#include <fribidi.h>

#include <algorithm>

namespace EPub {

namespace {

// Code points of `text` with the byte length of each; a malformed byte stands for itself.
void Decode(std::string_view text, std::vector<FriBidiChar>& chars, std::vector<uint8_t>& lengths) {
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const size_t length = lead < 0x80    ? 1
                              : lead >= 0xF0 ? 4
                              : lead >= 0xE0 ? 3
                              : lead >= 0xC0 ? 2
                                             : 1;
        FriBidiChar c = length == 1 ? lead : lead & (0x3F >> (length - 1));
        size_t n = 1;
        for (; n < length && i + n < text.size(); ++n) {
            const auto next = static_cast<unsigned char>(text[i + n]);
            if ((next & 0xC0) != 0x80)
                break;
            c = (c << 6) | (next & 0x3F);
        }
        if (n != length) {
            c = 0xFFFD;
            n = 1;
        }
        chars.push_back(c);
        lengths.push_back(static_cast<uint8_t>(n));
        i += n;
    }
}

} // namespace

BidiParagraph::BidiParagraph(std::string_view text, TextDirection direction) {
    rightToLeft_ = direction == TextDirection::RightToLeft;
    levels_.assign(text.size(), rightToLeft_ ? 1 : 0);
    // Plain ASCII holds no right-to-left letter: all of it at the paragraph's level.
    if (!rightToLeft_ && std::all_of(text.begin(), text.end(),
                                     [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return;
    std::vector<FriBidiChar> chars;
    std::vector<uint8_t> lengths;
    Decode(text, chars, lengths);
    if (chars.empty())
        return;
    const auto count = static_cast<FriBidiStrIndex>(chars.size());
    std::vector<FriBidiCharType> types(chars.size());
    std::vector<FriBidiBracketType> brackets(chars.size());
    std::vector<FriBidiLevel> levels(chars.size());
    fribidi_get_bidi_types(chars.data(), count, types.data());
    fribidi_get_bracket_types(chars.data(), count, types.data(), brackets.data());
    FriBidiParType base = direction == TextDirection::RightToLeft   ? FRIBIDI_PAR_RTL
                          : direction == TextDirection::LeftToRight ? FRIBIDI_PAR_LTR
                                                                    : FRIBIDI_PAR_ON;
    if (!fribidi_get_par_embedding_levels_ex(types.data(), brackets.data(), count, &base,
                                             levels.data()))
        return;
    rightToLeft_ = FRIBIDI_IS_RTL(base);
    size_t at = 0;
    for (size_t c = 0; c < chars.size(); ++c) {
        mixed_ = mixed_ || (levels[c] & 1) != 0;
        std::fill_n(levels_.begin() + static_cast<ptrdiff_t>(at), lengths[c], levels[c]);
        at += lengths[c];
    }
}

std::vector<DirectionalRun> BidiParagraph::VisualRuns(size_t begin, size_t end,
                                                      const std::vector<size_t>& cuts) const {
    std::vector<DirectionalRun> runs;
    std::vector<uint8_t> levels;
    end = std::min(end, levels_.size());
    for (size_t i = begin; i < end;) {
        size_t j = i + 1;
        while (j < end && levels_[j] == levels_[i] &&
               std::find(cuts.begin(), cuts.end(), j) == cuts.end())
            ++j;
        runs.push_back({i, j, (levels_[i] & 1) != 0});
        levels.push_back(levels_[i]);
        i = j;
    }
    if (runs.empty())
        return runs;
    // Reverse every sequence at or above each odd level, from the highest down.
    const uint8_t highest = *std::max_element(levels.begin(), levels.end());
    uint8_t lowestOdd = 255;
    for (const uint8_t l : levels)
        if (l & 1)
            lowestOdd = std::min(lowestOdd, l);
    for (int level = highest; level >= lowestOdd && level > 0; --level)
        for (size_t i = 0; i < runs.size();) {
            if (levels[i] < level) {
                ++i;
                continue;
            }
            size_t j = i;
            while (j < runs.size() && levels[j] >= level)
                ++j;
            std::reverse(runs.begin() + static_cast<ptrdiff_t>(i),
                         runs.begin() + static_cast<ptrdiff_t>(j));
            std::reverse(levels.begin() + static_cast<ptrdiff_t>(i),
                         levels.begin() + static_cast<ptrdiff_t>(j));
            i = j;
        }
    return runs;
}

} // namespace EPub

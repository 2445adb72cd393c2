// SPDX-License-Identifier: MIT
#pragma once
// The Unicode bidi algorithm (FriBidi) over one paragraph of UTF-8 text: its direction, and the
// runs of one direction a line of it falls into, in the order they are seen.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace EPub {

enum class TextDirection {
    Auto,        // from the first strong character; left to right when there is none
    LeftToRight, // ltr
    RightToLeft, // rtl
};

// Byte offsets [begin, end) of the paragraph's text, all in one direction.
struct DirectionalRun {
    size_t begin = 0;
    size_t end = 0;
    bool rightToLeft = false;
};

class BidiParagraph {
public:
    BidiParagraph(std::string_view text, TextDirection direction);

    // The paragraph's resolved direction.
    bool RightToLeft() const noexcept { return rightToLeft_; }
    // Whether anything in it is set right to left: without, lines keep their logical order.
    bool IsMixed() const noexcept { return mixed_; }

    // The runs of [begin, end), also cut at each offset in `cuts` (style changes), from left to
    // right. Trailing spaces are expected to be trimmed from the line already.
    std::vector<DirectionalRun> VisualRuns(size_t begin, size_t end,
                                           const std::vector<size_t>& cuts = {}) const;

private:
    std::vector<uint8_t> levels_; // per byte
    bool rightToLeft_ = false;
    bool mixed_ = false;
};

} // namespace EPub

// SPDX-License-Identifier: MIT
#pragma once
// Stories (and host items between them) written as one run of content documents.

#include "epub/content/StoryChunk.h"

#include <vector>

namespace EPub {

struct Article {
    std::vector<Counted<const Text::Story>> stories; // null for an entry that is only an item
    std::vector<Text::StoryPos> ends;
    std::vector<int32_t> items; // -1 for none
    std::vector<std::vector<FrameScale>> frameScales;
    StringT title;

    bool empty() const noexcept { return stories.empty(); }
};

} // namespace EPub

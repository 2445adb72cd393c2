// SPDX-License-Identifier: MIT
#pragma once
// Cuts a story into content documents at page-level breaks.

#include "epub/content/StoryChunk.h"
#include "host/text/PinnedObject.h"

#include <functional>
#include <vector>

namespace EPub {

struct ChunkingRules {
    bool splitStories = false;
    bool bulletListsAsText = false;
    // Whether an anchored object becomes an image; empty means none does.
    std::function<bool(const Text::PinnedObject&)> isFrameImage;
};

// Splits "dir/name.xhtml" into "dir/name" and ".xhtml"; a dot inside a folder name is no
// extension.
std::pair<StringT, StringT> SplitFileName(const StringT& fileName);

// Appends the chunks of `story` up to `end`; `chunkNumber` carries the file numbering across the
// stories of an article.
void CutStory(const ChunkingRules& rules, const Counted<const Text::Story>& story,
              const Text::StoryPos& end, const StringT& fileName, std::vector<StoryChunk>& chunks,
              int& chunkNumber, const std::vector<FrameScale>& frameScales, bool countLeadingBreak);

} // namespace EPub

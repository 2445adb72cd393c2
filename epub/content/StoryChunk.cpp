// SPDX-License-Identifier: MIT
#include "epub/content/StoryChunk.h"

namespace EPub {

StoryChunk::StoryChunk(StringT name, Text::StoryRange range)
    : name(std::move(name)), range(std::move(range)) {}

StoryChunk::StoryChunk(StringT name, Text::StoryRange range, Text::StoryRange originalRange,
                       int32_t originalOffset)
    : name(std::move(name)), range(std::move(range)), originalRange(std::move(originalRange)),
      originalOffset(originalOffset) {}

StoryChunk::StoryChunk(StringT name, Text::StoryRange range, Counted<const Text::Language> language,
                       bool hasImages)
    : name(std::move(name)), range(std::move(range)), language(std::move(language)),
      hasImages(hasImages) {}

void StoryChunk::AddFrameScales(const std::vector<FrameScale>& scales) {
    Foundation::SizeT<double> running{1.0, 1.0};
    const Text::StoryPos& start = range.begin();
    for (const FrameScale& entry : scales) {
        if (entry.pos < start) {
            running = entry.scale;
            continue;
        }
        if (entry.pos != start) {
            if (frameScales.empty())
                frameScales.push_back({start, running});
            if (entry.pos >= range.end())
                return;
        }
        frameScales.push_back(entry);
    }
}

Foundation::SizeT<double> StoryChunk::GetFrameScaleForPos(const Text::StoryPos& pos) const {
    Foundation::SizeT<double> found{0.0, 0.0};
    for (const FrameScale& entry : frameScales) {
        if (entry.pos == pos)
            return entry.scale;
        if (entry.pos < pos)
            found = entry.scale;
    }
    return found;
}

Text::StoryPos StoryChunk::GetOriginalPos(const Text::StoryPos& pos) const {
    if (originalRange.empty())
        return pos;
    return originalRange.begin() + (int64_t{pos.GetStoryIndex()} - originalOffset);
}

} // namespace EPub

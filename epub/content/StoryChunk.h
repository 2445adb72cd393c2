// SPDX-License-Identifier: MIT
#pragma once
// One content document's share of a story, and the frame scales in force inside it.

#include "host/foundation/Geometry.h"
#include "host/foundation/StringT.h"
#include "host/text/Language.h"
#include "host/text/Story.h"

#include <vector>

namespace EPub {

using Foundation::Counted;
using Foundation::StringT;

struct FrameScale {
    Text::StoryPos pos;
    Foundation::SizeT<double> scale{1.0, 1.0};
};

struct StoryChunk {
    StoryChunk(StringT name, Text::StoryRange range);
    StoryChunk(StringT name, Text::StoryRange range, Text::StoryRange originalRange,
               int32_t originalOffset);
    StoryChunk(StringT name, Text::StoryRange range, Counted<const Text::Language> language,
               bool hasImages);

    // Copies the entries that matter inside this chunk; an entry before the chunk is carried in
    // as the scale in force at its start.
    void AddFrameScales(const std::vector<FrameScale>& scales);
    // (0, 0) when no entry lies at or before `pos`.
    Foundation::SizeT<double> GetFrameScaleForPos(const Text::StoryPos& pos) const;
    // Where `pos` of a working copy lies in the story the copy was made from.
    Text::StoryPos GetOriginalPos(const Text::StoryPos& pos) const;

    StringT name;
    Text::StoryRange range;
    Text::StoryRange originalRange;
    int32_t originalOffset = 0;
    Counted<const Text::Language> language;
    bool hasImages = false;
    std::vector<FrameScale> frameScales;
};

} // namespace EPub

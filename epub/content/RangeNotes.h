// SPDX-License-Identifier: MIT
#pragma once
// Endnotes whose body is a range of the main text. Both ends are registered before any document
// is written, so the body paragraph can carry the note's id and the reference can link to it
// wherever the chunking puts the body.

#include "epub/content/AnchorRegistry.h"
#include "epub/content/StoryChunk.h"
#include "host/text/NoteAtt.h"

#include <functional>
#include <map>
#include <vector>

namespace EPub {

struct RangeNoteRecord {
    Counted<Text::AnchorData> target; // at the body glyph, role "doc-noteref"
    Counted<Text::AnchorData> back;   // at the reference glyph, role "doc-backlink"
    Counted<const Text::NoteAtt> settings;
    int32_t number = 0;
    bool hasReference = false;
    bool hasBody = false;

    // Only a note found at both ends gets links: a half would point nowhere.
    bool IsComplete() const noexcept { return hasReference && hasBody; }
};

class RangeNotes {
public:
    // The displayed number of the note whose reference is the glyph, or the fallback.
    using NoteNumber =
        std::function<int32_t(const Text::Glyph&, const Text::StoryPos&, int32_t fallback)>;

    // Registers the anchors of the range-note glyphs in `chunks`; a note met again (an article
    // exported after its registration pass) keeps its first registration.
    void Register(AnchorRegistry& anchors, const StringT& fileName,
                  const std::vector<StoryChunk>& chunks, const NoteNumber& noteNumber);
    // The note's record when both of its ends have been registered.
    const RangeNoteRecord* Find(const Text::RangeNote* note) const;
    // The first registered body glyph in [begin, end), or `end`.
    Text::StoryPos FindBody(const Text::StoryPos& begin, const Text::StoryPos& end) const;
    bool IsEmpty() const noexcept { return records_.empty(); }

private:
    void Add(AnchorRegistry& anchors, const StringT& fileName, const StoryChunk& chunk,
             const Text::StoryPos& pos, const NoteNumber& noteNumber);

    std::map<const Text::RangeNote*, RangeNoteRecord> records_;
    std::vector<Counted<const Text::RangeNote>> kept_; // keeps the map's keys alive
};

} // namespace EPub

// SPDX-License-Identifier: MIT
#pragma once
// Everything a link can point at: the text's anchors, the structural landmarks and the pages of
// each pagination source, each with a stable element id and the content document holding it.

#include "epub/content/StoryChunk.h"
#include "epub/package/Landmark.h"
#include "host/text/AnchorData.h"
#include "host/text/Story.h"

#include <map>
#include <vector>

namespace EPub {

struct AnchorLocation {
    StringT file;  // the story's base file name it was registered under
    StringT chunk; // the content document holding it
    StringT id;    // element id; empty for an unknown target
    StringT label; // page label of page locations
    Text::StoryPos pos;
    Landmark landmark = Landmark::None;
};

class AnchorRegistry {
public:
    AnchorRegistry() = default;
    virtual ~AnchorRegistry() = default;
    AnchorRegistry(const AnchorRegistry&) = delete;
    AnchorRegistry& operator=(const AnchorRegistry&) = delete;

    // An anchor without a name is not registered.
    void RegisterAnchor(const StringT& file, const Text::AnchorData& anchor,
                        const Text::StoryPos& pos, const StringT& chunk);
    void RegisterAnchor(const StringT& file, const Text::AnchorData& anchor,
                        const Text::StoryPos& pos) {
        RegisterAnchor(file, anchor, pos, file);
    }
    AnchorLocation RegisterLandmark(const StringT& file, Landmark landmark,
                                    const Text::StoryPos& pos, const StringT& chunk);
    void RegisterPage(const StringT& file, int page, const StringT& label,
                      const Text::StoryPos& pos, const StringT& chunk, int source);
    void RegisterPage(const StringT& file, int page, const StringT& label,
                      const Text::StoryPos& pos, int source) {
        RegisterPage(file, page, label, pos, file, source);
    }

    // Lookups give the shared empty location (or -1) for anything unknown.
    const AnchorLocation& GetAnchor(const Text::AnchorData& anchor) const;
    const AnchorLocation& GetAnchor(const StringT& uid) const;
    static Landmark LandmarkFromAnchor(const Text::AnchorData& anchor);
    const AnchorLocation& GetLandmark(Landmark landmark) const;
    // With a story, the page must be registered for `file` and lie in that story; without, the
    // other files of the source are searched in name order when `file` lacks the page.
    const AnchorLocation& GetPageAnchor(int source, const StringT& file, int page,
                                        const Text::Story* story) const;
    const AnchorLocation& GetPageAnchor(int source, int page) const;
    Text::StoryPos GetPosForPage(int source, const StringT& file, int page,
                                 const Text::Story* story) const;
    int GetMaxPageForAnchor(int source, const StringT& file) const;
    int GetPageForPos(int source, const StringT& file, const Text::StoryPos& pos) const;

    // Moves every target registered under `file` into the chunk that contains it.
    void RemapFileNames(const StringT& file, const std::vector<StoryChunk>& chunks);
    // Drops the story positions of the targets registered under `file`, keeping where links
    // lead: once a story is written, its text need not stay in memory for them.
    void ForgetPositions(const StringT& file);

    // The href attribute text (with its leading space) of a link from `currentChunk` to
    // `location`; empty when the location has no id.
    static StringT AnchorHref(const AnchorLocation& location, const StringT& currentChunk);

    static const AnchorLocation& EmptyLocation();

private:
    using PageMap = std::map<int, AnchorLocation>;
    using FilePages = std::map<StringT, PageMap>;

    const FilePages* PagesOf(int source) const;
    std::vector<AnchorLocation*> AnchorsOf(const StringT& file) const;

    std::map<StringT, AnchorLocation> anchors_;
    // The anchors registered under each file, so a story's batch touches only its own; map
    // nodes never move. An entry whose location was registered again under another file is
    // skipped by its file name.
    std::map<StringT, std::vector<AnchorLocation*>> anchorsByFile_;
    int anchorCounter_ = 1;
    int pageCounter_ = 1;
    std::vector<FilePages> pages_;
};

} // namespace EPub

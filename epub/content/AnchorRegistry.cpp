// SPDX-License-Identifier: MIT
#include "epub/content/AnchorRegistry.h"

#include "epub/xml/TextEncoding.h"
#include "epub/xml/XmlWriter.h"

namespace EPub {

namespace {

const StoryChunk* ChunkHolding(const std::vector<StoryChunk>& chunks, const Text::StoryPos& pos) {
    for (const StoryChunk& chunk : chunks)
        if (chunk.range.Contains(pos))
            return &chunk;
    return nullptr;
}

void Remap(AnchorLocation& location, const std::vector<StoryChunk>& chunks) {
    if (location.pos.IsNull())
        return;
    if (const StoryChunk* chunk = ChunkHolding(chunks, location.pos))
        location.chunk = chunk->name;
}

} // namespace

const AnchorLocation& AnchorRegistry::EmptyLocation() {
    static const AnchorLocation empty;
    return empty;
}

void AnchorRegistry::RegisterAnchor(const StringT& file, const Text::AnchorData& anchor,
                                    const Text::StoryPos& pos, const StringT& chunk) {
    if (anchor.GetName().empty())
        return;
    AnchorLocation location;
    location.file = file;
    location.chunk = chunk;
    location.id = StringT::Format("Anchor%1", anchorCounter_++);
    location.pos = pos;
    location.landmark = LandmarkFromAnchor(anchor);
    AnchorLocation& stored = anchors_[anchor.GetUid()];
    stored = std::move(location);
    anchorsByFile_[file].push_back(&stored);
}

AnchorLocation AnchorRegistry::RegisterLandmark(const StringT& file, Landmark landmark,
                                                const Text::StoryPos& pos, const StringT& chunk) {
    // Landmark anchors get uids of their own so they never replace one of the document's.
    const StringT uid = StringT::Format("_landmark%1", anchorCounter_);
    const auto anchor = Text::AnchorData::Make(uid, StringT(GetLandmarkInfo(landmark).epubType));
    RegisterAnchor(file, *anchor, pos, chunk);
    return GetAnchor(uid);
}

void AnchorRegistry::RegisterPage(const StringT& file, int page, const StringT& label,
                                  const Text::StoryPos& pos, const StringT& chunk, int source) {
    if (source < 0)
        return;
    if (pages_.size() <= static_cast<size_t>(source))
        pages_.resize(static_cast<size_t>(source) + 1);
    AnchorLocation location;
    location.file = file;
    location.chunk = chunk;
    location.id = StringT::Format("PageRef%1", pageCounter_++);
    location.label = label;
    location.pos = pos;
    pages_[static_cast<size_t>(source)][file][page] = std::move(location);
}

const AnchorLocation& AnchorRegistry::GetAnchor(const Text::AnchorData& anchor) const {
    return GetAnchor(anchor.GetUid());
}

const AnchorLocation& AnchorRegistry::GetAnchor(const StringT& uid) const {
    const auto it = anchors_.find(uid);
    return it == anchors_.end() ? EmptyLocation() : it->second;
}

Landmark AnchorRegistry::LandmarkFromAnchor(const Text::AnchorData& anchor) {
    return LandmarkFromEpubType(anchor.GetName().view());
}

const AnchorLocation& AnchorRegistry::GetLandmark(Landmark landmark) const {
    for (const auto& [uid, location] : anchors_)
        if (location.landmark == landmark)
            return location;
    return EmptyLocation();
}

const AnchorRegistry::FilePages* AnchorRegistry::PagesOf(int source) const {
    if (source < 0 || static_cast<size_t>(source) >= pages_.size())
        return nullptr;
    return &pages_[static_cast<size_t>(source)];
}

const AnchorLocation& AnchorRegistry::GetPageAnchor(int source, const StringT& file, int page,
                                                    const Text::Story* story) const {
    const FilePages* files = PagesOf(source);
    if (!files)
        return EmptyLocation();
    const auto fileIt = files->find(file);
    if (fileIt == files->end())
        return EmptyLocation();
    const auto pageIt = fileIt->second.find(page);
    if (pageIt != fileIt->second.end()) {
        if (story && pageIt->second.pos.GetStory().get() != story)
            return EmptyLocation();
        return pageIt->second;
    }
    return story ? EmptyLocation() : GetPageAnchor(source, page);
}

const AnchorLocation& AnchorRegistry::GetPageAnchor(int source, int page) const {
    const FilePages* files = PagesOf(source);
    if (!files)
        return EmptyLocation();
    for (const auto& [name, pageMap] : *files) {
        const auto it = pageMap.find(page);
        if (it != pageMap.end())
            return it->second;
    }
    return EmptyLocation();
}

Text::StoryPos AnchorRegistry::GetPosForPage(int source, const StringT& file, int page,
                                             const Text::Story* story) const {
    return GetPageAnchor(source, file, page, story).pos;
}

int AnchorRegistry::GetMaxPageForAnchor(int source, const StringT& file) const {
    const FilePages* files = PagesOf(source);
    if (!files)
        return -1;
    const auto it = files->find(file);
    if (it == files->end() || it->second.empty())
        return -1;
    return it->second.rbegin()->first;
}

int AnchorRegistry::GetPageForPos(int source, const StringT& file,
                                  const Text::StoryPos& pos) const {
    const FilePages* files = PagesOf(source);
    if (!files)
        return -1;
    const auto it = files->find(file);
    if (it == files->end())
        return -1;
    int result = -1;
    for (const auto& [page, location] : it->second) {
        if (location.pos.IsNull() || location.pos.GetStory() != pos.GetStory())
            continue;
        if (location.pos == pos)
            return page;
        if (location.pos > pos)
            break;
        result = page;
    }
    return result;
}

std::vector<AnchorLocation*> AnchorRegistry::AnchorsOf(const StringT& file) const {
    const auto it = anchorsByFile_.find(file);
    if (it == anchorsByFile_.end())
        return {};
    std::vector<AnchorLocation*> out;
    out.reserve(it->second.size());
    for (AnchorLocation* location : it->second)
        if (location->file == file)
            out.push_back(location);
    return out;
}

void AnchorRegistry::RemapFileNames(const StringT& file, const std::vector<StoryChunk>& chunks) {
    for (AnchorLocation* location : AnchorsOf(file))
        Remap(*location, chunks);
    for (FilePages& files : pages_) {
        const auto it = files.find(file);
        if (it == files.end())
            continue;
        for (auto& [page, location] : it->second)
            Remap(location, chunks);
    }
}

void AnchorRegistry::ForgetPositions(const StringT& file) {
    for (AnchorLocation* location : AnchorsOf(file))
        location->pos = {};
    for (FilePages& files : pages_)
        if (const auto it = files.find(file); it != files.end())
            for (auto& [page, location] : it->second)
                location.pos = {};
}

StringT AnchorRegistry::AnchorHref(const AnchorLocation& location, const StringT& currentChunk) {
    if (location.id.empty())
        return {};
    const StringT path = location.chunk == currentChunk
                             ? StringT()
                             : RelativePath(currentChunk.view(), location.chunk.view());
    XmlWriter x;
    x.Path("href", path.view(), location.id.view());
    return StringT(x.Take());
}

} // namespace EPub

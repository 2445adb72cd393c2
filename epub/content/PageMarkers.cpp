// SPDX-License-Identifier: MIT
#include "epub/content/PageMarkers.h"

#include "epub/xml/XmlWriter.h"

namespace EPub {

bool IsPageDue(const Text::StoryPos& pos, const ExportState& state) {
    return !state.nextPagePos.IsNull() && pos.GetStory() == state.nextPagePos.GetStory() &&
           pos >= state.nextPagePos && state.currentPage <= state.lastPage;
}

namespace {

void FindNextPage(const AnchorRegistry& registry, int source, const StringT& fileName,
                  const Text::Story* story, ExportState& state) {
    do {
        ++state.currentPage;
        state.nextPagePos = registry.GetPosForPage(source, fileName, state.currentPage, story);
    } while (state.nextPagePos.IsNull() && state.currentPage <= state.lastPage);
}

} // namespace

void WritePageMarkers(Foundation::OutStream& out, const AnchorRegistry& registry, int source,
                      const StringT& fileName, const Text::StoryPos& pos, ExportState& state) {
    if (!state.pageMarkersOn)
        return;
    while (IsPageDue(pos, state)) {
        const AnchorLocation& page =
            registry.GetPageAnchor(source, fileName, state.currentPage, nullptr);
        if (!page.id.empty()) {
            XmlWriter x;
            x.Open(pos.IsParagraphBegin() ? "div" : "span").Attribute("id", page.id);
            x.Attribute("role", "doc-pagebreak").Attribute("aria-label", page.label);
            x.Attribute("epub:type", "pagebreak").CloseEmpty();
            if (pos.IsParagraphBegin())
                x.Space("\n");
            x.Flush(out);
        }
        FindNextPage(registry, source, fileName, pos.GetStory().get(), state);
    }
}

void StartPageMarkers(const AnchorRegistry& registry, int source, const StringT& fileName,
                      const Text::StoryPos& chunkStart, ExportState& state) {
    const Text::Story* story = chunkStart.GetStory().get();
    state.currentPage = registry.GetPageForPos(source, fileName, chunkStart);
    state.lastPage = registry.GetMaxPageForAnchor(source, fileName);
    state.nextPagePos = registry.GetPosForPage(source, fileName, state.currentPage, story);
    while (state.nextPagePos.IsNull() && state.currentPage < state.lastPage) {
        ++state.currentPage;
        state.nextPagePos = registry.GetPosForPage(source, fileName, state.currentPage, story);
    }
    // A page that began in an earlier chunk already has its marker there.
    while (!state.nextPagePos.IsNull() && state.nextPagePos < chunkStart &&
           state.currentPage <= state.lastPage)
        FindNextPage(registry, source, fileName, story, state);
    state.pageMarkersOn = true;
}

} // namespace EPub

// SPDX-License-Identifier: MIT
#include "epub/content/PageMarkers.h"

#include "epub/xml/TextEncoding.h"

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
            const char* format = pos.IsParagraphBegin()
                                     ? "<div id=\"%1\" role=\"doc-pagebreak\" aria-label=\"%2\" "
                                       "epub:type=\"pagebreak\"/>\n"
                                     : "<span id=\"%1\" role=\"doc-pagebreak\" aria-label=\"%2\" "
                                       "epub:type=\"pagebreak\"/>";
            out << StringT::Format(format, XMLEncode(page.id.view()), XMLEncode(page.label.view()));
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

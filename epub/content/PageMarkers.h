// SPDX-License-Identifier: MIT
#pragma once
// Page-break markers written as the text passes the start of each printed page.

#include "epub/content/AnchorRegistry.h"
#include "epub/content/ExportState.h"
#include "host/foundation/Stream.h"

namespace EPub {

// Writes one marker for every page due at `pos` (several pages may start at one position) and
// moves the state's page cursor past them.
void WritePageMarkers(Foundation::OutStream& out, const AnchorRegistry& registry, int source,
                      const StringT& fileName, const Text::StoryPos& pos, ExportState& state);

// Whether a page marker falls due at `pos`.
bool IsPageDue(const Text::StoryPos& pos, const ExportState& state);

// Positions the page cursor on the first page starting at or after `chunkStart`.
void StartPageMarkers(const AnchorRegistry& registry, int source, const StringT& fileName,
                      const Text::StoryPos& chunkStart, ExportState& state);

} // namespace EPub

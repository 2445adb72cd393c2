// SPDX-License-Identifier: MIT
#pragma once
// A synthetic book for export benchmarks: chapters of styled prose with local overrides,
// footnotes and a table each.

#include "epub/options/ExportSettings.h"
#include "epub/options/FlowingEPubOptions.h"
#include "host/text/Story.h"

#include <vector>

namespace Bench {

struct Chapter {
    Foundation::Counted<const Text::Story> story;
    Foundation::StringT fileName;
};

struct Book {
    Foundation::Counted<EPub::ExportSettings> settings;
    Foundation::Counted<EPub::FlowingEPubOptions> options;
    std::vector<Chapter> chapters;
    size_t textBytes = 0;
};

// About `chapterCount` * `bytesPerChapter` bytes of text; the same arguments give the same book.
Book GenerateBook(int chapterCount, size_t bytesPerChapter);

} // namespace Bench

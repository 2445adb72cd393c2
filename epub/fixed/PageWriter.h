// SPDX-License-Identifier: MIT
#pragma once
// The XHTML document of one fixed-layout page.

#include "epub/fixed/Page.h"
#include "host/foundation/Stream.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace EPub {

// What a page document takes from its publication. The publication writes its pages, so the
// writer sees it only through this and the two do not depend on each other.
struct PageContext {
    StringT language;                 // for a page that has none of its own
    std::vector<StringT> styleSheets; // linked after the shared and the page's own sheet
    std::function<StringT(uint64_t page, uint32_t anchor)> anchorId; // empty when unnamed
};

// `label` is the printed page label.
void WritePageDocument(Foundation::OutStream& out, const PageContext& publication, const Page& page,
                       std::string_view label);

} // namespace EPub

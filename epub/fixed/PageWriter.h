// SPDX-License-Identifier: MIT
#pragma once
// The XHTML document of one fixed-layout page.

#include "epub/fixed/Page.h"
#include "host/foundation/Stream.h"

#include <string>
#include <string_view>

namespace EPub {

class Publication;

// `label` is the page label without its spread marker.
void WritePageDocument(Foundation::OutStream& out, const Publication& publication, const Page& page,
                       std::string_view label);

} // namespace EPub

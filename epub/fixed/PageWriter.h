// SPDX-License-Identifier: MIT
#pragma once
// The XHTML document of one fixed-layout page.

#include "epub/fixed/Page.h"
#include "host/foundation/Stream.h"

#include <string>
#include <string_view>

namespace EPub {

class Publication;

// `label` is the printed page label.
void WritePageDocument(Foundation::OutStream& out, const Publication& publication, const Page& page,
                       std::string_view label);

// Percent-escapes what may not stand in a URL attribute; "&" and "'" become entities and a
// backslash a slash.
std::string EncodeURL(std::string_view url);
// Escapes markup characters for element content and attributes, dropping what XML 1.0 cannot
// hold (most C0 controls, U+FFFE, U+FFFF, malformed UTF-8).
std::string EncodeText(std::string_view text);

} // namespace EPub

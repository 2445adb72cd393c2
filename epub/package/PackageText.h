// SPDX-License-Identifier: MIT
#pragma once
// Text and paths as they go into generated markup: whatever a host passes in, the result is
// well-formed XML and a link that resolves.

#include "host/foundation/StringT.h"

#include <set>
#include <string>
#include <string_view>

namespace EPub {

using Foundation::StringT;

// Drops what XML 1.0 cannot hold at all (C0 controls other than tab, line feed and carriage
// return, U+FFFE, U+FFFF and malformed UTF-8), then escapes the markup characters.
StringT XmlText(std::string_view text);
// The same without escaping.
StringT DropXmlIllegal(std::string_view text);

// A path inside the publication written as a URL for an attribute: bytes that may not stand in a
// URL path (spaces, controls, non-ASCII, "#", "?", "%"...) are percent-encoded, and "&" and "'"
// are escaped for XML.
StringT HrefText(std::string_view path);

// The path that leads from the document `from` to `to`, both relative to the same root
// ("sub/b.xhtml" to "css/styles.css" gives "../css/styles.css"; to "sub/c.xhtml", "c.xhtml").
StringT RelativePath(std::string_view from, std::string_view to);

// Hands out manifest ids: valid XML names (NCName), unique within one package document, as close
// to the wanted text as that allows ("1st" becomes "_1st", a second "ch" becomes "ch_2").
class ManifestIds {
public:
    // Ids the package uses for its own items.
    void Reserve(std::string_view id) { taken_.insert(std::string(id)); }
    StringT Make(std::string_view wanted);

private:
    std::set<std::string> taken_;
};

} // namespace EPub

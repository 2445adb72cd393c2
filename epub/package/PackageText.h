// SPDX-License-Identifier: MIT
#pragma once
// Manifest ids of the package.

#include "epub/xml/TextEncoding.h"
#include "host/foundation/StringT.h"

#include <set>
#include <string>
#include <string_view>

namespace EPub {

using Foundation::StringT;

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

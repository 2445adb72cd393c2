#pragma once
// Names of container entries made from names a document gives (stories, their folders, fonts):
// those may hold characters that links must escape and EPUB checkers warn about or reject.

#include "host/foundation/StringT.h"

#include <string_view>

namespace EPub {

using Foundation::StringT;

// `name` with "_" for every character an entry name should not hold: white space, controls,
// `"*:<>?\|#%`, private-use characters and non-characters, and a "." that ends a path component.
// Folder separators and other non-ASCII letters stay.
StringT EntryName(std::string_view name);

// "stem-N.ext" for `name` "stem.ext" (the extension of its last path component only).
StringT NumberedName(std::string_view name, int number);

} // namespace EPub

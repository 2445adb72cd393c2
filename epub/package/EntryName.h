// SPDX-License-Identifier: MIT
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

// The file name of `path` without folders and extension: "pictures/Cat photo.jpg" gives
// "Cat photo", the name a stored picture is given before EntryName makes it safe.
StringT FileStem(std::string_view path);

// "stem-N.ext" for `name` "stem.ext" (the extension of its last path component only).
StringT NumberedName(std::string_view name, int number);

} // namespace EPub

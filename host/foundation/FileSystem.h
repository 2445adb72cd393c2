// SPDX-License-Identifier: MIT
#pragma once
// Questions about files by path. None of them changes anything on disk.

#include "host/foundation/StringT.h"
#include "host/foundation/TimeStamp.h"

#include <optional>

namespace Foundation {

struct FileSystem {
    // True when the path names anything that exists: file, directory or other.
    static bool Exists(const StringT& path);
    // Last modification of the file; nothing when it cannot be found.
    static std::optional<TimeStamp> GetModifiedTime(const StringT& path);
    // The last component after "/" or "\": "a/b\\c.css" gives "c.css"; a path ending in a
    // separator gives "".
    static StringT GetFilename(const StringT& path);
    // The whole file as UTF-8 text, a leading byte-order mark removed; nothing when it cannot be
    // read. Bytes that are not valid UTF-8 are kept as they are.
    static std::optional<StringT> LoadTextFile(const StringT& path);
};

} // namespace Foundation

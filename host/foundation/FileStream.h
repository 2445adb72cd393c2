// SPDX-License-Identifier: MIT
#pragma once
// File streams. A null result means the file could not be opened.

#include "host/foundation/Stream.h"
#include "host/foundation/StringT.h"

namespace Foundation {

struct FastFileOutStream {
    // Buffered writer; creates or truncates the file.
    static Counted<OutStreamSeekable> Create(const StringT& path, size_t bufferSize);
};

struct FileOutStream {
    static Counted<OutStreamSeekable> Create(const StringT& path);
};

struct FastFileInStream {
    static Counted<InStreamSeekable> Open(const StringT& path, size_t bufferSize);
};

} // namespace Foundation

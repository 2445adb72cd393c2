// SPDX-License-Identifier: MIT
#pragma once
// The zip archive behind ZipArchive::Create. Entries reach the file in the order of Add: each is
// held (in memory, or in a temporary file past `spillThreshold` bytes) until it and every entry
// before it are complete, then deflated and written on a worker thread while the caller goes on.
// An archive and its entry streams belong to one thread.

#include "host/foundation/ZipArchive.h"

#include <cstddef>
#include <exception>

namespace Foundation {

inline constexpr size_t kZipSpillThreshold = 4 * 1024 * 1024;

Counted<ZipArchive> CreateOrderedZipArchive(Counted<OutStreamSeekable> out,
                                            std::exception_ptr& failure,
                                            size_t spillThreshold = kZipSpillThreshold);

} // namespace Foundation

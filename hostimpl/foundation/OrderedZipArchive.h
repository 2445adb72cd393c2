#pragma once
// The zip archive behind ZipArchive::Create. Entries reach the file in the order of Add: the
// earliest unfinished entry streams straight into the zip writer, later ones are held back
// (in memory, or in a temporary file past `spillThreshold` bytes each) until every entry before
// them is complete. An archive and its entry streams belong to one thread.

#include "host/foundation/ZipArchive.h"

#include <cstddef>
#include <exception>

namespace Foundation {

inline constexpr size_t kZipSpillThreshold = 4 * 1024 * 1024;

Counted<ZipArchive> CreateOrderedZipArchive(Counted<OutStreamSeekable> out,
                                            std::exception_ptr& failure,
                                            size_t spillThreshold = kZipSpillThreshold);

} // namespace Foundation

// SPDX-License-Identifier: MIT
#pragma once
// Zip container written onto a seekable stream.

#include "host/foundation/Stream.h"
#include "host/foundation/StringT.h"
#include "host/foundation/TimeStamp.h"

#include <cstdint>
#include <exception>
#include <optional>

namespace Foundation {

// Entries keep the order of Add, whatever the order in which their streams are released; several
// entries may be open at once. An entry is complete when its stream is released, the archive is
// finished when the archive is released. The entry named "mimetype" is stored uncompressed with
// no extra field, as OCF requires; every other entry is deflated. Write failures never throw out
// of the archive: the first one is stored in the failure slot and later writes are ignored.
class ZipArchive : public Countable {
public:
    // `failure` must outlive the archive and every entry stream it hands out.
    static Counted<ZipArchive> Create(Counted<OutStreamSeekable> out, std::exception_ptr& failure);

    // `compress` false stores the entry; "mimetype" is always stored. `attributes` are the Unix
    // mode bits (0x81B6 is a regular file with permissions 0666).
    virtual Counted<OutStream> Add(const StringT& path, bool compress,
                                   std::optional<TimeStamp> modified, uint32_t attributes) = 0;
    virtual bool Exists(const StringT& path) const = 0;
    virtual size_t size() const = 0;
    virtual StringT Path(size_t index) const = 0;
};

} // namespace Foundation

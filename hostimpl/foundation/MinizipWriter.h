// SPDX-License-Identifier: MIT
#pragma once
// minizip's zip writer driven through an OutStreamSeekable instead of a file. One entry at a
// time; the caller orders them. Every call answers false once the stream has failed.

#include "host/foundation/Stream.h"
#include "host/foundation/StringT.h"
#include "host/foundation/TimeStamp.h"

#include <cstdint>

namespace Foundation {

class MinizipWriter {
public:
    struct EntryInfo {
        bool stored = false;
        TimeStamp modified;
        uint32_t unixMode = 0;
        // Needed when the entry may reach 4 GiB; adds an extra field to the local header.
        bool zip64 = false;
        // The caller hands over data it deflated itself and names its size and CRC at EndEntry.
        bool raw = false;
    };

    // `out` must outlive the writer.
    explicit MinizipWriter(OutStreamSeekable& out);
    MinizipWriter(const MinizipWriter&) = delete;
    MinizipWriter& operator=(const MinizipWriter&) = delete;
    // Frees minizip's state; an archive not yet closed is closed on the way.
    ~MinizipWriter();

    bool IsOpen() const noexcept { return zip_ != nullptr; }
    // The stream refused a write or a seek; nothing more reaches it.
    bool HasFailed() const noexcept { return ioFailed_; }
    bool BeginEntry(const StringT& name, const EntryInfo& info);
    bool Write(const void* data, size_t size);
    bool EndEntry();
    // Ends an entry begun with `raw`.
    bool EndRawEntry(uint64_t uncompressedSize, uint32_t crc);
    // Writes the central directory.
    bool Close();

private:
    struct Callbacks;
    // Replaces the end record minizip wrote at `directoryEnd` with the zip64 records and a
    // classic record pointing at them.
    bool WriteZip64End(uint64_t directory, uint64_t directoryEnd);
    friend struct Callbacks;

    OutStreamSeekable& out_;
    uint64_t end_ = 0; // furthest byte written, for seeks from the end
    void* zip_ = nullptr;
    bool entryOpen_ = false;
    bool ioFailed_ = false;
    uint64_t entries_ = 0;
};

} // namespace Foundation

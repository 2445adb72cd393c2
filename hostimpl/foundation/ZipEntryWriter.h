// SPDX-License-Identifier: MIT
#pragma once
// Hands complete entries to the zip writer in the order they arrive, on a worker thread when one
// can be started, so deflating one document overlaps with producing the next. Small entries are
// deflated whole with libdeflate; entries held in a temporary file stream through minizip's own
// deflate.

#include "hostimpl/foundation/MinizipWriter.h"
#include "hostimpl/foundation/RawDeflater.h"
#include "hostimpl/foundation/SpillBuffer.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace Foundation {

class ZipEntryWriter {
public:
    struct Entry {
        StringT name;
        MinizipWriter::EntryInfo info;
        SpillBuffer data;
    };
    // Called at most once, with the first problem, from whichever thread met it.
    using FailureSink = std::function<void(const StringT&)>;

    // `zip` must outlive the writer and is not touched by anyone else until Drain returns.
    ZipEntryWriter(MinizipWriter& zip, FailureSink fail);
    ZipEntryWriter(const ZipEntryWriter&) = delete;
    ZipEntryWriter& operator=(const ZipEntryWriter&) = delete;
    ~ZipEntryWriter();

    // Waits while too many bytes are queued, so memory stays bounded when deflate falls behind.
    void Push(Entry entry);
    // Writes everything queued and stops the worker.
    void Drain() noexcept;
    bool HasFailed() const noexcept { return failed_; }

private:
    void Run();
    void WriteEntry(Entry& entry) noexcept;
    bool WriteDeflated(Entry& entry);
    bool WriteStreamed(Entry& entry);
    void Fail(const StringT& name, std::string_view problem) noexcept;

    MinizipWriter& zip_;
    FailureSink fail_;
    std::atomic<bool> failed_ = false;
    // Used by whichever thread writes entries: the worker, or Push's caller when there is none.
    RawDeflater deflater_;
    std::string packed_; // reused between entries
    std::mutex mutex_;
    std::condition_variable ready_, space_;
    std::deque<Entry> queue_;
    size_t queuedBytes_ = 0;
    bool stopping_ = false;
    std::thread worker_; // last: started once everything it uses exists
};

} // namespace Foundation

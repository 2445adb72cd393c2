// SPDX-License-Identifier: MIT
#include "hostimpl/foundation/ZipEntryWriter.h"

#include <system_error>

namespace Foundation {

namespace {

// Entries this large get a zip64 local header, since deflate may not shrink them below 4 GiB.
constexpr uint64_t kZip64Threshold = 0xF0000000u;
// Enough for a few documents in flight; beyond it the producer waits for deflate.
constexpr size_t kMaxQueuedBytes = 256 * 1024;

const char* const kOutputFailed = "the output stream failed (closed, full or not writable)";

size_t MemoryBytes(const ZipEntryWriter::Entry& entry) {
    return entry.data.Memory().size();
}

} // namespace

ZipEntryWriter::ZipEntryWriter(MinizipWriter& zip, FailureSink fail)
    : zip_(zip), fail_(std::move(fail)) {
    try {
        worker_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        // No thread to be had: Push writes each entry itself.
    }
}

ZipEntryWriter::~ZipEntryWriter() {
    Drain();
}

void ZipEntryWriter::Push(Entry entry) {
    entry.info.zip64 = entry.data.size() >= kZip64Threshold;
    if (!worker_.joinable()) {
        WriteEntry(entry);
        return;
    }
    std::unique_lock lock(mutex_);
    space_.wait(lock, [this] { return queuedBytes_ < kMaxQueuedBytes; });
    queuedBytes_ += MemoryBytes(entry);
    queue_.push_back(std::move(entry));
    ready_.notify_one();
}

void ZipEntryWriter::Drain() noexcept {
    if (!worker_.joinable())
        return;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    ready_.notify_one();
    worker_.join();
}

void ZipEntryWriter::Run() {
    for (;;) {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty())
            return;
        Entry entry = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();

        const size_t bytes = MemoryBytes(entry);
        WriteEntry(entry);
        entry.data.Clear();

        lock.lock();
        queuedBytes_ -= bytes;
        lock.unlock();
        space_.notify_one();
    }
}

void ZipEntryWriter::WriteEntry(Entry& entry) noexcept {
    if (failed_)
        return;
    try {
        const bool whole = !entry.info.stored && !entry.data.IsSpilled() && entry.data.size() > 0;
        if (whole ? WriteDeflated(entry) : WriteStreamed(entry))
            return;
        if (!failed_)
            Fail(entry.name, zip_.HasFailed() ? std::string_view(kOutputFailed)
                                              : "the zip writer refused it (too large?)");
    } catch (...) {
        Fail(entry.name, "out of memory");
    }
}

bool ZipEntryWriter::WriteDeflated(Entry& entry) {
    const std::string_view bytes = entry.data.Memory();
    if (!deflater_.Deflate(bytes, packed_)) {
        Fail(entry.name, "it could not be deflated");
        return false;
    }
    MinizipWriter::EntryInfo info = entry.info;
    info.raw = true;
    return zip_.BeginEntry(entry.name, info) && zip_.Write(packed_.data(), packed_.size()) &&
           zip_.EndRawEntry(bytes.size(), RawDeflater::Crc32(bytes));
}

bool ZipEntryWriter::WriteStreamed(Entry& entry) {
    if (!zip_.BeginEntry(entry.name, entry.info))
        return false;
    bool sinkFailed = false;
    const bool replayed = entry.data.Replay([&](const void* d, size_t n) {
        sinkFailed = !zip_.Write(d, n);
        return !sinkFailed;
    });
    if (!replayed && !sinkFailed) {
        Fail(entry.name, "its temporary file could not be read back");
        return false;
    }
    return replayed && zip_.EndEntry();
}

void ZipEntryWriter::Fail(const StringT& name, std::string_view problem) noexcept {
    if (failed_.exchange(true))
        return;
    try {
        fail_(StringT::Format("zip archive entry \"%1\": %2", name, problem));
    } catch (...) {
        // The archive notices HasFailed when it finishes and reports what it can.
    }
}

} // namespace Foundation

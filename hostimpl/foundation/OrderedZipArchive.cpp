// SPDX-License-Identifier: MIT
#include "hostimpl/foundation/OrderedZipArchive.h"

#include "hostimpl/foundation/ZipEntryWriter.h"

#include <atomic>
#include <deque>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <unordered_set>

namespace Foundation {

namespace {

constexpr size_t kMaxNameLength = 0xFFFF;

const char* const kOutputFailed = "the output stream failed (closed, full or not writable)";

class ArchiveCore final : public Countable {
public:
    ArchiveCore(Counted<OutStreamSeekable> out, std::exception_ptr& failure, size_t spillThreshold)
        : out_(std::move(out)), failure_(failure), spillThreshold_(spillThreshold) {
        if (!out_) {
            Fail("zip archive: there is no output stream");
            return;
        }
        zip_.emplace(*out_);
        if (!zip_->IsOpen()) {
            Fail("zip archive: the zip writer could not start");
            return;
        }
        writer_.emplace(*zip_, [this](const StringT& message) { Fail(message); });
    }

    ~ArchiveCore() override { writer_.reset(); }

    // Answers the entry's index, or nothing when the name cannot be added.
    std::optional<size_t> Add(const StringT& path, bool compress, std::optional<TimeStamp> modified,
                              uint32_t attributes) {
        if (path.size() > kMaxNameLength || path.Find('\0') != StringT::npos) {
            Capture(EntryMessage(path, "the name is not a valid entry name"));
            return std::nullopt;
        }
        if (names_.contains(path.str())) {
            Capture(EntryMessage(path, "an entry of this name already exists"));
            return std::nullopt;
        }
        Entry& entry = entries_.emplace_back(path, spillThreshold_);
        // OCF wants "mimetype" stored so that readers can sniff it at a fixed offset.
        entry.info.stored = !compress || path == "mimetype";
        entry.info.modified = modified.value_or(TimeStamp::GetCurrent());
        entry.info.unixMode = attributes;
        names_.insert(path.str());
        return entries_.size() - 1;
    }

    size_t Write(size_t index, const void* data, size_t size) noexcept {
        Entry& entry = entries_[index];
        if (finished_) {
            Capture(EntryMessage(entry.name, "written after the archive was finished"));
            return 0;
        }
        if (broken_ || size == 0)
            return 0;
        try {
            if (!entry.pending.Append(data, size)) {
                Fail(EntryMessage(entry.name, "its data could not be held in a temporary file"));
                return 0;
            }
            return size;
        } catch (...) {
            Fail(EntryMessage(entry.name, "out of memory"));
            return 0;
        }
    }

    void Complete(size_t index) noexcept {
        if (finished_)
            return;
        entries_[index].released = true;
        if (index == front_)
            AdvanceNoThrow();
    }

    // Entries still open are closed with what they hold; the central directory follows.
    void Finish() noexcept {
        if (finished_)
            return;
        for (size_t i = front_; i < entries_.size(); ++i)
            entries_[i].released = true;
        AdvanceNoThrow();
        if (writer_) {
            writer_->Drain();
            if (writer_->HasFailed())
                Fail("zip archive: out of memory");
            writer_.reset();
        }
        if (zip_ && !broken_ && !zip_->Close())
            Fail(StringT("zip archive: could not write the central directory: ") + kOutputFailed);
        zip_.reset();
        if (out_ && !broken_ && !out_->Flush())
            Fail(StringT("zip archive: could not flush the output: ") + kOutputFailed);
        out_.Reset();
        finished_ = true;
    }

    bool Exists(const StringT& path) const { return names_.contains(path.str()); }
    size_t size() const { return entries_.size(); }
    StringT Path(size_t index) const {
        return index < entries_.size() ? entries_[index].name : StringT();
    }

private:
    struct Entry {
        Entry(const StringT& path, size_t spillThreshold) : name(path), pending(spillThreshold) {}
        StringT name;
        MinizipWriter::EntryInfo info;
        SpillBuffer pending; // the bytes until the entry and every entry before it are complete
        bool released = false;
    };

    static StringT EntryMessage(const StringT& name, std::string_view problem) {
        return StringT::Format("zip archive entry \"%1\": %2", name, problem);
    }

    // Hands every complete entry at the front to the writer; its buffers go with it.
    void Advance() {
        while (front_ < entries_.size() && entries_[front_].released) {
            Entry& entry = entries_[front_++];
            SpillBuffer data = std::move(entry.pending);
            entry.pending.Clear();
            if (!broken_ && writer_)
                writer_->Push({entry.name, entry.info, std::move(data)});
        }
    }

    void AdvanceNoThrow() noexcept {
        try {
            Advance();
        } catch (...) {
            Fail("zip archive: out of memory");
        }
    }

    // The archive cannot be completed: nothing more is written.
    void Fail(const StringT& message) noexcept {
        broken_ = true;
        Capture(message);
    }

    // The writer's thread may report a failure while this thread records another.
    void Capture(const StringT& message) noexcept {
        std::lock_guard lock(failureMutex_);
        if (failure_)
            return;
        try {
            failure_ = std::make_exception_ptr(std::runtime_error(message.str()));
        } catch (...) {
            failure_ = std::current_exception();
        }
    }

    Counted<OutStreamSeekable> out_;
    std::optional<MinizipWriter> zip_; // refers to *out_, so declared after it
    std::exception_ptr& failure_;
    std::mutex failureMutex_;
    size_t spillThreshold_;
    std::deque<Entry> entries_;
    std::unordered_set<std::string> names_;
    size_t front_ = 0; // first entry not yet handed to the writer
    std::atomic<bool> broken_ = false;
    bool finished_ = false;
    std::optional<ZipEntryWriter> writer_; // refers to *zip_; stopped before it goes
};

class EntryStream final : public OutStream {
public:
    EntryStream(Counted<ArchiveCore> core, size_t index) : core_(std::move(core)), index_(index) {}
    ~EntryStream() override { core_->Complete(index_); }
    size_t Write(const void* data, size_t size) override {
        return core_->Write(index_, data, size);
    }

private:
    Counted<ArchiveCore> core_;
    size_t index_;
};

// Stands in for an entry that could not be added; the failure is already recorded.
class DiscardStream final : public OutStream {
public:
    size_t Write(const void*, size_t size) override { return size; }
};

class OrderedZipArchive final : public ZipArchive {
public:
    explicit OrderedZipArchive(Counted<ArchiveCore> core) : core_(std::move(core)) {}
    ~OrderedZipArchive() override { core_->Finish(); }

    Counted<OutStream> Add(const StringT& path, bool compress, std::optional<TimeStamp> modified,
                           uint32_t attributes) override {
        const std::optional<size_t> index = core_->Add(path, compress, modified, attributes);
        if (!index)
            return MakeCounted<DiscardStream>();
        return MakeCounted<EntryStream>(core_, *index);
    }
    bool Exists(const StringT& path) const override { return core_->Exists(path); }
    size_t size() const override { return core_->size(); }
    StringT Path(size_t index) const override { return core_->Path(index); }

private:
    Counted<ArchiveCore> core_;
};

} // namespace

Counted<ZipArchive> CreateOrderedZipArchive(Counted<OutStreamSeekable> out,
                                            std::exception_ptr& failure, size_t spillThreshold) {
    auto core = MakeCounted<ArchiveCore>(std::move(out), failure, spillThreshold);
    return MakeCounted<OrderedZipArchive>(std::move(core));
}

} // namespace Foundation

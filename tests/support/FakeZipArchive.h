// SPDX-License-Identifier: MIT
#pragma once
// In-memory ZipArchive for tests: keeps every entry's arguments and bytes, and can be told to
// refuse entries or to cut writes short.

#include "host/foundation/ZipArchive.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace Testing {

class FakeZipArchive final : public Foundation::ZipArchive {
public:
    struct Entry {
        Foundation::StringT path;
        bool compress = false;
        std::optional<Foundation::TimeStamp> modified;
        uint32_t attributes = 0;
        std::string data;
        bool complete = false; // its stream has been released
        size_t writeLimit = std::numeric_limits<size_t>::max();
    };

    Foundation::Counted<Foundation::OutStream> Add(const Foundation::StringT& path, bool compress,
                                                   std::optional<Foundation::TimeStamp> modified,
                                                   uint32_t attributes) override {
        if (refuseAdd_)
            return nullptr;
        entries_.push_back({path, compress, modified, attributes, {}, false, writeLimit_});
        return Foundation::MakeCounted<EntryStream>(Foundation::Counted<FakeZipArchive>(this),
                                                    entries_.size() - 1);
    }
    bool Exists(const Foundation::StringT& path) const override {
        return std::ranges::any_of(entries_, [&](const Entry& e) { return e.path == path; });
    }
    size_t size() const override { return entries_.size(); }
    Foundation::StringT Path(size_t index) const override {
        return index < entries_.size() ? entries_[index].path : Foundation::StringT();
    }

    const std::vector<Entry>& Entries() const noexcept { return entries_; }
    const Entry* Find(std::string_view path) const {
        const auto it =
            std::ranges::find_if(entries_, [&](const Entry& e) { return e.path == path; });
        return it == entries_.end() ? nullptr : &*it;
    }
    // Entries added from now on accept at most `bytes` bytes in all.
    void SetWriteLimit(size_t bytes) noexcept { writeLimit_ = bytes; }
    void RefuseAdd(bool refuse) noexcept { refuseAdd_ = refuse; }

private:
    class EntryStream final : public Foundation::OutStream {
    public:
        EntryStream(Foundation::Counted<FakeZipArchive> archive, size_t index)
            : archive_(std::move(archive)), index_(index) {}
        ~EntryStream() override { entry().complete = true; }

        size_t Write(const void* data, size_t size) override {
            Entry& e = entry();
            const size_t n = std::min(size, e.writeLimit - std::min(e.writeLimit, e.data.size()));
            e.data.append(static_cast<const char*>(data), n);
            return n;
        }

    private:
        Entry& entry() { return archive_->entries_[index_]; }

        Foundation::Counted<FakeZipArchive> archive_;
        size_t index_;
    };

    std::vector<Entry> entries_;
    size_t writeLimit_ = std::numeric_limits<size_t>::max();
    bool refuseAdd_ = false;
};

} // namespace Testing

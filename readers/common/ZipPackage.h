// SPDX-License-Identifier: MIT
#pragma once
// The zip container of a Word or OpenDocument file: its central directory read straight from the
// bytes, and parts inflated on demand within the caps that keep a small hostile file from taking
// gigabytes.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace Readers {

// Inflated text in pages of its own, which can be given back to the system once read: a long
// part need not stay in memory whole while it is walked.
class PageBuffer {
public:
    PageBuffer() = default;
    explicit PageBuffer(size_t size);
    ~PageBuffer();
    PageBuffer(PageBuffer&& other) noexcept { *this = std::move(other); }
    PageBuffer& operator=(PageBuffer&& other) noexcept;
    PageBuffer(const PageBuffer&) = delete;
    PageBuffer& operator=(const PageBuffer&) = delete;

    char* Data() noexcept { return data_; }
    std::string_view View() const noexcept { return {data_, size_}; }
    // Gives back the whole pages before `end`; they read as zeros afterwards.
    void Release(size_t end);

private:
    char* data_ = nullptr;
    size_t size_ = 0;
};

struct PackageLimits {
    uint64_t maxInflatedBytes; // all parts read, together
    uint32_t maxRatio;         // inflated size over stored size, for parts above 1 MB
};

class Package {
public:
    // `bytes` must outlive the package. Throws InputError for anything that is not a readable
    // zip (the message starts with `source`).
    Package(std::string_view bytes, std::string source, PackageLimits limits);

    // Part names are absolute ("/word/document.xml"), compared ignoring ASCII case.
    bool Has(std::string_view part) const;
    // The inflated part. Throws InputError for a missing, damaged or oversized part.
    std::string Read(std::string_view part);
    PageBuffer ReadPages(std::string_view part);
    std::vector<std::string> PartNames() const;

    // "FILE: PART: problem".
    [[noreturn]] void Fail(std::string_view part, std::string_view problem) const;
    const std::string& Source() const noexcept { return source_; }

private:
    struct Entry {
        std::string name; // as stored, with a leading "/"
        uint64_t localOffset = 0;
        uint64_t storedSize = 0;
        uint64_t size = 0;
        uint32_t crc = 0;
        uint16_t method = 0;
        uint16_t flags = 0;
    };

    void ReadDirectory();
    // Checks the entry and the caps, then inflates into what `allocate` gives for its size.
    void Read(std::string_view part, const std::function<char*(size_t)>& allocate);
    const Entry* Find(std::string_view part) const;

    std::string_view bytes_;
    std::string source_;
    PackageLimits limits_;
    uint64_t inflated_ = 0;
    std::map<std::string, Entry> entries_; // by folded name
};

// "/word/document.xml" for "word/document.xml", "%20" decoded; what a part name is compared as.
std::string FoldPartName(std::string_view name);

} // namespace Readers

#pragma once
// The zip container of a Word document: its central directory read straight from the bytes, and
// parts inflated on demand within the caps that keep a small hostile file from taking gigabytes.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace Readers::Docx {

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
    const Entry* Find(std::string_view part) const;

    std::string_view bytes_;
    std::string source_;
    PackageLimits limits_;
    uint64_t inflated_ = 0;
    std::map<std::string, Entry> entries_; // by folded name
};

// "/word/document.xml" for "word/document.xml", "%20" decoded; what a part name is compared as.
std::string FoldPartName(std::string_view name);

} // namespace Readers::Docx

// SPDX-License-Identifier: MIT
#include "readers/common/ZipPackage.h"

#include "readers/common/ReaderDocument.h"
#include "readers/common/SafeXml.h"

#include <libdeflate.h>

#include <algorithm>
#include <memory>

#include <sys/mman.h>
#include <unistd.h>

namespace Readers {

namespace {

constexpr uint32_t kEndOfDirectory = 0x06054b50;
constexpr uint32_t kZip64Locator = 0x07064b50;
constexpr uint32_t kZip64End = 0x06064b50;
constexpr uint32_t kDirectoryEntry = 0x02014b50;
constexpr uint32_t kLocalHeader = 0x04034b50;
// Below this a part may compress as well as it likes: a page of one repeated character is not
// an attack.
constexpr uint64_t kRatioFloor = 1u << 20;

class Bytes {
public:
    explicit Bytes(std::string_view data) : data_(data) {}
    bool Fits(uint64_t at, uint64_t n) const {
        return at <= data_.size() && n <= data_.size() - at;
    }
    uint16_t U16(uint64_t at) const { return static_cast<uint16_t>(Byte(at) | Byte(at + 1) << 8); }
    uint32_t U32(uint64_t at) const { return U16(at) | static_cast<uint32_t>(U16(at + 2)) << 16; }
    uint64_t U64(uint64_t at) const { return U32(at) | static_cast<uint64_t>(U32(at + 4)) << 32; }
    std::string_view Slice(uint64_t at, uint64_t n) const { return data_.substr(at, n); }
    uint64_t Size() const { return data_.size(); }

private:
    uint32_t Byte(uint64_t at) const { return static_cast<uint8_t>(data_[at]); }
    std::string_view data_;
};

struct Decompressor {
    libdeflate_decompressor* d = libdeflate_alloc_decompressor();
    ~Decompressor() { libdeflate_free_decompressor(d); }
    Decompressor() = default;
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;
};

char FoldAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = FoldAscii(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

} // namespace

std::string FoldPartName(std::string_view name) {
    std::string out;
    out.reserve(name.size() + 1);
    if (name.empty() || name.front() != '/')
        out += '/';
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '%' && i + 2 < name.size() && HexValue(name[i + 1]) >= 0 &&
            HexValue(name[i + 2]) >= 0) {
            out += FoldAscii(static_cast<char>(HexValue(name[i + 1]) * 16 + HexValue(name[i + 2])));
            i += 2;
            continue;
        }
        out += name[i] == '\\' ? '/' : FoldAscii(name[i]);
    }
    return out;
}

Package::Package(std::string_view bytes, std::string source, PackageLimits limits)
    : bytes_(bytes), source_(std::move(source)), limits_(limits) {
    ReadDirectory();
}

void Package::Fail(std::string_view part, std::string_view problem) const {
    FailAt(source_, part, problem);
}

void Package::ReadDirectory() {
    const Bytes b(bytes_);
    if (b.Size() < 22)
        Fail({}, "not a zip archive (too short)");
    // The end record sits in the last 64 kB + 22 bytes, behind an optional comment.
    uint64_t end = b.Size() - 22;
    const uint64_t lowest = b.Size() > 65557 ? b.Size() - 65557 : 0;
    while (b.U32(end) != kEndOfDirectory) {
        if (end == lowest)
            Fail({}, b.U32(0) == kLocalHeader
                         ? "the zip archive is damaged or cut short (no central directory)"
                         : "not a zip archive (no central directory)");
        --end;
    }
    uint64_t count = b.U16(end + 10);
    uint64_t size = b.U32(end + 12);
    uint64_t offset = b.U32(end + 16);
    if ((count == 0xFFFF || size == 0xFFFFFFFF || offset == 0xFFFFFFFF) && end >= 20 &&
        b.U32(end - 20) == kZip64Locator) {
        const uint64_t at = b.U64(end - 20 + 8);
        if (!b.Fits(at, 56) || b.U32(at) != kZip64End)
            Fail({}, "damaged zip archive (bad zip64 directory)");
        count = b.U64(at + 32);
        size = b.U64(at + 40);
        offset = b.U64(at + 48);
    }
    if (!b.Fits(offset, size))
        Fail({}, "damaged zip archive (the central directory lies outside the file)");
    uint64_t at = offset;
    for (uint64_t i = 0; i < count; ++i) {
        if (!b.Fits(at, 46) || b.U32(at) != kDirectoryEntry)
            Fail({}, "damaged zip archive (bad central directory entry)");
        Entry e;
        e.flags = b.U16(at + 8);
        e.method = b.U16(at + 10);
        e.crc = b.U32(at + 16);
        e.storedSize = b.U32(at + 20);
        e.size = b.U32(at + 24);
        const uint16_t nameLength = b.U16(at + 28);
        const uint16_t extraLength = b.U16(at + 30);
        const uint16_t commentLength = b.U16(at + 32);
        e.localOffset = b.U32(at + 42);
        if (!b.Fits(at + 46, uint64_t{nameLength} + extraLength + commentLength))
            Fail({}, "damaged zip archive (bad central directory entry)");
        e.name = "/" + std::string(b.Slice(at + 46, nameLength));
        // Zip64 sizes, in the order of the fields that overflowed.
        for (uint64_t x = at + 46 + nameLength; x + 4 <= at + 46 + nameLength + extraLength;) {
            const uint16_t id = b.U16(x);
            const uint16_t length = b.U16(x + 2);
            if (id == 1) {
                uint64_t field = x + 4;
                const uint64_t stop = field + length;
                const auto take = [&](uint64_t& value) {
                    if (value == 0xFFFFFFFF && field + 8 <= stop) {
                        value = b.U64(field);
                        field += 8;
                    }
                };
                take(e.size);
                take(e.storedSize);
                take(e.localOffset);
            }
            x += 4 + uint64_t{length};
        }
        at += 46 + uint64_t{nameLength} + extraLength + commentLength;
        if (e.name.back() == '/')
            continue; // a folder
        entries_.emplace(FoldPartName(e.name), std::move(e));
    }
}

const Package::Entry* Package::Find(std::string_view part) const {
    const auto it = entries_.find(FoldPartName(part));
    return it == entries_.end() ? nullptr : &it->second;
}

bool Package::Has(std::string_view part) const {
    return Find(part) != nullptr;
}

std::vector<std::string> Package::PartNames() const {
    std::vector<std::string> names;
    names.reserve(entries_.size());
    for (const auto& [key, entry] : entries_)
        names.push_back(entry.name);
    return names;
}

std::string Package::Read(std::string_view part) {
    std::string out;
    Read(part, [&out](size_t size) {
        out.resize(size);
        return out.data();
    });
    return out;
}

PageBuffer Package::ReadPages(std::string_view part) {
    PageBuffer out;
    Read(part, [&out](size_t size) {
        out = PageBuffer(size);
        return out.Data();
    });
    return out;
}

void Package::Read(std::string_view part, const std::function<char*(size_t)>& allocate) {
    const Entry* e = Find(part);
    if (!e)
        Fail(part, "missing from the package");
    const std::string& name = e->name;
    if (e->flags & 1)
        Fail(name, "encrypted documents are not supported");
    const Bytes b(bytes_);
    if (!b.Fits(e->localOffset, 30) || b.U32(e->localOffset) != kLocalHeader)
        Fail(name, "damaged zip entry (bad local header)");
    const uint64_t data =
        e->localOffset + 30 + b.U16(e->localOffset + 26) + uint64_t{b.U16(e->localOffset + 28)};
    if (!b.Fits(data, e->storedSize))
        Fail(name, "damaged zip entry (its data lies outside the file)");
    if (e->size > limits_.maxInflatedBytes - std::min(inflated_, limits_.maxInflatedBytes))
        Fail(name, "the package inflates to more than " +
                       std::to_string(limits_.maxInflatedBytes >> 20) +
                       " MB (a zip bomb, or a document too large to convert)");
    if (e->size > kRatioFloor && e->size / std::max<uint64_t>(e->storedSize, 1) > limits_.maxRatio)
        Fail(name,
             "compressed more than " + std::to_string(limits_.maxRatio) + " to 1 (a zip bomb)");
    if (e->method != 0 && e->method != 8)
        Fail(name,
             "compressed with a method other than deflate (" + std::to_string(e->method) + ")");
    if (e->method == 0 && e->storedSize != e->size)
        Fail(name, "damaged zip entry (stored sizes disagree)");
    inflated_ += e->size;
    const std::string_view stored = b.Slice(data, e->storedSize);
    const size_t size = static_cast<size_t>(e->size);
    char* out = allocate(size);
    if (e->method == 0) {
        std::copy(stored.begin(), stored.end(), out);
    } else {
        const Decompressor inflater;
        if (!inflater.d)
            throw std::bad_alloc();
        size_t produced = 0;
        if (libdeflate_deflate_decompress(inflater.d, stored.data(), stored.size(), out, size,
                                          &produced) != LIBDEFLATE_SUCCESS ||
            produced != size)
            Fail(name, "damaged zip entry (the compressed data is broken)");
    }
    if (libdeflate_crc32(0, out, size) != e->crc)
        Fail(name, "damaged zip entry (checksum mismatch)");
}

PageBuffer::PageBuffer(size_t size) : size_(size) {
    if (size == 0)
        return;
    void* pages = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (pages == MAP_FAILED)
        throw std::bad_alloc();
    data_ = static_cast<char*>(pages);
}

PageBuffer::~PageBuffer() {
    if (data_)
        ::munmap(data_, size_);
}

PageBuffer& PageBuffer::operator=(PageBuffer&& other) noexcept {
    if (this != &other) {
        if (data_)
            ::munmap(data_, size_);
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

void PageBuffer::Release(size_t end) {
    const auto page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    end = std::min(end, size_) / page * page;
    if (data_ && end > 0)
        ::madvise(data_, end, MADV_DONTNEED);
}

} // namespace Readers

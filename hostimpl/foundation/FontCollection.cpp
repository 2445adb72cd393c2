// SPDX-License-Identifier: MIT
#include "host/foundation/FontCollection.h"

#include "hostimpl/foundation/FontFreeType.h"

#include <ft2build.h>
#include FT_TRUETYPE_TABLES_H
#include FT_TRUETYPE_TAGS_H

#include <algorithm>
#include <cstring>
#include <vector>

namespace Foundation {

namespace {

constexpr size_t kCollectionHeaderSize = 12; // tag, version, face count
constexpr size_t kOffsetTableSize = 12;      // sfnt version, table count, search fields
constexpr size_t kDirectoryEntrySize = 16;
constexpr size_t kHeadAdjustmentOffset = 8;
constexpr uint32_t kChecksumMagic = 0xB1B0AFBA;

uint32_t ReadU32(std::string_view data, size_t at) {
    return uint32_t(uint8_t(data[at])) << 24 | uint32_t(uint8_t(data[at + 1])) << 16 |
           uint32_t(uint8_t(data[at + 2])) << 8 | uint32_t(uint8_t(data[at + 3]));
}

void PutU16(std::string& out, size_t at, uint32_t v) {
    out[at] = char(v >> 8);
    out[at + 1] = char(v);
}

void PutU32(std::string& out, size_t at, uint32_t v) {
    PutU16(out, at, v >> 16);
    PutU16(out, at + 2, v);
}

// Sum of big-endian 32-bit words; the data is zero-padded to a word boundary.
uint32_t Checksum(std::string_view data) {
    uint32_t sum = 0;
    size_t i = 0;
    for (; i + 4 <= data.size(); i += 4)
        sum += ReadU32(data, i);
    uint32_t last = 0;
    for (size_t shift = 24; i < data.size(); ++i, shift -= 8)
        last |= uint32_t(uint8_t(data[i])) << shift;
    return sum + last;
}

size_t Align4(size_t n) {
    return (n + 3) & ~size_t(3);
}

struct Table {
    FT_ULong tag = 0;
    std::string bytes;
};

// The version word of the face's own offset table (0x00010000, 'OTTO' or 'true').
std::optional<uint32_t> FaceSfntVersion(std::string_view data, uint32_t index) {
    if (!IsFontCollection(data) || data.size() < kCollectionHeaderSize)
        return std::nullopt;
    const uint32_t faces = ReadU32(data, 8);
    if (index >= faces || kCollectionHeaderSize + 4 * size_t(faces) > data.size())
        return std::nullopt;
    const uint32_t offset = ReadU32(data, kCollectionHeaderSize + 4 * size_t(index));
    if (size_t(offset) + kOffsetTableSize > data.size())
        return std::nullopt;
    return ReadU32(data, offset);
}

std::optional<std::vector<Table>> LoadTables(FT_Face face) {
    FT_ULong count = 0;
    if (FT_Sfnt_Table_Info(face, 0, nullptr, &count) != 0)
        return std::nullopt;
    std::vector<Table> tables;
    for (FT_UInt i = 0; i < count; ++i) {
        Table t;
        FT_ULong length = 0;
        if (FT_Sfnt_Table_Info(face, i, &t.tag, &length) != 0)
            return std::nullopt;
        if (t.tag == TTAG_DSIG)
            continue;
        t.bytes.resize(length);
        if (length && FT_Load_Sfnt_Table(face, t.tag, 0, reinterpret_cast<FT_Byte*>(t.bytes.data()),
                                         &length) != 0)
            return std::nullopt;
        tables.push_back(std::move(t));
    }
    std::sort(tables.begin(), tables.end(),
              [](const Table& a, const Table& b) { return a.tag < b.tag; });
    return tables;
}

void WriteOffsetTable(std::string& out, uint32_t sfntVersion, size_t tableCount) {
    // searchRange and friends let readers binary-search the directory.
    uint32_t entrySelector = 0;
    while ((size_t(2) << entrySelector) <= tableCount)
        ++entrySelector;
    const uint32_t searchRange = (uint32_t(1) << entrySelector) * kDirectoryEntrySize;
    PutU32(out, 0, sfntVersion);
    PutU16(out, 4, uint32_t(tableCount));
    PutU16(out, 6, searchRange);
    PutU16(out, 8, entrySelector);
    PutU16(out, 10, uint32_t(tableCount * kDirectoryEntrySize) - searchRange);
}

std::string BuildSfnt(uint32_t sfntVersion, std::vector<Table>& tables) {
    size_t offset = kOffsetTableSize + tables.size() * kDirectoryEntrySize;
    size_t total = offset;
    for (const Table& t : tables)
        total += Align4(t.bytes.size());
    std::string out(total, '\0');
    WriteOffsetTable(out, sfntVersion, tables.size());

    size_t headOffset = 0;
    for (size_t i = 0; i < tables.size(); ++i) {
        Table& t = tables[i];
        const bool isHead = t.tag == TTAG_head && t.bytes.size() >= kHeadAdjustmentOffset + 4;
        if (isHead) {
            PutU32(t.bytes, kHeadAdjustmentOffset, 0);
            headOffset = offset;
        }
        const size_t entry = kOffsetTableSize + i * kDirectoryEntrySize;
        PutU32(out, entry, uint32_t(t.tag));
        PutU32(out, entry + 4, Checksum(t.bytes));
        PutU32(out, entry + 8, uint32_t(offset));
        PutU32(out, entry + 12, uint32_t(t.bytes.size()));
        std::memcpy(out.data() + offset, t.bytes.data(), t.bytes.size());
        offset += Align4(t.bytes.size());
    }
    if (headOffset)
        PutU32(out, headOffset + kHeadAdjustmentOffset, kChecksumMagic - Checksum(out));
    return out;
}

} // namespace

bool IsFontCollection(std::string_view data) {
    return data.size() >= 4 && data.substr(0, 4) == "ttcf";
}

std::optional<uint32_t> FindCollectionFace(std::string_view data, std::string_view family) {
    if (!IsFontCollection(data))
        return std::nullopt;
    const auto lib = FreeType::OpenLibrary();
    const long faces = FreeType::CountFaces(lib, data);
    for (long i = 0; i < faces; ++i) {
        const auto face = FreeType::OpenMemoryFace(lib, data, i);
        if (face && FreeType::ReadNameTable(face.get()).HasName(FontNameTable::kFamily, family))
            return uint32_t(i);
    }
    return std::nullopt;
}

std::optional<std::string> ExtractCollectionFace(std::string_view data, uint32_t index) {
    const auto version = FaceSfntVersion(data, index);
    if (!version)
        return std::nullopt;
    const auto lib = FreeType::OpenLibrary();
    const auto face = FreeType::OpenMemoryFace(lib, data, long(index));
    if (!face || !FT_IS_SFNT(face.get()))
        return std::nullopt;
    auto tables = LoadTables(face.get());
    if (!tables || tables->empty())
        return std::nullopt;
    return BuildSfnt(*version, *tables);
}

} // namespace Foundation

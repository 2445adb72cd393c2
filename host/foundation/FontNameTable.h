// SPDX-License-Identifier: MIT
#pragma once
// The naming table of a face, decoded to UTF-8.

#include "host/foundation/StringT.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace Foundation {

class FontNameTable {
public:
    enum NameId : uint16_t {
        kCopyright = 0,
        kFamily = 1,
        kSubfamily = 2,
        kUniqueId = 3,
        kFullName = 4,
        kVersion = 5,
        kPostScriptName = 6,
        kTypographicFamily = 16,
        kTypographicSubfamily = 17,
    };
    enum Platform : uint16_t { kUnicode = 0, kMacintosh = 1, kWindows = 3 };

    struct Record {
        uint16_t platformId = 0;
        uint16_t encodingId = 0;
        uint16_t languageId = 0;
        uint16_t nameId = 0;
        StringT text;
        bool operator==(const Record&) const = default;
    };

    FontNameTable() = default;
    explicit FontNameTable(std::vector<Record> records) : records_(std::move(records)) {}

    // Reads the table of face `faceIndex` in sfnt data; empty when the data is not a font.
    static FontNameTable Read(std::string_view fontData, uint32_t faceIndex = 0);

    // The preferred text for a name: Windows US English, then any Windows language, then the
    // Unicode platform, then Macintosh English, then anything decodable. Empty when absent.
    StringT GetName(uint16_t nameId) const;
    StringT GetFamilyName() const { return GetName(kFamily); }
    // True when any record of the name equals `text`, ignoring ASCII case.
    bool HasName(uint16_t nameId, std::string_view text) const;

    const std::vector<Record>& Records() const noexcept { return records_; }
    bool empty() const noexcept { return records_.empty(); }

private:
    std::vector<Record> records_;
};

} // namespace Foundation

// SPDX-License-Identifier: MIT
#pragma once
// Fonts the font tests rely on: Debian's fonts-dejavu-core and fonts-wqy-zenhei.

#include <fstream>
#include <string>

namespace FontTest {

inline constexpr const char* kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
inline constexpr const char* kDejaVuSerif = "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf";
inline constexpr const char* kZenHei = "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc";

inline std::string ReadFile(const char* path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    std::string data(in ? size_t(in.tellg()) : 0, '\0');
    in.seekg(0);
    in.read(data.data(), std::streamsize(data.size()));
    return data;
}

inline uint32_t ReadU32(const std::string& d, size_t at) {
    return uint32_t(uint8_t(d[at])) << 24 | uint32_t(uint8_t(d[at + 1])) << 16 |
           uint32_t(uint8_t(d[at + 2])) << 8 | uint32_t(uint8_t(d[at + 3]));
}

inline uint16_t ReadU16(const std::string& d, size_t at) {
    return uint16_t(uint8_t(d[at]) << 8 | uint8_t(d[at + 1]));
}

// Offset of a table in a single (non-collection) sfnt; 0 when absent.
inline size_t FindTable(const std::string& sfnt, const char* tag) {
    const uint16_t count = ReadU16(sfnt, 4);
    for (size_t i = 0; i < count; ++i) {
        const size_t entry = 12 + 16 * i;
        if (sfnt.compare(entry, 4, tag) == 0)
            return ReadU32(sfnt, entry + 8);
    }
    return 0;
}

} // namespace FontTest

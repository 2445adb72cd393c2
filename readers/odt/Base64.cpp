// SPDX-License-Identifier: MIT
#include "readers/odt/Base64.h"

#include <array>
#include <cstdint>

namespace Readers::Odt {

namespace {

constexpr std::array<int8_t, 256> MakeTable() {
    std::array<int8_t, 256> table{};
    for (auto& v : table)
        v = -1;
    constexpr std::string_view alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (size_t i = 0; i < alphabet.size(); ++i)
        table[static_cast<uint8_t>(alphabet[i])] = static_cast<int8_t>(i);
    return table;
}

constexpr std::array<int8_t, 256> kTable = MakeTable();

} // namespace

std::optional<std::string> DecodeBase64(std::string_view text) {
    std::string out;
    out.reserve(text.size() / 4 * 3);
    uint32_t bits = 0;
    int count = 0;
    for (const char c : text) {
        if (c == ' ' || c == '\n' || c == '\r' || c == '\t')
            continue;
        if (c == '=')
            break;
        const int8_t value = kTable[static_cast<uint8_t>(c)];
        if (value < 0)
            return std::nullopt;
        bits = bits << 6 | static_cast<uint32_t>(value);
        if (++count == 4) {
            out += static_cast<char>(bits >> 16);
            out += static_cast<char>(bits >> 8);
            out += static_cast<char>(bits);
            bits = 0;
            count = 0;
        }
    }
    if (count == 1)
        return std::nullopt;
    if (count == 2)
        out += static_cast<char>(bits >> 4);
    if (count == 3) {
        out += static_cast<char>(bits >> 10);
        out += static_cast<char>(bits >> 2);
    }
    return out;
}

} // namespace Readers::Odt

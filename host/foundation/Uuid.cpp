// SPDX-License-Identifier: MIT
#include "host/foundation/Uuid.h"

#include <algorithm>
#include <random>

namespace Foundation {

Uuid Uuid::Generate() {
    std::random_device source;
    std::array<uint8_t, 16> bytes{};
    for (size_t i = 0; i < bytes.size(); i += 4) {
        const uint32_t word = source();
        for (size_t b = 0; b < 4; ++b)
            bytes[i + b] = static_cast<uint8_t>(word >> (8 * b));
    }
    bytes[6] = static_cast<uint8_t>((bytes[6] & 0x0F) | 0x40); // version 4
    bytes[8] = static_cast<uint8_t>((bytes[8] & 0x3F) | 0x80); // RFC 4122 variant
    return Uuid(bytes);
}

bool Uuid::IsNil() const noexcept {
    return std::all_of(bytes_.begin(), bytes_.end(), [](uint8_t b) { return b == 0; });
}

StringT Uuid::ToString() const {
    constexpr char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(36);
    for (size_t i = 0; i < bytes_.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            text.push_back('-');
        text.push_back(digits[bytes_[i] >> 4]);
        text.push_back(digits[bytes_[i] & 0x0F]);
    }
    return StringT(std::move(text));
}

} // namespace Foundation

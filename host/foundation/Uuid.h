// SPDX-License-Identifier: MIT
#pragma once
// Random (version 4) universally unique identifiers, as used for publication identifiers.

#include "host/foundation/StringT.h"

#include <array>
#include <cstdint>

namespace Foundation {

class Uuid {
public:
    // The nil identifier, all zero.
    Uuid() = default;
    explicit Uuid(const std::array<uint8_t, 16>& bytes) : bytes_(bytes) {}

    // A fresh identifier from the system's random source.
    static Uuid Generate();

    const std::array<uint8_t, 16>& Bytes() const noexcept { return bytes_; }
    bool IsNil() const noexcept;
    // Lower-case 8-4-4-4-12 hexadecimal form.
    StringT ToString() const;

    friend bool operator==(const Uuid&, const Uuid&) = default;

private:
    std::array<uint8_t, 16> bytes_{};
};

} // namespace Foundation

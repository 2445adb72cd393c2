// SPDX-License-Identifier: MIT
#pragma once
// The PANOSE classification of a face: ten digits from the OS/2 table. The meaning of digits 2
// to 10 depends on the family kind (digit 1).

#include <array>
#include <cstdint>

namespace Foundation {

class Panose {
public:
    enum FamilyKind : uint8_t {
        kAny = 0,
        kNoFit = 1,
        kLatinText = 2,
        kLatinHandWritten = 3,
        kLatinDecorative = 4,
        kLatinSymbol = 5,
    };

    Panose() = default;
    explicit Panose(const std::array<uint8_t, 10>& digits) : digits_(digits) {}

    const std::array<uint8_t, 10>& Digits() const noexcept { return digits_; }
    uint8_t GetFamilyKind() const noexcept { return digits_[0]; }
    // True when the face says nothing (all digits "any"), as fonts without an OS/2 table do.
    bool IsUnknown() const noexcept;

    // Latin text faces with a cove, square, thin, oval, exaggerated or triangle serif. Flared and
    // rounded strokes count as sans serif, as CSS generic families would place them.
    bool IsSerif() const noexcept;
    // Latin text with monospaced proportion; hand-written and symbol faces with monospaced
    // spacing.
    bool IsMonospaced() const noexcept;

    friend bool operator==(const Panose&, const Panose&) = default;

private:
    std::array<uint8_t, 10> digits_{};
};

} // namespace Foundation

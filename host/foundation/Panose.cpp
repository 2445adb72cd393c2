// SPDX-License-Identifier: MIT
#include "host/foundation/Panose.h"

#include <algorithm>

namespace Foundation {

namespace {
// Digit 2 of Latin text: serif style.
constexpr uint8_t kFirstSerifStyle = 2; // cove
constexpr uint8_t kLastSerifStyle = 10; // triangle; 11 on are sans, flared and rounded
// Digit 4: proportion for Latin text, spacing for hand-written and symbol faces.
constexpr uint8_t kMonospacedProportion = 9;
constexpr uint8_t kMonospacedSpacing = 3;
} // namespace

bool Panose::IsUnknown() const noexcept {
    return std::all_of(digits_.begin(), digits_.end(), [](uint8_t d) { return d == 0; });
}

bool Panose::IsSerif() const noexcept {
    return GetFamilyKind() == kLatinText && digits_[1] >= kFirstSerifStyle &&
           digits_[1] <= kLastSerifStyle;
}

bool Panose::IsMonospaced() const noexcept {
    switch (GetFamilyKind()) {
    case kLatinText:
        return digits_[3] == kMonospacedProportion;
    case kLatinHandWritten:
    case kLatinSymbol:
        return digits_[3] == kMonospacedSpacing;
    default:
        return false;
    }
}

} // namespace Foundation

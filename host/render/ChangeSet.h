// SPDX-License-Identifier: MIT
#pragma once
// Which members of an export-options object a merge takes over, one bit per member.

#include <cstdint>

namespace Render {

// Second-generation change set: 64 bits addressed by bit number. Bit numbers belong to the
// option classes; the generic ones are below, the format-specific ones start at 25.
class FileExportOptionsChanges2 {
public:
    static constexpr unsigned kBitCount = 64;

    enum Bit : unsigned {
        IncludeBleed = 0,
        EmbedICCProfile = 1,
        UseRasteriseDpi = 2,
        RasteriseDpi = 3,
    };

    constexpr FileExportOptionsChanges2() noexcept = default;
    constexpr explicit FileExportOptionsChanges2(uint64_t mask) noexcept : mask_(mask) {}

    // Bits beyond the set are ignored, and read as clear.
    constexpr FileExportOptionsChanges2& Set(unsigned bit, bool on = true) noexcept {
        if (bit < kBitCount)
            mask_ = on ? mask_ | Mask(bit) : mask_ & ~Mask(bit);
        return *this;
    }
    constexpr bool Test(unsigned bit) const noexcept {
        return bit < kBitCount && (mask_ & Mask(bit)) != 0;
    }
    constexpr uint64_t GetMask() const noexcept { return mask_; }

private:
    static constexpr uint64_t Mask(unsigned bit) noexcept { return uint64_t{1} << bit; }
    uint64_t mask_ = 0;
};

} // namespace Render

// SPDX-License-Identifier: MIT
#pragma once
// An 8-bit RGBA bitmap (non-premultiplied, rows top to bottom, no padding).

#include "host/foundation/Counted.h"

#include <cstdint>
#include <span>
#include <vector>

namespace Raster {

class DynamicBitmap final : public Foundation::Countable {
public:
    static Foundation::Counted<DynamicBitmap> Create(uint32_t width, uint32_t height) {
        return Foundation::MakeCounted<DynamicBitmap>(width, height);
    }
    DynamicBitmap(uint32_t width, uint32_t height)
        : width_(width), height_(height), pixels_(size_t(width) * height * 4, 0) {}

    uint32_t Width() const noexcept { return width_; }
    uint32_t Height() const noexcept { return height_; }
    size_t Stride() const noexcept { return size_t(width_) * 4; }
    std::span<uint8_t> Pixels() noexcept { return pixels_; }
    std::span<const uint8_t> Pixels() const noexcept { return pixels_; }
    uint8_t* Row(uint32_t y) noexcept { return pixels_.data() + y * Stride(); }
    const uint8_t* Row(uint32_t y) const noexcept { return pixels_.data() + y * Stride(); }
    // True when every pixel is fully opaque (lets encoders drop the alpha channel).
    bool IsOpaque() const noexcept {
        for (size_t i = 3; i < pixels_.size(); i += 4)
            if (pixels_[i] != 255)
                return false;
        return true;
    }

private:
    uint32_t width_;
    uint32_t height_;
    std::vector<uint8_t> pixels_;
};

} // namespace Raster

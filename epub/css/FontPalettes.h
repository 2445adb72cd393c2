// SPDX-License-Identifier: MIT
#pragma once
// Font colour palettes as CSS: the palette declarations the exporter writes into its own
// @font-palette-values rules.

#include "host/foundation/Stream.h"
#include "host/foundation/StringT.h"
#include "host/render/ColourPalette.h"

#include <cstdint>
#include <vector>

namespace EPub {

class PaletteRGB {
public:
    static constexpr uint32_t kInherit = 0x80000000;
    static constexpr uint32_t kCurrentColour = 0xFFFFFFFF;

    // `entries` are the overridden colours of a custom palette, by entry index.
    PaletteRGB(uint32_t basePalette, std::vector<uint32_t> entries = {}, bool custom = false)
        : basePalette_(basePalette), entries_(std::move(entries)), custom_(custom) {}
    explicit PaletteRGB(const Render::FontColourPaletteDescriptor& palette)
        : PaletteRGB(palette.GetBasePalette(), palette.GetEntries(), palette.IsCustom()) {}

    uint32_t GetBasePalette() const noexcept { return basePalette_; }
    const std::vector<uint32_t>& GetEntries() const noexcept { return entries_; }
    bool IsCustom() const noexcept { return custom_; }

    // A keyword for the basic colours and the two special values, else "#rrggbb".
    static Foundation::StringT ColourText(uint32_t value);

private:
    uint32_t basePalette_;
    std::vector<uint32_t> entries_;
    bool custom_;
};

Foundation::OutStream& operator<<(Foundation::OutStream& out, const PaletteRGB& palette);

} // namespace EPub

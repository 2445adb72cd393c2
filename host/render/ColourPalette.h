// SPDX-License-Identifier: MIT
#pragma once
// The colour palette chosen for a colour font: one of the font's own palettes, optionally with
// some of its entries overridden.

#include "host/foundation/Counted.h"

#include <cstdint>
#include <vector>

namespace Render {

using Foundation::Counted;

enum class FontColourPaletteType : uint8_t {
    Default = 0, // the font's default palette
    Base = 1,    // one of the font's palettes, by index
    Custom = 2,  // a base palette with entries overridden
};

// Immutable; shared by reference count. Entry i overrides palette entry i. Entries are 0xRRGGBB
// colours or one of the two keywords below.
class FontColourPaletteDescriptor final : public Foundation::Countable {
public:
    static constexpr uint32_t kInherit = 0x80000000;
    static constexpr uint32_t kCurrentColour = 0xFFFFFFFF;

    FontColourPaletteDescriptor(FontColourPaletteType type, uint32_t basePalette,
                                std::vector<uint32_t> entries = {})
        : type_(type), basePalette_(basePalette), entries_(std::move(entries)) {}
    static Counted<const FontColourPaletteDescriptor>
    Make(FontColourPaletteType type, uint32_t basePalette, std::vector<uint32_t> entries = {}) {
        return Foundation::MakeCounted<const FontColourPaletteDescriptor>(type, basePalette,
                                                                          std::move(entries));
    }

    FontColourPaletteType GetType() const noexcept { return type_; }
    uint32_t GetBasePalette() const noexcept { return basePalette_; }
    bool IsCustom() const noexcept { return type_ == FontColourPaletteType::Custom; }
    const std::vector<uint32_t>& GetEntries() const noexcept { return entries_; }
    bool HasEntries() const noexcept { return !entries_.empty(); }

    bool operator==(const FontColourPaletteDescriptor& o) const noexcept {
        return type_ == o.type_ && basePalette_ == o.basePalette_ && entries_ == o.entries_;
    }
    size_t Hash() const noexcept;

private:
    FontColourPaletteType type_;
    uint32_t basePalette_;
    std::vector<uint32_t> entries_;
};

} // namespace Render

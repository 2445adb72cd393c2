// SPDX-License-Identifier: MIT
#pragma once
// Fonts cut down to the characters a publication shows. A whole CJK face is megabytes; the few
// hundred glyphs a book uses are kilobytes, and reading systems load them faster.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace Foundation {

// OS/2 fsType bit: the licence allows embedding the font only whole.
inline constexpr uint16_t kNoSubsettingLicence = 0x0100;

// Face `faceIndex` of `data` (a single font or a collection) as a standalone font holding the
// glyphs of `characters` and everything its layout features reach from them (ligatures, small
// capitals, alternates), names and hinting kept. None when the subsetter cannot be loaded or the
// data is not a font it can cut.
std::optional<std::string> SubsetFont(std::string_view data, uint32_t faceIndex,
                                      std::span<const char32_t> characters);

} // namespace Foundation

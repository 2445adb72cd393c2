// SPDX-License-Identifier: MIT
#pragma once
// IDPF font obfuscation (the 2008 "embedding" method): the leading bytes of a font file are
// XORed with a key derived from the publication's unique identifier, so that a font copied out
// of the container is unusable without that identifier.

#include "epub/package/Sha1.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace EPub {

using FontKey = Sha1::Digest;

// How many leading bytes of a font file are obfuscated.
inline constexpr size_t kObfuscatedLength = 1040;

// SHA-1 of the identifier's UTF-8 bytes with spaces, tabs, carriage returns and line feeds
// dropped, as readers derive it.
FontKey MakeFontKey(std::string_view identifier);

// XORs byte i with key byte (i mod 20) for i below kObfuscatedLength; the same call undoes it.
// `bytes` starts at the beginning of the font file.
void ObfuscateFont(std::span<uint8_t> bytes, const FontKey& key) noexcept;

} // namespace EPub

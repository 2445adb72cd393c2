// SPDX-License-Identifier: MIT
#include "epub/package/FontObfuscation.h"

#include <algorithm>
#include <string>

namespace EPub {

FontKey MakeFontKey(std::string_view identifier) {
    std::string stripped;
    stripped.reserve(identifier.size());
    std::ranges::copy_if(identifier, std::back_inserter(stripped),
                         [](char c) { return c != ' ' && c != '\t' && c != '\r' && c != '\n'; });
    return Sha1::Of(stripped);
}

void ObfuscateFont(std::span<uint8_t> bytes, const FontKey& key) noexcept {
    const size_t n = std::min(bytes.size(), kObfuscatedLength);
    for (size_t i = 0; i < n; ++i)
        bytes[i] ^= key[i % key.size()];
}

} // namespace EPub

// SPDX-License-Identifier: MIT
#pragma once
// SHA-1 message digest (FIPS 180-4). Used only to derive the font-obfuscation key, where the
// algorithm is fixed by the IDPF; it is not meant for anything that needs collision resistance.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace EPub {

class Sha1 {
public:
    static constexpr size_t kDigestSize = 20;
    using Digest = std::array<uint8_t, kDigestSize>;

    Sha1() noexcept { Reset(); }

    void Update(const void* data, size_t size) noexcept;
    void Update(std::string_view bytes) noexcept { Update(bytes.data(), bytes.size()); }
    // Pads, returns the digest in its standard byte order and starts a fresh message.
    Digest Final() noexcept;

    static Digest Of(std::string_view bytes) noexcept;

private:
    static constexpr size_t kBlockSize = 64;

    void Reset() noexcept;
    void ProcessBlock(const uint8_t* block) noexcept;

    std::array<uint32_t, 5> state_{};
    std::array<uint8_t, kBlockSize> buffer_{};
    size_t buffered_ = 0;
    uint64_t length_ = 0; // bytes, the bit count wraps modulo 2^64 as the standard allows
};

} // namespace EPub

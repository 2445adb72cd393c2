// SPDX-License-Identifier: MIT
#include "epub/package/Sha1.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace EPub {

namespace {

uint32_t LoadBigEndian(const uint8_t* p) noexcept {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

} // namespace

void Sha1::Reset() noexcept {
    state_ = {0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u};
    buffered_ = 0;
    length_ = 0;
}

void Sha1::ProcessBlock(const uint8_t* block) noexcept {
    std::array<uint32_t, 80> w;
    for (size_t t = 0; t < 16; ++t)
        w[t] = LoadBigEndian(block + 4 * t);
    for (size_t t = 16; t < 80; ++t)
        w[t] = std::rotl(w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16], 1);

    auto [a, b, c, d, e] = state_;
    for (size_t t = 0; t < 80; ++t) {
        uint32_t f;
        uint32_t k;
        if (t < 20) {
            f = (b & c) | (~b & d);
            k = 0x5A827999u;
        } else if (t < 40) {
            f = b ^ c ^ d;
            k = 0x6ED9EBA1u;
        } else if (t < 60) {
            f = (b & c) | (b & d) | (c & d);
            k = 0x8F1BBCDCu;
        } else {
            f = b ^ c ^ d;
            k = 0xCA62C1D6u;
        }
        const uint32_t temp = std::rotl(a, 5) + f + e + k + w[t];
        e = d;
        d = c;
        c = std::rotl(b, 30);
        b = a;
        a = temp;
    }
    state_[0] += a;
    state_[1] += b;
    state_[2] += c;
    state_[3] += d;
    state_[4] += e;
}

void Sha1::Update(const void* data, size_t size) noexcept {
    if (size == 0)
        return;
    auto bytes = static_cast<const uint8_t*>(data);
    length_ += size;

    if (buffered_ > 0) {
        const size_t take = std::min(size, kBlockSize - buffered_);
        std::memcpy(buffer_.data() + buffered_, bytes, take);
        buffered_ += take;
        bytes += take;
        size -= take;
        if (buffered_ < kBlockSize)
            return;
        ProcessBlock(buffer_.data());
        buffered_ = 0;
    }
    for (; size >= kBlockSize; bytes += kBlockSize, size -= kBlockSize)
        ProcessBlock(bytes);
    if (size > 0) {
        std::memcpy(buffer_.data(), bytes, size);
        buffered_ = size;
    }
}

Sha1::Digest Sha1::Final() noexcept {
    const uint64_t bitLength = length_ * 8;

    // 0x80, zeros up to 56 bytes into a block, then the big-endian bit length.
    std::array<uint8_t, kBlockSize> padding{};
    padding[0] = 0x80;
    const size_t padSize = buffered_ < 56 ? 56 - buffered_ : kBlockSize + 56 - buffered_;
    Update(padding.data(), padSize);
    std::array<uint8_t, 8> lengthBytes;
    for (size_t i = 0; i < 8; ++i)
        lengthBytes[i] = static_cast<uint8_t>(bitLength >> (56 - 8 * i));
    Update(lengthBytes.data(), lengthBytes.size());

    Digest digest;
    for (size_t i = 0; i < state_.size(); ++i) {
        digest[4 * i] = static_cast<uint8_t>(state_[i] >> 24);
        digest[4 * i + 1] = static_cast<uint8_t>(state_[i] >> 16);
        digest[4 * i + 2] = static_cast<uint8_t>(state_[i] >> 8);
        digest[4 * i + 3] = static_cast<uint8_t>(state_[i]);
    }
    Reset();
    return digest;
}

Sha1::Digest Sha1::Of(std::string_view bytes) noexcept {
    Sha1 sha;
    sha.Update(bytes);
    return sha.Final();
}

} // namespace EPub

// SPDX-License-Identifier: MIT
#pragma once
// A stable 64-bit hash (FNV-1a) of option objects. Values are fed little-endian whatever the
// machine, so a hash stored with a preset means the same on every host.

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace Foundation {

class StringT;

class HashAccumulator {
public:
    void AddToHash(const void* data, size_t size) noexcept;

    void AddToHash(bool value) noexcept; // one byte
    void AddToHash(int32_t value) noexcept;
    void AddToHash(uint32_t value) noexcept;
    void AddToHash(int64_t value) noexcept;
    void AddToHash(uint64_t value) noexcept;
    void AddToHash(double value) noexcept; // the 8 bytes of its representation
    // Length first, so that "ab" + "c" and "a" + "bc" differ.
    void AddToHash(std::string_view text) noexcept;
    void AddToHash(const StringT& text) noexcept;
    // A pointer would otherwise convert to bool.
    void AddToHash(const char* text) noexcept { AddToHash(std::string_view(text ? text : "")); }

    uint64_t GetHash() const noexcept { return hash_; }

private:
    template <std::unsigned_integral U> void AddLittleEndian(U value) noexcept;

    static constexpr uint64_t kOffsetBasis = 0xCBF29CE484222325ull;
    uint64_t hash_ = kOffsetBasis;
};

} // namespace Foundation

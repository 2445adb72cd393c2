// SPDX-License-Identifier: MIT
#include "host/foundation/HashAccumulator.h"

#include "host/foundation/StringT.h"

#include <bit>

namespace Foundation {

namespace {
constexpr uint64_t kPrime = 0x100000001B3ull;
}

void HashAccumulator::AddToHash(const void* data, size_t size) noexcept {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) {
        hash_ ^= bytes[i];
        hash_ *= kPrime;
    }
}

template <std::unsigned_integral U> void HashAccumulator::AddLittleEndian(U value) noexcept {
    unsigned char bytes[sizeof(U)];
    for (size_t i = 0; i < sizeof(U); ++i)
        bytes[i] = static_cast<unsigned char>(value >> (8 * i));
    AddToHash(bytes, sizeof(U));
}

void HashAccumulator::AddToHash(bool value) noexcept {
    const unsigned char byte = value ? 1 : 0;
    AddToHash(&byte, 1);
}

void HashAccumulator::AddToHash(int32_t value) noexcept {
    AddLittleEndian(static_cast<uint32_t>(value));
}
void HashAccumulator::AddToHash(uint32_t value) noexcept {
    AddLittleEndian(value);
}
void HashAccumulator::AddToHash(int64_t value) noexcept {
    AddLittleEndian(static_cast<uint64_t>(value));
}
void HashAccumulator::AddToHash(uint64_t value) noexcept {
    AddLittleEndian(value);
}
void HashAccumulator::AddToHash(double value) noexcept {
    AddLittleEndian(std::bit_cast<uint64_t>(value));
}

void HashAccumulator::AddToHash(std::string_view text) noexcept {
    AddLittleEndian(static_cast<uint64_t>(text.size()));
    AddToHash(text.data(), text.size());
}

void HashAccumulator::AddToHash(const StringT& text) noexcept {
    AddToHash(text.view());
}

} // namespace Foundation

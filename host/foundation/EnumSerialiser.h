// SPDX-License-Identifier: MIT
#pragma once
// The set of values an enumeration may take when it is loaded. A stored value outside the set
// (a newer writer's value, or a damaged stream) is refused, so the member keeps its value.
// Derived classes register their set in their constructor and are used as immutable
// singletons.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Foundation {

class EnumSerialiser {
public:
    EnumSerialiser(const EnumSerialiser&) = delete;
    EnumSerialiser& operator=(const EnumSerialiser&) = delete;
    virtual ~EnumSerialiser() = default;

    bool IsValid(int32_t value) const noexcept;
    template <class E> bool IsValid(E value) const noexcept {
        return IsValid(static_cast<int32_t>(value));
    }

protected:
    EnumSerialiser() = default;
    // Adds `count` values; repeated values are kept once.
    void RegisterEnumSet(const int32_t* entries, size_t count);

private:
    std::vector<int32_t> values_; // sorted
};

} // namespace Foundation

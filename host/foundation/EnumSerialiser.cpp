// SPDX-License-Identifier: MIT
#include "host/foundation/EnumSerialiser.h"

#include <algorithm>

namespace Foundation {

bool EnumSerialiser::IsValid(int32_t value) const noexcept {
    return std::binary_search(values_.begin(), values_.end(), value);
}

void EnumSerialiser::RegisterEnumSet(const int32_t* entries, size_t count) {
    if (!entries)
        return;
    values_.insert(values_.end(), entries, entries + count);
    std::sort(values_.begin(), values_.end());
    values_.erase(std::unique(values_.begin(), values_.end()), values_.end());
}

} // namespace Foundation

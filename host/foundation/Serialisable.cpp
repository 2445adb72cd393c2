// SPDX-License-Identifier: MIT
#include "host/foundation/Serialisable.h"

#include "host/foundation/ClassRegistry.h"
#include "host/foundation/HashAccumulator.h"

namespace Foundation {

std::string FourCCToString(uint32_t code) {
    std::string text(4, '?');
    for (int i = 0; i < 4; ++i) {
        const auto c = static_cast<unsigned char>(code >> (24 - 8 * i));
        if (c >= 0x20 && c < 0x7F)
            text[i] = static_cast<char>(c);
    }
    return text;
}

uint32_t Serialisable::GetClassTag() const {
    return GetObjectSharedClassProperties().tag;
}

bool SharedSerialisable::IsEqual(const SharedSerialisable& other) const {
    if (this == &other)
        return true;
    if (&GetObjectSharedClassProperties() != &other.GetObjectSharedClassProperties())
        return false;
    CompareContext context;
    return CompareMembers(other, context);
}

uint64_t SharedSerialisable::GetHash() const {
    HashAccumulator hash;
    hash.AddToHash(GetClassTag());
    AccumulateHash(hash);
    return hash.GetHash();
}

} // namespace Foundation

// SPDX-License-Identifier: MIT
#pragma once
// Objects that documents and presets store: each class is known to the class registry under a
// four-character tag and saves and loads its members by four-character member tags.

#include "host/foundation/Counted.h"

#include <cstdint>
#include <string>

namespace Foundation {

class OutSerialiser;
class InSerialiser;
class FileStore;
class HashAccumulator;
struct ClassProperties;

// A four-character code as one integer, first character most significant: FourCC("cvnm") is
// 0x63766E6D. The wire format stores it least significant byte first, so it reads "mnvc".
constexpr uint32_t FourCC(const char (&code)[5]) noexcept {
    return static_cast<uint32_t>(static_cast<unsigned char>(code[0])) << 24 |
           static_cast<uint32_t>(static_cast<unsigned char>(code[1])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(code[2])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(code[3]));
}

// The four characters of a code, for messages; bytes outside printable ASCII show as '?'.
std::string FourCCToString(uint32_t code);

class Serialisable : public virtual Countable {
public:
    virtual void Save(OutSerialiser& out) const = 0;
    // `version` is the version the object was saved with. A member whose tag is absent keeps its
    // current value, so loading into a fresh object gives defaults for what an older writer
    // did not know.
    virtual bool Load(const InSerialiser& in, FileStore& store, uint32_t version) = 0;
    virtual const ClassProperties& GetObjectSharedClassProperties() const = 0;

    uint32_t GetClassTag() const;
};

// Passed through member comparisons so that a host comparing object graphs can carry state
// from one level to the next; the objects of this library need none.
struct CompareContext {};

// A serialisable value object: it can be compared member by member, hashed, and shared once
// consolidated.
class SharedSerialisable : public Serialisable {
public:
    virtual void AccumulateHash(HashAccumulator& hash) const = 0;
    // Called with an object of the same class (a different class compares unequal).
    virtual bool CompareMembers(const SharedSerialisable& other, CompareContext& context) const = 0;
    // The object has become a shared immutable value.
    virtual void OnConsolidated() {}

    // Same class and equal members.
    bool IsEqual(const SharedSerialisable& other) const;
    // The class tag followed by the members' contribution.
    uint64_t GetHash() const;
};

} // namespace Foundation

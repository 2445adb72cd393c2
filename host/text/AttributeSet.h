// SPDX-License-Identifier: MIT
#pragma once
// Attribute values and the sorted set that stores them. Full attribute sets (GlyphAtts,
// ParagraphAtts) and deltas share this storage: in a full set an absent entry means the catalogue
// default, in a delta it means "unchanged".

#include "host/foundation/Counted.h"
#include "host/foundation/StringT.h"
#include "host/text/AttributeIds.h"

#include <cstddef>
#include <cstdint>
#include <variant>
#include <vector>

namespace Text {

using Foundation::Counted;
using Foundation::StringT;

inline void HashCombine(size_t& seed, size_t value) {
    seed ^= value + 0x9e3779b97f4a7c15ull + (seed << 6) + (seed >> 2);
}

// Base of structured attribute values (lists, fills, hyperlinks...). Immutable once made.
class AttObject : public Foundation::Countable {
public:
    // Only called with an object of the same dynamic type.
    virtual bool Equals(const AttObject& other) const = 0;
    virtual size_t Hash() const = 0;
};

// Value equality of two possibly null objects.
bool SameAttObject(const AttObject* a, const AttObject* b);

template <class T> bool SameValue(const Counted<const T>& a, const Counted<const T>& b) {
    return a == b || (a && b && *a == *b);
}

// Alternatives in AttKind order.
using AttValue = std::variant<int32_t, double, StringT, Counted<const AttObject>>;

inline AttKind KindOf(const AttValue& v) {
    return static_cast<AttKind>(v.index());
}
bool SameAttValue(const AttValue& a, const AttValue& b);
size_t HashAttValue(const AttValue& v);
// The catalogue default of an attribute, as a value of its kind.
AttValue GetDefaultValue(AttCategory category, AttKind kind, AttId id);

struct AttEntry {
    AttId id = 0;
    AttValue value;

    AttKind kind() const { return KindOf(value); }
    // Each getter expects the entry to be of its kind and throws std::bad_variant_access if not.
    int32_t GetInt() const { return std::get<int32_t>(value); }
    double GetDouble() const { return std::get<double>(value); }
    const StringT& GetString() const { return std::get<StringT>(value); }
    const Counted<const AttObject>& GetObject() const {
        return std::get<Counted<const AttObject>>(value);
    }
    template <class T> const T* GetObjectAs() const {
        return dynamic_cast<const T*>(GetObject().get());
    }
    friend bool operator==(const AttEntry& a, const AttEntry& b) {
        return a.id == b.id && SameAttValue(a.value, b.value);
    }
};

class AttributeSet {
public:
    using const_iterator = std::vector<AttEntry>::const_iterator;

    AttributeSet() = default;

    const AttValue* Find(AttKind kind, AttId id) const;
    bool Has(AttKind kind, AttId id) const { return Find(kind, id) != nullptr; }
    // Throws std::invalid_argument for a NaN: it would never compare equal to itself.
    void Set(AttId id, AttValue value);
    bool Erase(AttKind kind, AttId id);

    size_t size() const noexcept { return entries_.size(); }
    bool empty() const noexcept { return entries_.empty(); }
    const_iterator begin() const noexcept { return entries_.begin(); }
    const_iterator end() const noexcept { return entries_.end(); }

    // Overlays `delta` on a full set; entries that come out at their default are dropped.
    void Apply(const AttributeSet& delta, AttCategory category);
    // Drops entries that hold their default.
    void Canonicalise(AttCategory category);
    // What `atts` sets differently from `base`, both full sets: atts' value for every attribute
    // whose values differ (the default where atts lacks it).
    static AttributeSet Difference(const AttributeSet& atts, const AttributeSet& base,
                                   AttCategory category);

    size_t Hash() const;
    friend bool operator==(const AttributeSet& a, const AttributeSet& b) {
        return a.entries_ == b.entries_;
    }

private:
    std::vector<AttEntry>::iterator LowerBound(AttKind kind, AttId id);
    std::vector<AttEntry>::const_iterator LowerBound(AttKind kind, AttId id) const;

    std::vector<AttEntry> entries_; // sorted by (kind, id)
};

} // namespace Text

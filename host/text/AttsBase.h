// SPDX-License-Identifier: MIT
#pragma once
// What glyph and paragraph attribute sets have in common: typed lookup by identifier with the
// catalogue default for anything not set.

#include "host/text/AttributeSet.h"

namespace Text {

class AttsBase : public Foundation::Countable {
public:
    int32_t GetInt(AttId id) const;
    double GetDouble(AttId id) const;
    const StringT& GetString(AttId id) const;
    // Null when not set.
    const Counted<const AttObject>& GetObject(AttId id) const;
    // Null when not set or of another type.
    template <class T> Counted<const T> GetObjectAs(AttId id) const {
        return Counted<const T>(dynamic_cast<const T*>(GetObject(id).get()));
    }
    // True when the attribute holds something other than its default.
    bool IsSet(AttKind kind, AttId id) const { return set_.Has(kind, id); }

    AttCategory GetCategory() const noexcept { return category_; }
    const AttributeSet& GetSet() const noexcept { return set_; }
    size_t Hash() const { return set_.Hash(); }

protected:
    AttsBase(AttCategory category, AttributeSet set);

    AttributeSet set_;
    AttCategory category_;
};

} // namespace Text

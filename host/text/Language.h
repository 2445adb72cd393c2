// SPDX-License-Identifier: MIT
#pragma once
// Languages, named by language tags. Equal tags share one object, so maps and caches can key on
// the pointer and a language compares by identity.

#include "host/text/AttributeSet.h"

namespace Text {

class Language final : public AttObject {
public:
    // The language of a tag. Tags are normalised the usual way ("en_us" and "EN-US" give
    // "en-US"); the empty tag and the none tag give the none language.
    static Counted<const Language> Make(std::string_view id);
    static const Counted<const Language>& None();
    // Tag of "no linguistic content": text that is not to be spell-checked or counted.
    static StringT GetNoneId() { return StringT("zxx"); }
    static StringT Normalise(std::string_view id);

    const StringT& GetId() const noexcept { return id_; }
    bool IsNone() const noexcept { return none_; }

    bool Equals(const AttObject& other) const override { return this == &other; }
    size_t Hash() const override;

    // For the interning table only.
    struct Key {
        explicit Key() = default;
    };
    Language(Key, StringT id);

private:
    StringT id_;
    bool none_;
};

} // namespace Text

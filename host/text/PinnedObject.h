// SPDX-License-Identifier: MIT
#pragma once
// Objects that a pin glyph anchors in the text: frames, tables and notes.

#include "host/foundation/Counted.h"
#include "host/foundation/StringT.h"

#include <cstdint>

namespace Text {

using Foundation::Counted;
using Foundation::StringT;

enum class PinnedKind : uint8_t { Frame, Table, Note };

class PinnedObject : public Foundation::Countable {
public:
    virtual PinnedKind GetPinnedKind() const = 0;
};

} // namespace Text

// SPDX-License-Identifier: MIT
#pragma once
// TrueType collections: one file holding several faces that share tables. A publication embeds
// single faces, so a collection face is rebuilt as a standalone font first.

#include "host/foundation/StringT.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace Foundation {

// True when the data starts with the collection tag "ttcf".
bool IsFontCollection(std::string_view data);

// The index of the first face whose family name (name identifier 1, any language) equals
// `family`, ASCII case ignored; none when no face has it or the data is not a collection.
std::optional<uint32_t> FindCollectionFace(std::string_view data, std::string_view family);

// Face `index` of a collection as a standalone sfnt: its tables copied in tag order, each
// 4-byte aligned, with a fresh table directory, recomputed checksums and head's
// checkSumAdjustment. A digital signature (DSIG) no longer matches the new file and is dropped.
// None when the data is not a collection, the index is out of range or a table cannot be read.
std::optional<std::string> ExtractCollectionFace(std::string_view data, uint32_t index);

} // namespace Foundation

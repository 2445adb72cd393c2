// SPDX-License-Identifier: MIT
#include "host/foundation/FontNameTable.h"

#include <algorithm>

namespace Foundation {

namespace {
constexpr uint16_t kWindowsUSEnglish = 0x0409;
constexpr uint16_t kMacEnglish = 0;

// Lower is better; records that match none of the preferences rank last.
int Rank(const FontNameTable::Record& r) {
    using T = FontNameTable;
    if (r.platformId == T::kWindows && r.languageId == kWindowsUSEnglish)
        return 0;
    if (r.platformId == T::kWindows)
        return 1;
    if (r.platformId == T::kUnicode)
        return 2;
    if (r.platformId == T::kMacintosh && r.languageId == kMacEnglish)
        return 3;
    return 4;
}
} // namespace

StringT FontNameTable::GetName(uint16_t nameId) const {
    const Record* best = nullptr;
    for (const Record& r : records_) {
        if (r.nameId != nameId || r.text.empty())
            continue;
        if (!best || Rank(r) < Rank(*best))
            best = &r;
    }
    return best ? best->text : StringT();
}

bool FontNameTable::HasName(uint16_t nameId, std::string_view text) const {
    return std::any_of(records_.begin(), records_.end(), [&](const Record& r) {
        return r.nameId == nameId && r.text.EqualsNoCase(text);
    });
}

} // namespace Foundation

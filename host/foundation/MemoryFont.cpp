// SPDX-License-Identifier: MIT
#include "host/foundation/MemoryFont.h"

#include <cstdlib>
#include <limits>

namespace Foundation {

namespace {
long SlantPenalty(FontSlant wanted, FontSlant got) {
    if (wanted == got)
        return 0;
    // An oblique stands in for an italic (and back) better than an upright face does.
    if (wanted != FontSlant::Upright && got != FontSlant::Upright)
        return 1;
    return 2;
}

bool HasFamily(const MemoryFont& face, const StringT& family) {
    return face.GetFont().GetFamilyName().EqualsNoCase(family) ||
           face.GetNameTable().HasName(FontNameTable::kFamily, family) ||
           face.GetNameTable().HasName(FontNameTable::kTypographicFamily, family);
}
} // namespace

long FontStyleDistance(const Font& wanted, const Font& candidate) {
    const long stretch = std::labs(long(wanted.GetStretch()) - candidate.GetStretch());
    const long weight = std::labs(long(wanted.GetWeight()) - candidate.GetWeight());
    const long slant = SlantPenalty(wanted.GetSlant(), candidate.GetSlant());
    const bool sameStyleName = !wanted.GetStyleName().empty() &&
                               wanted.GetStyleName().EqualsNoCase(candidate.GetStyleName());
    return stretch * 100000 + slant * 10000 + weight * 2 + (sameStyleName ? 0 : 1);
}

Counted<const MemoryFont> MemoryFontRegistry::FindRegisteredFont(const Font& font) const {
    Counted<const MemoryFont> best;
    long bestDistance = std::numeric_limits<long>::max();
    for (const auto& face : faces_) {
        if (!HasFamily(*face, font.GetFamilyName()))
            continue;
        const long d = FontStyleDistance(font, face->GetFont());
        if (d < bestDistance) {
            best = face;
            bestDistance = d;
        }
    }
    return best;
}

Counted<const MemoryFont> MemoryFont::FindRegisteredFont(const MemoryFontRegistry& registry,
                                                         const Font& font) {
    return registry.FindRegisteredFont(font);
}

} // namespace Foundation

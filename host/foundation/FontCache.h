// SPDX-License-Identifier: MIT
#pragma once
// Font lookup: which face the host would use for a requested font.

#include "host/foundation/Counted.h"
#include "host/foundation/Font.h"
#include "host/foundation/FontHandle.h"
#include "host/foundation/MemoryFont.h"

#include <optional>

namespace Foundation {

class FontCache : public Countable {
public:
    // The system font configuration, with `memoryFonts` (may be null) searched first.
    static Counted<FontCache> Create(Counted<const MemoryFontRegistry> memoryFonts = {});

    // The available face of the font's family that best fits its style, described as the face
    // describes itself; none when no face of that family is available.
    virtual std::optional<Font> GetBestFontMatch(const Font& font) const = 0;
    // The face the host would draw with: the best match, or the configuration's substitute for
    // a missing family. Empty only when no font is available at all.
    virtual Font GetClosestAvailableFont(const Font& font) const = 0;
    // A handle on the best match; null when GetBestFontMatch finds nothing.
    virtual Counted<FontHandle> MakeHandle(const Font& font) const = 0;
};

} // namespace Foundation

// SPDX-License-Identifier: MIT
#pragma once
// Fonts held in memory (document-embedded fonts), found by the same names as installed ones.

#include "host/foundation/Counted.h"
#include "host/foundation/Font.h"
#include "host/foundation/FontNameTable.h"
#include "host/foundation/StringT.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace Foundation {

class MemoryFontRegistry;

// One face of a font file held in memory. The faces of one collection share its bytes.
class MemoryFont final : public Countable {
public:
    MemoryFont(Font font, StringT fileName, std::shared_ptr<const std::string> data,
               uint32_t faceIndex, FontNameTable names)
        : font_(std::move(font)), fileName_(std::move(fileName)), data_(std::move(data)),
          faceIndex_(faceIndex), names_(std::move(names)) {}

    const Font& GetFont() const noexcept { return font_; }
    // The name the file was registered under; embedded copies are named after it.
    const StringT& GetFileName() const noexcept { return fileName_; }
    // The whole file, collection included.
    std::string_view GetData() const noexcept { return *data_; }
    const std::shared_ptr<const std::string>& SharedData() const noexcept { return data_; }
    uint32_t GetFaceIndex() const noexcept { return faceIndex_; }
    const FontNameTable& GetNameTable() const noexcept { return names_; }

    static Counted<const MemoryFont> FindRegisteredFont(const MemoryFontRegistry& registry,
                                                        const Font& font);

private:
    Font font_;
    StringT fileName_;
    std::shared_ptr<const std::string> data_;
    uint32_t faceIndex_;
    FontNameTable names_;
};

// The memory fonts of a host session. Register everything first, then share it read-only:
// registration is not synchronised with lookups.
class MemoryFontRegistry final : public Countable {
public:
    // Registers every face of the file (several for a collection). Returns how many faces were
    // registered: 0 when the bytes are not a font.
    size_t Register(const StringT& fileName, std::string data);

    // The face of the family (any of its family names, ASCII case ignored) closest in stretch,
    // then slant, then weight; null when the family is not registered.
    Counted<const MemoryFont> FindRegisteredFont(const Font& font) const;

    size_t size() const noexcept { return faces_.size(); }

private:
    std::vector<Counted<const MemoryFont>> faces_;
};

// How far `candidate` is from `wanted` once the family matches: stretch counts most, then the
// slant, then the weight; the style name breaks ties. Shared by every font lookup of the host.
long FontStyleDistance(const Font& wanted, const Font& candidate);

} // namespace Foundation

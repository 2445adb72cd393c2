// SPDX-License-Identifier: MIT
#pragma once
// An opened face: where its data lives and what its tables say about naming and embedding.

#include "host/foundation/Counted.h"
#include "host/foundation/Font.h"
#include "host/foundation/FontNameTable.h"
#include "host/foundation/MemoryFont.h"
#include "host/foundation/Panose.h"
#include "host/foundation/Stream.h"
#include "host/foundation/TimeStamp.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace Foundation {

class FontHandle final : public Countable {
public:
    // OS/2 fsType bits that forbid embedding the font in a publication.
    static constexpr uint16_t kRestrictedLicence = 0x0002;
    static constexpr uint16_t kBitmapEmbeddingOnly = 0x0200;
    static constexpr size_t kDefaultReadBuffer = size_t(1) << 20;

    struct Description {
        Font font;    // as the face describes itself
        StringT path; // empty for a memory font
        uint32_t faceIndex = 0;
        Counted<const MemoryFont> memoryFont;
        uint16_t licenceType = 0;
        Panose panose;
        FontNameTable names;
        std::optional<TimeStamp> modified;
        bool isCollection = false;
    };

    explicit FontHandle(Description d) : d_(std::move(d)) {}

    // The face for `font`: a registered memory font of its family first, then an installed font
    // of its family through the system font configuration. Null when neither has the family.
    static Counted<FontHandle> Make(const Font& font,
                                    const MemoryFontRegistry* memoryFonts = nullptr);
    // The installed face the system would draw `characters` with when `font`'s own face lacks
    // them: of the faces that have them all (else the first of them), the one closest to
    // `font`'s family and style, an embeddable one first. Null when no installed face has them.
    // `upright`: the characters stand upright in a vertical line, so a face whose vertical
    // metrics leave them without an advance down it is passed over.
    static Counted<FontHandle> MakeFallback(const Font& font, std::u32string_view characters,
                                            const StringT& language = {}, bool upright = false);
    // The face at `path`, `faceIndex`; null when it cannot be opened as a font.
    static Counted<FontHandle> MakeFromFile(const StringT& path, uint32_t faceIndex = 0);

    const Font& GetFont() const noexcept { return d_.font; }
    const StringT& GetFilePath() const noexcept { return d_.path; }
    // The face's index within a collection file; 0 for single fonts.
    uint32_t GetFaceIndex() const noexcept { return d_.faceIndex; }
    bool IsInMemory() const noexcept { return bool(d_.memoryFont); }
    // True when the data is a TrueType collection, from which embedding extracts the face.
    bool IsCollection() const noexcept { return d_.isCollection; }
    // The file's leaf name ("DejaVuSans.ttf"), or the name a memory font was registered under.
    StringT GetFileName() const;
    // The file's modification time; none for memory fonts.
    const std::optional<TimeStamp>& GetModifiedTime() const noexcept { return d_.modified; }
    // The whole file as stored, collection included; null when it cannot be opened.
    Counted<InStreamSeekable> OpenData(size_t bufferSize = kDefaultReadBuffer) const;

    // OpenType OS/2 fsType; 0 (installable) when the face has no OS/2 table.
    uint16_t GetLicenceType() const noexcept { return d_.licenceType; }
    bool CanEmbed() const noexcept {
        return (d_.licenceType & (kRestrictedLicence | kBitmapEmbeddingOnly)) == 0;
    }
    const FontNameTable& GetNameTable() const noexcept { return d_.names; }
    const Panose& GetPanose() const noexcept { return d_.panose; }

private:
    Description d_;
};

} // namespace Foundation

// SPDX-License-Identifier: MIT
#pragma once
// The fonts the generated CSS names: their family names, which of them are embedded, and the
// @font-face rules that point at the embedded files.

#include "epub/css/UsedCharacters.h"
#include "epub/package/FontObfuscation.h"
#include "epub/package/OcfContainer.h"
#include "host/foundation/Font.h"
#include "host/foundation/FontCache.h"
#include "host/foundation/Stream.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace EPub {

class FontList {
public:
    using Key = FontKey;

    // `fonts` opens faces; null means the system font configuration.
    explicit FontList(std::string_view identifier, Counted<const Foundation::FontCache> fonts = {});

    const Key& GetKey() const noexcept { return key_; }

    // Registers a font the text uses and returns the family name the CSS writes for it. Faces
    // whose licence forbids embedding are listed but never embedded.
    StringT RegisterFont(const Foundation::Font& font);

    // What the content documents show; embedded fonts keep the glyphs of these only.
    UsedCharacters& Characters() noexcept { return characters_; }
    // Off: fonts are embedded whole. A face whose licence forbids subsetting always is.
    void SetSubsetting(bool on) noexcept { subset_ = on; }

    // Embeds every registered font not written yet into `archive` under `contentRoot` and writes
    // an @font-face rule for each embedded face.
    void WriteFontFaces(Foundation::OutStream& css, ZipArchive& archive,
                        std::string_view contentRoot);

    const EmbeddedFonts& GetEmbeddedFonts() const noexcept { return records_; }
    // Numbers of the embedded-font records in the list's order (the Font ordering).
    std::vector<size_t> GetRecordNumbers() const;

private:
    struct Entry {
        StringT family;
        Counted<Foundation::FontHandle> handle;
        size_t record = 0;   // 1-based; 0 while not embedded
        bool shared = false; // refers to the file of an earlier entry of the same family
    };

    Counted<Foundation::FontHandle> OpenFace(const Foundation::Font& font) const;
    size_t Embed(const Entry& entry, ZipArchive& archive, std::string_view contentRoot);
    // The face cut down to the used characters; none when it must or cannot be.
    std::optional<std::string> Subset(const Entry& entry, Foundation::InStream& in) const;

    Key key_;
    Counted<const Foundation::FontCache> fonts_;
    std::map<Foundation::Font, Entry> entries_;
    EmbeddedFonts records_;
    UsedCharacters characters_;
    bool subset_ = true;
};

} // namespace EPub

// SPDX-License-Identifier: MIT
#pragma once
// Font files in the container: named under the content root's "font/" folder, obfuscated,
// recorded for the manifest and "META-INF/encryption.xml".

#include "epub/package/FontObfuscation.h"
#include "epub/package/OcfContainer.h"
#include "host/foundation/Stream.h"
#include "host/foundation/TimeStamp.h"

#include <optional>

namespace EPub {

struct FontFile {
    StringT name; // file name with extension, e.g. "Name.ttf"
    Foundation::InStream& data;
    std::optional<Foundation::TimeStamp> modified; // none for a font held in memory
    std::optional<uint32_t> attributes;            // none: kEntryAttributes
};

// The first free entry path for `fileName` in the content root's "font/" folder, ASCII case
// ignored: the name as EntryName gives it, else "-1", "-2", ... before the extension.
StringT UniqueFontEntryPath(const ZipArchive& archive, std::string_view contentRoot,
                            std::string_view fileName);

// The entry name of a collection's face stored alone: ".ttc" becomes ".ttf" (".otf" for CFF
// outlines in `data`), since reading systems refuse collection files. Other names stay.
StringT PlainFontName(const StringT& name, std::string_view data);

// Adds the font as a new entry, obfuscating its leading bytes with `key`, and appends its record.
// Returns the record's 1-based number, or 0 when the font could not be read or written (a
// partly written entry stays in the archive).
size_t WriteFontFile(ZipArchive& archive, std::string_view contentRoot, const FontFile& font,
                     const FontKey& key, EmbeddedFonts& records);

} // namespace EPub

// SPDX-License-Identifier: MIT
#pragma once
// The fixed entries of an OCF container: "mimetype", "META-INF/container.xml" and
// "META-INF/encryption.xml", and the one way this library adds an ordinary entry.

#include "host/foundation/Stream.h"
#include "host/foundation/StringT.h"
#include "host/foundation/ZipArchive.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace EPub {

using Foundation::Counted;
using Foundation::StringT;
using Foundation::ZipArchive;

// Unix mode of a regular file readable and writable by everyone.
inline constexpr uint32_t kEntryAttributes = 0x81B6;

// One font file written into the container: its file name and its position among the
// container's entries (never 0 for a font, "mimetype" is entry 0).
struct EmbeddedFont {
    StringT fileName;
    size_t entryIndex = 0;

    friend bool operator==(const EmbeddedFont&, const EmbeddedFont&) = default;
};
// In writing order; a record's number is its position plus one, 0 meaning "not written".
using EmbeddedFonts = std::vector<EmbeddedFont>;

// `root` and `name` joined by exactly one slash ("OEBPS" or "OEBPS/" with "package.opf").
StringT JoinEntryPath(std::string_view root, std::string_view name);

// Adds a compressed entry without a time stamp and with kEntryAttributes; null when the archive
// refuses it.
Counted<Foundation::OutStream> AddEntry(ZipArchive& archive, const StringT& path);

// The three functions below return false when the entry cannot be added or fully written.
bool AddMimeType(ZipArchive& archive);

// Points readers at the package document under `contentRoot`.
bool AddContainer(ZipArchive& archive, std::string_view contentRoot,
                  std::string_view packageName = "package.opf");

// Lists the records numbered in `recordNumbers` (1-based, in the caller's order) as obfuscated
// fonts; numbers that are 0 or name no written entry are skipped. Adds nothing, and succeeds,
// when none is left.
bool AddEncryption(ZipArchive& archive, const EmbeddedFonts& records,
                   std::span<const size_t> recordNumbers);
// Every record, in writing order.
bool AddEncryption(ZipArchive& archive, const EmbeddedFonts& records);

} // namespace EPub

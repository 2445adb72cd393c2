// SPDX-License-Identifier: MIT
#pragma once
// Fonts embedded in the document (word/fonts/*.odttf): de-obfuscated with the key the font table
// gives and registered, so the exporter embeds them again with the publication's own
// obfuscation.

#include "host/foundation/MemoryFont.h"
#include "readers/common/ReaderDocument.h"

#include <vector>

namespace Readers {
class Package;
class XmlPart;
} // namespace Readers

namespace Readers::Docx {

class Relationships;

// Null when the document embeds no usable font.
Foundation::Counted<Foundation::MemoryFontRegistry>
ReadEmbeddedFonts(Package& package, const XmlPart& fontTable, const Relationships& links,
                  std::vector<ReaderFinding>& findings);

// Undoes the obfuscation of an embedded font: the first 32 bytes are XORed with the key, the
// GUID's bytes in reverse order. False when the key is no GUID.
bool Deobfuscate(std::string& font, std::string_view guid);

} // namespace Readers::Docx

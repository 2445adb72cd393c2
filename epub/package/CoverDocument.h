// SPDX-License-Identifier: MIT
#pragma once
// The generated cover document and the naming of user style sheets.

#include "host/foundation/Stream.h"
#include "host/foundation/StringT.h"

#include <span>
#include <string_view>

namespace EPub {

using Foundation::StringT;

struct CoverDocumentInput {
    StringT title;     // the document title, escaped when written
    StringT language;  // language identifier for lang and xml:lang
    StringT imagePath; // relative to the content root
    StringT altText;   // escaped when written
};

void WriteCoverDocument(Foundation::OutStream& out, const CoverDocumentInput& in);

// A user style sheet's base name made safe for a file name and a manifest id: the name without
// its extension, a leading non-letter and every non-alphanumeric byte replaced by "_" ("x" when
// empty).
StringT SafeStyleSheetBaseName(std::string_view fileName);

// `base` followed by ".css", or by "_N.css" with the first N that is not in `taken`.
StringT UniqueStyleSheetName(const StringT& base, std::span<const StringT> taken);

} // namespace EPub

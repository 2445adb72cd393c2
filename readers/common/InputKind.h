// SPDX-License-Identifier: MIT
#pragma once
// Which reader a document needs, told from its first bytes rather than its file name: a Word
// file saved as ".txt" or a JSON description without an extension still reads.

#include <string_view>

namespace Readers {

enum class InputKind {
    Json,       // our document description
    Docx,       // Office Open XML word-processing package
    Odt,        // OpenDocument text package
    FlatOdt,    // OpenDocument text as one XML file (.fodt)
    Markdown,   // any other UTF-8 text
    LegacyWord, // OLE compound file holding a binary Word document (.doc)
    Encrypted,  // OLE compound file holding a password-protected Office package
    OtherZip,   // a zip that is none of the packages above
    Binary,     // none of the above
};

// `bytes` is the whole file: a zip is told apart by the names in its central directory, which
// sits at its end.
InputKind DetectInputKind(std::string_view bytes);

const char* InputKindName(InputKind kind);

} // namespace Readers

// SPDX-License-Identifier: MIT
#pragma once
// Word documents (DOCX, transitional and strict Office Open XML) into the document every reader
// builds: styles named as in Word, direct formatting as local overrides, lists, notes, tables,
// pictures, fonts and metadata.

#include "readers/common/ReaderDocument.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace Readers::Docx {

struct DocxOptions {
    bool keepComments = false; // comments are dropped by default
    bool splitAtSections =
        true; // a section break or page break before a Heading 1 starts a new content document
    // Limits of the package reader (docs/docx.md).
    uint64_t maxInflatedBytes = uint64_t{1} << 30; // all parts together
    uint32_t maxRatio = 200;                       // inflated over stored size, parts above 1 MB
    int maxNesting = 100;                          // elements inside one another in the text
};

// Throws Readers::InputError whose message is one line: "FILE: PART: problem" (with ":LINE"
// after the part where an XML line is known). Never crashes, whatever the bytes.
Readers::Document ReadDocx(std::string_view bytes, const std::string& sourceName,
                           const DocxOptions& options = {});
Readers::Document ReadDocx(const std::filesystem::path& file, const DocxOptions& options = {});
// The same for a file that messages call `sourceName` (a copy of standard input, say).
Readers::Document ReadDocxFile(const std::filesystem::path& file, const std::string& sourceName,
                               const DocxOptions& options = {});

} // namespace Readers::Docx

// SPDX-License-Identifier: MIT
#pragma once
// OpenDocument text (zip .odt and flat XML .fodt) into the document every reader builds: styles
// named as in the document, automatic styles as local overrides, lists with their labels as
// text, notes, tables, pictures, fonts, metadata and the print pages.

#include "readers/common/ReaderDocument.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace Readers::Odt {

struct OdtOptions {
    bool keepAnnotations = false; // annotations (comments) are dropped by default
    bool splitAtHeadings = true; // an outline-level-1 heading (or a page break before one) starts a
                                 // new content document
    bool printPages =
        true; // text:soft-page-break marks become the page list, with the file as page-break source
    uint64_t maxInflatedBytes = uint64_t{1} << 30; // all parts together
    uint32_t maxRatio = 200;                       // inflated over stored size, parts above 1 MB
    int maxNesting = 100;                          // elements inside one another in the text
};

// Zip .odt and flat XML .fodt alike (told apart by content). Throws Readers::InputError whose
// message is one line: "FILE: PART:LINE: problem" (no PART for .fodt). Never crashes.
Readers::Document ReadOdt(std::string_view bytes, const std::string& sourceName,
                          const OdtOptions& options = {});
Readers::Document ReadOdt(const std::filesystem::path& file, const OdtOptions& options = {});
// The same for a file that messages call `sourceName` (a copy of standard input, say).
Readers::Document ReadOdtFile(const std::filesystem::path& file, const std::string& sourceName,
                              const OdtOptions& options = {});

} // namespace Readers::Odt

// SPDX-License-Identifier: MIT
#pragma once
// What the container needs around the page documents of a fixed-layout publication: the shared
// style sheet with its embedded fonts, the package and navigation documents and the OCF files.

#include "epub/fixed/Publication.h"
#include "epub/package/GeneratedTexts.h"

#include <functional>
#include <vector>

namespace EPub {

class ExportSettings;

struct ContentsEntry {
    StringT title;
    uint32_t page = 1; // 1-based page ordinal
    int level = 0;     // nesting, 0 at the top
};

struct FixedPackageInput {
    const ExportSettings& settings;
    std::vector<ContentsEntry> contents;
    StringT generator;
    std::function<StringT()> currentTime;
    // Viewport of the publication: the first page's size in CSS pixels.
    int32_t width = 0;
    int32_t height = 0;
    // Changes the navigation texts the library writes in the publication's language; may be
    // empty.
    TextLocaliser localise;
    // The print edition whose page numbers the page labels are (an ISBN or any identifier);
    // empty for none.
    StringT pageSource;
    // Pages turn right to left (manga, Arabic and Hebrew books): spreads pair the other way.
    bool rightToLeft = false;
    // When the reading system shows two pages side by side: none, landscape, both or auto.
    std::string_view spread = "landscape";
};

// Writes css/styles.css (fonts embedded and obfuscated), package.opf, nav.xhtml,
// META-INF/container.xml and META-INF/encryption.xml. False when an entry could not be written.
bool WriteFixedPackage(Publication& publication, const FixedPackageInput& in);

// The shared style sheet's text: font faces, then the registered document styles.
std::string SharedStyleSheet(const Publication& publication, const std::vector<StringT>& fontPaths);

} // namespace EPub

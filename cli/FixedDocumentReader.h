// SPDX-License-Identifier: MIT
#pragma once
// Reads a fixed-layout document description ("layout": "fixed"): pages of positioned text,
// text frames, images, shapes, groups and links, into one render tree per page.

#include "cli/JsonInput.h"
#include "cli/JsonValue.h"
#include "epub/fixed/FixedLayoutExporter.h"
#include "epub/fixed/FixedPackage.h"
#include "epub/fixed/Publication.h"
#include "epub/options/ExportSettings.h"
#include "epub/options/FileExportOptions.h"
#include "host/render/RenderTree.h"

#include <filesystem>
#include <string>
#include <vector>

namespace Cli {

using Foundation::Counted;
using Foundation::StringT;

using EPub::FixedAnchor;
using EPub::FixedPage;

// What a page cannot show of what the document asks for, found while reading.
struct FixedFinding {
    size_t page = 0; // from 1
    std::string text;
    std::string message;
    bool warn = false; // also a warning of the export: the publication is made all the same
};

struct FixedDocument {
    Counted<EPub::ExportSettings> settings;
    Counted<EPub::FileExportOptions> options;
    std::vector<FixedPage> pages;
    std::vector<EPub::ContentsEntry> contents;
    StringT pageSource;               // the print edition the page labels come from
    bool rightToLeft = false;         // page progression
    std::string spread = "landscape"; // when pages show two at a time
    std::vector<FixedFinding> findings;
};

// True when the document is an object whose "layout" is "fixed".
bool IsFixedLayout(const JsonValue& root);

// Throws InputError naming the file and the JSON path of the first mistake.
FixedDocument ParseFixedDocument(const std::string& text, const std::string& sourceName,
                                 const std::filesystem::path& baseDir);
FixedDocument ReadFixedDocument(const std::filesystem::path& file);
FixedDocument ReadFixedDocument(const JsonValue& root, const std::filesystem::path& file);
// Messages say `sourceName`; file names in the document are taken from `baseDir`.
// Messages give the line and column of a mistake in the tree's text.
FixedDocument ReadFixedDocument(const JsonDocument& tree, const std::string& sourceName,
                                const std::filesystem::path& baseDir);

// Without a title, the publication takes the input file's name, as reflowable ones do.
void NameUntitled(FixedDocument& doc, const std::filesystem::path& file);

// CSS pixels per point of the document's pages.
inline double PageScale(const FixedDocument& doc) {
    return EPub::FixedPageScale(*doc.options);
}

} // namespace Cli

// SPDX-License-Identifier: MIT
#pragma once
// Runs one export of a read document, to an EPUB file or to plain XHTML files in a folder.

#include "cli/DocumentReader.h"

#include <filesystem>
#include <functional>

namespace Cli {

class ExportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Called after each story with (done, total).
using Progress = std::function<void(size_t, size_t)>;

// Writes the publication to `target` as OutputFile does: a regular file is replaced only when the
// export succeeded, "-" and special files are written in place. Throws ExportError or
// OutputError when the export fails, InputError when the documents' names collide (a split
// story's second document named like another story, or like a file the package writes).
void ExportEPub(const Document& doc, const std::filesystem::path& target, const Progress& progress);
// The same, reading what `doc.more` still holds as it writes: each story's text is let go once
// it is written, and what the reader finds on the way is added to `doc.findings`. The reader's
// InputError comes through as it is.
void ExportEPub(Document& doc, const std::filesystem::path& target, const Progress& progress);
// Throws InputError when splitting stories would give documents the names of other stories or
// of files the package writes; ExportEPub checks this too.
void CheckSplitNames(const Document& doc);
// Writes the documents and style sheets into `dir`; the files appear only when every one of them
// was written. Throws as ExportEPub.
void ExportHtml(const Document& doc, const std::filesystem::path& dir, const Progress& progress);

} // namespace Cli

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

// Writes to a temporary file beside `target` and renames it only when the export succeeded, so a
// failed export leaves an existing file untouched. Throws ExportError.
void ExportEPub(const Document& doc, const std::filesystem::path& target, const Progress& progress);
// Writes the documents and style sheets into `dir`, next to an index root file.
void ExportHtml(const Document& doc, const std::filesystem::path& dir, const Progress& progress);

} // namespace Cli

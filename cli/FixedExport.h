#pragma once
// Exports a fixed-layout document: each page drawn through the page render target into the
// publication, then the package around the pages.

#include "cli/FixedDocumentReader.h"

#include <filesystem>
#include <optional>
#include <string>

namespace Cli {

// Writes the publication through the safe output path ("-" and FIFOs streamed, files replaced
// only on success). Throws ExportError, or OutputError when the output itself fails.
void ExportFixedEPub(const FixedDocument& doc, const std::filesystem::path& target);

// The tool's entry for a fixed-layout document (IsFixedLayout): the exit status.
int RunFixedLayout(const JsonDocument& tree, const std::string& input,
                   const std::optional<std::string>& output, bool html, bool check);

} // namespace Cli

// SPDX-License-Identifier: MIT
#pragma once
// Exports a fixed-layout document: each page drawn through the page render target into the
// publication, then the package around the pages.

#include "cli/ExportCommand.h"
#include "cli/FixedDocumentReader.h"

#include <filesystem>
#include <string>

namespace Cli {

// Writes the publication through the safe output path ("-" and FIFOs streamed, files replaced
// only on success). Throws ExportError, or OutputError when the output itself fails.
// `progress` is told after each page.
void ExportFixedEPub(const FixedDocument& doc, const std::filesystem::path& target,
                     const Progress& progress = {});

} // namespace Cli

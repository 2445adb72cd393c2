// SPDX-License-Identifier: MIT
#pragma once
// What the command line says about the book besides where it comes from and goes: metadata, a
// cover picture and style sheets. Applied after reading, whatever the input kind, so they win
// over what the document says.

#include "cli/CommandLine.h"
#include "epub/options/ExportSettings.h"
#include "readers/common/ReaderDocument.h"

#include <string>
#include <utility>
#include <vector>

namespace Cli {

struct FixedDocument;

// `metadata` as CommandLine holds it: known keys, checked values. The first author given
// replaces the document's, later ones are added to it.
void ApplyMetadata(const std::vector<std::pair<std::string, std::string>>& metadata,
                   EPub::ExportSettings& settings);

// Throws InputError naming the file and the system's reason when a cover or style sheet cannot
// be read, or is not a picture or a text style sheet.
void ApplyOverrides(const CommandLine& line, Readers::Document& doc);
// A fixed-layout document takes no style sheets: InputError when some are given.
void ApplyOverrides(const CommandLine& line, FixedDocument& doc);

} // namespace Cli

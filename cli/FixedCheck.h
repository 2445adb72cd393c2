// SPDX-License-Identifier: MIT
#pragma once
// Lists what a fixed-layout document loses on its pages, one line per problem, without
// exporting anything.

#include "cli/FixedDocumentReader.h"

#include <ostream>
#include <string>

namespace Cli {

// Draws every page as the export would and writes one line per problem to `out`:
//
//   SOURCE: page N, text "EXCERPT": MESSAGE
//
// Consecutive runs of one page with the same problem are one line. Returns the number of lines.
size_t CheckFixedDocument(const FixedDocument& doc, const std::string& sourceName,
                          std::ostream& out);

} // namespace Cli

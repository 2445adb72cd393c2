// SPDX-License-Identifier: MIT
#pragma once
// Lists the formatting of a read document that a reflowable EPUB cannot express, one line per
// problem, without exporting anything.

#include "cli/DocumentReader.h"

#include <ostream>
#include <string>

namespace Cli {

// Validates every story with its styles, notes, tables and frames and writes one line per
// problem to `out`:
//
//   SOURCE: story N ("FILE"), characters A-B: MESSAGE
//   SOURCE: story N ("FILE"), style "NAME": MESSAGE
//
// N counts the stories from 1; A-B are character indices from 0, B excluded. Text inside a note,
// table or frame adds where it is pinned, as in `story 1 ("a.xhtml"), note at character 12,
// characters 0-5: ...`; those indices count in the note's own text. A style is reported once,
// where it is first used. What the document's reader found comes first:
//
//   SOURCE: WHERE: MESSAGE
//
// Returns the number of lines written.
size_t CheckDocument(const Document& doc, const std::string& sourceName, std::ostream& out);

} // namespace Cli

// SPDX-License-Identifier: MIT
#pragma once
// What the tool does with a parsed command line: read the input, whatever its kind and wherever
// it comes from, apply the command line's metadata, cover and style sheets, then check or export.

#include "cli/CommandLine.h"

#include <iosfwd>

namespace Cli {

// The --check report goes to `out`, every message to `err` ("epubexport: ..."). Returns the exit
// status (ExitStatus).
int RunTool(const CommandLine& line, std::ostream& out, std::ostream& err);

} // namespace Cli

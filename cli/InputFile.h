// SPDX-License-Identifier: MIT
#pragma once
// Picks the reader an input file needs and reads it: JSON descriptions take the tool's own
// reader (fixed layout included), the other kinds their reader library.

#include "cli/DocumentReader.h"
#include "readers/common/InputKind.h"

#include <filesystem>

namespace Cli {

// What `file` holds, told from its content. A text file named *.json is always read as JSON, so
// a broken description is reported as such rather than exported as Markdown. Throws InputError
// with the system's reason when the file cannot be read, and for a folder.
Readers::InputKind DetectFileKind(const std::filesystem::path& file);

// Reads a non-JSON input into a document; messages call it `name`, and the names of files it
// refers to start from `baseDir`. Throws InputError for a kind no reader takes.
Document ReadOtherInput(Readers::InputKind kind, const std::filesystem::path& file,
                        const std::string& name, const std::filesystem::path& baseDir);

} // namespace Cli

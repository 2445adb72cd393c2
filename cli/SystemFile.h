// SPDX-License-Identifier: MIT
#pragma once
// Files named on the command line, read whole, with the system's reason when that fails.

#include <filesystem>
#include <string>

namespace Cli {

// The bytes of `file`. Throws InputError: `cannot read "FILE": REASON` with the system's reason
// (strerror), or `"FILE" is a folder, not a file`.
std::string ReadSystemFile(const std::filesystem::path& file);

// Throws as ReadSystemFile when `file` cannot be opened for reading; a folder is refused too.
void CheckReadable(const std::filesystem::path& file);

} // namespace Cli

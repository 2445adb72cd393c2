// SPDX-License-Identifier: MIT
#pragma once
// The "metadata" object, read the same way for both layouts: the same fields, checks and
// messages, so a document moved from one layout to the other keeps or fails the same way.

#include "cli/JsonInput.h"
#include "epub/options/ExportSettings.h"

#include <string>

namespace Cli {

enum class MetadataLayout { Reflowable, Fixed };

// Fills `settings` from `node`; throws InputError at the first mistake. Returns "pageSource".
// Fixed-layout documents have no "isbn" field: their identifier is written as given.
std::string ReadMetadata(const JsonInput& in, const Node& node, EPub::ExportSettings& settings,
                         MetadataLayout layout);

} // namespace Cli

// SPDX-License-Identifier: MIT
#pragma once
// The document's "accessibility" object, shared by the reflowable and the fixed-layout readers.

#include "cli/JsonInput.h"
#include "epub/options/AccessibilityMetadata.h"
#include "host/foundation/Counted.h"

namespace Cli {

// Every mistake is an InputError naming the JSON path.
Foundation::Counted<EPub::AccessibilityMetadata> ReadAccessibility(const JsonInput& in,
                                                                   const Node& node);

} // namespace Cli

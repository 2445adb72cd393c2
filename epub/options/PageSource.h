// SPDX-License-Identifier: MIT
#pragma once
// The print edition whose page numbers a page list carries.

#include "epub/options/FlowingEPubOptions.h"

#include <string_view>

namespace EPub {

// ISBN for an ISBN-10 or ISBN-13 (hyphens and spaces allowed, with or without "urn:isbn:"),
// Other for any other identifier, None for an empty one.
PaginationSourceType PageSourceType(std::string_view source);

// Sets the pagination source of `options` to the edition `source`, typed as above.
void SetPageSource(FlowingEPubOptions& options, std::string_view source);

} // namespace EPub

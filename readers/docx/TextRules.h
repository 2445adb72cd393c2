// SPDX-License-Identifier: MIT
#pragma once
// Small text rules of Word content: field instructions, link targets, symbol characters and
// embedded SVG pictures.

#include "readers/common/ContentRules.h"

#include <string>
#include <string_view>
#include <vector>

namespace Readers::Docx {

// The words of a field instruction; quoted arguments are one word, without their quotes.
std::vector<std::string> FieldWords(std::string_view instruction);
// The text of a w:sym: its character, symbol fonts' private-use codes mapped to Unicode.
std::string SymbolText(std::string_view font, std::string_view hexCode);

} // namespace Readers::Docx

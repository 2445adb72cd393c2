// SPDX-License-Identifier: MIT
#pragma once
// Small text rules of Word content: field instructions, link targets, symbol characters and
// embedded SVG pictures.

#include <string>
#include <string_view>
#include <vector>

namespace Readers::Docx {

// The words of a field instruction; quoted arguments are one word, without their quotes.
std::vector<std::string> FieldWords(std::string_view instruction);
// A link target a reading system can follow (http, https, ftp, mailto; a bare "www." address
// gets "http://"), with spaces and other characters URLs cannot hold escaped; empty for
// anything else (files on the author's disk, scripts).
std::string FollowableUrl(std::string_view target);
// The text of a w:sym: its character, symbol fonts' private-use codes mapped to Unicode.
std::string SymbolText(std::string_view font, std::string_view hexCode);
// No script, event handler or javascript: link in an SVG picture.
bool IsHarmlessSvg(std::string_view svg);

} // namespace Readers::Docx

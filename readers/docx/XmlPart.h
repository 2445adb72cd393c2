// SPDX-License-Identifier: MIT
#pragma once
// Word's own XML idioms on top of the common safe parsing: switch elements, "val" children and
// measures with units.

#include "readers/common/SafeXml.h"

#include <optional>
#include <string_view>

namespace Readers::Docx {

// The "val" attribute of the child element `local`; nullopt when the child is absent.
std::optional<std::string_view> ChildVal(pugi::xml_node node, std::string_view local);
// A switch element (<w:b/>, <w:b w:val="0"/>): nullopt when absent.
std::optional<bool> OnOff(pugi::xml_node node, std::string_view local);
// A number; units "pt", "in", "cm", "mm", "pc" (strict documents) are turned into `perPoint`
// units per point. nullopt for anything else.
std::optional<double> Number(std::string_view text, double perPoint = 20);
std::optional<double> NumberAttr(pugi::xml_node node, std::string_view local, double perPoint = 20);

} // namespace Readers::Docx

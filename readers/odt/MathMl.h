// SPDX-License-Identifier: MIT
#pragma once
// Formulas (MathML, as office suites embed them) written as linear text: what a reader of the
// publication can still follow when the formula cannot be shown as such.

#include <pugixml.hpp>
#include <string>

namespace Readers::Odt {

// "E=mc^2", "(a+b)/(2)", "√(x)"; empty for a formula without text.
std::string LinearMathMl(pugi::xml_node math);

} // namespace Readers::Odt

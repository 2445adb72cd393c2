// SPDX-License-Identifier: MIT
#pragma once
// Equations (Office Math) as linear text, the way Word's own linear format writes them:
// "x^2", "(a+b)/2", "√(x)", "∑_(i=1)^n i". Reading systems show MathML unevenly; linear text
// reads everywhere and keeps every symbol.

#include <pugixml.hpp>

#include <string>

namespace Readers::Docx {

std::string LinearMath(pugi::xml_node math);

} // namespace Readers::Docx

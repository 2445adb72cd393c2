// SPDX-License-Identifier: MIT
#pragma once
// Equations (Office Math) as presentation MathML: runs become identifiers, numbers and operators,
// and each structure (fraction, script, radical, n-ary operator, delimiter, matrix...) its MathML
// element. A structure it does not know keeps its linear text in an <mtext>.

#include <pugixml.hpp>

#include <string>

namespace Readers::Docx {

// The <math> element for an m:oMath or m:oMathPara, serialized; `display` makes it a block.
std::string MathMarkup(pugi::xml_node math, bool display);

} // namespace Readers::Docx

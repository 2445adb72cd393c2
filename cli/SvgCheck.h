// SPDX-License-Identifier: MIT
#pragma once
// What makes an SVG drawing unfit for a publication: reading systems parse it as XML and must
// not run anything in it.

#include <string>

namespace Cli {

// Why the drawing cannot be used ("not well-formed XML: ...", "it holds a <script> element"...),
// or an empty text when it can.
std::string SvgProblem(const std::string& data);

} // namespace Cli

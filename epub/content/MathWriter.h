// SPDX-License-Identifier: MIT
#pragma once
// Writes an equation's MathML into a content document. The MathML comes from a document, so it
// is parsed, never copied: only presentation elements in the MathML namespace (or in none) and
// attributes that cannot script, link or restyle the page are written, and children are fitted to
// what each element takes, so a hand-made equation cannot make the document invalid.

#include <string>
#include <string_view>

namespace EPub {

// The <math> element for `mathML`, with `altText` as its text alternative; empty when the MathML
// is not well-formed, has a DOCTYPE or holds no presentation content.
std::string MathElement(std::string_view mathML, std::string_view altText);

} // namespace EPub

// SPDX-License-Identifier: MIT
#pragma once
// Raw HTML in Markdown. What is well-formed XHTML made of elements the text model can carry
// (emphasis, code, line breaks, headings, quotes...) is kept as styled text; anything else is
// written out as the text it is.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Readers::Markdown {

// One piece of inline HTML as the parser hands it over.
struct HtmlTag {
    enum class Kind { Open, Close, Empty, Comment, Other };
    Kind kind = Kind::Other;
    std::string name; // lower case; empty for comments and others
};

// Reads a tag; Other for whatever is not a single well-formed tag or comment (declarations,
// processing instructions, CDATA, bad attributes).
HtmlTag ParseTag(std::string_view literal);

// The character style an inline element maps to: "" for elements whose content is kept without
// a style of its own, nothing for elements that are not carried.
std::optional<std::string> InlineElementStyle(std::string_view name);

// Elements written without content or closing tag in HTML ("<br>").
bool IsVoidElement(std::string_view name);

struct HtmlRun {
    std::string text; // "\v" for a line break
    std::string style;
};
struct HtmlParagraph {
    std::string style;
    std::vector<HtmlRun> runs;
};

// The paragraphs of an HTML block, or nothing when it is not well-formed XHTML of carried
// elements (or nests deeper than is sensible).
std::optional<std::vector<HtmlParagraph>> ConvertHtmlBlock(std::string_view literal);

} // namespace Readers::Markdown

// SPDX-License-Identifier: MIT
#include "epub/package/CoverDocument.h"

#include "epub/xml/XmlWriter.h"

#include <algorithm>

namespace EPub {

namespace {

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

// The extension with its dot, cut at the last full stop after the last slash or backslash.
std::string_view Extension(std::string_view name) {
    const size_t slash = name.find_last_of("/\\");
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return {};
    return name.substr(dot);
}

} // namespace

void WriteCoverDocument(Foundation::OutStream& out, const CoverDocumentInput& in) {
    XmlWriter x;
    x.Declare(XmlWriter::Declaration::NotStandaloneSingle).Doctype().Open("html");
    x.Attribute("xmlns", "http://www.w3.org/1999/xhtml").Attribute("lang", in.language);
    x.Attribute("xml:lang", in.language).Attribute("xmlns:epub", "http://www.idpf.org/2007/ops");
    x.Close().Space("\n").Open("head").Close().Space("\n").Element("title", in.title);
    x.Space("\n").End("head").Space("\n").Open("body").Close().Space("\n");
    x.Open("figure").Attribute("style", "text-align:center").Attribute("epub:type", "cover");
    x.Close().Space("\n").Open("img").Path("src", in.imagePath).Attribute("alt", in.altText);
    x.Attribute("style", "max-width:100%;").Attribute("role", "doc-cover").CloseEmpty(true);
    x.Space("\n").End("figure").Space("\n").End("body").Space("\n").End("html").Space("\n");
    out << x.View();
}

StringT SafeStyleSheetBaseName(std::string_view fileName) {
    const std::string_view ext = Extension(fileName);
    std::string_view stem = fileName.substr(0, fileName.size() - ext.size());
    const size_t slash = stem.find_last_of("/\\");
    if (slash != std::string_view::npos)
        stem = stem.substr(slash + 1);
    if (stem.empty())
        return "x";
    StringT safe;
    safe += IsAsciiLetter(stem[0]) ? stem[0] : '_';
    for (const char c : stem.substr(1))
        safe += (IsAsciiLetter(c) || IsAsciiDigit(c)) ? c : '_';
    return safe;
}

StringT UniqueStyleSheetName(const StringT& base, std::span<const StringT> taken) {
    auto isTaken = [&](const StringT& name) {
        return std::find(taken.begin(), taken.end(), name) != taken.end();
    };
    StringT candidate = base + ".css";
    for (int n = 1; isTaken(candidate); ++n)
        candidate = StringT::Format("%1_%2.css", base, n);
    return candidate;
}

} // namespace EPub

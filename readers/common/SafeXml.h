// SPDX-License-Identifier: MIT
#pragma once
// XML parts of a package (or a whole flat file), parsed once in place. A document type
// declaration is refused before parsing, so no entity is ever declared, let alone resolved.
// Elements and attributes are matched by local name: one format binds several namespaces to the
// same names.

#include <pugixml.hpp>

#include <memory>
#include <string>
#include <string_view>

namespace Readers {

class Package;

// Throws InputError "SOURCE: WHERE: problem"; "SOURCE: problem" for an empty `where`, and
// "SOURCE:LINE: problem" for a `where` of ":LINE" (a file that is one XML document).
[[noreturn]] void FailAt(std::string_view source, std::string_view where, std::string_view problem);

// Where in a part a node sits, for messages.
class PartText {
public:
    virtual ~PartText() = default;
    virtual const std::string& Name() const noexcept = 0;
    // "PART:LINE" (":LINE" for a part without a name).
    virtual std::string Where(pugi::xml_node node) const = 0;
};

class XmlPart final : public PartText {
public:
    // Reads and parses `part`; throws InputError ("FILE: PART:LINE: problem").
    XmlPart(Package& package, std::string part);
    // Parses `text`, a whole file (`part` empty) or a part already read.
    XmlPart(std::string_view source, std::string part, std::string text);
    XmlPart(XmlPart&&) = default;
    XmlPart& operator=(XmlPart&&) = default;

    pugi::xml_node Root() const { return document_->document_element(); }
    const std::string& Name() const noexcept override { return part_; }
    std::string Where(pugi::xml_node node) const override;

private:
    void Parse(std::string_view source);

    std::string part_;
    std::string text_; // the parsed tree points into it
    std::unique_ptr<pugi::xml_document> document_;
};

// Whitespace-only text counts: a run of one space is a word space. Document type declarations
// are kept as nodes, so one that slips past the prolog check is still seen.
inline constexpr unsigned kParseOptions =
    pugi::parse_default | pugi::parse_ws_pcdata | pugi::parse_doctype;

// Refuses a document type declaration before the root element, and XML that is not UTF-8 or
// UTF-16. UTF-16 text is turned into UTF-8.
void CheckProlog(std::string_view source, const std::string& part, std::string& text);
bool IsUtf16(std::string_view text);
void CheckDoctype(std::string_view source, const std::string& part, std::string_view text);
// Refuses bytes that are not UTF-8 (UTF-16 text is left to CheckProlog), naming the line.
void CheckUtf8(std::string_view source, const std::string& part, std::string_view text);
// The line of byte `offset`, counted from 1.
size_t LineAt(std::string_view text, size_t offset);
// "PART:LINE", or ":LINE" without a part name.
std::string PartLine(const std::string& part, size_t line);

// The name without its prefix: "p" for "w:p".
inline std::string_view LocalName(const char* name) {
    const std::string_view full(name);
    const size_t colon = full.find(':');
    return colon == std::string_view::npos ? full : full.substr(colon + 1);
}
inline std::string_view LocalName(pugi::xml_node node) {
    return LocalName(node.name());
}
inline bool Is(pugi::xml_node node, std::string_view local) {
    return node.type() == pugi::node_element && LocalName(node) == local;
}
// The first child element with this local name.
pugi::xml_node Child(pugi::xml_node node, std::string_view local);
// An attribute by local name; null when absent.
pugi::xml_attribute Attr(pugi::xml_node node, std::string_view local);
std::string_view AttrText(pugi::xml_node node, std::string_view local);

} // namespace Readers

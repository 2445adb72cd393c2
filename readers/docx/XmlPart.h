// SPDX-License-Identifier: MIT
#pragma once
// One XML part of the package, parsed once in place. A document type declaration is refused
// before parsing, so no entity is ever declared, let alone resolved. Elements and attributes are
// matched by local name: transitional and strict documents bind other namespaces to the same
// names.

#include <pugixml.hpp>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace Readers::Docx {

class Package;

// Where in a part a node sits, for messages.
class PartText {
public:
    virtual ~PartText() = default;
    virtual const std::string& Name() const noexcept = 0;
    // "PART:LINE".
    virtual std::string Where(pugi::xml_node node) const = 0;
};

class XmlPart final : public PartText {
public:
    // Reads and parses `part`; throws InputError ("FILE: PART:LINE: problem").
    XmlPart(Package& package, std::string part);
    XmlPart(XmlPart&&) = default;
    XmlPart& operator=(XmlPart&&) = default;

    pugi::xml_node Root() const { return document_->document_element(); }
    const std::string& Name() const noexcept override { return part_; }
    std::string Where(pugi::xml_node node) const override;

private:
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
void CheckProlog(Package& package, const std::string& part, std::string& text);
bool IsUtf16(std::string_view text);
void CheckDoctype(Package& package, const std::string& part, std::string_view text);
// The line of byte `offset`, counted from 1.
size_t LineAt(std::string_view text, size_t offset);

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
// The "val" attribute of the child element `local`; nullopt when the child is absent.
std::optional<std::string_view> ChildVal(pugi::xml_node node, std::string_view local);
// A switch element (<w:b/>, <w:b w:val="0"/>): nullopt when absent.
std::optional<bool> OnOff(pugi::xml_node node, std::string_view local);
// A number; units "pt", "in", "cm", "mm", "pc" (strict documents) are turned into `perPoint`
// units per point. nullopt for anything else.
std::optional<double> Number(std::string_view text, double perPoint = 20);
std::optional<double> NumberAttr(pugi::xml_node node, std::string_view local, double perPoint = 20);

} // namespace Readers::Docx

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

class XmlPart {
public:
    // Reads and parses `part`; throws InputError ("FILE: PART:LINE: problem").
    XmlPart(Package& package, std::string part);
    XmlPart(XmlPart&&) = default;
    XmlPart& operator=(XmlPart&&) = default;

    pugi::xml_node Root() const { return document_->document_element(); }
    const std::string& Name() const noexcept { return part_; }
    // The line of `node`, counted from 1.
    size_t LineOf(pugi::xml_node node) const;
    // "PART:LINE" for messages.
    std::string Where(pugi::xml_node node) const;

private:
    std::string part_;
    std::string text_; // the parsed tree points into it
    std::unique_ptr<pugi::xml_document> document_;
};

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

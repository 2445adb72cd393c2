// SPDX-License-Identifier: MIT
#include "cli/SvgCheck.h"

#include <pugixml.hpp>

#include <algorithm>
#include <string_view>

namespace Cli {

namespace {

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    });
    return out;
}

std::string_view LocalName(std::string_view name) {
    const size_t colon = name.rfind(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

// Scripts, event handlers and script links: anything a reading system would have to run.
std::string ActiveContent(const pugi::xml_node& root) {
    std::string problem;
    struct Walker : pugi::xml_tree_walker {
        std::string& found;
        explicit Walker(std::string& f) : found(f) {}
        bool for_each(pugi::xml_node& node) override {
            if (node.type() != pugi::node_element)
                return true;
            if (Lower(LocalName(node.name())) == "script") {
                found = "it holds a <script> element";
                return false;
            }
            for (const pugi::xml_attribute& a : node.attributes()) {
                const std::string name = Lower(LocalName(a.name()));
                std::string value = Lower(a.value());
                value.erase(0, value.find_first_not_of(" \t\r\n"));
                if (name.starts_with("on")) {
                    found =
                        "it holds the event handler attribute \"" + std::string(a.name()) + "\"";
                    return false;
                }
                if (name == "href" && value.starts_with("javascript:")) {
                    found = "it links to a script (\"javascript:\")";
                    return false;
                }
            }
            return true;
        }
    } walker(problem);
    // The walk covers the descendants only.
    pugi::xml_node top = root;
    if (walker.for_each(top))
        top.traverse(walker);
    return problem;
}

} // namespace

std::string SvgProblem(const std::string& data) {
    pugi::xml_document doc;
    // Entity declarations would let the drawing expand into anything; pugixml keeps them unread.
    if (data.find("<!ENTITY") != std::string::npos)
        return "it declares entities";
    const pugi::xml_parse_result parsed =
        doc.load_buffer(data.data(), data.size(), pugi::parse_default | pugi::parse_doctype);
    if (!parsed)
        return "not well-formed XML: " + std::string(parsed.description()) + " at byte " +
               std::to_string(parsed.offset);
    const pugi::xml_node root = doc.document_element();
    if (LocalName(root.name()) != "svg")
        return "its root element is <" + std::string(root.name()) + ">, not <svg>";
    return ActiveContent(root);
}

} // namespace Cli

// SPDX-License-Identifier: MIT
#include "readers/odt/MathMl.h"

#include "readers/common/SafeXml.h"

#include <vector>

namespace Readers::Odt {

namespace {

// Formulas nest far less than this; deeper ones are cut.
constexpr int kMaxDepth = 64;

std::string Linear(pugi::xml_node node, int depth);

std::vector<std::string> Parts(pugi::xml_node node, int depth) {
    std::vector<std::string> parts;
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element)
            parts.push_back(Linear(c, depth + 1));
    return parts;
}

// A part that is more than one token gets brackets.
std::string Grouped(const std::string& part) {
    return part.size() <= 1 || part.front() == '(' ? part : "(" + part + ")";
}

std::string Linear(pugi::xml_node node, int depth) {
    if (depth > kMaxDepth)
        return {};
    const std::string_view name = LocalName(node);
    if (name == "annotation" || name == "annotation-xml")
        return {};
    if (name == "mi" || name == "mn" || name == "mo" || name == "mtext" || name == "ms") {
        std::string text;
        for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
            if (c.type() == pugi::node_pcdata)
                text += c.value();
        return text;
    }
    if (name == "mspace")
        return " ";
    const std::vector<std::string> parts = Parts(node, depth);
    const auto part = [&](size_t i) { return i < parts.size() ? parts[i] : std::string(); };
    if (name == "msup")
        return part(0) + "^" + Grouped(part(1));
    if (name == "msub")
        return part(0) + "_" + Grouped(part(1));
    if (name == "msubsup")
        return part(0) + "_" + Grouped(part(1)) + "^" + Grouped(part(2));
    if (name == "mfrac")
        return Grouped(part(0)) + "/" + Grouped(part(1));
    if (name == "msqrt") {
        std::string inside;
        for (const std::string& p : parts)
            inside += p;
        return "\u221A(" + inside + ")";
    }
    if (name == "mroot")
        return "\u221A[" + part(1) + "](" + part(0) + ")";
    std::string out;
    for (const std::string& p : parts)
        out += p;
    return out;
}

} // namespace

std::string LinearMathMl(pugi::xml_node math) {
    return Linear(math, 0);
}

} // namespace Readers::Odt

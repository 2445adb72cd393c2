// SPDX-License-Identifier: MIT
#include "epub/content/MathWriter.h"

#include "epub/xml/XmlWriter.h"

#include <pugixml.hpp>

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

namespace EPub {

namespace {

constexpr std::string_view kMathNamespace = "http://www.w3.org/1998/Math/MathML";
// Deeper structure is not written: no equation needs it, and it bounds the recursion.
constexpr int kMaxDepth = 64;

constexpr std::array kTokens{std::string_view("mi"), std::string_view("mn"), std::string_view("mo"),
                             std::string_view("mtext"), std::string_view("ms")};
constexpr std::array kContainers{std::string_view("mrow"),     std::string_view("mstyle"),
                                 std::string_view("mpadded"),  std::string_view("mphantom"),
                                 std::string_view("menclose"), std::string_view("msqrt"),
                                 std::string_view("merror"),   std::string_view("mtd")};
constexpr std::array kAttributes{
    std::string_view("mathvariant"),   std::string_view("mathsize"),
    std::string_view("displaystyle"),  std::string_view("scriptlevel"),
    std::string_view("fence"),         std::string_view("separator"),
    std::string_view("stretchy"),      std::string_view("symmetric"),
    std::string_view("largeop"),       std::string_view("movablelimits"),
    std::string_view("accent"),        std::string_view("accentunder"),
    std::string_view("form"),          std::string_view("lspace"),
    std::string_view("rspace"),        std::string_view("linethickness"),
    std::string_view("bevelled"),      std::string_view("numalign"),
    std::string_view("denomalign"),    std::string_view("notation"),
    std::string_view("columnalign"),   std::string_view("rowalign"),
    std::string_view("columnspacing"), std::string_view("rowspacing"),
    std::string_view("columnlines"),   std::string_view("rowlines"),
    std::string_view("frame"),         std::string_view("columnspan"),
    std::string_view("rowspan"),       std::string_view("width"),
    std::string_view("height"),        std::string_view("depth"),
    std::string_view("voffset"),       std::string_view("minsize"),
    std::string_view("maxsize"),       std::string_view("dir"),
    std::string_view("lquote"),        std::string_view("rquote"),
    std::string_view("equalrows"),     std::string_view("equalcolumns")};

template <size_t N> bool Among(const std::array<std::string_view, N>& names, std::string_view n) {
    return std::find(names.begin(), names.end(), n) != names.end();
}

// Elements taking a fixed number of arguments.
int Arity(std::string_view name) {
    if (name == "mfrac" || name == "mroot" || name == "msub" || name == "msup" ||
        name == "munder" || name == "mover")
        return 2;
    if (name == "msubsup" || name == "munderover")
        return 3;
    return -1;
}

std::string_view LocalName(pugi::xml_node node) {
    const std::string_view name = node.name();
    const size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

// The namespace an element's name resolves to; empty when none is declared.
std::string_view Namespace(pugi::xml_node node) {
    const std::string_view name = node.name();
    const size_t colon = name.find(':');
    const std::string attribute =
        colon == std::string_view::npos ? "xmlns" : "xmlns:" + std::string(name.substr(0, colon));
    for (pugi::xml_node n = node; n; n = n.parent())
        if (const pugi::xml_attribute a = n.attribute(attribute.c_str()))
            return a.value();
    return colon == std::string_view::npos ? std::string_view() : std::string_view("?");
}

bool IsMath(pugi::xml_node node) {
    if (node.type() != pugi::node_element)
        return false;
    const std::string_view ns = Namespace(node);
    return ns.empty() || ns == kMathNamespace;
}

class Writer {
public:
    XmlWriter out;

    void Attributes(pugi::xml_node node) {
        for (const pugi::xml_attribute a : node.attributes()) {
            const std::string_view name = a.name();
            if (!Among(kAttributes, name))
                continue;
            out.Attribute(name, a.value());
        }
    }

    void Open(std::string_view name, pugi::xml_node node) {
        out.Open(name);
        Attributes(node);
        out.Close();
    }
    void Close(std::string_view name) { out.End(name); }
    void Empty(std::string_view name) { out.Open(name).CloseEmpty(); }

    // Whether `node` is written: an element this writer knows, in the right place.
    static bool Known(pugi::xml_node node, std::string_view parent) {
        if (!IsMath(node))
            return false;
        const std::string_view name = LocalName(node);
        if (name == "none" || name == "mprescripts")
            return parent == "mmultiscripts";
        return Among(kTokens, name) || Among(kContainers, name) || Arity(name) > 0 ||
               name == "mspace" || name == "mtable" || name == "mtr" || name == "mmultiscripts" ||
               name == "semantics";
    }

    // The children that are written.
    static std::vector<pugi::xml_node> Children(pugi::xml_node node, std::string_view name) {
        std::vector<pugi::xml_node> out;
        for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
            if (Known(c, name))
                out.push_back(c);
        return out;
    }

    void Element(pugi::xml_node node, int depth) {
        const std::string_view name = LocalName(node);
        if (name == "semantics") {
            // Its first child is the presentation; annotations may hold anything.
            const std::vector<pugi::xml_node> children = Children(node, "mrow");
            if (children.empty() || LocalName(children.front()) == "semantics")
                Empty("mrow");
            else
                Element(children.front(), depth);
            return;
        }
        if (Among(kTokens, name)) {
            Open(name, node);
            // Markup inside a token (glyphs, alignment marks) is not written; its text is.
            for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
                if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata)
                    out.Text(c.value());
                else if (c.type() == pugi::node_element)
                    out.Text(c.child_value());
            Close(name);
            return;
        }
        if (name == "mspace" || name == "none" || name == "mprescripts") {
            out.Open(name);
            Attributes(node);
            out.CloseEmpty();
            return;
        }
        Open(name, node);
        if (depth < kMaxDepth)
            Content(node, name, depth + 1);
        Close(name);
    }

    void Content(pugi::xml_node node, std::string_view name, int depth) {
        std::vector<pugi::xml_node> children = Children(node, name);
        if (name == "mtable" || name == "mtr") {
            // Rows hold cells and tables rows: anything else gets the missing levels.
            const std::string_view inner = name == "mtable" ? "mtr" : "mtd";
            for (const pugi::xml_node c : children) {
                const std::string_view childName = LocalName(c);
                if (childName == inner) {
                    Element(c, depth);
                } else if (name == "mtable" && childName == "mtd") {
                    out.Open("mtr").Close();
                    Element(c, depth);
                    out.End("mtr");
                } else {
                    if (name == "mtable")
                        out.Open("mtr").Close();
                    out.Open("mtd").Close();
                    Element(c, depth);
                    out.End("mtd");
                    if (name == "mtable")
                        out.End("mtr");
                }
            }
            return;
        }
        const int arity = Arity(name);
        if (arity < 0) {
            for (const pugi::xml_node c : children)
                if (LocalName(c) != "mtr" && LocalName(c) != "mtd")
                    Element(c, depth);
                else
                    Wrapped(c, depth);
            return;
        }
        // Missing arguments are empty; surplus ones join the last.
        for (int i = 0; i < arity; ++i) {
            const auto at = static_cast<size_t>(i);
            if (at >= children.size()) {
                Empty("mrow");
            } else if (i == arity - 1 && children.size() > at + 1) {
                out.Open("mrow").Close();
                for (size_t j = at; j < children.size(); ++j)
                    Element(children[j], depth);
                out.End("mrow");
            } else if (LocalName(children[at]) == "mtr" || LocalName(children[at]) == "mtd") {
                Wrapped(children[at], depth);
            } else {
                Element(children[at], depth);
            }
        }
    }

    // A row or cell out of its table gets one.
    void Wrapped(pugi::xml_node node, int depth) {
        out.Open("mtable").Close();
        if (LocalName(node) == "mtd")
            out.Open("mtr").Close();
        Element(node, depth);
        if (LocalName(node) == "mtd")
            out.End("mtr");
        out.End("mtable");
    }
};

} // namespace

std::string MathElement(std::string_view mathML, std::string_view altText) {
    pugi::xml_document document;
    // Only the built-in entities are ever expanded; a DOCTYPE is refused rather than skipped.
    const pugi::xml_parse_result parsed =
        document.load_buffer(mathML.data(), mathML.size(),
                             pugi::parse_default | pugi::parse_doctype, pugi::encoding_utf8);
    if (!parsed)
        return {};
    for (pugi::xml_node n = document.first_child(); n; n = n.next_sibling())
        if (n.type() == pugi::node_doctype)
            return {};
    const pugi::xml_node root = document.document_element();
    if (!IsMath(root))
        return {};
    Writer writer;
    writer.out.Open("math").Attribute("xmlns", kMathNamespace);
    if (const std::string_view display = root.attribute("display").value();
        display == "block" || display == "inline")
        writer.out.Attribute("display", display);
    if (!altText.empty())
        writer.out.Attribute("alttext", altText);
    writer.out.Close();
    const size_t start = writer.out.View().size();
    if (LocalName(root) == "math")
        writer.Content(root, "mrow", 1);
    else if (Writer::Known(root, "mrow"))
        writer.Element(root, 1);
    if (writer.out.View().size() == start)
        return {};
    return writer.out.End("math").Take();
}

} // namespace EPub

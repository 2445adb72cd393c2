// SPDX-License-Identifier: MIT
#include "readers/docx/MathText.h"

#include "host/foundation/StringT.h"
#include "readers/docx/XmlPart.h"

#include <vector>

namespace Readers::Docx {

namespace {

// Deeper structures are written as their plain text, which needs no recursion.
constexpr int kMaxDepth = 48;

void PlainText(pugi::xml_node root, std::string& out) {
    std::vector<pugi::xml_node> stack{root};
    while (!stack.empty()) {
        const pugi::xml_node n = stack.back();
        stack.pop_back();
        if (Is(n, "t")) {
            out += n.text().get();
            continue;
        }
        for (pugi::xml_node c = n.last_child(); c; c = c.previous_sibling())
            if (c.type() == pugi::node_element)
                stack.push_back(c);
    }
}

std::string Property(pugi::xml_node node, std::string_view properties, std::string_view name,
                     std::string_view fallback) {
    const pugi::xml_node p = Child(Child(node, properties), name);
    if (!p)
        return std::string(fallback);
    return std::string(AttrText(p, "val"));
}

class Writer {
public:
    std::string Text(pugi::xml_node node, int depth) {
        std::string out;
        Append(node, out, depth);
        return out;
    }

private:
    // A part of a fraction, script or radical: bracketed when it is more than one character.
    std::string Group(pugi::xml_node node, int depth) {
        std::string text = Text(node, depth);
        if (Foundation::StringT(text).ToUTF32().size() > 1 &&
            !(text.front() == '(' && text.back() == ')'))
            return "(" + text + ")";
        return text;
    }

    void Append(pugi::xml_node node, std::string& out, int depth) {
        if (depth > kMaxDepth) {
            PlainText(node, out);
            return;
        }
        for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
            if (c.type() != pugi::node_element)
                continue;
            const std::string_view name = LocalName(c);
            if (name.ends_with("Pr"))
                continue;
            if (name == "t") {
                out += c.text().get();
            } else if (name == "sSup") {
                out += Group(Child(c, "e"), depth + 1) + "^" + Group(Child(c, "sup"), depth + 1);
            } else if (name == "sSub") {
                out += Group(Child(c, "e"), depth + 1) + "_" + Group(Child(c, "sub"), depth + 1);
            } else if (name == "sSubSup") {
                out += Group(Child(c, "e"), depth + 1) + "_" + Group(Child(c, "sub"), depth + 1) +
                       "^" + Group(Child(c, "sup"), depth + 1);
            } else if (name == "sPre") {
                out += "_" + Group(Child(c, "sub"), depth + 1) + "^" +
                       Group(Child(c, "sup"), depth + 1) + Group(Child(c, "e"), depth + 1);
            } else if (name == "f") {
                out += Group(Child(c, "num"), depth + 1) + "/" + Group(Child(c, "den"), depth + 1);
            } else if (name == "rad") {
                const std::string degree = Text(Child(c, "deg"), depth + 1);
                out += degree.empty() ? "\u221A" : "\u221A(" + degree + "&";
                out += Group(Child(c, "e"), depth + 1);
                if (!degree.empty())
                    out += ")";
            } else if (name == "nary") {
                out += Property(c, "naryPr", "chr", "\u222B");
                if (const std::string sub = Group(Child(c, "sub"), depth + 1); !sub.empty())
                    out += "_" + sub;
                if (const std::string sup = Group(Child(c, "sup"), depth + 1); !sup.empty())
                    out += "^" + sup;
                out += " " + Text(Child(c, "e"), depth + 1);
            } else if (name == "d") {
                out += Property(c, "dPr", "begChr", "(");
                const std::string separator = Property(c, "dPr", "sepChr", "|");
                bool first = true;
                for (pugi::xml_node e = c.first_child(); e; e = e.next_sibling())
                    if (Is(e, "e")) {
                        out += (first ? "" : separator) + Text(e, depth + 1);
                        first = false;
                    }
                out += Property(c, "dPr", "endChr", ")");
            } else if (name == "func") {
                out += Text(Child(c, "fName"), depth + 1) + " " + Group(Child(c, "e"), depth + 1);
            } else if (name == "acc") {
                out += Text(Child(c, "e"), depth + 1) + Property(c, "accPr", "chr", "\u0302");
            } else if (name == "m") {
                std::string rows;
                for (pugi::xml_node row = c.first_child(); row; row = row.next_sibling()) {
                    if (!Is(row, "mr"))
                        continue;
                    std::string cells;
                    for (pugi::xml_node e = row.first_child(); e; e = e.next_sibling())
                        if (Is(e, "e"))
                            cells += (cells.empty() ? "" : "&") + Text(e, depth + 1);
                    rows += (rows.empty() ? "" : "@") + cells;
                }
                out += "\u25A0(" + rows + ")";
            } else if (name == "eqArr") {
                std::string rows;
                for (pugi::xml_node e = c.first_child(); e; e = e.next_sibling())
                    if (Is(e, "e"))
                        rows += (rows.empty() ? "" : "@") + Text(e, depth + 1);
                out += "\u2588(" + rows + ")";
            } else if (name == "oMath" && !out.empty()) {
                out += " ";
                Append(c, out, depth + 1);
            } else {
                Append(c, out, depth + 1);
            }
        }
    }
};

} // namespace

std::string LinearMath(pugi::xml_node math) {
    return Writer().Text(math, 0);
}

} // namespace Readers::Docx

// SPDX-License-Identifier: MIT
#include "readers/docx/MathMarkup.h"

#include "host/foundation/StringT.h"
#include "readers/docx/MathText.h"
#include "readers/docx/XmlPart.h"

#include <sstream>
#include <string_view>
#include <vector>

namespace Readers::Docx {

namespace {

// Deeper structures keep their linear text; it bounds the recursion.
constexpr int kMaxDepth = 40;
constexpr std::string_view kFunctionApplication = "\u2061";

enum class CharClass { Letter, Digit, Operator, Space };

CharClass Classify(char32_t c) {
    if (c >= '0' && c <= '9')
        return CharClass::Digit;
    if (c == ' ' || c == 0xA0 || (c >= 0x2000 && c <= 0x200B))
        return CharClass::Space;
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == 0x221E)
        return CharClass::Letter;
    if (c < 0x80)
        return CharClass::Operator;
    // Punctuation, arrows, operators and technical symbols; the rest (Greek, letterlike and
    // mathematical alphanumeric symbols, other scripts) names things.
    if ((c >= 0x80 && c <= 0xBF) || c == 0xD7 || c == 0xF7 ||
        (c >= 0x2010 && c <= 0x2BFF && !(c >= 0x2100 && c <= 0x214F)))
        return CharClass::Operator;
    return CharClass::Letter;
}

std::string_view Val(pugi::xml_node properties, std::string_view name, std::string_view fallback) {
    const pugi::xml_node p = Child(properties, name);
    if (!p)
        return fallback;
    const pugi::xml_attribute val = Attr(p, "val");
    return val ? std::string_view(val.value()) : fallback;
}

bool IsIntegral(std::string_view chr) {
    for (const std::string_view integral :
         {"\u222B", "\u222C", "\u222D", "\u222E", "\u222F", "\u2230", "\u2231", "\u2232", "\u2233"})
        if (chr == integral)
            return true;
    return false;
}

class Builder {
public:
    void Content(pugi::xml_node omml, pugi::xml_node out, int depth) {
        for (pugi::xml_node c = omml.first_child(); c; c = c.next_sibling())
            if (c.type() == pugi::node_element)
                Element(c, out, depth);
    }

private:
    static pugi::xml_node Add(pugi::xml_node out, const char* name) {
        return out.append_child(name);
    }
    static pugi::xml_node Token(pugi::xml_node out, const char* name, std::string_view text) {
        pugi::xml_node token = Add(out, name);
        token.append_child(pugi::node_pcdata).set_value(std::string(text).c_str());
        return token;
    }
    static pugi::xml_node Operator(pugi::xml_node out, std::string_view text) {
        return Token(out, "mo", text);
    }

    // One argument of a structure: its content as a single element, an <mrow> when it is more
    // than one or none.
    void Argument(pugi::xml_node omml, pugi::xml_node out, int depth) {
        pugi::xml_node row = Add(out, "mrow");
        if (omml)
            Content(omml, row, depth + 1);
        const pugi::xml_node only = row.first_child();
        if (only && !only.next_sibling()) {
            out.insert_move_before(only, row);
            out.remove_child(row);
        }
    }

    void Element(pugi::xml_node c, pugi::xml_node out, int depth) {
        const std::string_view name = LocalName(c);
        if (name.ends_with("Pr") || name == "del" || name == "moveFrom" ||
            name.starts_with("bookmark") || name == "proofErr" || name.starts_with("perm") ||
            name.starts_with("comment"))
            return;
        if (depth > kMaxDepth) {
            Token(out, "mtext", LinearMath(c));
            return;
        }
        if (name == "r")
            Run(c, out, false);
        else if (name == "f")
            Fraction(c, out, depth);
        else if (name == "sSup" || name == "sSub" || name == "sSubSup")
            Scripts(c, name, out, depth);
        else if (name == "sPre")
            PreScripts(c, out, depth);
        else if (name == "rad")
            Radical(c, out, depth);
        else if (name == "nary")
            Nary(c, out, depth);
        else if (name == "d")
            Delimiters(c, out, depth);
        else if (name == "func")
            Function(c, out, depth);
        else if (name == "limLow" || name == "limUpp")
            Limit(c, name == "limUpp", out, depth);
        else if (name == "acc")
            Over(c, Val(Child(c, "accPr"), "chr", "\u0302"), true, out, depth);
        else if (name == "bar")
            Bar(c, out, depth);
        else if (name == "groupChr")
            GroupCharacter(c, out, depth);
        else if (name == "box")
            Argument(Child(c, "e"), out, depth);
        else if (name == "borderBox")
            Argument(Child(c, "e"), Enclose(out), depth);
        else if (name == "eqArr")
            EquationArray(c, out, depth);
        else if (name == "m")
            Matrix(c, out, depth);
        else if (name == "phant")
            Phantom(c, out, depth);
        else if (name == "oMath" || name == "e" || name == "ins" || name == "moveTo" ||
                 name == "sdt" || name == "sdtContent" || name == "smartTag" || name == "customXml")
            Content(c, out, depth + 1);
        else if (const std::string text = LinearMath(c); !text.empty())
            Token(out, "mtext", text);
    }

    static pugi::xml_node Enclose(pugi::xml_node out) {
        pugi::xml_node box = Add(out, "menclose");
        box.append_attribute("notation") = "box";
        return box;
    }

    // Text: letters, digits and operators each become their token; normal text stays text.
    void Run(pugi::xml_node r, pugi::xml_node out, bool functionName) {
        std::string text;
        for (pugi::xml_node t = r.first_child(); t; t = t.next_sibling())
            if (Is(t, "t"))
                text += t.text().get();
        if (text.empty())
            return;
        const pugi::xml_node rPr = Child(r, "rPr");
        // A word-processor run (w:r) in an equation, or math marked normal text.
        if (r.name() == std::string_view("w:r") || OnOff(rPr, "nor").value_or(false)) {
            Token(out, "mtext", text);
            return;
        }
        const std::string_view style = Val(rPr, "sty", "");
        const std::u32string chars = Foundation::StringT(text).ToUTF32();
        for (size_t i = 0; i < chars.size();) {
            const CharClass kind = Classify(chars[i]);
            size_t end = i + 1;
            if (kind == CharClass::Digit) {
                while (end < chars.size() && (Classify(chars[end]) == CharClass::Digit ||
                                              (chars[end] == '.' && end + 1 < chars.size() &&
                                               Classify(chars[end + 1]) == CharClass::Digit)))
                    ++end;
            } else if (kind == CharClass::Letter && (functionName || style == "p")) {
                // Upright words are names ("lim", "max"), not products of variables.
                while (end < chars.size() && Classify(chars[end]) == CharClass::Letter)
                    ++end;
            }
            const std::string piece =
                Foundation::StringT::FromUTF32(std::u32string_view(chars).substr(i, end - i)).str();
            if (kind == CharClass::Digit) {
                Token(out, "mn", piece);
            } else if (kind == CharClass::Letter) {
                pugi::xml_node mi = Token(out, "mi", piece);
                if (style == "p" && end - i == 1)
                    mi.append_attribute("mathvariant") = "normal";
                else if (style == "b")
                    mi.append_attribute("mathvariant") = "bold";
                else if (style == "bi")
                    mi.append_attribute("mathvariant") = "bold-italic";
            } else if (kind == CharClass::Operator) {
                Operator(out, piece);
            }
            i = end;
        }
    }

    void Fraction(pugi::xml_node f, pugi::xml_node out, int depth) {
        const std::string_view type = Val(Child(f, "fPr"), "type", "bar");
        if (type == "lin") {
            pugi::xml_node row = Add(out, "mrow");
            Argument(Child(f, "num"), row, depth);
            Operator(row, "/");
            Argument(Child(f, "den"), row, depth);
            return;
        }
        pugi::xml_node frac = Add(out, "mfrac");
        if (type == "noBar")
            frac.append_attribute("linethickness") = "0";
        else if (type == "skw")
            frac.append_attribute("bevelled") = "true";
        Argument(Child(f, "num"), frac, depth);
        Argument(Child(f, "den"), frac, depth);
    }

    void Scripts(pugi::xml_node s, std::string_view name, pugi::xml_node out, int depth) {
        pugi::xml_node script = Add(out, name == "sSup"   ? "msup"
                                         : name == "sSub" ? "msub"
                                                          : "msubsup");
        Argument(Child(s, "e"), script, depth);
        if (name != "sSup")
            Argument(Child(s, "sub"), script, depth);
        if (name != "sSub")
            Argument(Child(s, "sup"), script, depth);
    }

    void PreScripts(pugi::xml_node s, pugi::xml_node out, int depth) {
        pugi::xml_node scripts = Add(out, "mmultiscripts");
        Argument(Child(s, "e"), scripts, depth);
        Add(scripts, "mprescripts");
        Argument(Child(s, "sub"), scripts, depth);
        Argument(Child(s, "sup"), scripts, depth);
    }

    void Radical(pugi::xml_node rad, pugi::xml_node out, int depth) {
        const pugi::xml_node degree = Child(rad, "deg");
        const bool hidden = OnOff(Child(rad, "radPr"), "degHide").value_or(false);
        if (hidden || LinearMath(degree).empty()) {
            Argument(Child(rad, "e"), Add(out, "msqrt"), depth);
            return;
        }
        pugi::xml_node root = Add(out, "mroot");
        Argument(Child(rad, "e"), root, depth);
        Argument(degree, root, depth);
    }

    void Nary(pugi::xml_node nary, pugi::xml_node out, int depth) {
        const pugi::xml_node pr = Child(nary, "naryPr");
        const std::string_view chr = Val(pr, "chr", "\u222B");
        const bool lower = !OnOff(pr, "subHide").value_or(false) && Child(nary, "sub") &&
                           !LinearMath(Child(nary, "sub")).empty();
        const bool upper = !OnOff(pr, "supHide").value_or(false) && Child(nary, "sup") &&
                           !LinearMath(Child(nary, "sup")).empty();
        const std::string_view location = Val(pr, "limLoc", IsIntegral(chr) ? "subSup" : "undOvr");
        const bool under = location == "undOvr";
        pugi::xml_node row = Add(out, "mrow");
        pugi::xml_node base = row;
        if (lower && upper)
            base = Add(row, under ? "munderover" : "msubsup");
        else if (lower)
            base = Add(row, under ? "munder" : "msub");
        else if (upper)
            base = Add(row, under ? "mover" : "msup");
        Operator(base, chr).append_attribute("largeop") = "true";
        if (lower)
            Argument(Child(nary, "sub"), base, depth);
        if (upper)
            Argument(Child(nary, "sup"), base, depth);
        Argument(Child(nary, "e"), row, depth);
    }

    void Delimiters(pugi::xml_node d, pugi::xml_node out, int depth) {
        const pugi::xml_node pr = Child(d, "dPr");
        pugi::xml_node row = Add(out, "mrow");
        const auto fence = [&](std::string_view text) {
            if (!text.empty())
                Operator(row, text).append_attribute("fence") = "true";
        };
        fence(Val(pr, "begChr", "("));
        const std::string_view separator = Val(pr, "sepChr", "|");
        bool first = true;
        for (pugi::xml_node e = d.first_child(); e; e = e.next_sibling()) {
            if (!Is(e, "e"))
                continue;
            if (!first && !separator.empty())
                Operator(row, separator).append_attribute("separator") = "true";
            Argument(e, row, depth);
            first = false;
        }
        fence(Val(pr, "endChr", ")"));
    }

    void Function(pugi::xml_node func, pugi::xml_node out, int depth) {
        pugi::xml_node row = Add(out, "mrow");
        // The name's letters make one identifier: "sin", not s·i·n.
        pugi::xml_node name = Add(row, "mrow");
        FunctionName(Child(func, "fName"), name, depth + 1);
        if (const pugi::xml_node only = name.first_child(); only && !only.next_sibling()) {
            row.insert_move_before(only, name);
            row.remove_child(name);
        }
        Operator(row, kFunctionApplication);
        Argument(Child(func, "e"), row, depth);
    }

    void FunctionName(pugi::xml_node fName, pugi::xml_node out, int depth) {
        for (pugi::xml_node c = fName.first_child(); c; c = c.next_sibling())
            if (Is(c, "r"))
                Run(c, out, true);
            else if (c.type() == pugi::node_element)
                Element(c, out, depth);
    }

    void Limit(pugi::xml_node l, bool upper, pugi::xml_node out, int depth) {
        pugi::xml_node limit = Add(out, upper ? "mover" : "munder");
        Argument(Child(l, "e"), limit, depth);
        Argument(Child(l, "lim"), limit, depth);
    }

    void Over(pugi::xml_node node, std::string_view chr, bool above, pugi::xml_node out,
              int depth) {
        pugi::xml_node over = Add(out, above ? "mover" : "munder");
        over.append_attribute(above ? "accent" : "accentunder") = "true";
        Argument(Child(node, "e"), over, depth);
        Operator(over, chr).append_attribute("stretchy") = "true";
    }

    void Bar(pugi::xml_node bar, pugi::xml_node out, int depth) {
        const bool top = Val(Child(bar, "barPr"), "pos", "bot") == "top";
        Over(bar, top ? "\u00AF" : "_", top, out, depth);
    }

    void GroupCharacter(pugi::xml_node group, pugi::xml_node out, int depth) {
        const pugi::xml_node pr = Child(group, "groupChrPr");
        const bool top = Val(pr, "pos", "bot") == "top";
        pugi::xml_node over = Add(out, top ? "mover" : "munder");
        Argument(Child(group, "e"), over, depth);
        Operator(over, Val(pr, "chr", "\u23DF")).append_attribute("stretchy") = "true";
    }

    void EquationArray(pugi::xml_node array, pugi::xml_node out, int depth) {
        pugi::xml_node table = Add(out, "mtable");
        table.append_attribute("columnalign") = "left";
        for (pugi::xml_node e = array.first_child(); e; e = e.next_sibling())
            if (Is(e, "e"))
                Argument(e, Add(Add(table, "mtr"), "mtd"), depth);
    }

    void Matrix(pugi::xml_node matrix, pugi::xml_node out, int depth) {
        pugi::xml_node table = Add(out, "mtable");
        for (pugi::xml_node row = matrix.first_child(); row; row = row.next_sibling()) {
            if (!Is(row, "mr"))
                continue;
            pugi::xml_node tr = Add(table, "mtr");
            for (pugi::xml_node e = row.first_child(); e; e = e.next_sibling())
                if (Is(e, "e"))
                    Argument(e, Add(tr, "mtd"), depth);
        }
    }

    void Phantom(pugi::xml_node phantom, pugi::xml_node out, int depth) {
        const bool shown = OnOff(Child(phantom, "phantPr"), "show").value_or(true);
        Argument(Child(phantom, "e"), shown ? out : Add(out, "mphantom"), depth);
    }
};

} // namespace

std::string MathMarkup(pugi::xml_node math, bool display) {
    pugi::xml_document document;
    pugi::xml_node root = document.append_child("math");
    root.append_attribute("xmlns") = "http://www.w3.org/1998/Math/MathML";
    if (display)
        root.append_attribute("display") = "block";
    Builder builder;
    std::vector<pugi::xml_node> lines;
    for (pugi::xml_node c = math.first_child(); c; c = c.next_sibling())
        if (Is(c, "oMath"))
            lines.push_back(c);
    if (lines.size() > 1) {
        // Several equations of one paragraph, one under the other.
        pugi::xml_node table = root.append_child("mtable");
        for (const pugi::xml_node line : lines)
            builder.Content(line, table.append_child("mtr").append_child("mtd"), 1);
    } else {
        builder.Content(lines.empty() ? math : lines.front(), root, 1);
    }
    if (!root.first_child())
        return {};
    std::ostringstream out;
    document.save(out, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    return out.str();
}

} // namespace Readers::Docx

// SPDX-License-Identifier: MIT
#include "tests/support/CssCascade.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <sstream>
#include <tuple>

namespace TestSupport {

namespace {

std::string Trim(const std::string& text) {
    const size_t begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos)
        return {};
    const size_t end = text.find_last_not_of(" \t\r\n");
    return text.substr(begin, end - begin + 1);
}

std::string StripComments(const std::string& css, std::vector<std::string>& errors) {
    std::string out;
    for (size_t i = 0; i < css.size();) {
        if (css.compare(i, 2, "/*") == 0) {
            const size_t end = css.find("*/", i + 2);
            if (end == std::string::npos) {
                errors.push_back("unclosed comment");
                break;
            }
            i = end + 2;
            continue;
        }
        out += css[i++];
    }
    return out;
}

// Splits at `separator` outside quotes and parentheses.
std::vector<std::string> SplitTopLevel(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string current;
    char quote = 0;
    int depth = 0;
    for (const char c : text) {
        if (quote) {
            quote = c == quote ? 0 : quote;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')') {
            --depth;
        } else if (c == separator && depth == 0) {
            parts.push_back(current);
            current.clear();
            continue;
        }
        current += c;
    }
    parts.push_back(current);
    return parts;
}

bool IsIdentifier(const std::string& text) {
    static const std::regex identifier("-?[_a-zA-Z][_a-zA-Z0-9-]*");
    return std::regex_match(text, identifier);
}

std::optional<CssCascade::Compound> ParseCompound(std::string text) {
    CssCascade::Compound compound;
    for (const char* pseudo : {"::after", "::before"})
        if (text.size() > std::strlen(pseudo) && text.ends_with(pseudo)) {
            text.resize(text.size() - std::strlen(pseudo));
            compound.pseudoElement = true;
        }
    // element, then .class and #id parts
    size_t start = 0;
    char kind = 'e';
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != '.' && text[i] != '#')
            continue;
        const std::string name = text.substr(start, i - start);
        if (kind == 'e') {
            if (name != "*" && !name.empty() && !IsIdentifier(name))
                return std::nullopt;
            compound.element = name == "*" ? "" : name;
        } else if (!IsIdentifier(name)) {
            return std::nullopt;
        } else if (kind == '.') {
            compound.classes.push_back(name);
        } else {
            compound.id = name;
        }
        if (i < text.size())
            kind = text[i];
        start = i + 1;
    }
    return compound;
}

std::optional<CssCascade::Selector> ParseSelector(const std::string& text) {
    std::string spaced;
    for (const char c : text) {
        if (c == '>')
            spaced += " > ";
        else
            spaced += c;
    }
    std::istringstream words(spaced);
    CssCascade::Selector selector;
    bool child = false;
    for (std::string word; words >> word;) {
        if (word == ">") {
            if (selector.parts.empty() || child)
                return std::nullopt;
            child = true;
            continue;
        }
        auto compound = ParseCompound(word);
        if (!compound)
            return std::nullopt;
        compound->child = child;
        child = false;
        selector.classes += static_cast<int>(compound->classes.size());
        selector.ids += compound->id.empty() ? 0 : 1;
        selector.elements += compound->element.empty() ? 0 : 1;
        selector.elements += compound->pseudoElement ? 1 : 0;
        selector.parts.push_back(*compound);
    }
    if (selector.parts.empty() || child)
        return std::nullopt;
    return selector;
}

bool MatchesCompound(const CssCascade::Compound& compound, const pugi::xml_node& element) {
    if (compound.pseudoElement || element.type() != pugi::node_element)
        return false;
    if (!compound.element.empty() && compound.element != element.name())
        return false;
    if (!compound.id.empty() && compound.id != element.attribute("id").value())
        return false;
    std::istringstream list(element.attribute("class").value());
    std::vector<std::string> classes;
    for (std::string name; list >> name;)
        classes.push_back(name);
    return std::ranges::all_of(compound.classes, [&](const std::string& name) {
        return std::ranges::find(classes, name) != classes.end();
    });
}

bool MatchesFrom(const CssCascade::Selector& selector, size_t index,
                 const pugi::xml_node& element) {
    if (!MatchesCompound(selector.parts[index], element))
        return false;
    if (index == 0)
        return true;
    if (selector.parts[index].child)
        return MatchesFrom(selector, index - 1, element.parent());
    for (pugi::xml_node up = element.parent(); up.type() == pugi::node_element; up = up.parent())
        if (MatchesFrom(selector, index - 1, up))
            return true;
    return false;
}

bool IsInheritedProperty(const std::string& property) {
    static const std::vector<std::string> inherited{"font-family",
                                                    "font-weight",
                                                    "font-style",
                                                    "color",
                                                    "letter-spacing",
                                                    "line-height",
                                                    "text-align",
                                                    "text-indent",
                                                    "hyphens",
                                                    "widows",
                                                    "orphans",
                                                    "list-style-type",
                                                    "list-style-position",
                                                    "text-transform",
                                                    "font-variant-caps",
                                                    "font-variant-numeric",
                                                    "font-variant-ligatures",
                                                    "font-feature-settings",
                                                    "font-palette"};
    return std::ranges::find(inherited, property) != inherited.end() ||
           property.starts_with("font-variant");
}

// What a reading system's own style sheet gives the elements the exporter writes.
std::optional<std::string> ElementDefault(const std::string& element, const std::string& property) {
    const bool heading =
        element.size() == 2 && element[0] == 'h' && element[1] >= '1' && element[1] <= '6';
    if (property == "font-weight" &&
        (heading || element == "strong" || element == "b" || element == "th"))
        return "bold";
    if (property == "font-style" && (element == "em" || element == "i" || element == "cite"))
        return "italic";
    if (property == "font-size") {
        static const char* const kHeadings[] = {"2em", "1.5em",  "1.17em",
                                                "1em", "0.83em", "0.67em"};
        if (heading)
            return kHeadings[element[1] - '1'];
        if (element == "small" || element == "sub" || element == "sup")
            return "0.83em";
    }
    if (property == "margin-top" || property == "margin-bottom") {
        if (element == "p" || element == "ul" || element == "ol")
            return "1em";
    }
    return std::nullopt;
}

bool Full(const std::string& value, const char* pattern) {
    return std::regex_match(value, std::regex(pattern));
}

} // namespace

void CssCascade::AddSheet(const std::string& source) {
    const std::string css = StripComments(source, errors_);
    size_t pos = 0;
    while (true) {
        const size_t open = css.find('{', pos);
        const size_t close = css.find('}', pos);
        if (open == std::string::npos) {
            if (!Trim(css.substr(pos)).empty())
                errors_.push_back("text after the last rule: " + Trim(css.substr(pos)));
            if (close != std::string::npos)
                errors_.push_back("unbalanced '}'");
            return;
        }
        if (close < open) {
            errors_.push_back("unbalanced '}' before " + Trim(css.substr(pos, open - pos)));
            return;
        }
        const size_t end = css.find('}', open);
        if (end == std::string::npos) {
            errors_.push_back("unclosed rule: " + Trim(css.substr(pos, open - pos)));
            return;
        }
        const std::string body = css.substr(open + 1, end - open - 1);
        if (body.find('{') != std::string::npos) {
            errors_.push_back("nested block in " + Trim(css.substr(pos, open - pos)));
            return;
        }
        ParseRule(Trim(css.substr(pos, open - pos)), body);
        pos = end + 1;
    }
}

void CssCascade::ParseRule(const std::string& prelude, const std::string& body) {
    Rule rule;
    rule.selectorText = prelude;
    rule.order = rules_.size();
    if (prelude.empty()) {
        errors_.push_back("rule without selector");
        return;
    }
    if (prelude[0] == '@') {
        if (!prelude.starts_with("@font-face") && !prelude.starts_with("@font-palette-values"))
            errors_.push_back("unexpected at-rule " + prelude);
    } else {
        for (const std::string& text : SplitTopLevel(prelude, ',')) {
            const auto selector = ParseSelector(Trim(text));
            if (!selector) {
                errors_.push_back("bad selector '" + Trim(text) + "'");
                continue;
            }
            rule.selectors.push_back(*selector);
        }
    }
    for (const std::string& part : SplitTopLevel(body, ';')) {
        const std::string declaration = Trim(part);
        if (declaration.empty())
            continue;
        const size_t colon = declaration.find(':');
        if (colon == std::string::npos) {
            errors_.push_back(prelude + ": declaration without ':' '" + declaration + "'");
            continue;
        }
        const std::string property = Trim(declaration.substr(0, colon));
        const std::string value = Trim(declaration.substr(colon + 1));
        if (!Full(property, "-?[a-z][a-z-]*")) {
            errors_.push_back(prelude + ": bad property '" + property + "'");
            continue;
        }
        CheckValue(prelude, property, value);
        rule.declarations.emplace_back(property, value);
    }
    rules_.push_back(std::move(rule));
}

// The values the exporter writes, held to what CSS accepts for them.
void CssCascade::CheckValue(const std::string& where, const std::string& property,
                            const std::string& value) {
    const auto fail = [&](const std::string& why) {
        errors_.push_back(where + " { " + property + ": " + value + " }: " + why);
    };
    if (value.empty())
        return fail("empty value");
    if (value.find("nan") != std::string::npos || value.find("inf") != std::string::npos)
        return fail("not a number");
    static const char* const kLength = "(-?[0-9]*\\.?[0-9]+(e-?[0-9]+)?(em|rem|px|pt|%)|0)";
    const auto lengthInRange = [&](const std::string& text) {
        const double n = std::strtod(text.c_str(), nullptr);
        return std::fabs(n) < 1000 || text.ends_with("px") || text.ends_with("%");
    };
    if (property.starts_with("margin") || property.starts_with("padding") ||
        property == "text-indent" || property == "width" || property == "height") {
        for (std::istringstream parts(value); !parts.eof();) {
            std::string part;
            parts >> part;
            if (part.empty())
                continue;
            if (part != "auto" && !Full(part, kLength))
                return fail("not a length");
            if (!lengthInRange(part))
                return fail("absurd length");
        }
        if (property.starts_with("padding") && value.starts_with("-"))
            return fail("negative padding");
        return;
    }
    if (property == "font-size") {
        if (!Full(value, kLength) || value.starts_with("-"))
            return fail("not a positive size");
        if (!lengthInRange(value))
            return fail("absurd size");
        return;
    }
    if (property == "line-height") {
        if (!Full(value, "normal|[0-9]*\\.?[0-9]+") && !Full(value, kLength))
            return fail("not a line height");
        return;
    }
    if (property == "widows" || property == "orphans") {
        if (!Full(value, "[1-9][0-9]*"))
            return fail("must be a positive integer");
        return;
    }
    if (property == "font-family") {
        for (const std::string& family : SplitTopLevel(value, ',')) {
            const std::string name = Trim(family);
            if (name.empty() || name == "''" || name == "\"\"")
                return fail("empty family name");
        }
        return;
    }
    if (property == "font-weight") {
        if (!Full(value, "normal|bold|bolder|lighter|[1-9]00"))
            return fail("not a weight");
        return;
    }
    if (property == "font-style") {
        if (!Full(value, "normal|italic|oblique"))
            return fail("not a style");
        return;
    }
    if (property == "text-decoration" || property == "text-decoration-line") {
        if (!Full(value, "none|((underline|overline|line-through|blink) ?)+"))
            return fail("not a decoration line");
        return;
    }
    if (property == "text-decoration-style") {
        if (!Full(value, "solid|double|dotted|dashed|wavy"))
            return fail("not a decoration style");
        return;
    }
    if (property == "font-variant-alternates") {
        if (value.find('(') != std::string::npos)
            return fail("needs @font-feature-values");
        return;
    }
    if (property == "font-feature-settings") {
        for (const std::string& feature : SplitTopLevel(value, ','))
            if (!Full(Trim(feature), "normal|\"[ -~]{4}\"( (on|off|[0-9]+))?"))
                return fail("not a feature list");
        return;
    }
    if (property == "override-colors") {
        for (const std::string& entry : SplitTopLevel(value, ',')) {
            const std::string text = Trim(entry);
            if (text.find("inherit") != std::string::npos ||
                text.find("currentColor") != std::string::npos || !Full(text, "[0-9]+ \\S+"))
                return fail("not an absolute colour entry");
        }
        return;
    }
    if (property == "text-align") {
        if (!Full(value, "left|right|center|justify|start|end"))
            return fail("not an alignment");
        return;
    }
    if (property == "vertical-align") {
        if (!Full(value, "baseline|sub|super|top|middle|bottom|text-top|text-bottom") &&
            !Full(value, kLength))
            return fail("not a vertical alignment");
    }
}

std::optional<std::string> CssCascade::Cascaded(const pugi::xml_node& element,
                                                const std::string& property) const {
    std::optional<std::string> best;
    std::tuple<int, int, int> bestSpecificity{-1, -1, -1};
    for (const Rule& rule : rules_) {
        const auto declaration = std::ranges::find_if(
            rule.declarations, [&](const auto& d) { return d.first == property; });
        if (declaration == rule.declarations.end())
            continue;
        // A later declaration in the same rule wins, so take the last.
        const auto last = std::ranges::find_if(rule.declarations.rbegin(), rule.declarations.rend(),
                                               [&](const auto& d) { return d.first == property; });
        for (const Selector& selector : rule.selectors) {
            if (!Matches(selector, element))
                continue;
            const std::tuple<int, int, int> specificity{selector.ids, selector.classes,
                                                        selector.elements};
            if (specificity >= bestSpecificity) {
                bestSpecificity = specificity;
                best = last->second;
            }
        }
    }
    return best;
}

std::optional<std::string> CssCascade::Inherited(const pugi::xml_node& element,
                                                 const std::string& property) const {
    for (pugi::xml_node node = element; node.type() == pugi::node_element; node = node.parent()) {
        if (const auto own = Cascaded(node, property))
            return own;
        if (const auto fallback = ElementDefault(node.name(), property))
            return fallback;
        if (!IsInheritedProperty(property))
            return std::nullopt;
    }
    return std::nullopt;
}

double CssCascade::FontSizePt(const pugi::xml_node& node) const {
    if (node.type() != pugi::node_element)
        return node.parent() ? FontSizePt(node.parent()) : 12.0;
    const double parent =
        node.parent().type() == pugi::node_element ? FontSizePt(node.parent()) : 12.0;
    auto value = Cascaded(node, "font-size");
    if (!value)
        value = ElementDefault(node.name(), "font-size");
    if (!value)
        return parent;
    const double n = std::strtod(value->c_str(), nullptr);
    if (value->ends_with("rem"))
        return n * 12.0;
    if (value->ends_with("em"))
        return n * parent;
    if (value->ends_with("%"))
        return n / 100.0 * parent;
    if (value->ends_with("pt"))
        return n;
    if (value->ends_with("px"))
        return n * 0.75;
    return parent;
}

bool CssCascade::Matches(const Selector& selector, const pugi::xml_node& element) {
    return MatchesFrom(selector, selector.parts.size() - 1, element);
}

} // namespace TestSupport

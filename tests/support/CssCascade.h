// SPDX-License-Identifier: MIT
#pragma once
// A small CSS reader for tests: parses generated style sheets, applies them to a parsed XHTML
// document the way a reading system would, and reports what it could not read.
//
//   CssCascade css;
//   css.AddSheet(styleSheetText);
//   EXPECT_TRUE(css.Errors().empty());
//   EXPECT_NEAR(css.FontSizePt(paragraph), 11.0, 0.01);
//
// Selectors: element, #id, .class, element.class (any number of classes), "*", a trailing
// ::after or ::before (matched by no element), descendant and child combinators, and lists.

#include <pugixml.hpp>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace TestSupport {

class CssCascade {
public:
    using Declarations = std::vector<std::pair<std::string, std::string>>;

    struct Compound {
        std::string element; // empty for any
        std::string id;
        std::vector<std::string> classes;
        bool pseudoElement = false;
        bool child = false; // joined to the compound before it by ">"
    };
    struct Selector {
        std::vector<Compound> parts;
        int ids = 0;
        int classes = 0;
        int elements = 0;
    };
    struct Rule {
        std::string selectorText;
        std::vector<Selector> selectors; // empty for at-rules
        Declarations declarations;
        size_t order = 0;
    };

    // Parses one sheet; later sheets come later in the cascade.
    void AddSheet(const std::string& css);

    // Syntax errors, and values CSS does not allow in the properties the exporter writes.
    const std::vector<std::string>& Errors() const { return errors_; }
    const std::vector<Rule>& Rules() const { return rules_; }

    // The value the element's own rules give the property, if any.
    std::optional<std::string> Cascaded(const pugi::xml_node& element,
                                        const std::string& property) const;
    // The value an inherited property has on the element: its own, else its parent's, else the
    // reading system's default for such elements.
    std::optional<std::string> Inherited(const pugi::xml_node& element,
                                         const std::string& property) const;
    // The element's font size in points, with 12 points at the root.
    double FontSizePt(const pugi::xml_node& element) const;

    static bool Matches(const Selector& selector, const pugi::xml_node& element);

private:
    void ParseRule(const std::string& prelude, const std::string& body);
    void CheckValue(const std::string& where, const std::string& property,
                    const std::string& value);

    std::vector<Rule> rules_;
    std::vector<std::string> errors_;
};

} // namespace TestSupport

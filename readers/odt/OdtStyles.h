// SPDX-License-Identifier: MIT
#pragma once
// The document's styles: default styles, common (named) styles with their parent chains, and
// the automatic styles the text uses. Each common paragraph and text style becomes a host style
// of the same name, so the style sheet has one class per named style; an automatic style is
// what it sets over its named parent, laid over the text as a local change.

#include "host/text/Delta.h"
#include "host/text/Style.h"
#include "readers/odt/OdtProperties.h"

#include <map>
#include <memory>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <vector>

namespace Readers::Odt {

class OdtStyles {
public:
    // `styles` is the root of styles.xml (or the flat document), `content` that of content.xml
    // (or again the flat document); either may be null.
    OdtStyles(pugi::xml_node styles, pugi::xml_node content);

    const OdtProperties& Properties() const noexcept { return *properties_; }
    // Adds a host style for every common paragraph and text style; `language`, if any, is
    // the default style's.
    void AddTo(Text::StyleSheet& sheet, std::string_view language = {}) const;
    std::string DefaultLanguage() const;

    // What a paragraph of style `name` (automatic or common) is written with.
    struct Paragraph {
        std::string style;                 // host style
        Text::AttributeSet para, glyph;    // the automatic style's own, over the host style
        std::optional<int> outlineLevel;   // 1 for a top heading
        std::string listStyle;             // style:list-style-name through the chain
        bool pageBefore = false;           // a break before, or a new master page
        std::optional<int> pageNumber;     // style:page-number where the page starts
        double size = 12;                  // font size, for sizes in percent inside
        Text::AttributeSet asian, complex; // over the glyph attributes, for text of that script
    };
    Paragraph ParagraphStyle(std::string_view name) const;
    // What text of style `name` is written with inside text of font size `size`.
    struct Span {
        std::string style; // host character style; empty for none
        Text::AttributeSet glyph;
        Text::AttributeSet asian, complex; // over the paragraph's, for text of that script
    };
    Span TextStyle(std::string_view name, double size) const;
    // The properties element `kind` ("table-cell-properties", "table-column-properties",
    // "graphic-properties"...) of style `name` of `family`, nearest in the chain; null if none.
    pugi::xml_node PropertiesOf(std::string_view family, std::string_view name,
                                std::string_view kind) const;
    // A text:list-style or the text:outline-style by name; null when unknown.
    pugi::xml_node ListStyle(std::string_view name) const;
    pugi::xml_node OutlineStyle() const noexcept { return outline_; }

private:
    struct Entry {
        std::string name;    // the style:name
        std::string display; // host name
        std::string family;
        std::string parent;
        pugi::xml_node node;
        bool automatic = false;
    };

    const Entry* Find(std::string_view family, std::string_view name) const;
    // The style and its parents, nearest first; stops at loops and after 64 styles.
    std::vector<const Entry*> Chain(std::string_view family, std::string_view name) const;
    // The nearest common style of the chain; null for none.
    const Entry* Common(const std::vector<const Entry*>& chain) const;
    double SizeOf(const std::vector<const Entry*>& chain) const;
    // What the chain (and the default style, for paragraphs) sets for the two scripts.
    void Scripts(const std::vector<const Entry*>& chain, pugi::xml_node defaults, double size,
                 Text::AttributeSet& asian, Text::AttributeSet& complex) const;
    void Add(Text::StyleSheet& sheet, const Entry& entry, std::vector<const Entry*>& done) const;
    Foundation::Counted<const Text::EPubTag> TagFor(const Entry& entry) const;

    std::unique_ptr<OdtProperties> properties_;
    std::map<std::string, Entry, std::less<>> common_, automatic_; // by "family/name"
    std::vector<const Entry*> order_;
    std::map<std::string, pugi::xml_node, std::less<>> defaults_;   // by family
    std::map<std::string, pugi::xml_node, std::less<>> listStyles_; // by name
    pugi::xml_node outline_;
    std::string defaultParagraph_; // host name
    double defaultSize_ = 12;
};

} // namespace Readers::Odt

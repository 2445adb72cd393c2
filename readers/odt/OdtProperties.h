// SPDX-License-Identifier: MIT
#pragma once
// Paragraph and text properties of OpenDocument styles (style:paragraph-properties,
// style:text-properties) as text-model attributes, in points.

#include "host/render/Fill.h"
#include "host/text/AttributeSet.h"

#include <map>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <string_view>

namespace Readers::Odt {

// "12pt", "1.5cm", "0.25in", "3mm", "2pc", "4px" in points; nullopt for anything else.
std::optional<double> Length(std::string_view text);
// "#rrggbb"; nullopt for "transparent" and anything else.
std::optional<uint32_t> Colour(std::string_view text);
Foundation::Counted<const Render::FillDescriptor> Solid(uint32_t rgb);

class OdtProperties {
public:
    // `fonts`: style:font-face names to their families.
    explicit OdtProperties(std::map<std::string, std::string, std::less<>> fonts)
        : fonts_(std::move(fonts)) {}

    // Adds what the paragraph properties set to `out`, which holds what the paragraph has
    // without them (a first-line indent alone keeps the left margin).
    void Paragraph(pugi::xml_node properties, Text::AttributeSet& out) const;
    // Adds what the text properties set to `out`; `parentSize` resolves sizes in percent.
    void Run(pugi::xml_node properties, Text::AttributeSet& out, double parentSize) const;
    // Adds what the properties set for text of one script ("asian", "complex") over the rest:
    // its font, size, weight, style and language.
    void Script(pugi::xml_node properties, std::string_view script, Text::AttributeSet& out,
                double parentSize) const;
    // The font size the properties set, in points, given the size they are relative to.
    static std::optional<double> Size(pugi::xml_node properties, double parentSize);
    // fo:hyphenate of text properties, a paragraph attribute in the host.
    static std::optional<bool> Hyphenate(pugi::xml_node properties);

private:
    void Family(std::string_view name, std::string_view family, Text::AttributeSet& out) const;
    void Borders(pugi::xml_node properties, Text::AttributeSet& out) const;
    void Tabs(pugi::xml_node stops, Text::AttributeSet& out) const;

    std::map<std::string, std::string, std::less<>> fonts_;
};

} // namespace Readers::Odt

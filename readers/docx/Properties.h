// SPDX-License-Identifier: MIT
#pragma once
// Paragraph (pPr) and run (rPr) properties of a Word document as text-model attributes, in
// points: what styles define and what direct formatting lays over them.

#include "host/render/Fill.h"
#include "host/text/AttributeSet.h"
#include "readers/docx/Theme.h"

#include <optional>
#include <pugixml.hpp>

namespace Readers::Docx {

// Where the lines of a paragraph start, in points from the frame edge, as the host measures
// both: Word's first-line indent and hanging are relative to the left indent, so setting
// either restates the other's effect.
struct Indents {
    double left = 0;
    double firstLine = 0;
};

class Properties {
public:
    explicit Properties(const Theme& theme) : theme_(theme) {}

    static Indents IndentsOf(const Text::AttributeSet& atts);

    // Adds what `pPr` sets to `out`; `inherited` is what the paragraph has without it.
    void Paragraph(pugi::xml_node pPr, Text::AttributeSet& out, Indents inherited = {}) const;
    // Adds what `rPr` sets to `out`. `size` is the font size the text will have, in points, for
    // letter spacing given in points.
    void Run(pugi::xml_node rPr, Text::AttributeSet& out, double size) const;

    // The colour of a w:color, w:shd or similar element; nullopt for automatic colours.
    std::optional<uint32_t> ColourOf(pugi::xml_node element, std::string_view valueName) const;
    static Foundation::Counted<const Render::FillDescriptor> Solid(uint32_t rgb);
    // The font size `rPr` sets, in points.
    static std::optional<double> Size(pugi::xml_node rPr);
    // Hidden text (w:vanish): set on, set off, or not said.
    static std::optional<bool> Hidden(pugi::xml_node rPr) { return OnOff(rPr, "vanish"); }
    // The outline level a paragraph's properties give (0 for a top heading); nullopt for body
    // text.
    static std::optional<int> OutlineLevel(pugi::xml_node pPr);

private:
    static std::optional<bool> OnOff(pugi::xml_node node, std::string_view name);
    void Borders(pugi::xml_node pPr, Text::AttributeSet& out) const;
    void Tabs(pugi::xml_node tabs, Text::AttributeSet& out) const;
    void Fonts(pugi::xml_node rFonts, Text::AttributeSet& out) const;

    const Theme& theme_;
};

} // namespace Readers::Docx

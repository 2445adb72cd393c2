// SPDX-License-Identifier: MIT
#pragma once
// Paragraph and character attributes of the JSON document: numbers, named values and the
// attribute objects (lists, drop caps, fills, links...), into text-model attribute sets.

#include "cli/AnchorBook.h"
#include "cli/JsonInput.h"
#include "host/render/Fill.h"
#include "host/render/LineStyle.h"
#include "host/text/AttributeIds.h"
#include "host/text/AttributeSet.h"
#include "host/text/Delta.h"
#include "host/text/Style.h"
#include "host/text/Table.h"

#include <optional>
#include <string>
#include <vector>

namespace Cli {

class AttributeReader {
public:
    AttributeReader(const JsonInput& input, AnchorBook& anchors) : in_(input), anchors_(anchors) {}

    // The "paragraph" and "character" fields of `node` as a delta; null when it has neither.
    Foundation::Counted<const Text::Delta> ReadDelta(const Node& node, bool paragraphAllowed) const;
    void ReadAttributes(const Node& node, Text::AttCategory category,
                        Text::AttributeSet& out) const;

    // A colour string, or {"colour", "opacity"}, or {"gradient": [...], "type"}, or "none".
    Foundation::Counted<const Render::FillDescriptor> ReadFill(const Node& node) const;
    // {"width", "dash"}: a stroke in points.
    Foundation::Counted<const Render::LineStyleDescriptor> ReadStroke(const Node& node) const;
    // {"colour", "width", "dash"}: a coloured stroke.
    Text::BorderFormat ReadBorder(const Node& node) const;

    // Fails on the first style named by a drop cap or an automatic format that `styles` lacks
    // or that is not a character style. Styles may name ones defined after them, so this runs
    // once everything is read.
    void CheckStyleReferences(const Text::StyleSheet& styles) const;

private:
    Foundation::Counted<const Render::LineStyleDescriptor> StrokeFields(const Node& node) const;
    void ReadInteger(const Node& field, const std::string& key, const Text::AttInfo& info,
                     Text::AttributeSet& out) const;
    Foundation::Counted<const Text::AttObject> ReadObject(const Node& field,
                                                          const std::string& key) const;
    Foundation::Counted<const Text::AttObject> ReadList(const Node& node) const;
    Foundation::Counted<const Text::AttObject> ReadDecorations(const Node& node) const;
    Foundation::Counted<const Text::AttObject> ReadDropCap(const Node& node) const;
    Foundation::Counted<const Text::AttObject> ReadAutoFormat(const Node& node) const;
    Foundation::Counted<const Text::AttObject> ReadTabStops(const Node& node) const;
    Foundation::Counted<const Text::AttObject> ReadTableOfContents(const Node& node) const;
    Foundation::Counted<const Text::AttObject> ReadHyperlink(const Node& node) const;
    Foundation::Counted<const Text::AttObject> ReadOpenType(const Node& node) const;
    Foundation::Counted<const Text::AttObject> ReadOpticalAlignment(const Node& node) const;
    Foundation::Counted<const Text::AttObject> ReadColourEffect(const Node& node) const;
    Foundation::Counted<const Text::AttObject> ReadPalette(const Node& node) const;
    // One of `names`, given by name; its position in the list is the value.
    int32_t Choice(const Node& node, std::initializer_list<std::string_view> names) const;
    char32_t Character(const Node& node) const;
    // A number field within [min, max]; `fallback` when absent.
    double Ranged(const Node& node, const std::string& key, double fallback, double min,
                  double max) const;
    // A character-style name, checked at the end.
    Foundation::StringT StyleReference(const Node& node) const;

    struct StyleReferenceAt {
        std::string path;
        std::string name;
        std::optional<size_t> offset; // in the text
    };

    const JsonInput& in_;
    AnchorBook& anchors_;
    mutable std::vector<StyleReferenceAt> styleReferences_;
};

} // namespace Cli

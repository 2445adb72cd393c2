// SPDX-License-Identifier: MIT
#include "readers/docx/TableReader.h"

#include "host/render/LineStyle.h"

#include <algorithm>
#include <array>

namespace Readers::Docx {

namespace {

using Foundation::Counted;

// Grids wider than this are damaged or hostile; Word itself stops at 63 columns.
constexpr int32_t kMaxColumns = 1000;

struct Span {
    int32_t column = 0;
    int32_t row = 0;
    int32_t columns = 1;
    int32_t rows = 1;
    pugi::xml_node tc;
};

// Rows and cells may sit inside content controls and custom XML.
template <class Visit>
void ForEach(pugi::xml_node parent, std::string_view local, Visit visit, int depth = 0) {
    for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling()) {
        if (Is(c, local))
            visit(c);
        else if (depth < 4 && (Is(c, "sdt") || Is(c, "customXml") || Is(c, "ins")))
            ForEach(Is(c, "sdt") ? Child(c, "sdtContent") : c, local, visit, depth + 1);
    }
}

std::optional<Text::BorderFormat> Border(pugi::xml_node b, const Properties& properties) {
    if (!b)
        return std::nullopt;
    const std::string_view val = AttrText(b, "val");
    Text::BorderFormat border;
    if (val == "nil" || val == "none") {
        border.lineStyle = Foundation::MakeCounted<const Render::LineStyleDescriptor>(
            0.0, Render::DashKind::Solid);
        border.fill = Render::FillDescriptor::MakeNone();
        return border;
    }
    const double width = std::clamp(NumberAttr(b, "sz", 8).value_or(4) / 8, 0.25, 12.0);
    border.lineStyle = Foundation::MakeCounted<const Render::LineStyleDescriptor>(
        width, val == "dotted"           ? Render::DashKind::Dotted
               : val.starts_with("dash") ? Render::DashKind::Dashed
               : val == "double"         ? Render::DashKind::Double
                                         : Render::DashKind::Solid);
    border.fill = Properties::Solid(properties.ColourOf(b, "color").value_or(0));
    return border;
}

// tblLook: attributes in newer files, a hex mask in older ones.
bool Looks(pugi::xml_node look, std::string_view attribute, uint32_t bit) {
    if (const pugi::xml_attribute a = Attr(look, attribute))
        return std::string_view(a.value()) == "1" || std::string_view(a.value()) == "true";
    const std::string_view val = AttrText(look, "val");
    uint32_t mask = 0;
    for (const char c : val)
        mask = mask * 16 + static_cast<uint32_t>(std::isdigit(static_cast<unsigned char>(c))
                                                     ? c - '0'
                                                     : (c | 0x20) - 'a' + 10);
    return (mask & bit) != 0;
}

// Cell margins (tblCellMar, tcMar) by side, in points; a side they do not set stays unset.
using Margins = std::array<std::optional<double>, 4>;

Margins CellMargins(pugi::xml_node margins) {
    Margins out;
    if (!margins)
        return out;
    const std::pair<std::string_view, Text::CellSide> sides[] = {
        {"top", Text::CellSide::Top},     {"bottom", Text::CellSide::Bottom},
        {"left", Text::CellSide::Left},   {"start", Text::CellSide::Left},
        {"right", Text::CellSide::Right}, {"end", Text::CellSide::Right}};
    for (const auto& [name, side] : sides) {
        const pugi::xml_node m = Child(margins, name);
        const std::string_view type = AttrText(m, "type");
        if (!m || (type != "dxa" && type != "nil" && !type.empty()))
            continue; // percentages of nothing in particular
        const double points = type == "nil" ? 0 : NumberAttr(m, "w").value_or(0) / 20;
        out[static_cast<size_t>(side)] = std::clamp(points, 0.0, 1000.0);
    }
    return out;
}

pugi::xml_node Conditional(const std::vector<pugi::xml_node>& chain, std::string_view type) {
    for (const pugi::xml_node style : chain)
        for (pugi::xml_node c = style.first_child(); c; c = c.next_sibling())
            if (Is(c, "tblStylePr") && AttrText(c, "type") == type)
                return c;
    return {};
}

Counted<const Text::TableFormat> Format(pugi::xml_node tblPr,
                                        const std::vector<pugi::xml_node>& chain,
                                        const Properties& properties) {
    Text::TableFormatSettings f;
    pugi::xml_node borders = Child(tblPr, "tblBorders");
    for (size_t i = 0; !borders && i < chain.size(); ++i)
        borders = Child(Child(chain[i], "tblPr"), "tblBorders");
    if (const auto top = Border(Child(borders, "top"), properties))
        f.outer = *top;
    f.innerHorizontal =
        Border(Child(borders, "insideH"), properties).value_or(Text::BorderFormat{});
    f.innerVertical = Border(Child(borders, "insideV"), properties).value_or(Text::BorderFormat{});
    const auto fill = [&](pugi::xml_node holder) -> Counted<const Render::FillDescriptor> {
        if (const auto rgb = properties.ColourOf(Child(Child(holder, "tcPr"), "shd"), "fill"))
            return Properties::Solid(*rgb);
        return {};
    };
    for (const pugi::xml_node style : chain)
        if (!f.cellFill)
            f.cellFill = fill(style);
    // The table's own margins, then its style's, side by side.
    Margins margins = CellMargins(Child(tblPr, "tblCellMar"));
    for (const pugi::xml_node style : chain) {
        const Margins inherited = CellMargins(Child(Child(style, "tblPr"), "tblCellMar"));
        for (size_t side = 0; side < margins.size(); ++side)
            if (!margins[side])
                margins[side] = inherited[side];
    }
    if (std::any_of(margins.begin(), margins.end(), [](const auto& m) { return m.has_value(); })) {
        f.cellInsets = Text::CellInsets{};
        for (size_t side = 0; side < margins.size(); ++side)
            (*f.cellInsets)[side] = margins[side].value_or(0);
    }
    const pugi::xml_node look = Child(tblPr, "tblLook");
    if (Looks(look, "firstRow", 0x0020))
        f.headerFill = fill(Conditional(chain, "firstRow"));
    if (!Looks(look, "noHBand", 0x0200))
        f.alternateRowFill = fill(Conditional(chain, "band2Horz"));
    if (!f.outer.IsVisible() && !f.innerHorizontal.IsVisible() && !f.innerVertical.IsVisible() &&
        !f.cellFill && !f.headerFill && !f.alternateRowFill && !f.cellInsets)
        return {};
    return Text::TableFormat::Make(std::move(f));
}

} // namespace

CellText CellTextFormat(pugi::xml_node tbl, pugi::xml_node tc, const StyleTable& styles,
                        const Properties& properties, int32_t column, int32_t row, int32_t columns,
                        int32_t rows) {
    const pugi::xml_node tblPr = Child(tbl, "tblPr");
    const auto chain = styles.TableStyleChain(ChildVal(tblPr, "tblStyle").value_or(""));
    CellText out;
    const auto fillOf = [&](pugi::xml_node holder) {
        return properties.ColourOf(Child(Child(holder, "tcPr"), "shd"), "fill");
    };
    // Weakest first: each format found later outranks those before it.
    const auto add = [&](pugi::xml_node holder) {
        if (!holder)
            return;
        if (const pugi::xml_node rPr = Child(holder, "rPr"))
            out.runProperties.push_back(rPr);
        if (const auto fill = fillOf(holder))
            out.fill = fill;
    };
    // Base styles first, so the table's own style wins.
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        add(*it);
    const pugi::xml_node look = Child(tblPr, "tblLook");
    const bool header = Looks(look, "firstRow", 0x0020);
    if (!chain.empty()) {
        if (!Looks(look, "noHBand", 0x0200)) {
            const int32_t banded = row - (header ? 1 : 0);
            if (banded >= 0)
                add(Conditional(chain, banded % 2 == 0 ? "band1Horz" : "band2Horz"));
        }
        if (column == 0 && Looks(look, "firstColumn", 0x0080))
            add(Conditional(chain, "firstCol"));
        if (column == columns - 1 && Looks(look, "lastColumn", 0x0100))
            add(Conditional(chain, "lastCol"));
        if (row == rows - 1 && Looks(look, "lastRow", 0x0040))
            add(Conditional(chain, "lastRow"));
        if (row == 0 && header)
            add(Conditional(chain, "firstRow"));
    }
    if (const auto own = fillOf(tc))
        out.fill = own;
    return out;
}

TableLayout LayoutTable(pugi::xml_node tbl, const StyleTable& styles,
                        const Properties& properties) {
    TableLayout layout;
    const pugi::xml_node tblPr = Child(tbl, "tblPr");
    const auto chain = styles.TableStyleChain(ChildVal(tblPr, "tblStyle").value_or(""));
    std::vector<double> widths;
    for (pugi::xml_node g = Child(tbl, "tblGrid").first_child(); g; g = g.next_sibling()) {
        if (!Is(g, "gridCol"))
            continue;
        if (widths.size() == kMaxColumns) {
            layout.problem = "a table grid of more than " + std::to_string(kMaxColumns) +
                             " columns (Word makes at most 63)";
            return layout;
        }
        widths.push_back(std::clamp(NumberAttr(g, "w").value_or(0) / 20, 0.0, 100000.0));
    }

    std::vector<Span> spans;
    std::vector<int> open; // per column: the span a vertical merge continues, or -1
    int32_t row = 0;
    int32_t headerRows = 0;
    bool headerRun = true;
    ForEach(tbl, "tr", [&](pugi::xml_node tr) {
        const pugi::xml_node trPr = Child(tr, "trPr");
        const bool header = OnOff(trPr, "tblHeader").value_or(false);
        headerRun = headerRun && header;
        if (headerRun)
            ++headerRows;
        int32_t column = static_cast<int32_t>(
            std::clamp(NumberAttr(Child(trPr, "gridBefore"), "val").value_or(0), 0.0, 63.0));
        ForEach(tr, "tc", [&](pugi::xml_node tc) {
            if (column >= kMaxColumns)
                return;
            const pugi::xml_node tcPr = Child(tc, "tcPr");
            const double asked = NumberAttr(Child(tcPr, "gridSpan"), "val").value_or(1);
            if (asked > kMaxColumns && layout.problem.empty())
                layout.problem = "a cell spanning " +
                                 std::to_string(static_cast<int64_t>(std::min(asked, 1e15))) +
                                 " columns (Word makes at most 63)";
            const auto span = static_cast<int32_t>(std::clamp(asked, 1.0, 1000.0));
            const int32_t width = std::min(span, kMaxColumns - column);
            if (open.size() < static_cast<size_t>(column + width))
                open.resize(static_cast<size_t>(column + width), -1);
            const pugi::xml_node vMerge = Child(tcPr, "vMerge");
            const std::string_view mergeVal = AttrText(vMerge, "val");
            const int above = open[static_cast<size_t>(column)];
            if (vMerge && mergeVal != "restart" && above >= 0 &&
                spans[static_cast<size_t>(above)].columns == width &&
                spans[static_cast<size_t>(above)].row + spans[static_cast<size_t>(above)].rows ==
                    row) {
                ++spans[static_cast<size_t>(above)].rows;
            } else {
                spans.push_back({column, row, width, 1, tc});
                for (int32_t c = column; c < column + width; ++c)
                    open[static_cast<size_t>(c)] = vMerge ? static_cast<int>(spans.size() - 1) : -1;
            }
            column += width;
        });
        ++row;
    });
    layout.rows = row;
    layout.columns =
        std::max<int32_t>(static_cast<int32_t>(widths.size()), static_cast<int32_t>(open.size()));
    if (layout.columns == 0 || layout.rows == 0)
        return layout;
    widths.resize(static_cast<size_t>(layout.columns), 0);

    Text::TableSettings& s = layout.settings;
    s.size = {layout.columns, layout.rows};
    s.columnWidths = std::move(widths);
    if (headerRows == 0 && Looks(Child(tblPr, "tblLook"), "firstRow", 0x0020) &&
        Conditional(chain, "firstRow") && layout.rows > 1)
        headerRows = 1;
    s.headerRows = std::min(headerRows, layout.rows);
    s.format = Format(tblPr, chain, properties);
    std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) {
        return std::tie(a.row, a.column) < std::tie(b.row, b.column);
    });
    for (const Span& span : spans) {
        if (span.columns > 1 || span.rows > 1)
            s.merges.push_back({span.column, span.row, {span.columns, span.rows}});
        const pugi::xml_node tcPr = Child(span.tc, "tcPr");
        Text::CellFormatOverride own;
        if (const auto rgb = properties.ColourOf(Child(tcPr, "shd"), "fill"))
            own.fill = Properties::Solid(*rgb);
        const pugi::xml_node borders = Child(tcPr, "tcBorders");
        const std::pair<std::string_view, Text::CellSide> sides[] = {
            {"left", Text::CellSide::Left},   {"start", Text::CellSide::Left},
            {"right", Text::CellSide::Right}, {"end", Text::CellSide::Right},
            {"top", Text::CellSide::Top},     {"bottom", Text::CellSide::Bottom}};
        own.insets = CellMargins(Child(tcPr, "tcMar"));
        bool any = own.fill != nullptr || std::any_of(own.insets.begin(), own.insets.end(),
                                                      [](const auto& m) { return m.has_value(); });
        for (const auto& [name, side] : sides)
            if (const auto border = Border(Child(borders, name), properties)) {
                own.borders[static_cast<size_t>(side)] = border;
                any = true;
            }
        if (any)
            s.overrides.push_back({span.column, span.row, std::move(own)});
        layout.cells.push_back({span.column, span.row, span.tc});
    }
    return layout;
}

} // namespace Readers::Docx

// SPDX-License-Identifier: MIT
#include "readers/docx/Properties.h"

#include "host/render/Colour.h"
#include "host/render/LineStyle.h"
#include "host/text/AttributeIds.h"
#include "host/text/AttributeObjects.h"
#include "host/text/Language.h"
#include "readers/common/ParagraphBox.h"
#include "readers/docx/XmlPart.h"

#include <algorithm>
#include <cmath>

namespace Readers::Docx {

using Foundation::Counted;
using Text::AttributeSet;

namespace {

// Word's lengths are in twentieths of a point (twips).
constexpr double kTwips = 20;

template <class T> Counted<const Text::AttObject> AsObject(Counted<const T> object) {
    return Counted<const Text::AttObject>(std::move(object));
}

std::optional<double> Twips(pugi::xml_node node, std::string_view name) {
    if (const auto v = NumberAttr(node, name, kTwips); v && std::abs(*v) < 1e7)
        return *v / kTwips;
    return std::nullopt;
}

std::optional<uint32_t> HighlightColour(std::string_view name) {
    static const std::pair<std::string_view, uint32_t> table[] = {
        {"yellow", 0xFFFF00},      {"green", 0x00FF00},     {"cyan", 0x00FFFF},
        {"magenta", 0xFF00FF},     {"blue", 0x0000FF},      {"red", 0xFF0000},
        {"darkBlue", 0x000080},    {"darkCyan", 0x008080},  {"darkGreen", 0x008000},
        {"darkMagenta", 0x800080}, {"darkRed", 0x800000},   {"darkYellow", 0x808000},
        {"darkGray", 0x808080},    {"lightGray", 0xC0C0C0}, {"black", 0x000000},
        {"white", 0xFFFFFF}};
    for (const auto& [n, rgb] : table)
        if (n == name)
            return rgb;
    return std::nullopt;
}

int32_t UnderlineKind(std::string_view val) {
    if (val == "none" || val == "0" || val == "false")
        return Text::LineKind::None;
    if (val == "double" || val == "wavyDouble")
        return Text::LineKind::Double;
    return Text::LineKind::Single;
}

} // namespace

std::optional<bool> Properties::OnOff(pugi::xml_node node, std::string_view name) {
    return Docx::OnOff(node, name);
}

Counted<const Render::FillDescriptor> Properties::Solid(uint32_t rgb) {
    return SolidFill(rgb);
}

std::optional<uint32_t> Properties::ColourOf(pugi::xml_node element,
                                             std::string_view valueName) const {
    if (!element)
        return std::nullopt;
    // A theme colour wins; the value beside it is what older readers show.
    const std::string_view theme =
        valueName == "fill" ? AttrText(element, "themeFill") : AttrText(element, "themeColor");
    if (!theme.empty())
        if (const auto rgb = theme_.Colour(theme))
            return rgb;
    return HexColour(AttrText(element, valueName));
}

std::optional<double> Properties::Size(pugi::xml_node rPr) {
    const pugi::xml_node sz = Child(rPr, "sz");
    if (const auto v = NumberAttr(sz, "val", 2); v && *v > 0 && *v <= 20000)
        return *v / 2;
    return std::nullopt;
}

std::optional<int> Properties::OutlineLevel(pugi::xml_node pPr) {
    const pugi::xml_node lvl = Child(pPr, "outlineLvl");
    if (const auto v = NumberAttr(lvl, "val"); v && *v >= 0 && *v < 9)
        return static_cast<int>(*v);
    return std::nullopt;
}

Indents Properties::IndentsOf(const AttributeSet& atts) {
    const auto value = [&](Text::AttId id) {
        const Text::AttValue* v = atts.Find(Text::AttKind::Double, id);
        return v ? std::get<double>(*v) : 0.0;
    };
    return {value(Text::ParaDouble::LeftIndent), value(Text::ParaDouble::FirstLineIndent)};
}

void Properties::Paragraph(pugi::xml_node pPr, AttributeSet& out, Indents inherited) const {
    if (!pPr)
        return;
    using namespace Text;
    if (const auto jc = ChildVal(pPr, "jc")) {
        const std::string_view v = *jc;
        const bool rtl = OnOff(pPr, "bidi").value_or(false);
        int32_t a = Alignment::Left;
        if (v == "center")
            a = Alignment::Centre;
        else if (v == "right" || (v == "end" && !rtl) || (v == "start" && rtl) ||
                 (v == "left" && rtl))
            a = Alignment::Right;
        else if (v == "both" || v == "lowKashida" || v == "mediumKashida" || v == "highKashida" ||
                 v == "thaiDistribute")
            a = Alignment::Justify;
        else if (v == "distribute")
            a = Alignment::JustifyAll;
        out.Set(ParaInt::Alignment, a);
    }
    if (const auto bidi = OnOff(pPr, "bidi"))
        out.Set(ParaInt::Direction, *bidi ? Direction::RightToLeft : Direction::LeftToRight);
    if (const pugi::xml_node ind = Child(pPr, "ind")) {
        const bool rtl = OnOff(pPr, "bidi").value_or(false);
        auto left = Twips(ind, "left");
        if (!left)
            left = Twips(ind, rtl ? "end" : "start");
        auto right = Twips(ind, "right");
        if (!right)
            right = Twips(ind, rtl ? "start" : "end");
        if (right)
            out.Set(ParaDouble::RightIndent, std::clamp(*right, -1e5, 1e5));
        const double start = std::clamp(left.value_or(inherited.left), -1e5, 1e5);
        double relative = inherited.firstLine - inherited.left;
        if (const auto hanging = Twips(ind, "hanging"))
            relative = -*hanging;
        else if (const auto first = Twips(ind, "firstLine"))
            relative = *first;
        out.Set(ParaDouble::LeftIndent, start);
        out.Set(ParaDouble::FirstLineIndent, std::clamp(start + relative, -1e5, 1e5));
    }
    if (const pugi::xml_node spacing = Child(pPr, "spacing")) {
        if (const auto before = Twips(spacing, "before"))
            out.Set(ParaDouble::SpaceBefore, std::clamp(*before, 0.0, 1e5));
        if (const auto after = Twips(spacing, "after"))
            out.Set(ParaDouble::SpaceAfter, std::clamp(*after, 0.0, 1e5));
        if (const auto line = NumberAttr(spacing, "line", kTwips)) {
            const std::string_view rule = AttrText(spacing, "lineRule");
            if (rule == "exact" || rule == "atLeast") {
                out.Set(ParaInt::LeadingMode,
                        rule == "exact" ? LeadingMode::Exactly : LeadingMode::AtLeast);
                out.Set(ParaDouble::Leading, std::clamp(*line / kTwips, 0.0, 1e5));
            } else if (*line > 0) {
                // 240ths of a line.
                out.Set(ParaInt::LeadingMode, LeadingMode::Proportional);
                out.Set(ParaDouble::LineSpacing, std::clamp(*line / 240, 0.0, 100.0));
            }
        }
    }
    if (const auto contextual = OnOff(pPr, "contextualSpacing")) {
        out.Set(ParaInt::UseSameStyleSpacing, int32_t{*contextual});
        out.Set(ParaDouble::SameStyleSpacing, 0.0);
    }
    if (const auto keep = OnOff(pPr, "keepNext"))
        out.Set(ParaInt::KeepWithNext, int32_t{*keep});
    if (const auto keep = OnOff(pPr, "keepLines"))
        out.Set(ParaInt::KeepLinesTogether, int32_t{*keep});
    if (const auto page = OnOff(pPr, "pageBreakBefore"))
        out.Set(ParaInt::StartPosition, *page ? StartPosition::NextPage : StartPosition::Anywhere);
    if (const auto widows = OnOff(pPr, "widowControl")) {
        out.Set(ParaInt::Widows, *widows ? 2 : 0);
        out.Set(ParaInt::Orphans, *widows ? 2 : 0);
    }
    if (const auto suppress = OnOff(pPr, "suppressAutoHyphens"))
        out.Set(ParaInt::Hyphenate, int32_t{!*suppress});
    Borders(pPr, out);
    if (const pugi::xml_node tabs = Child(pPr, "tabs"))
        Tabs(tabs, out);
}

void Properties::Borders(pugi::xml_node pPr, AttributeSet& out) const {
    const pugi::xml_node pBdr = Child(pPr, "pBdr");
    const auto fill = ColourOf(Child(pPr, "shd"), "fill");
    if (!pBdr && !fill)
        return;
    const std::pair<std::string_view, uint8_t> sides[] = {
        {"left", Text::DecorationSide::Left}, {"start", Text::DecorationSide::Left},
        {"top", Text::DecorationSide::Top},   {"right", Text::DecorationSide::Right},
        {"end", Text::DecorationSide::Right}, {"bottom", Text::DecorationSide::Bottom}};
    ParagraphBox box;
    for (const auto& [name, side] : sides) {
        const pugi::xml_node b = Child(pBdr, name);
        const std::string_view val = AttrText(b, "val");
        if (!b || val == "nil" || val == "none")
            continue;
        const double width = std::clamp(NumberAttr(b, "sz", 8).value_or(4) / 8, 0.25, 12.0);
        const auto dash = val == "dotted"           ? Render::DashKind::Dotted
                          : val.starts_with("dash") ? Render::DashKind::Dashed
                          : val == "double"         ? Render::DashKind::Double
                                                    : Render::DashKind::Solid;
        box.AddSide(side, ColourOf(b, "color").value_or(0), width, dash);
    }
    if (fill)
        box.SetBackground(*fill);
    box.SetOn(out);
}

void Properties::Tabs(pugi::xml_node tabs, AttributeSet& out) const {
    std::vector<Text::TabStop> stops;
    for (pugi::xml_node tab = tabs.first_child(); tab; tab = tab.next_sibling()) {
        const std::string_view val = AttrText(tab, "val");
        const auto pos = Twips(tab, "pos");
        if (!Is(tab, "tab") || !pos || *pos < 0 || val == "clear" || val == "bar")
            continue;
        Text::TabStop stop;
        stop.position = std::min(*pos, 1e5);
        stop.alignment = val == "center"                  ? Text::TabAlignment::Centre
                         : val == "right" || val == "end" ? Text::TabAlignment::Right
                         : val == "decimal"               ? Text::TabAlignment::Decimal
                                                          : Text::TabAlignment::Left;
        const std::string_view leader = AttrText(tab, "leader");
        stop.leader = leader == "dot"                               ? U'.'
                      : leader == "hyphen"                          ? U'-'
                      : leader == "underscore" || leader == "heavy" ? U'_'
                      : leader == "middleDot"                       ? U'\u00B7'
                                                                    : 0;
        stops.push_back(stop);
    }
    out.Set(Text::ParaObject::TabStops, AsObject(Text::TabStopsAtt::Make(std::move(stops))));
}

void Properties::Fonts(pugi::xml_node rFonts, AttributeSet& out) const {
    std::string family;
    for (const std::string_view name : {"ascii", "hAnsi"}) {
        family = AttrText(rFonts, name);
        if (!family.empty())
            break;
    }
    if (family.empty())
        for (const std::string_view name : {"asciiTheme", "hAnsiTheme"})
            if (const std::string_view theme = AttrText(rFonts, name); !theme.empty()) {
                family = theme_.Font(theme);
                break;
            }
    if (family.empty())
        family = AttrText(rFonts, "eastAsia");
    if (!family.empty())
        out.Set(Text::GlyphStr::FontFamily, Foundation::StringT(family));
}

void Properties::Run(pugi::xml_node rPr, AttributeSet& out, double size) const {
    if (!rPr)
        return;
    using namespace Text;
    if (const pugi::xml_node rFonts = Child(rPr, "rFonts"))
        Fonts(rFonts, out);
    const bool complex = OnOff(rPr, "rtl").value_or(false) || OnOff(rPr, "cs").value_or(false);
    if (const auto b = OnOff(rPr, complex ? "bCs" : "b"))
        out.Set(GlyphInt::FontWeight, *b ? 700 : 400);
    if (const auto i = OnOff(rPr, complex ? "iCs" : "i"))
        out.Set(GlyphInt::FontStyle, *i ? FontStyle::Italic : FontStyle::Upright);
    if (const auto s = Size(rPr))
        out.Set(GlyphDouble::Size, *s);
    if (const pugi::xml_node color = Child(rPr, "color")) {
        if (const auto rgb = ColourOf(color, "val"))
            out.Set(GlyphObject::TextFill, AsObject(FillAtt::Make(Solid(*rgb))));
    }
    std::optional<uint32_t> highlight;
    if (const auto h = ChildVal(rPr, "highlight"))
        highlight = HighlightColour(*h);
    if (!highlight)
        highlight = ColourOf(Child(rPr, "shd"), "fill");
    if (highlight)
        out.Set(GlyphObject::HighlightFill, AsObject(FillAtt::Make(Solid(*highlight))));
    if (const pugi::xml_node u = Child(rPr, "u")) {
        out.Set(GlyphInt::Underline, UnderlineKind(AttrText(u, "val")));
        if (const auto rgb = ColourOf(u, "color"))
            out.Set(GlyphObject::UnderlineFill, AsObject(FillAtt::Make(Solid(*rgb))));
    }
    if (const auto strike = OnOff(rPr, "strike"))
        out.Set(GlyphInt::Strikethrough, *strike ? LineKind::Single : LineKind::None);
    if (const auto strike = OnOff(rPr, "dstrike"); strike && *strike)
        out.Set(GlyphInt::Strikethrough, LineKind::Double);
    const auto caps = OnOff(rPr, "caps");
    const auto smallCaps = OnOff(rPr, "smallCaps");
    if (caps || smallCaps) {
        std::vector<OpenTypeFeature> features;
        if (caps && *caps)
            features.push_back({"CAPS", 1});
        else if (smallCaps && *smallCaps)
            features.push_back({"smcp", 1});
        out.Set(GlyphObject::OpenType, AsObject(OpenTypeAtt::Make(std::move(features))));
    }
    if (const auto v = ChildVal(rPr, "vertAlign"))
        out.Set(GlyphInt::BaselinePosition, *v == "superscript" ? BaselinePosition::Superscript
                                            : *v == "subscript" ? BaselinePosition::Subscript
                                                                : BaselinePosition::Normal);
    if (const auto shift = NumberAttr(Child(rPr, "position"), "val", 2))
        out.Set(GlyphDouble::BaselineShift, std::clamp(*shift / 2, -1e5, 1e5));
    if (const auto spacing = NumberAttr(Child(rPr, "spacing"), "val", kTwips); spacing && size > 0)
        out.Set(GlyphDouble::Tracking, std::clamp(*spacing / kTwips / size, -10.0, 10.0));
    if (const auto w = NumberAttr(Child(rPr, "w"), "val", 1); w && *w > 0)
        out.Set(GlyphDouble::HorizontalScale, std::clamp(*w / 100, 0.01, 100.0));
    if (const pugi::xml_node kern = Child(rPr, "kern"))
        out.Set(GlyphInt::AutoKerning, NumberAttr(kern, "val").value_or(1) > 0 ? 1 : 0);
    if (const pugi::xml_node lang = Child(rPr, "lang")) {
        std::string_view tag = AttrText(lang, complex ? "bidi" : "val");
        if (tag.empty())
            tag = AttrText(lang, "val");
        const bool wellFormed =
            tag.size() >= 2 && tag.size() <= 35 && std::all_of(tag.begin(), tag.end(), [](char c) {
                return std::isalnum(static_cast<unsigned char>(c)) || c == '-';
            });
        if (wellFormed)
            out.Set(GlyphObject::Language, AsObject(Language::Make(tag)));
    }
}

} // namespace Readers::Docx

// SPDX-License-Identifier: MIT
#include "readers/odt/OdtProperties.h"

#include "host/render/Colour.h"
#include "host/render/LineStyle.h"
#include "host/text/AttributeIds.h"
#include "host/text/AttributeObjects.h"
#include "host/text/Language.h"
#include "readers/common/ParagraphBox.h"
#include "readers/common/SafeXml.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace Readers::Odt {

using Foundation::Counted;
using Text::AttributeSet;

namespace {

// Far beyond any page, well below what overflows a length.
constexpr double kMaxLength = 1e5;

template <class T> Counted<const Text::AttObject> AsObject(Counted<const T> object) {
    return Counted<const Text::AttObject>(std::move(object));
}

std::optional<double> Clamped(std::optional<double> v, double low = -kMaxLength,
                              double high = kMaxLength) {
    if (!v)
        return v;
    return std::clamp(*v, low, high);
}

std::optional<double> LengthAttr(pugi::xml_node node, std::string_view name) {
    const pugi::xml_attribute a = Attr(node, name);
    return a ? Clamped(Length(a.value())) : std::nullopt;
}

// "150%": 1.5.
std::optional<double> Percent(std::string_view text) {
    if (!text.ends_with('%'))
        return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size() - 1, value);
    if (error != std::errc() || end != text.data() + text.size() - 1 || !std::isfinite(value))
        return std::nullopt;
    return value / 100;
}

int32_t LineKind(std::string_view style, std::string_view type) {
    if (style.empty() || style == "none" || type == "none")
        return Text::LineKind::None;
    return type == "double" ? Text::LineKind::Double : Text::LineKind::Single;
}

// "fr" and "FR": "fr-FR"; empty for none ("zxx") or anything that is no tag.
std::string LanguageTag(std::string_view language, std::string_view country) {
    if (language.empty() || language == "zxx" || language.size() > 8 ||
        !std::all_of(language.begin(), language.end(),
                     [](char c) { return std::isalpha(static_cast<unsigned char>(c)); }))
        return {};
    std::string tag(language);
    if (!country.empty() && country != "none" && country.size() <= 8 &&
        std::all_of(country.begin(), country.end(),
                    [](char c) { return std::isalnum(static_cast<unsigned char>(c)); }))
        tag += "-" + std::string(country);
    return tag;
}

} // namespace

std::optional<double> Length(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || !std::isfinite(value))
        return std::nullopt;
    const std::string_view unit(end, static_cast<size_t>(text.data() + text.size() - end));
    if (unit == "pt")
        return value;
    if (unit == "in")
        return value * 72;
    if (unit == "cm")
        return value * 72 / 2.54;
    if (unit == "mm")
        return value * 72 / 25.4;
    if (unit == "pc")
        return value * 12;
    if (unit == "px")
        return value * 0.75;
    if (unit.empty() && value == 0)
        return 0.0;
    return std::nullopt;
}

std::optional<uint32_t> Colour(std::string_view text) {
    if (text.size() != 7 || text[0] != '#')
        return std::nullopt;
    uint32_t rgb = 0;
    const auto [end, error] = std::from_chars(text.data() + 1, text.data() + 7, rgb, 16);
    if (error != std::errc() || end != text.data() + 7)
        return std::nullopt;
    return rgb;
}

Counted<const Render::FillDescriptor> Solid(uint32_t rgb) {
    return SolidFill(rgb);
}

void OdtProperties::Paragraph(pugi::xml_node p, AttributeSet& out) const {
    if (!p)
        return;
    using namespace Text;
    if (const std::string_view align = AttrText(p, "text-align"); !align.empty()) {
        const bool rtl = AttrText(p, "writing-mode").starts_with("rl");
        int32_t a = Alignment::Left;
        if (align == "center")
            a = Alignment::Centre;
        else if (align == "right" || (align == "end" && !rtl) || (align == "start" && rtl))
            a = Alignment::Right;
        else if (align == "justify")
            a = AttrText(p, "text-align-last") == "justify" ? Alignment::JustifyAll
                                                            : Alignment::Justify;
        out.Set(ParaInt::Alignment, a);
    }
    // "page" leaves the direction to the page, which is the text's own.
    if (const std::string_view mode = AttrText(p, "writing-mode"); mode.starts_with("rl"))
        out.Set(ParaInt::Direction, Direction::RightToLeft);
    else if (mode.starts_with("lr"))
        out.Set(ParaInt::Direction, Direction::LeftToRight);
    // The first line is relative to the left margin in OpenDocument, absolute in the host.
    const auto left = LengthAttr(p, "margin-left");
    const auto first = LengthAttr(p, "text-indent");
    if (left || first) {
        const Text::AttValue* had = out.Find(AttKind::Double, ParaDouble::LeftIndent);
        const Text::AttValue* hadFirst = out.Find(AttKind::Double, ParaDouble::FirstLineIndent);
        const double oldLeft = had ? std::get<double>(*had) : 0;
        const double oldRelative = (hadFirst ? std::get<double>(*hadFirst) : oldLeft) - oldLeft;
        const double start = left.value_or(oldLeft);
        out.Set(ParaDouble::LeftIndent, start);
        out.Set(ParaDouble::FirstLineIndent, start + first.value_or(oldRelative));
    }
    if (const auto right = LengthAttr(p, "margin-right"))
        out.Set(ParaDouble::RightIndent, *right);
    if (const auto before = LengthAttr(p, "margin-top"))
        out.Set(ParaDouble::SpaceBefore, std::max(*before, 0.0));
    if (const auto after = LengthAttr(p, "margin-bottom"))
        out.Set(ParaDouble::SpaceAfter, std::max(*after, 0.0));
    if (const std::string_view height = AttrText(p, "line-height"); !height.empty()) {
        if (const auto factor = Percent(height)) {
            out.Set(ParaInt::LeadingMode, LeadingMode::Proportional);
            out.Set(ParaDouble::LineSpacing, std::clamp(*factor, 0.0, 100.0));
        } else if (const auto exact = Clamped(Length(height), 0)) {
            out.Set(ParaInt::LeadingMode, LeadingMode::Exactly);
            out.Set(ParaDouble::Leading, *exact);
        } else if (height == "normal") {
            out.Set(ParaInt::LeadingMode, LeadingMode::Default);
        }
    }
    if (const auto least = LengthAttr(p, "line-height-at-least")) {
        out.Set(ParaInt::LeadingMode, LeadingMode::AtLeast);
        out.Set(ParaDouble::Leading, std::max(*least, 0.0));
    }
    if (const std::string_view keep = AttrText(p, "keep-with-next"); !keep.empty())
        out.Set(ParaInt::KeepWithNext, int32_t{keep == "always"});
    if (const std::string_view keep = AttrText(p, "keep-together"); !keep.empty())
        out.Set(ParaInt::KeepLinesTogether, int32_t{keep == "always"});
    if (const std::string_view brk = AttrText(p, "break-before"); !brk.empty())
        out.Set(ParaInt::StartPosition, brk == "page"     ? StartPosition::NextPage
                                        : brk == "column" ? StartPosition::NextColumn
                                                          : StartPosition::Anywhere);
    for (const auto& [name, id] :
         {std::pair{"widows", ParaInt::Widows}, std::pair{"orphans", ParaInt::Orphans}})
        if (const pugi::xml_attribute a = Attr(p, name))
            out.Set(id, std::clamp(a.as_int(), 0, 100));
    Borders(p, out);
    if (const pugi::xml_node stops = Child(p, "tab-stops"))
        Tabs(stops, out);
}

void OdtProperties::Borders(pugi::xml_node p, AttributeSet& out) const {
    const auto fill = Colour(AttrText(p, "background-color"));
    const std::pair<std::string_view, uint8_t> sides[] = {
        {"border-left", Text::DecorationSide::Left},
        {"border-top", Text::DecorationSide::Top},
        {"border-right", Text::DecorationSide::Right},
        {"border-bottom", Text::DecorationSide::Bottom}};
    ParagraphBox box;
    for (const auto& [name, side] : sides) {
        std::string_view value = AttrText(p, name);
        if (value.empty())
            value = AttrText(p, "border");
        // "0.5pt solid #000000"
        double width = 0;
        std::string_view style;
        std::optional<uint32_t> colour;
        for (size_t at = 0; at < value.size();) {
            const size_t end = std::min(value.find(' ', at), value.size());
            const std::string_view word = value.substr(at, end - at);
            at = end + 1;
            if (const auto w = Length(word))
                width = *w;
            else if (const auto c = Colour(word))
                colour = c;
            else if (!word.empty())
                style = word;
        }
        if (value.empty() || style == "none" || style == "hidden" || width <= 0)
            continue;
        // A hairline (0.06pt) is drawn one pixel wide, not rounded away.
        box.AddSide(side, colour.value_or(0), std::clamp(width, 0.75, 12.0),
                    style == "dotted"   ? Render::DashKind::Dotted
                    : style == "dashed" ? Render::DashKind::Dashed
                    : style == "double" ? Render::DashKind::Double
                                        : Render::DashKind::Solid);
    }
    if (fill)
        box.SetBackground(*fill);
    box.SetOn(out);
}

void OdtProperties::Tabs(pugi::xml_node stops, AttributeSet& out) const {
    std::vector<Text::TabStop> list;
    for (pugi::xml_node tab = stops.first_child(); tab; tab = tab.next_sibling()) {
        const auto pos = LengthAttr(tab, "position");
        if (!Is(tab, "tab-stop") || !pos || *pos < 0)
            continue;
        const std::string_view type = AttrText(tab, "type");
        Text::TabStop stop;
        stop.position = *pos;
        stop.alignment = type == "center"  ? Text::TabAlignment::Centre
                         : type == "right" ? Text::TabAlignment::Right
                         : type == "char"  ? Text::TabAlignment::Decimal
                                           : Text::TabAlignment::Left;
        const std::string_view leader = AttrText(tab, "leader-text");
        const std::string_view leaderStyle = AttrText(tab, "leader-style");
        stop.leader = !leader.empty() && static_cast<unsigned char>(leader[0]) < 0x80
                          ? static_cast<char32_t>(leader[0])
                      : leaderStyle == "dotted" ? U'.'
                      : leaderStyle == "solid"  ? U'_'
                      : leaderStyle == "dash"   ? U'-'
                                                : 0;
        if (stop.leader == U' ')
            stop.leader = 0;
        list.push_back(stop);
    }
    out.Set(Text::ParaObject::TabStops, AsObject(Text::TabStopsAtt::Make(std::move(list))));
}

std::optional<double> OdtProperties::Size(pugi::xml_node t, double parentSize) {
    const std::string_view size = AttrText(t, "font-size");
    if (size.empty())
        return std::nullopt;
    if (const auto factor = Percent(size); factor && *factor > 0)
        return std::clamp(parentSize * *factor, 0.5, 10000.0);
    if (const auto points = Length(size); points && *points > 0)
        return std::clamp(*points, 0.5, 10000.0);
    return std::nullopt;
}

void OdtProperties::Run(pugi::xml_node t, AttributeSet& out, double parentSize) const {
    if (!t)
        return;
    using namespace Text;
    Family(AttrText(t, "font-name"), AttrText(t, "font-family"), out);
    if (const std::string_view weight = AttrText(t, "font-weight"); !weight.empty()) {
        int32_t w = weight == "bold" ? 700 : weight == "normal" ? 400 : std::atoi(weight.data());
        out.Set(GlyphInt::FontWeight, std::clamp(w <= 0 ? 400 : w, 100, 900));
    }
    if (const std::string_view style = AttrText(t, "font-style"); !style.empty())
        out.Set(GlyphInt::FontStyle, style == "italic"    ? FontStyle::Italic
                                     : style == "oblique" ? FontStyle::Oblique
                                                          : FontStyle::Upright);
    if (const auto size = Size(t, parentSize))
        out.Set(GlyphDouble::Size, *size);
    if (const auto rgb = Colour(AttrText(t, "color")))
        out.Set(GlyphObject::TextFill, AsObject(FillAtt::Make(Solid(*rgb))));
    if (const auto rgb = Colour(AttrText(t, "background-color")))
        out.Set(GlyphObject::HighlightFill, AsObject(FillAtt::Make(Solid(*rgb))));
    if (const std::string_view u = AttrText(t, "text-underline-style"); !u.empty()) {
        out.Set(GlyphInt::Underline, LineKind(u, AttrText(t, "text-underline-type")));
        if (const auto rgb = Colour(AttrText(t, "text-underline-color")))
            out.Set(GlyphObject::UnderlineFill, AsObject(FillAtt::Make(Solid(*rgb))));
    }
    if (const std::string_view s = AttrText(t, "text-line-through-style"); !s.empty())
        out.Set(GlyphInt::Strikethrough, LineKind(s, AttrText(t, "text-line-through-type")));
    if (const std::string_view o = AttrText(t, "text-overline-style"); !o.empty())
        out.Set(GlyphInt::Overline, LineKind(o, AttrText(t, "text-overline-type")));
    const std::string_view variant = AttrText(t, "font-variant");
    const std::string_view transform = AttrText(t, "text-transform");
    if (!variant.empty() || !transform.empty()) {
        std::vector<OpenTypeFeature> features;
        if (transform == "uppercase")
            features.push_back({std::string(OpenTypeAtt::AllCapitals), 1});
        else if (transform == "lowercase")
            features.push_back({std::string(OpenTypeAtt::AllLowercase), 1});
        else if (transform == "capitalize")
            features.push_back({std::string(OpenTypeAtt::Capitalised), 1});
        if (variant == "small-caps")
            features.push_back({"smcp", 1});
        out.Set(GlyphObject::OpenType, AsObject(OpenTypeAtt::Make(std::move(features))));
    }
    // "super 58%", "sub", "-33% 58%", "0% 100%".
    if (const std::string_view position = AttrText(t, "text-position"); !position.empty()) {
        const std::string_view first = position.substr(0, position.find(' '));
        const auto shift = Percent(first);
        out.Set(GlyphInt::BaselinePosition,
                first == "super" || (shift && *shift > 0) ? BaselinePosition::Superscript
                : first == "sub" || (shift && *shift < 0) ? BaselinePosition::Subscript
                                                          : BaselinePosition::Normal);
    }
    if (const std::string_view spacing = AttrText(t, "letter-spacing"); !spacing.empty()) {
        const double size = Size(t, parentSize).value_or(parentSize);
        if (const auto points = Length(spacing); points && size > 0)
            out.Set(GlyphDouble::Tracking, std::clamp(*points / size, -10.0, 10.0));
        else if (spacing == "normal")
            out.Set(GlyphDouble::Tracking, 0.0);
    }
    if (const auto scale = Percent(AttrText(t, "text-scale")); scale && *scale > 0)
        out.Set(GlyphDouble::HorizontalScale, std::clamp(*scale, 0.01, 100.0));
    if (const std::string_view kerning = AttrText(t, "letter-kerning"); !kerning.empty())
        out.Set(GlyphInt::AutoKerning, int32_t{kerning == "true"});
    if (const std::string tag = LanguageTag(AttrText(t, "language"), AttrText(t, "country"));
        !tag.empty())
        out.Set(GlyphObject::Language, AsObject(Language::Make(tag)));
}

void OdtProperties::Script(pugi::xml_node t, std::string_view script, AttributeSet& out,
                           double parentSize) const {
    if (!t)
        return;
    using namespace Text;
    const std::string suffix = "-" + std::string(script);
    const auto own = [&](std::string_view name) { return AttrText(t, std::string(name) + suffix); };
    Family(own("font-name"), own("font-family"), out);
    if (const std::string_view weight = own("font-weight"); !weight.empty()) {
        const int32_t w = weight == "bold"     ? 700
                          : weight == "normal" ? 400
                                               : std::atoi(std::string(weight).c_str());
        out.Set(GlyphInt::FontWeight, std::clamp(w <= 0 ? 400 : w, 100, 900));
    }
    if (const std::string_view style = own("font-style"); !style.empty())
        out.Set(GlyphInt::FontStyle, style == "italic"    ? FontStyle::Italic
                                     : style == "oblique" ? FontStyle::Oblique
                                                          : FontStyle::Upright);
    if (const std::string_view size = own("font-size"); !size.empty()) {
        if (const auto factor = Percent(size); factor && *factor > 0)
            out.Set(GlyphDouble::Size, std::clamp(parentSize * *factor, 0.5, 10000.0));
        else if (const auto points = Length(size); points && *points > 0)
            out.Set(GlyphDouble::Size, std::clamp(*points, 0.5, 10000.0));
    }
    if (const std::string tag = LanguageTag(own("language"), own("country")); !tag.empty())
        out.Set(GlyphObject::Language, AsObject(Language::Make(tag)));
}

void OdtProperties::Family(std::string_view name, std::string_view family,
                           AttributeSet& out) const {
    if (const auto it = fonts_.find(name); it != fonts_.end())
        family = it->second;
    if (family.empty())
        return;
    std::string text(family);
    // Quoted families ("'Liberation Serif'") name one font.
    if (text.size() >= 2 && (text.front() == '\'' || text.front() == '"') &&
        text.back() == text.front())
        text = text.substr(1, text.size() - 2);
    out.Set(Text::GlyphStr::FontFamily, Foundation::StringT(text));
}

std::optional<bool> OdtProperties::Hyphenate(pugi::xml_node t) {
    const std::string_view hyphenate = AttrText(t, "hyphenate");
    if (hyphenate.empty())
        return std::nullopt;
    return hyphenate == "true";
}

} // namespace Readers::Odt

// SPDX-License-Identifier: MIT
#include "epub/css/CssDescriber.h"

#include "epub/css/FontPalettes.h"
#include "host/foundation/FontHandle.h"
#include "host/foundation/Panose.h"
#include "host/text/ListAtt.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

namespace EPub {

using namespace Text;
using Foundation::ToStringT;

namespace {

bool Contains(const std::vector<uint32_t>& list, uint32_t id) {
    return std::ranges::find(list, id) != list.end();
}

std::optional<int32_t> FindInt(const AttributeSet& atts, AttId id) {
    const AttValue* v = atts.Find(AttKind::Integer, id);
    return v ? std::optional<int32_t>(std::get<int32_t>(*v)) : std::nullopt;
}

std::optional<double> FindDouble(const AttributeSet& atts, AttId id) {
    const AttValue* v = atts.Find(AttKind::Double, id);
    return v ? std::optional<double>(std::get<double>(*v)) : std::nullopt;
}

template <class T> const T* FindObject(const AttributeSet& atts, AttId id) {
    const AttValue* v = atts.Find(AttKind::Object, id);
    return v ? dynamic_cast<const T*>(std::get<Counted<const AttObject>>(*v).get()) : nullptr;
}

bool IsProportionalLeading(int32_t mode) {
    return mode == LeadingMode::Default || mode == LeadingMode::Proportional ||
           mode == LeadingMode::ProportionalToFont;
}

StringT Ems(double value) {
    const StringT number = CssDescriber::Number(value, 4);
    return number == "0" ? number : number + "em";
}

// Properties whose values CSS lists in one declaration, with the separator between them.
std::optional<std::string_view> ListSeparator(std::string_view property) {
    if (property == "font-feature-settings")
        return ", ";
    if (property == "font-variant-ligatures" || property == "font-variant-numeric" ||
        property == "text-decoration-line")
        return " ";
    return std::nullopt;
}

// Keywords of font-variant-numeric that exclude each other.
std::string_view NumericGroup(std::string_view value) {
    if (value == "lining-nums" || value == "oldstyle-nums")
        return "figures";
    if (value == "proportional-nums" || value == "tabular-nums")
        return "spacing";
    if (value == "diagonal-fractions" || value == "stacked-fractions")
        return "fractions";
    return value;
}

StringT Trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == ';'))
        text.remove_suffix(1);
    return StringT(text);
}

std::string_view AlignmentCSS(int32_t alignment) {
    switch (alignment) {
    case Alignment::Left:
    case Alignment::Start:
    case Alignment::Natural:
        return "text-align:left;";
    case Alignment::Centre:
        return "text-align:center;";
    case Alignment::Right:
        return "text-align:right;";
    case Alignment::Justify:
    case Alignment::JustifyCentre:
    case Alignment::JustifyRight:
    case Alignment::JustifyAll:
        return "text-align:justify;";
    default:
        return {};
    }
}

std::string_view NumberFormatCSS(NumberFormat format) {
    switch (format) {
    case NumberFormat::Decimal:
        return "list-style-type:decimal;";
    case NumberFormat::UpperRoman:
        return "list-style-type:upper-roman;";
    case NumberFormat::LowerRoman:
        return "list-style-type:lower-roman;";
    case NumberFormat::UpperAlpha:
        return "list-style-type:upper-alpha;";
    case NumberFormat::LowerAlpha:
        return "list-style-type:lower-alpha;";
    case NumberFormat::TwoDigits:
    case NumberFormat::ThreeDigits:
    case NumberFormat::FourDigits:
        return "list-style-type:decimal-leading-zero;";
    default:
        return {};
    }
}

// Features CSS names directly; the caps pairs and stylistic sets are handled apart.
std::string_view FeatureCSS(std::string_view tag) {
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 17> kFeatures{{
        {"liga", "font-variant-ligatures: common-ligatures;"},
        {"dlig", "font-variant-ligatures: discretionary-ligatures;"},
        {"hlig", "font-variant-ligatures: historical-ligatures;"},
        {"clig", "font-variant-ligatures: contextual;"},
        {"lnum", "font-variant-numeric: lining-nums;"},
        {"onum", "font-variant-numeric: oldstyle-nums;"},
        {"pnum", "font-variant-numeric: proportional-nums;"},
        {"tnum", "font-variant-numeric: tabular-nums;"},
        {"frac", "font-variant-numeric: diagonal-fractions;"},
        {"afrc", "font-variant-numeric: stacked-fractions;"},
        {"ordn", "font-variant-numeric: ordinal;"},
        {"zero", "font-variant-numeric: slashed-zero;"},
        {"sups", "font-variant-position: super;"},
        {"subs", "font-variant-position: sub;"},
        {"titl", "font-variant-caps: titling-caps;"},
        {"unic", "font-variant-caps: unicase;"},
        {"hist", "font-variant-alternates: historical-forms;"},
    }};
    for (const auto& [t, css] : kFeatures)
        if (t == tag)
            return css;
    return {};
}

// The font-variant-alternates functions need @font-feature-values names, which a font list does
// not give; these features are switched on by tag instead.
bool IsAlternate(std::string_view tag) {
    return tag == "salt" || tag == "swsh" || tag == "cswh" || tag == "ornm" || tag == "nalt";
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// ss01..ss20 and cv01..cv99 carry their number in the last two characters.
std::optional<int> NumberedFeature(std::string_view tag, std::string_view prefix, int last) {
    if (tag.size() != 4 || !tag.starts_with(prefix) || !IsDigit(tag[2]) || !IsDigit(tag[3]))
        return std::nullopt;
    const int n = (tag[2] - '0') * 10 + (tag[3] - '0');
    return n >= 1 && n <= last ? std::optional<int>(n) : std::nullopt;
}

StringT GenericFamily(const Foundation::Panose& panose) {
    if (panose.IsMonospaced())
        return "monospace";
    if (panose.GetFamilyKind() == Foundation::Panose::kLatinHandWritten)
        return "cursive";
    if (panose.GetFamilyKind() == Foundation::Panose::kLatinDecorative)
        return "fantasy";
    if (panose.IsSerif())
        return "serif";
    return "sans-serif";
}

// A family name from a document that can stand in a quoted CSS string as it is.
bool IsNameable(std::string_view family) {
    constexpr size_t kLongest = 200;
    return family.size() <= kLongest && std::ranges::none_of(family, [](char c) {
               return static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == '\'' || c == '"' ||
                      c == '\\' || c == '{' || c == '}' || c == ';' || c == '<';
           });
}

} // namespace

double CssDescriber::ClampPoints(double points) {
    if (std::isnan(points))
        return 0;
    return std::clamp(points, -kMaxPoints, kMaxPoints);
}

StringT CssDescriber::Number(double value, int places) {
    const double factor = std::pow(10.0, places);
    const double rounded = std::round(value * factor) / factor;
    if (!std::isfinite(rounded) || rounded == 0)
        return "0";
    return ToStringT(rounded);
}

StringT CssDescriber::Length(double pointScale, double value, double emPoints) {
    const double points = ClampPoints(pointScale * value);
    const StringT n = Number(points / (emPoints > 0 ? emPoints : 12.0), 3);
    return n == "0" ? n : n + "em";
}

StringT CssDescriber::Pixels(double value) {
    const long long n = std::llround(value);
    return n == 0 ? StringT("0") : StringT::Format("%1px", n);
}

StringT CssDescriber::BorderStyle(const Render::LineStyleDescriptor& stroke) {
    switch (stroke.Dash()) {
    case Render::DashKind::Solid:
        return "solid";
    case Render::DashKind::Dashed:
        return "dashed";
    case Render::DashKind::Dotted:
        return "dotted";
    case Render::DashKind::Double:
        return "double";
    case Render::DashKind::Custom:
        break;
    }
    const auto& pattern = stroke.Pattern();
    if (pattern.empty())
        return "solid";
    // Dashes no longer than the stroke is wide read as dots.
    return pattern.front() <= std::max(stroke.Weight(), 1.0) ? "dotted" : "dashed";
}

Foundation::Font CssDescriber::ToFont(const StringT& family, int32_t weight, int32_t style,
                                      int32_t stretch) {
    static constexpr std::array<int, 9> kStretch{50, 62, 75, 87, 100, 112, 125, 150, 200};
    const auto slant = style == FontStyle::Italic    ? Foundation::FontSlant::Italic
                       : style == FontStyle::Oblique ? Foundation::FontSlant::Oblique
                                                     : Foundation::FontSlant::Upright;
    const int width = kStretch[static_cast<size_t>(std::clamp(stretch, 1, 9) - 1)];
    return Foundation::Font(family, {}, weight, slant, width);
}

bool CssDescriber::ShouldWrite(List list, uint32_t id, bool isDefault) {
    std::vector<uint32_t>& ids = list == List::ParagraphInts      ? affected_.paragraphInts
                                 : list == List::ParagraphDoubles ? affected_.paragraphDoubles
                                                                  : affected_.glyphDoubles;
    if (!isDefault) {
        if (!Contains(ids, id))
            ids.push_back(id);
        return true;
    }
    return affected_.describeAll || Contains(ids, id);
}

void CssDescriber::DescribeParagraph(const AttributeSet& atts) {
    const auto mode = FindInt(atts, ParaInt::LeadingMode);
    if (const auto spacing = FindDouble(atts, ParaDouble::LineSpacing);
        spacing && (!mode || IsProportionalLeading(*mode)) &&
        ShouldWrite(List::ParagraphInts, ParaDouble::LineSpacing, *spacing == 1.0))
        Add(StringT::Format("line-height:%1;", *spacing));
    if (const auto leading = FindDouble(atts, ParaDouble::Leading);
        leading && mode && !IsProportionalLeading(*mode) &&
        ShouldWrite(List::ParagraphDoubles, ParaDouble::Leading, *leading == 0))
        Add(StringT::Format("line-height:%1;", Length(c_.pointScale, *leading, c_.emPoints)));

    const auto length = [&](AttId id, std::string_view pattern, double value) {
        if (ShouldWrite(List::ParagraphDoubles, id, value == 0))
            Add(StringT::Format(pattern, Length(c_.pointScale, value, c_.emPoints)));
    };
    const auto left = FindDouble(atts, ParaDouble::LeftIndent);
    if (left)
        length(ParaDouble::LeftIndent, "margin-left:%1;", *left);
    if (const auto right = FindDouble(atts, ParaDouble::RightIndent))
        length(ParaDouble::RightIndent, "margin-right:%1;", *right);
    // The first line's indent counts from the left indent, wherever that was set: a change to
    // either restates it.
    const auto first = FindDouble(atts, ParaDouble::FirstLineIndent);
    if (first || left) {
        const auto whole = [&](AttId id, std::optional<double> own) {
            if (own)
                return *own;
            return c_.paragraph ? FindDouble(*c_.paragraph, id).value_or(0) : 0.0;
        };
        const double indent =
            whole(ParaDouble::FirstLineIndent, first) - whole(ParaDouble::LeftIndent, left);
        length(ParaDouble::FirstLineIndent, "text-indent:%1;", indent);
    }
    if (const auto before = FindDouble(atts, ParaDouble::SpaceBefore))
        length(ParaDouble::SpaceBefore, "margin-top:%1;", *before);

    if (const auto align = FindInt(atts, ParaInt::Alignment);
        align && ShouldWrite(List::ParagraphInts, ParaInt::Alignment, *align == 0)) {
        if (const auto css = AlignmentCSS(*align); !css.empty())
            Add(StringT(css));
    }
    if (const auto start = FindInt(atts, ParaInt::StartPosition);
        start && (*start == 3 || (*start >= 5 && *start <= 9)))
        Add("page-break-before:always;");
    if (FindInt(atts, ParaInt::KeepLinesTogether).value_or(0) != 0)
        Add("page-break-inside:avoid;");
    // Widow and orphan control keeps two lines together; CSS accepts no value below 1.
    if (FindInt(atts, ParaInt::Widows).value_or(0) != 0)
        Add("widows:2;");
    if (FindInt(atts, ParaInt::Orphans).value_or(0) != 0)
        Add("orphans:2;");
    if (const auto hyphens = FindInt(atts, ParaInt::Hyphenate))
        Add(*hyphens == 0 ? "hyphens:none;" : "hyphens:auto;");
    if (const auto* list = FindObject<ListAtt>(atts, ParaObject::List))
        DescribeList(*list);
}

void CssDescriber::DescribeList(const ListAtt& list) {
    if (list.GetType() == ListType::Numbered && !c_.options.IsConvertNumberedListsToText()) {
        Add("list-style-position:inside;");
        if (const auto css = NumberFormatCSS(list.GetNumberFormat()); !css.empty())
            Add(StringT(css));
    } else if (list.GetType() == ListType::Bullet && !c_.options.IsConvertBulletListsToText()) {
        Add("list-style-position:inside;");
        const GlyphString& bullet = list.GetBulletString();
        if (bullet.size() == 2) {
            const char32_t c = bullet[0].GetChar32();
            Add(c == U'\u25AA'   ? "list-style-type:square;"
                : c == U'\u25E6' ? "list-style-type:circle;"
                                 : "list-style-type:disc;");
        }
    }
}

void CssDescriber::DescribeGlyph(const AttributeSet& atts) {
    if (const auto size = FindDouble(atts, GlyphDouble::Size))
        Add(StringT::Format("font-size:%1;",
                            Ems(std::max(ClampPoints(c_.pointScale * *size), 0.0) / 12.0)));
    if (const auto tracking = FindDouble(atts, GlyphDouble::Tracking);
        tracking && ShouldWrite(List::GlyphDoubles, GlyphDouble::Tracking, *tracking == 0))
        Add(StringT::Format("letter-spacing:%1;", Ems(*tracking)));

    DescribeLines(atts);
    const int32_t baseline = FindInt(atts, GlyphInt::BaselinePosition).value_or(0);
    if (baseline == BaselinePosition::Superscript)
        Add("vertical-align:super;");
    else if (baseline == BaselinePosition::Subscript)
        Add("vertical-align:sub;");

    DescribeFill(atts, GlyphObject::TextFill, "color");
    DescribeFill(atts, GlyphObject::HighlightFill, "background-color");
    DescribeFill(atts, GlyphObject::UnderlineFill, "text-decoration-color");
    DescribeFill(atts, GlyphObject::StrikethroughFill, "text-decoration-color");
    if (const auto* palette =
            FindObject<FontColourPaletteAtt>(atts, GlyphObject::FontColourPalette))
        DescribePalette(atts, *palette);
    DescribeFont(atts);
    if (const auto* features = FindObject<OpenTypeAtt>(atts, GlyphObject::OpenType))
        DescribeOpenType(*features);
}

// Underline, overline and strikethrough share one decoration declaration; CSS draws all its
// lines in one style, so they are double only when all are.
void CssDescriber::DescribeLines(const AttributeSet& atts) {
    std::string lines;
    bool doubled = true;
    for (const auto& [id, keyword] :
         {std::pair{GlyphInt::Underline, "underline"}, std::pair{GlyphInt::Overline, "overline"},
          std::pair{GlyphInt::Strikethrough, "line-through"}}) {
        const int32_t kind = FindInt(atts, id).value_or(0);
        if (kind != LineKind::Single && kind != LineKind::Double)
            continue;
        lines += (lines.empty() ? "" : " ") + std::string(keyword);
        doubled = doubled && kind == LineKind::Double;
    }
    if (lines.empty())
        return;
    if (!doubled) {
        Add(StringT::Format("text-decoration:%1;", lines));
        return;
    }
    Add(StringT::Format("text-decoration-line:%1;", lines));
    Add("text-decoration-style:double;");
}

void CssDescriber::DescribeFill(const AttributeSet& atts, AttId id, std::string_view property) {
    const auto* fill = FindObject<FillAtt>(atts, id);
    if (!fill || !Render::IsFillVisible(fill->GetFill().get()))
        return;
    StringT colour =
        id == GlyphObject::TextFill ? c_.sheet.ReadableTextColourToCSS(atts) : StringT();
    if (colour.empty())
        colour = c_.sheet.ColourToCSS(fill->GetFill().get(), id == GlyphObject::TextFill);
    if (!colour.empty())
        Add(StringT::Format("%1:%2;", property, colour));
}

void CssDescriber::DescribePalette(const AttributeSet& atts, const FontColourPaletteAtt& palette) {
    if (!palette.HasEntries())
        return;
    std::vector<uint32_t> entries;
    for (const PaletteEntry& entry : palette.GetEntries()) {
        if (entry.index < 0)
            continue;
        if (entries.size() <= static_cast<size_t>(entry.index))
            entries.resize(static_cast<size_t>(entry.index) + 1, PaletteRGB::kInherit);
        uint32_t rgb = PaletteRGB::kInherit;
        if (entry.colour) {
            const Raster::RGBA8 c = c_.sheet.ToRGBA8(*entry.colour);
            rgb = (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b;
        }
        entries[static_cast<size_t>(entry.index)] = rgb;
    }
    const auto type =
        static_cast<Render::FontColourPaletteType>(std::clamp(palette.GetType(), 0, 2));
    Foundation::Font font = c_.defaultFont;
    if (const AttValue* family = atts.Find(AttKind::String, GlyphStr::FontFamily))
        font = font.WithFamily(std::get<StringT>(*family));
    const StringT name = c_.sheet.RegisterFontColourPalette(
        font, Render::FontColourPaletteDescriptor::Make(
                  type, static_cast<uint32_t>(std::max(palette.GetPaletteIndex(), 0)),
                  std::move(entries)));
    // No palette rule can be written without a font to name.
    if (!name.empty())
        Add(StringT::Format("font-palette:%1;", name));
}

void CssDescriber::DescribeFont(const AttributeSet& atts) {
    const auto weight = FindInt(atts, GlyphInt::FontWeight);
    const auto style = FindInt(atts, GlyphInt::FontStyle);
    if (const AttValue* family = atts.Find(AttKind::String, GlyphStr::FontFamily);
        family && c_.fonts) {
        const Foundation::Font wanted = ToFont(
            std::get<StringT>(*family), weight.value_or(Foundation::Font::kRegularWeight),
            style.value_or(FontStyle::Upright), FindInt(atts, GlyphInt::FontStretch).value_or(5));
        // A family this system lacks is still named, for the reading systems that have it,
        // with the generic family of the face that stands in for it here; it is not embedded.
        const auto match = c_.fonts->GetBestFontMatch(wanted);
        const Foundation::Font drawn = match ? *match : c_.fonts->GetClosestAvailableFont(wanted);
        StringT name = match ? c_.sheet.AddFont(*match) : wanted.GetFamilyName();
        if (!name.empty() && IsNameable(name.view())) {
            if (name.view().find_first_of(" ,;") != std::string_view::npos)
                name = "'" + name + "'";
            const auto handle = drawn.GetFamilyName().empty() ? Counted<Foundation::FontHandle>()
                                                              : c_.fonts->MakeHandle(drawn);
            const StringT generic =
                GenericFamily(handle ? handle->GetPanose() : Foundation::Panose());
            Add(StringT::Format("font-family:%1, %2;", name, generic));
        }
    }
    if (weight)
        Add(*weight > 500 ? "font-weight:bold;" : "font-weight:normal;");
    if (style)
        Add(*style == FontStyle::Upright ? "font-style:normal;" : "font-style:italic;");
}

void CssDescriber::DescribeOpenType(const OpenTypeAtt& features) {
    bool smcp = false, c2sc = false, pcap = false, c2pc = false;
    std::string_view transform;
    for (const OpenTypeFeature& f : features.GetFeatures()) {
        if (f.value != 1)
            continue;
        const std::string_view tag = f.tag;
        if (tag == "smcp")
            smcp = true;
        else if (tag == "c2sc")
            c2sc = true;
        else if (tag == "pcap")
            pcap = true;
        else if (tag == "c2pc")
            c2pc = true;
        else if (tag == OpenTypeAtt::AllCapitals)
            transform = "uppercase";
        else if (tag == OpenTypeAtt::AllLowercase || tag == OpenTypeAtt::Capitalised)
            transform = !transform.empty()                 ? transform
                        : tag == OpenTypeAtt::AllLowercase ? "lowercase"
                                                           : "capitalize";
        else if (const auto css = FeatureCSS(tag); !css.empty())
            Add(StringT(css));
        else if (IsAlternate(tag) || NumberedFeature(tag, "ss", 20) ||
                 NumberedFeature(tag, "cv", 99) || tag.size() == 4)
            Add(StringT::Format("font-feature-settings: \"%1\";", tag));
    }
    // Caps combine into one value, so they are settled after the other features.
    if (smcp)
        Add(c2sc ? "font-variant-caps: all-small-caps;" : "font-variant-caps: small-caps;");
    else if (c2sc)
        Add("font-feature-settings: \"c2sc\";");
    if (pcap)
        Add(c2pc ? "font-variant-caps: all-petite-caps;" : "font-variant-caps: petite-caps;");
    else if (c2pc)
        Add("font-feature-settings: \"c2pc\";");
    if (!transform.empty())
        Add(StringT::Format("text-transform: %1;", transform));
}

StringT CssDescriber::Border(const Decoration& decoration) const {
    const StringT width = Pixels(c_.scale * decoration.lineStyle->EffectiveWeight());
    const StringT style = BorderStyle(*decoration.lineStyle);
    const StringT colour = c_.sheet.ColourToCSS(decoration.penFill.get(), false);
    return colour.empty() ? StringT::Format("%1 %2", width, style)
                          : StringT::Format("%1 %2 %3", width, style, colour);
}

void CssDescriber::DescribeDecorations(const DecorationsAtt& decorations) {
    if (!decorations.IsEnabled())
        return;
    uint8_t written = 0;
    for (const Decoration& d : decorations.GetDecorations()) {
        if (!d.IsDrawn())
            continue;
        if (d.HasVisibleBackground()) {
            if (const StringT colour = c_.sheet.ColourToCSS(d.background.get(), false);
                !colour.empty())
                Add(StringT::Format("background-color:%1;", colour));
        }
        if (!d.lineStyle || !d.HasVisibleStroke())
            continue;
        const uint8_t sides = d.sides & ~written;
        if (sides == 0)
            continue;
        const StringT border = Border(d);
        if (sides == DecorationSide::All) {
            Add(StringT::Format("border:%1;", border));
        } else {
            static constexpr std::array<std::pair<uint8_t, std::string_view>, 4> kSides{{
                {DecorationSide::Left, "border-left:%1;"},
                {DecorationSide::Right, "border-right:%1;"},
                {DecorationSide::Top, "border-top:%1;"},
                {DecorationSide::Bottom, "border-bottom:%1;"},
            }};
            for (const auto& [side, pattern] : kSides)
                if (sides & side)
                    Add(StringT::Format(pattern, border));
        }
        written |= sides;
    }
}

void CssDescriber::Add(std::string_view declaration) {
    const size_t colon = declaration.find(':');
    if (colon == std::string_view::npos)
        return;
    StringT property = Trimmed(declaration.substr(0, colon));
    StringT value = Trimmed(declaration.substr(colon + 1));
    const auto it = std::ranges::find(declarations_, property, &Declarations::value_type::first);
    if (it == declarations_.end()) {
        declarations_.emplace_back(std::move(property), std::move(value));
        return;
    }
    const auto separator = ListSeparator(property.view());
    if (!separator) {
        it->second = std::move(value);
        return;
    }
    std::vector<StringT> items;
    std::string_view rest = it->second.view();
    while (!rest.empty()) {
        const size_t end = rest.find(*separator);
        const StringT item(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view()
                                             : rest.substr(end + separator->size());
        const bool excluded = property == "font-variant-numeric" &&
                              NumericGroup(item.view()) == NumericGroup(value.view());
        if (item != value && !excluded)
            items.push_back(item);
    }
    items.push_back(value);
    StringT joined;
    for (const StringT& item : items)
        joined += (joined.empty() ? StringT() : StringT(*separator)) + item;
    it->second = std::move(joined);
}

StringT CssDescriber::GetText() const {
    StringT text;
    for (const auto& [property, value] : declarations_) {
        if (!text.empty())
            text += '\n';
        text += property + ":" + value + ";";
    }
    return text;
}

} // namespace EPub

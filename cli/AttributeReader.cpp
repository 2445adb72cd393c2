// SPDX-License-Identifier: MIT
#include "cli/AttributeReader.h"

#include "epub/package/NameRules.h"
#include "host/text/AnchorData.h"
#include "host/text/AttributeObjects.h"
#include "host/text/Language.h"
#include "host/text/ListAtt.h"

#include <limits>
#include <map>

namespace Cli {

using EPub::IsFollowableUrl;
using EPub::IsLanguageTag;

using Foundation::Counted;
using Foundation::StringT;
using json = JsonValue;

namespace {

// Enumerated integer attributes may be given by name.
const std::map<std::string_view, std::map<std::string_view, int32_t>>& NamedValues() {
    static const std::map<std::string_view, std::map<std::string_view, int32_t>> table{
        {"alignment", {{"left", 0}, {"centre", 1}, {"center", 1}, {"right", 2}, {"justify", 3}}},
        {"startPosition",
         {{"anywhere", 0},
          {"nextLine", 1},
          {"nextFrame", 3},
          {"nextColumn", 4},
          {"nextPage", 5},
          {"nextOddPage", 6},
          {"nextEvenPage", 7},
          {"nextSection", 8}}},
        {"fontStyle", {{"upright", 0}, {"normal", 0}, {"italic", 1}, {"oblique", 2}}},
        {"baselinePosition", {{"normal", 0}, {"superscript", 1}, {"subscript", 2}}},
        {"underline", {{"none", 0}, {"single", 1}, {"double", 2}}},
        {"strikethrough", {{"none", 0}, {"single", 1}, {"double", 2}}},
        {"overline", {{"none", 0}, {"single", 1}, {"double", 2}}},
        {"direction", {{"natural", 0}, {"ltr", 1}, {"rtl", 2}}},
    };
    return table;
}

// What each numeric attribute may be: out of range is an input error, so every accepted value
// gives CSS a reader takes. Lengths are in document units.
struct Range {
    double min, max;
    bool minExcluded = false;
};

constexpr double kMaxLength = 100000; // about 35 m at 72 units per inch

const std::map<std::string_view, Range>& AttributeRanges() {
    static const std::map<std::string_view, Range> table{
        {"alignment", {0, 9}},
        {"leadingMode", {0, 4}},
        {"startPosition", {0, 8}},
        {"keepLinesTogether", {0, 1}},
        {"keepWithNext", {0, 100}},
        {"keepWithPrevious", {0, 100}},
        {"widows", {0, 100}},
        {"orphans", {0, 100}},
        {"hyphenate", {0, 1}},
        {"hyphenMinWordLength", {0, 100}},
        {"hyphenMinPrefix", {0, 100}},
        {"hyphenMinSuffix", {0, 100}},
        {"hyphenMaxConsecutive", {0, 100}},
        {"topOfFlowSpacing", {0, 1}},
        {"index", {0, 1}},
        {"useSameStyleSpacing", {0, 1}},
        {"addSpacing", {0, 1}},
        {"direction", {0, 2}},
        {"underline", {0, 2}},
        {"strikethrough", {0, 2}},
        {"overline", {0, 2}},
        {"baselinePosition", {0, 2}},
        {"autoKerning", {0, 1}},
        {"fontWeight", {1, 1000}},
        {"fontStyle", {0, 2}},
        {"fontStretch", {1, 9}},
        {"noBreak", {0, 1}},
        {"tocPageNumber", {0, 1}},
        {"lineSpacing", {0, 100}},
        {"leading", {0, kMaxLength}},
        {"leftIndent", {-kMaxLength, kMaxLength}},
        {"rightIndent", {-kMaxLength, kMaxLength}},
        {"firstLineIndent", {-kMaxLength, kMaxLength}},
        {"spaceBefore", {-kMaxLength, kMaxLength}},
        {"spaceAfter", {-kMaxLength, kMaxLength}},
        {"sameStyleSpacing", {-kMaxLength, kMaxLength}},
        {"wordSpacingMin", {0, 10}},
        {"wordSpacingDesired", {0, 10}},
        {"wordSpacingMax", {0, 10}},
        {"letterSpacingMin", {-10, 10}},
        {"letterSpacingDesired", {-10, 10}},
        {"letterSpacingMax", {-10, 10}},
        {"hyphenationScore", {0, kMaxLength}},
        {"hyphenationZone", {0, kMaxLength}},
        {"hyphenationZoneCapitals", {0, kMaxLength}},
        {"hyphenationZoneParagraphEnd", {0, kMaxLength}},
        {"hyphenationZoneColumnEnd", {0, kMaxLength}},
        {"lastLineOutdent", {-kMaxLength, kMaxLength}},
        {"defaultTabStop", {0, kMaxLength}},
        {"size", {0, 10000, true}},
        {"tracking", {-10, 10}},
        {"manualKerning", {-10, 10}},
        {"baselineShift", {-kMaxLength, kMaxLength}},
        {"horizontalScale", {0, 100, true}},
        {"verticalScale", {0, 100, true}},
        {"shear", {-85, 85}},
    };
    return table;
}

std::string RangeText(const Range& range) {
    const auto number = [](double v) {
        std::string text = std::to_string(v);
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.')
            text.pop_back();
        return text;
    };
    return (range.minExcluded ? "greater than " + number(range.min) + " and at most "
                              : "between " + number(range.min) + " and ") +
           number(range.max);
}

bool InRange(double value, const Range& range) {
    return (range.minExcluded ? value > range.min : value >= range.min) && value <= range.max;
}

template <class T> Counted<const Text::AttObject> AsObject(Counted<const T> object) {
    return Counted<const Text::AttObject>(std::move(object));
}

} // namespace

Counted<const Text::Delta> AttributeReader::ReadDelta(const Node& node,
                                                      bool paragraphAllowed) const {
    Text::AttributeSet paragraph, glyph;
    if (paragraphAllowed && node.Has("paragraph"))
        ReadAttributes(node.Field("paragraph"), Text::AttCategory::Paragraph, paragraph);
    if (node.Has("character"))
        ReadAttributes(node.Field("character"), Text::AttCategory::Glyph, glyph);
    if (paragraph.empty() && glyph.empty())
        return {};
    return Foundation::MakeCounted<Text::Delta>(std::move(paragraph), std::move(glyph));
}

void AttributeReader::ReadAttributes(const Node& node, Text::AttCategory category,
                                     Text::AttributeSet& out) const {
    in_.Expect(node, json::value_t::object, "an object");
    for (const auto& [key, value] : node.value.items()) {
        const Node field = node.Member(key, value);
        const Text::AttInfo* info = Text::FindAttInfo(category, key);
        // Style names are the style fields' business, not attributes.
        if (!info || key == "styleName" || key == "characterStyleName")
            in_.Fail(field, "unknown attribute");
        switch (info->kind) {
        case Text::AttKind::Integer:
            ReadInteger(field, key, *info, out);
            break;
        case Text::AttKind::Double: {
            in_.Expect(field, json::value_t::number_float, "a number");
            const double number = value.get<double>();
            const auto range = AttributeRanges().find(key);
            if (range != AttributeRanges().end() && !InRange(number, range->second))
                in_.Fail(field, "must be " + RangeText(range->second));
            out.Set(info->id, number);
            break;
        }
        case Text::AttKind::String:
            in_.Expect(field, json::value_t::string, "a string");
            out.Set(info->id, StringT(value.get<std::string>()));
            break;
        case Text::AttKind::Object:
            out.Set(info->id, ReadObject(field, key));
            break;
        }
    }
}

void AttributeReader::ReadInteger(const Node& field, const std::string& key,
                                  const Text::AttInfo& info, Text::AttributeSet& out) const {
    const json& value = field.value;
    if (value.is_boolean()) {
        out.Set(info.id, int32_t{value.get<bool>()});
        return;
    }
    if (value.is_string()) {
        const auto table = NamedValues().find(key);
        if (table == NamedValues().end())
            in_.Fail(field, "expected an integer");
        const auto it = table->second.find(value.get<std::string>());
        if (it == table->second.end())
            in_.Fail(field, "unknown value \"" + value.get<std::string>() + "\"");
        out.Set(info.id, it->second);
        return;
    }
    if (!value.is_number_integer() || value.get<int64_t>() < std::numeric_limits<int32_t>::min() ||
        value.get<int64_t>() > kIntMax)
        in_.Fail(field, "expected an integer");
    const auto range = AttributeRanges().find(key);
    if (range != AttributeRanges().end() &&
        !InRange(static_cast<double>(value.get<int64_t>()), range->second))
        in_.Fail(field, "must be " + RangeText(range->second));
    out.Set(info.id, static_cast<int32_t>(value.get<int64_t>()));
}

Counted<const Text::AttObject> AttributeReader::ReadObject(const Node& field,
                                                           const std::string& key) const {
    using Reader = Counted<const Text::AttObject> (AttributeReader::*)(const Node&) const;
    static const std::map<std::string_view, Reader> readers{
        {"list", &AttributeReader::ReadList},
        {"decorations", &AttributeReader::ReadDecorations},
        {"dropCap", &AttributeReader::ReadDropCap},
        {"autoFormat", &AttributeReader::ReadAutoFormat},
        {"tabStops", &AttributeReader::ReadTabStops},
        {"tableOfContents", &AttributeReader::ReadTableOfContents},
        {"hyperlink", &AttributeReader::ReadHyperlink},
        {"openType", &AttributeReader::ReadOpenType},
        {"opticalAlignment", &AttributeReader::ReadOpticalAlignment},
        {"colourEffect", &AttributeReader::ReadColourEffect},
        {"fontColourPalette", &AttributeReader::ReadPalette},
    };
    if (const auto it = readers.find(key); it != readers.end())
        return (this->*(it->second))(field);
    if (key == "language") {
        in_.Expect(field, json::value_t::string, "a language tag such as \"de-CH\"");
        if (!IsLanguageTag(field.value.get<std::string>()))
            in_.Fail(field, "\"" + field.value.get<std::string>() +
                                "\" is not a language tag such as \"en\" or \"de-CH\"");
        return AsObject(Text::Language::Make(field.value.get<std::string>()));
    }
    if (key == "outlineStroke")
        return AsObject(Text::LineStyleAtt::Make(ReadStroke(field)));
    // Every other object attribute is a fill.
    return AsObject(Text::FillAtt::Make(ReadFill(field)));
}

int32_t AttributeReader::Choice(const Node& node,
                                std::initializer_list<std::string_view> names) const {
    in_.Expect(node, json::value_t::string, "a name");
    const std::string value = node.value.get<std::string>();
    int32_t index = 0;
    for (const std::string_view name : names) {
        if (name == value)
            return index;
        ++index;
    }
    std::string list;
    for (const std::string_view name : names)
        list += (list.empty() ? "\"" : ", \"") + std::string(name) + "\"";
    in_.Fail(node, "unknown value \"" + value + "\" (expected one of " + list + ")");
}

double AttributeReader::Ranged(const Node& node, const std::string& key, double fallback,
                               double min, double max) const {
    const double value = in_.Number(node, key, fallback);
    if (node.Has(key) && !InRange(value, {min, max}))
        in_.Fail(node.Field(key), "must be " + RangeText({min, max}));
    return value;
}

StringT AttributeReader::StyleReference(const Node& node) const {
    in_.Expect(node, json::value_t::string, "a character style name");
    const std::string name = node.value.get<std::string>();
    if (name.empty())
        in_.Fail(node, "a style needs a name");
    styleReferences_.push_back({node.Path(), name, in_.Offset(node)});
    return StringT(name);
}

void AttributeReader::CheckStyleReferences(const Text::StyleSheet& styles) const {
    for (const StyleReferenceAt& ref : styleReferences_) {
        const auto style = styles.GetStyle(StringT(ref.name));
        if (!style)
            in_.FailAt(ref.offset, ref.path, "unknown style \"" + ref.name + "\"");
        if (style->GetKind() != Text::StyleKind::Character)
            in_.FailAt(ref.offset, ref.path, "style \"" + ref.name + "\" is not a character style");
    }
}

char32_t AttributeReader::Character(const Node& node) const {
    in_.Expect(node, json::value_t::string, "a single character");
    const std::u32string text = StringT(node.value.get<std::string>()).ToUTF32();
    if (text.size() != 1)
        in_.Fail(node, "expected a single character");
    return text[0];
}

Counted<const Render::FillDescriptor> AttributeReader::ReadFill(const Node& node) const {
    if (node.value.is_string()) {
        if (node.value.get<std::string>() == "none")
            return Render::FillDescriptor::MakeNone();
        return Render::FillDescriptor::MakeSolid(in_.Colour(node));
    }
    in_.CheckFields(node, {"colour", "opacity", "gradient", "type"});
    const double opacity = Ranged(node, "opacity", 1.0, 0, 1);
    if (node.Has("colour")) {
        if (node.Has("gradient"))
            in_.Fail(node, "a fill has a colour or a gradient, not both");
        return Render::FillDescriptor::MakeSolid(in_.Colour(node.Field("colour")), opacity);
    }
    const Node stops = in_.Required(node, "gradient");
    in_.ExpectArray(stops);
    std::vector<Render::GradientStop> list;
    for (size_t i = 0; i < stops.value.size(); ++i) {
        const Node stop = stops.Item(i);
        in_.CheckFields(stop, {"position", "colour"});
        list.push_back(
            {Ranged(stop, "position", 0, 0, 1), in_.Colour(in_.Required(stop, "colour"))});
    }
    if (list.size() < 2)
        in_.Fail(stops, "a gradient needs at least two stops");
    const bool radial = node.Has("type") && Choice(node.Field("type"), {"linear", "radial"}) == 1;
    return Render::FillDescriptor::MakeGradient(radial ? Render::FillType::RadialGradient
                                                       : Render::FillType::LinearGradient,
                                                std::move(list), opacity);
}

Counted<const Render::LineStyleDescriptor> AttributeReader::ReadStroke(const Node& node) const {
    in_.CheckFields(node, {"width", "dash"});
    return StrokeFields(node);
}

Text::BorderFormat AttributeReader::ReadBorder(const Node& node) const {
    in_.CheckFields(node, {"colour", "width", "dash"});
    return {Render::FillDescriptor::MakeSolid(in_.Colour(in_.Required(node, "colour"))),
            StrokeFields(node)};
}

Counted<const Render::LineStyleDescriptor> AttributeReader::StrokeFields(const Node& node) const {
    const double width = Ranged(node, "width", 1.0, 0, 1000);
    const int32_t dash =
        node.Has("dash") ? Choice(node.Field("dash"), {"solid", "dashed", "dotted", "double"}) : 0;
    return Foundation::MakeCounted<const Render::LineStyleDescriptor>(
        width, static_cast<Render::DashKind>(dash));
}

Counted<const Text::AttObject> AttributeReader::ReadList(const Node& node) const {
    in_.CheckFields(
        node, {"type", "level", "format", "startAt", "restart", "bullet", "prefix", "suffix"});
    Text::ListSettings s;
    s.type = static_cast<Text::ListType>(
        node.Has("type") ? Choice(node.Field("type"), {"none", "bullet", "numbered"}) : 1);
    s.level = in_.Integer(node, "level", 0, 0, Text::ListAtt::kMaxLevel);
    if (node.Has("format"))
        s.format = static_cast<Text::NumberFormat>(
            Choice(node.Field("format"),
                   {"decimal", "upperRoman", "lowerRoman", "upperAlpha", "lowerAlpha", "symbols",
                    "twoDigits", "threeDigits", "fourDigits"}));
    s.startAt = in_.Integer(node, "startAt", 1, -kIntMax, kIntMax);
    s.restart = in_.Bool(node, "restart", false);
    if (node.Has("bullet"))
        s.bullet = Text::GlyphString(in_.String(node, "bullet"));
    if (node.Has("prefix"))
        s.prefix = Text::GlyphString(in_.String(node, "prefix"));
    if (node.Has("suffix"))
        s.suffix = Text::GlyphString(in_.String(node, "suffix"));
    return AsObject(Text::ListAtt::Make(std::move(s)));
}

Counted<const Text::AttObject> AttributeReader::ReadDecorations(const Node& node) const {
    in_.ExpectArray(node);
    std::vector<Text::Decoration> list;
    for (size_t i = 0; i < node.value.size(); ++i) {
        const Node item = node.Item(i);
        in_.CheckFields(item, {"sides", "colour", "stroke", "background", "opacity"});
        Text::Decoration d;
        d.sides = Text::DecorationSide::All;
        if (item.Has("sides")) {
            const Node sides = item.Field("sides");
            in_.ExpectArray(sides);
            d.sides = 0;
            for (size_t s = 0; s < sides.value.size(); ++s)
                d.sides |= static_cast<uint8_t>(
                    1 << Choice(sides.Item(s), {"left", "top", "right", "bottom"}));
        }
        if (item.Has("colour"))
            d.penFill = Render::FillDescriptor::MakeSolid(in_.Colour(item.Field("colour")));
        if (item.Has("stroke"))
            d.lineStyle = ReadStroke(item.Field("stroke"));
        else if (d.penFill)
            d.lineStyle = Foundation::MakeCounted<const Render::LineStyleDescriptor>(
                1.0, Render::DashKind::Solid);
        if (item.Has("background"))
            d.background = ReadFill(item.Field("background"));
        d.opacity = Ranged(item, "opacity", 1.0, 0, 1);
        list.push_back(std::move(d));
    }
    return AsObject(Text::DecorationsAtt::Make(std::move(list)));
}

Counted<const Text::AttObject> AttributeReader::ReadDropCap(const Node& node) const {
    in_.CheckFields(node, {"lines", "characters", "distance", "style"});
    const StringT style = node.Has("style") ? StyleReference(node.Field("style")) : StringT();
    return AsObject(Text::DropCapAtt::Make(in_.Integer(node, "lines", 2, 1, 100),
                                           in_.Integer(node, "characters", 1, 1, 100),
                                           Ranged(node, "distance", 0, 0, kMaxLength), style));
}

Counted<const Text::AttObject> AttributeReader::ReadAutoFormat(const Node& node) const {
    in_.CheckFields(node, {"style", "scope", "count", "delimiter"});
    const StringT style = StyleReference(in_.Required(node, "style"));
    const int32_t scope =
        node.Has("scope") ? Choice(node.Field("scope"), {"characters", "words", "delimiter"}) : 1;
    const char32_t delimiter = node.Has("delimiter") ? Character(node.Field("delimiter")) : 0;
    return AsObject(Text::AutoFormatAtt::Make(style, static_cast<Text::AutoFormatScope>(scope),
                                              in_.Integer(node, "count", 1, 0, kIntMax),
                                              delimiter));
}

Counted<const Text::AttObject> AttributeReader::ReadTabStops(const Node& node) const {
    in_.ExpectArray(node);
    std::vector<Text::TabStop> stops;
    for (size_t i = 0; i < node.value.size(); ++i) {
        const Node item = node.Item(i);
        in_.CheckFields(item, {"position", "alignment", "leader"});
        Text::TabStop stop;
        stop.position = Ranged(item, "position", 0, 0, kMaxLength);
        if (item.Has("alignment"))
            stop.alignment = static_cast<Text::TabAlignment>(
                Choice(item.Field("alignment"), {"left", "centre", "right", "decimal"}));
        if (item.Has("leader"))
            stop.leader = Character(item.Field("leader"));
        stops.push_back(stop);
    }
    return AsObject(Text::TabStopsAtt::Make(std::move(stops)));
}

Counted<const Text::AttObject> AttributeReader::ReadTableOfContents(const Node& node) const {
    const int32_t kind = Choice(node, {"none", "contents", "illustrations", "tables"});
    return AsObject(Text::TocAtt::Make(kind, kind != 0));
}

Counted<const Text::AttObject> AttributeReader::ReadHyperlink(const Node& node) const {
    const auto url = [&](const Node& field) {
        in_.Expect(field, json::value_t::string, "a string");
        const std::string text = field.value.get<std::string>();
        if (!IsFollowableUrl(text))
            in_.Fail(field, "\"" + text + "\" is not a URL a reader can follow");
        return Text::HyperlinkData::MakeURL(StringT(text));
    };
    if (node.value.is_string())
        return AsObject(Text::HyperlinkAtt::Make(url(node)));
    in_.CheckFields(node, {"url", "anchor", "page", "chapter"});
    Counted<const Text::HyperlinkData> data;
    if (node.Has("url"))
        data = url(node.Field("url"));
    else if (node.Has("anchor"))
        data = Text::HyperlinkData::MakeAnchor(anchors_.Use(in_, node.Field("anchor")));
    else if (node.Has("chapter") || node.Has("page"))
        // Resolved here to a page of the page list, which the exporter finds in any document.
        data = Text::HyperlinkData::MakePage(anchors_.PageNumber(
            in_, in_.Required(node, "page"), in_.Integer(node, "chapter", 0, 1, kIntMax),
            in_.Integer(node, "page", 1, 1, kIntMax)));
    else
        in_.Fail(node, "a link needs \"url\", \"anchor\" or \"page\"");
    return AsObject(Text::HyperlinkAtt::Make(std::move(data)));
}

Counted<const Text::AttObject> AttributeReader::ReadOpenType(const Node& node) const {
    in_.Expect(node, json::value_t::object, "an object of feature tags");
    std::vector<Text::OpenTypeFeature> features;
    for (const auto& [tag, value] : node.value.items()) {
        const Node field = node.Member(tag, value);
        if (tag.size() != 4)
            in_.Fail(field, "an OpenType feature tag has four characters");
        features.push_back({tag, value.is_boolean() ? int32_t{value.get<bool>()}
                                                    : in_.Integer(node, tag, 1, 0, 0xFFFF)});
    }
    try {
        return AsObject(Text::OpenTypeAtt::Make(std::move(features)));
    } catch (const std::invalid_argument& e) {
        in_.Fail(node, e.what());
    }
}

Counted<const Text::AttObject> AttributeReader::ReadOpticalAlignment(const Node& node) const {
    in_.ExpectArray(node);
    std::vector<Text::OpticalHang> hangs;
    for (size_t i = 0; i < node.value.size(); ++i) {
        const Node item = node.Item(i);
        in_.CheckFields(item, {"character", "left", "right"});
        hangs.push_back({Character(in_.Required(item, "character")), Ranged(item, "left", 0, -1, 1),
                         Ranged(item, "right", 0, -1, 1)});
    }
    return AsObject(Text::OpticalAlignmentAtt::Make(std::move(hangs)));
}

Counted<const Text::AttObject> AttributeReader::ReadColourEffect(const Node& node) const {
    in_.CheckFields(node, {"kind", "fill", "radius"});
    const Counted<const Render::FillDescriptor> fill =
        node.Has("fill") ? ReadFill(node.Field("fill")) : Counted<const Render::FillDescriptor>();
    return AsObject(Text::ColourEffectAtt::Make(StringT(in_.String(node, "kind", "glow")), fill,
                                                Ranged(node, "radius", 0, 0, 1000)));
}

Counted<const Text::AttObject> AttributeReader::ReadPalette(const Node& node) const {
    in_.CheckFields(node, {"index", "type", "entries"});
    const int32_t type =
        node.Has("type") ? Choice(node.Field("type"), {"default", "base", "custom"}) : 1;
    std::vector<Text::PaletteEntry> entries;
    if (node.Has("entries")) {
        const Node list = node.Field("entries");
        in_.ExpectArray(list);
        for (size_t i = 0; i < list.value.size(); ++i) {
            const Node item = list.Item(i);
            in_.CheckFields(item, {"index", "colour"});
            entries.push_back({in_.Integer(item, "index", 0, 0, 0xFFFF),
                               in_.Colour(in_.Required(item, "colour"))});
        }
    }
    return AsObject(Text::FontColourPaletteAtt::Make(in_.Integer(node, "index", 0, 0, 0xFFFF), type,
                                                     std::move(entries)));
}

} // namespace Cli

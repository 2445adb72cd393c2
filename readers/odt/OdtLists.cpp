// SPDX-License-Identifier: MIT
#include "readers/odt/OdtLists.h"

#include "host/text/AttributeIds.h"
#include "readers/common/SafeXml.h"

#include <algorithm>

namespace Readers::Odt {

namespace {

std::optional<Text::NumberFormat> FormatOf(std::string_view format) {
    if (format == "1")
        return Text::NumberFormat::Decimal;
    if (format == "a")
        return Text::NumberFormat::LowerAlpha;
    if (format == "A")
        return Text::NumberFormat::UpperAlpha;
    if (format == "i")
        return Text::NumberFormat::LowerRoman;
    if (format == "I")
        return Text::NumberFormat::UpperRoman;
    return std::nullopt;
}

// The bullet characters of symbol fonts that have a Unicode meaning of their own.
std::string BulletText(std::string_view bullet) {
    if (bullet.empty())
        return "\u2022";
    const auto c = static_cast<unsigned char>(bullet[0]);
    // Private-use symbol-font characters show as a plain bullet.
    if (bullet.starts_with("\xEF\x80") || bullet.starts_with("\xEF\x81") ||
        bullet.starts_with("\xEF\x82") || bullet.starts_with("\xEF\x83"))
        return "\u2022";
    const size_t length = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
    return std::string(bullet.substr(0, length));
}

} // namespace

OdtLists::Level OdtLists::LevelOf(const std::string& style, int level) const {
    Level out;
    pugi::xml_node definition;
    const pugi::xml_node list =
        style == kOutline ? styles_.OutlineStyle() : styles_.ListStyle(style);
    for (pugi::xml_node l = list.first_child(); l; l = l.next_sibling())
        if (Attr(l, "level").as_int() == level)
            definition = l;
    if (!definition)
        return out;
    const std::string_view kind = LocalName(definition);
    const pugi::xml_node properties = Child(definition, "list-level-properties");
    if (const pugi::xml_node alignment = Child(properties, "list-level-label-alignment")) {
        const std::string_view follow = AttrText(alignment, "label-followed-by");
        out.separator = follow == "space" ? " " : follow == "nothing" ? "" : "\t";
        const double left = Length(AttrText(alignment, "margin-left")).value_or(0);
        const double indent = Length(AttrText(alignment, "text-indent")).value_or(0);
        out.indents.Set(Text::ParaDouble::LeftIndent, std::clamp(left, -1e5, 1e5));
        out.indents.Set(Text::ParaDouble::FirstLineIndent, std::clamp(left + indent, -1e5, 1e5));
    } else if (properties) {
        const double before = Length(AttrText(properties, "space-before")).value_or(0);
        const double width = Length(AttrText(properties, "min-label-width")).value_or(0);
        out.indents.Set(Text::ParaDouble::LeftIndent, std::clamp(before + width, -1e5, 1e5));
        out.indents.Set(Text::ParaDouble::FirstLineIndent, std::clamp(before, -1e5, 1e5));
    }
    out.prefix = AttrText(definition, "num-prefix");
    out.suffix = AttrText(definition, "num-suffix");
    if (kind == "list-level-style-bullet" || kind == "list-level-style-image") {
        // A picture bullet shows as a plain one.
        out.type = Text::ListType::Bullet;
        out.bullet = kind == "list-level-style-image"
                         ? std::string("\u2022")
                         : BulletText(AttrText(definition, "bullet-char"));
        out.bullet = out.prefix + out.bullet + out.suffix;
        return out;
    }
    const auto format = FormatOf(AttrText(definition, "num-format"));
    if (!format) {
        // No number: what stands around it, if anything, is the label.
        if (!out.prefix.empty() || !out.suffix.empty()) {
            out.type = Text::ListType::Bullet;
            out.bullet = out.prefix + out.suffix;
        }
        return out;
    }
    out.type = Text::ListType::Numbered;
    out.format = *format;
    out.displayLevels = std::clamp(Attr(definition, "display-levels").as_int(1), 1, level);
    out.start = std::clamp(Attr(definition, "start-value").as_int(1), 0, 1000000);
    return out;
}

void OdtLists::StartList(pugi::xml_node list, const std::string& style) {
    std::shared_ptr<Counters> counters;
    if (const std::string_view other = AttrText(list, "continue-list"); !other.empty())
        if (const auto it = byId_.find(other); it != byId_.end())
            counters = it->second;
    if (!counters && AttrText(list, "continue-numbering") == "true") {
        const auto it = lastOfStyle_.find(style);
        counters = it != lastOfStyle_.end() ? it->second : last_;
    }
    if (!counters)
        counters = std::make_shared<Counters>();
    if (const std::string_view id = AttrText(list, "id"); !id.empty())
        byId_[std::string(id)] = counters;
    lastOfStyle_[style] = counters;
    last_ = counters;
    current_ = counters;
}

std::optional<ListLabel> OdtLists::Next(const std::string& style, int level,
                                        std::optional<int> start) {
    if (!current_)
        current_ = std::make_shared<Counters>();
    return Count(style, *current_, level, start);
}

std::optional<ListLabel> OdtLists::NextHeading(int level, std::optional<int> start) {
    return Count(std::string(kOutline), outline_, level, start);
}

std::optional<ListLabel> OdtLists::Count(const std::string& style, Counters& c, int level,
                                         std::optional<int> start) {
    level = std::clamp(level, 1, kLevels);
    const Level def = LevelOf(style, level);
    if (def.type == Text::ListType::None)
        return std::nullopt;
    ListLabel label;
    label.indents = def.indents;
    label.settings.type = def.type;
    label.settings.level = std::min(level - 1, Text::ListAtt::kMaxLevel);
    if (def.type == Text::ListType::Bullet) {
        label.settings.bullet = Text::GlyphString(def.bullet + def.separator);
        label.text = def.bullet;
        return label;
    }
    const auto index = static_cast<size_t>(level);
    c.value[index] = start              ? std::clamp(*start, 0, 1000000)
                     : c.started[index] ? c.value[index] + 1
                                        : def.start;
    c.started[index] = true;
    for (size_t deeper = index + 1; deeper <= kLevels; ++deeper)
        c.started[deeper] = false;
    label.number = c.value[index];
    // Shown parent levels: their own numbers in their own formats.
    std::string parents;
    for (int l = level - def.displayLevels + 1; l < level; ++l) {
        const Level parent = LevelOf(style, l);
        const auto at = static_cast<size_t>(l);
        const int n = c.started[at] ? c.value[at] : parent.start;
        parents += Text::FormatNumber(n, parent.format).str() + ".";
    }
    label.settings.format = def.format;
    label.settings.prefix = Text::GlyphString(def.prefix + parents);
    label.settings.suffix = Text::GlyphString(def.suffix + def.separator);
    label.text =
        def.prefix + parents + Text::FormatNumber(label.number, def.format).str() + def.suffix;
    return label;
}

Text::AttributeSet OdtLists::Indents(const std::string& style, int level) const {
    return LevelOf(style, std::clamp(level, 1, kLevels)).indents;
}

} // namespace Readers::Odt

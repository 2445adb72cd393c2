// SPDX-License-Identifier: MIT
#include "readers/docx/Numbering.h"

#include "host/foundation/StringT.h"

#include <algorithm>

namespace Readers::Docx {

namespace {

constexpr int kLevels = 9;

std::string Roman(int n, bool upper) {
    static const std::pair<int, const char*> table[] = {
        {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
        {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},    {4, "iv"},  {1, "i"}};
    if (n <= 0 || n > 3999)
        return std::to_string(n);
    std::string out;
    for (const auto& [value, digits] : table)
        for (; n >= value; n -= value)
            out += digits;
    if (upper)
        std::transform(out.begin(), out.end(), out.begin(),
                       [](char c) { return static_cast<char>(c - 'a' + 'A'); });
    return out;
}

// Word repeats the letter past Z: 27 is AA, 28 is BB.
std::string Letters(int n, bool upper) {
    if (n <= 0)
        return std::to_string(n);
    const char letter = static_cast<char>((upper ? 'A' : 'a') + (n - 1) % 26);
    return std::string(static_cast<size_t>(std::min((n - 1) / 26 + 1, 100)), letter);
}

std::string Ordinal(int n) {
    const int tens = n % 100;
    const int units = n % 10;
    const char* suffix = tens >= 11 && tens <= 13 ? "th"
                         : units == 1             ? "st"
                         : units == 2             ? "nd"
                         : units == 3             ? "rd"
                                                  : "th";
    return std::to_string(n) + suffix;
}

void AppendUtf8(std::string& out, char32_t c) {
    out += Foundation::StringT::FromCodePoint(c).str();
}

} // namespace

std::string UnicodeBullet(std::string_view text, std::string_view font) {
    const std::u32string chars = Foundation::StringT(text).ToUTF32();
    if (chars.size() != 1)
        return std::string(text);
    char32_t c = chars[0];
    const bool symbolFont = font == "Symbol" || font.starts_with("Wingdings") || font == "Webdings";
    if (c >= 0xF000 && c <= 0xF0FF)
        c -= 0xF000;
    else if (!symbolFont) {
        if (c == U'o' && (font == "Courier New" || font.empty()))
            return "\u25E6";
        return std::string(text);
    }
    static const std::pair<char32_t, char32_t> symbols[] = {
        {0xB7, U'\u2022'}, {0xA7, U'\u25AA'}, {0xD8, U'\u27A2'}, {0xFC, U'\u2713'},
        {0x76, U'\u2756'}, {0x6E, U'\u25A0'}, {0x71, U'\u2751'}, {0xA8, U'\u25FB'},
        {0x6C, U'\u25CF'}, {0x77, U'\u25C6'}, {0x2D, U'\u2013'}, {0x3E, U'\u203A'}};
    std::string out;
    for (const auto& [from, to] : symbols)
        if (c == from) {
            AppendUtf8(out, to);
            return out;
        }
    return "\u2022";
}

Numbering::Numbering(std::unique_ptr<XmlPart> part) : part_(std::move(part)) {
    if (!part_)
        return;
    for (pugi::xml_node n = part_->Root().first_child(); n; n = n.next_sibling()) {
        if (Is(n, "abstractNum")) {
            abstracts_.emplace(std::string(AttrText(n, "abstractNumId")), n);
        } else if (Is(n, "num")) {
            Instance instance;
            instance.abstractId = ChildVal(n, "abstractNumId").value_or("");
            for (pugi::xml_node o = n.first_child(); o; o = o.next_sibling()) {
                if (!Is(o, "lvlOverride"))
                    continue;
                const int level =
                    static_cast<int>(std::clamp(NumberAttr(o, "ilvl").value_or(0), -1.0, 9.0));
                if (const auto start = NumberAttr(Child(o, "startOverride"), "val"))
                    instance.startOverrides[level] =
                        static_cast<int>(std::clamp(*start, -1e9, 1e9));
                if (const pugi::xml_node lvl = Child(o, "lvl"))
                    instance.levelOverrides[level] = lvl;
            }
            instances_.emplace(std::string(AttrText(n, "numId")), std::move(instance));
        }
    }
}

Numbering::Level Numbering::LevelOf(const Instance& instance, int level) const {
    pugi::xml_node node;
    if (const auto o = instance.levelOverrides.find(level); o != instance.levelOverrides.end())
        node = o->second;
    if (!node) {
        const auto a = abstracts_.find(instance.abstractId);
        if (a != abstracts_.end())
            for (pugi::xml_node l = a->second.first_child(); l; l = l.next_sibling())
                if (Is(l, "lvl") && NumberAttr(l, "ilvl").value_or(-1) == level) {
                    node = l;
                    break;
                }
    }
    Level out;
    out.node = node;
    if (!node)
        return out;
    out.start = static_cast<int>(
        std::clamp(NumberAttr(Child(node, "start"), "val").value_or(1), -1e9, 1e9));
    out.format = ChildVal(node, "numFmt").value_or("decimal");
    out.text = ChildVal(node, "lvlText").value_or("");
    out.suffix = ChildVal(node, "suff").value_or("tab");
    out.font = AttrText(Child(Child(node, "rPr"), "rFonts"), "ascii");
    if (const auto restart = NumberAttr(Child(node, "lvlRestart"), "val"))
        out.restartAfter = static_cast<int>(std::clamp(*restart, -1.0, 10.0));
    out.legal = OnOff(node, "isLgl").value_or(false);
    return out;
}

std::string Numbering::Format(int n, const Level& level, bool legal) const {
    const std::string& f = legal ? std::string("decimal") : level.format;
    if (f == "upperRoman")
        return Roman(n, true);
    if (f == "lowerRoman")
        return Roman(n, false);
    if (f == "upperLetter")
        return Letters(n, true);
    if (f == "lowerLetter")
        return Letters(n, false);
    if (f == "ordinal")
        return Ordinal(n);
    if (f == "decimalZero")
        return (n >= 0 && n < 10 ? "0" : "") + std::to_string(n);
    if (f == "none")
        return {};
    return std::to_string(n);
}

std::optional<ListLabel> Numbering::Next(std::string_view numId, int level) {
    const auto it = instances_.find(numId);
    if (it == instances_.end() || numId == "0")
        return std::nullopt;
    Instance& instance = it->second;
    level = std::clamp(level, 0, kLevels - 1);
    const Level lvl = LevelOf(instance, level);
    if (!lvl.node)
        return std::nullopt;
    // Instances of one definition share their counters unless they restart it.
    const bool own = !instance.startOverrides.empty();
    Counters& counters = counters_[own ? "#" + std::string(numId) : instance.abstractId];
    if (own && !instance.used) {
        counters = {};
        for (const auto& [l, start] : instance.startOverrides)
            if (l >= 0 && l < kLevels) {
                counters.value[static_cast<size_t>(l)] = start - 1;
                counters.started[static_cast<size_t>(l)] = true;
            }
    }
    instance.used = true;
    const auto at = static_cast<size_t>(level);
    if (!counters.started[at]) {
        counters.value[at] = lvl.start;
        counters.started[at] = true;
    } else {
        ++counters.value[at];
    }
    for (int deeper = level + 1; deeper < kLevels; ++deeper) {
        const Level d = LevelOf(instance, deeper);
        if (d.restartAfter != 0 && (d.restartAfter < 0 || d.restartAfter - 1 <= level))
            counters.started[static_cast<size_t>(deeper)] = false;
    }

    ListLabel label;
    label.level = level;
    label.number = counters.value[at];
    label.paragraphProperties = Child(lvl.node, "pPr");
    const std::string separator = lvl.suffix == "space" ? " " : lvl.suffix == "nothing" ? "" : "\t";
    if (lvl.format == "bullet") {
        label.type = Text::ListType::Bullet;
        label.bullet = UnicodeBullet(lvl.text, lvl.font) + separator;
        label.text = label.bullet;
        return label;
    }
    label.type = lvl.format == "none" && lvl.text.find('%') == std::string::npos
                     ? Text::ListType::Bullet
                     : Text::ListType::Numbered;
    // "%1.%2." at level 1: the parent numbers and text before "%2" are the prefix.
    const std::string own_ = "%" + std::to_string(level + 1);
    const size_t ownAt = lvl.text.find(own_);
    const auto expand = [&](std::string_view text) {
        std::string out;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
                const int l = text[i + 1] - '1';
                const int value = counters.started[static_cast<size_t>(l)]
                                      ? counters.value[static_cast<size_t>(l)]
                                      : LevelOf(instance, l).start;
                out +=
                    Format(value, l == level ? lvl : LevelOf(instance, l), lvl.legal && l != level);
                ++i;
                continue;
            }
            out += text[i];
        }
        return out;
    };
    label.text = expand(lvl.text) + separator;
    if (label.type == Text::ListType::Bullet) {
        label.bullet = label.text;
        return label;
    }
    if (ownAt == std::string::npos) {
        // No number of its own ("%1." on a second level): the label is fixed text.
        label.type = Text::ListType::Bullet;
        label.bullet = label.text;
        return label;
    }
    const std::string& f = lvl.format;
    label.prefix = expand(std::string_view(lvl.text).substr(0, ownAt));
    label.suffix = expand(std::string_view(lvl.text).substr(ownAt + own_.size())) + separator;
    label.format = f == "upperRoman"    ? Text::NumberFormat::UpperRoman
                   : f == "lowerRoman"  ? Text::NumberFormat::LowerRoman
                   : f == "upperLetter" ? Text::NumberFormat::UpperAlpha
                   : f == "lowerLetter" ? Text::NumberFormat::LowerAlpha
                   : f == "decimalZero" ? Text::NumberFormat::TwoDigits
                                        : Text::NumberFormat::Decimal;
    return label;
}

} // namespace Readers::Docx

// SPDX-License-Identifier: MIT
#include "readers/docx/Theme.h"

#include "readers/docx/XmlPart.h"

#include <charconv>

namespace Readers::Docx {

std::optional<uint32_t> HexColour(std::string_view text) {
    if (text.size() != 6)
        return std::nullopt;
    uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + 6, value, 16);
    if (error != std::errc() || end != text.data() + 6)
        return std::nullopt;
    return value;
}

Theme::Theme(const XmlPart& part) {
    const pugi::xml_node elements = Child(part.Root(), "themeElements");
    const pugi::xml_node fonts = Child(elements, "fontScheme");
    const auto read = [](pugi::xml_node group, std::string& latin, std::string& eastAsia,
                         std::string& cs) {
        latin = AttrText(Child(group, "latin"), "typeface");
        eastAsia = AttrText(Child(group, "ea"), "typeface");
        cs = AttrText(Child(group, "cs"), "typeface");
    };
    read(Child(fonts, "majorFont"), majorLatin_, majorEastAsia_, majorCs_);
    read(Child(fonts, "minorFont"), minorLatin_, minorEastAsia_, minorCs_);
    for (pugi::xml_node c = Child(elements, "clrScheme").first_child(); c; c = c.next_sibling()) {
        const pugi::xml_node value = c.first_child();
        std::optional<uint32_t> rgb;
        if (Is(value, "srgbClr"))
            rgb = HexColour(AttrText(value, "val"));
        else if (Is(value, "sysClr"))
            rgb = HexColour(AttrText(value, "lastClr"));
        if (rgb)
            colours_.emplace(std::string(LocalName(c)), *rgb);
    }
}

std::string Theme::Font(std::string_view themeFont) const {
    const bool major = themeFont.starts_with("major");
    if (themeFont.ends_with("EastAsia"))
        return major ? majorEastAsia_ : minorEastAsia_;
    if (themeFont.ends_with("Bidi"))
        return major ? majorCs_ : minorCs_;
    return major ? majorLatin_ : minorLatin_;
}

std::optional<uint32_t> Theme::Colour(std::string_view name) const {
    static const std::map<std::string_view, std::string_view> aliases{
        {"dark1", "dk1"},       {"light1", "lt1"},
        {"dark2", "dk2"},       {"light2", "lt2"},
        {"text1", "dk1"},       {"background1", "lt1"},
        {"text2", "dk2"},       {"background2", "lt2"},
        {"hyperlink", "hlink"}, {"followedHyperlink", "folHlink"}};
    const auto alias = aliases.find(name);
    const auto it = colours_.find(alias == aliases.end() ? name : alias->second);
    if (it == colours_.end())
        return std::nullopt;
    return it->second;
}

} // namespace Readers::Docx

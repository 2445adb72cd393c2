// SPDX-License-Identifier: MIT
#include "readers/docx/XmlPart.h"

#include <charconv>
#include <cmath>

namespace Readers::Docx {

std::optional<std::string_view> ChildVal(pugi::xml_node node, std::string_view local) {
    const pugi::xml_node c = Child(node, local);
    if (!c)
        return std::nullopt;
    return AttrText(c, "val");
}

std::optional<bool> OnOff(pugi::xml_node node, std::string_view local) {
    const pugi::xml_node c = Child(node, local);
    if (!c)
        return std::nullopt;
    const pugi::xml_attribute val = Attr(c, "val");
    if (!val)
        return true;
    const std::string_view v = val.value();
    return !(v == "0" || v == "false" || v == "off" || v == "none");
}

std::optional<double> Number(std::string_view text, double perPoint) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || !std::isfinite(value))
        return std::nullopt;
    const std::string_view unit(end, static_cast<size_t>(text.data() + text.size() - end));
    if (unit.empty())
        return value;
    double points = 0;
    if (unit == "pt")
        points = value;
    else if (unit == "in")
        points = value * 72;
    else if (unit == "cm")
        points = value * 72 / 2.54;
    else if (unit == "mm")
        points = value * 72 / 25.4;
    else if (unit == "pc" || unit == "pi")
        points = value * 12;
    else if (unit == "%")
        return value;
    else
        return std::nullopt;
    return points * perPoint;
}

std::optional<double> NumberAttr(pugi::xml_node node, std::string_view local, double perPoint) {
    const pugi::xml_attribute a = Attr(node, local);
    if (!a)
        return std::nullopt;
    return Number(a.value(), perPoint);
}

} // namespace Readers::Docx

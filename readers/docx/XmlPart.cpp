// SPDX-License-Identifier: MIT
#include "readers/docx/XmlPart.h"

#include "host/foundation/StringT.h"
#include "readers/common/ReaderDocument.h"
#include "readers/docx/Package.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace Readers::Docx {

namespace {

// Skips the XML declaration, processing instructions, comments and white space before the root;
// true when a document type declaration comes first.
bool HasDoctype(std::string_view text) {
    size_t at = 0;
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        at = 3;
    while (at < text.size()) {
        const char c = text[at];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++at;
            continue;
        }
        if (text.substr(at, 4) == "<!--") {
            const size_t end = text.find("-->", at + 4);
            if (end == std::string_view::npos)
                return false;
            at = end + 3;
            continue;
        }
        if (text.substr(at, 2) == "<?") {
            const size_t end = text.find("?>", at + 2);
            if (end == std::string_view::npos)
                return false;
            at = end + 2;
            continue;
        }
        return text.substr(at, 9) == "<!DOCTYPE";
    }
    return false;
}

// UTF-16 parts: a DTD there is refused by pugixml's own conversion below, as it comes out
// UTF-8; look for it after the conversion.
bool LooksUtf16(std::string_view text) {
    return text.size() >= 2 &&
           ((text[0] == '\xFF' && text[1] == '\xFE') || (text[0] == '\xFE' && text[1] == '\xFF'));
}

} // namespace

size_t LineAt(std::string_view text, size_t offset) {
    offset = std::min(offset, text.size());
    return static_cast<size_t>(
               std::count(text.begin(), text.begin() + static_cast<ptrdiff_t>(offset), '\n')) +
           1;
}

void CheckProlog(Package& package, const std::string& part, std::string& text) {
    if (LooksUtf16(text)) {
        // Word writes UTF-8; the odd UTF-16 part is turned into it so one path reads both.
        const bool little = text[0] == '\xFF';
        std::u32string chars;
        for (size_t i = 2; i + 1 < text.size(); i += 2) {
            const auto unit = [&](size_t at) -> char32_t {
                const auto a = static_cast<uint8_t>(text[at]),
                           b = static_cast<uint8_t>(text[at + 1]);
                return little ? char32_t(a | b << 8) : char32_t(b | a << 8);
            };
            char32_t c = unit(i);
            if (c >= 0xD800 && c < 0xDC00 && i + 3 < text.size()) {
                const char32_t low = unit(i + 2);
                if (low >= 0xDC00 && low < 0xE000) {
                    c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                    i += 2;
                }
            }
            chars += c >= 0xD800 && c < 0xE000 ? U'\uFFFD' : c;
        }
        text = Foundation::StringT::FromUTF32(chars).str();
    }
    CheckDoctype(package, part, text);
}

bool IsUtf16(std::string_view text) {
    return LooksUtf16(text);
}

void CheckDoctype(Package& package, const std::string& part, std::string_view text) {
    if (HasDoctype(text))
        package.Fail(part, "XML with a document type declaration (DTD) is refused: its "
                           "entities are never resolved");
}

XmlPart::XmlPart(Package& package, std::string part)
    : part_(std::move(part)), text_(package.Read(part_)),
      document_(std::make_unique<pugi::xml_document>()) {
    CheckProlog(package, part_, text_);
    const pugi::xml_parse_result result = document_->load_buffer_inplace(
        text_.data(), text_.size(), kParseOptions, pugi::encoding_utf8);
    if (!result)
        package.Fail(part_ + ":" +
                         std::to_string(LineAt(text_, static_cast<size_t>(result.offset))),
                     std::string("malformed XML: ") + result.description());
    for (pugi::xml_node node = document_->first_child(); node; node = node.next_sibling())
        if (node.type() == pugi::node_doctype)
            package.Fail(part_, "XML with a document type declaration (DTD) is refused: its "
                                "entities are never resolved");
    if (!document_->document_element())
        package.Fail(part_, "an XML part without a root element");
}

std::string XmlPart::Where(pugi::xml_node node) const {
    const ptrdiff_t offset = node.offset_debug();
    return offset < 0 ? part_
                      : part_ + ":" + std::to_string(LineAt(text_, static_cast<size_t>(offset)));
}

pugi::xml_node Child(pugi::xml_node node, std::string_view local) {
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
        if (Is(c, local))
            return c;
    return {};
}

pugi::xml_attribute Attr(pugi::xml_node node, std::string_view local) {
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute())
        if (LocalName(a.name()) == local)
            return a;
    return {};
}

std::string_view AttrText(pugi::xml_node node, std::string_view local) {
    const pugi::xml_attribute a = Attr(node, local);
    return a ? std::string_view(a.value()) : std::string_view();
}

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

#include "readers/docx/XmlPart.h"

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

size_t LineAt(std::string_view text, size_t offset) {
    offset = std::min(offset, text.size());
    return static_cast<size_t>(
               std::count(text.begin(), text.begin() + static_cast<ptrdiff_t>(offset), '\n')) +
           1;
}

} // namespace

XmlPart::XmlPart(Package& package, std::string part)
    : part_(std::move(part)), text_(package.Read(part_)),
      document_(std::make_unique<pugi::xml_document>()) {
    const bool utf16 = LooksUtf16(text_);
    if (!utf16 && HasDoctype(text_))
        package.Fail(part_, "XML with a document type declaration (DTD) is refused: its "
                            "entities are never resolved");
    // Whitespace-only text counts: a run of one space is a word space.
    const unsigned options = pugi::parse_default | pugi::parse_ws_pcdata | pugi::parse_doctype;
    const pugi::xml_parse_result result =
        document_->load_buffer_inplace(text_.data(), text_.size(), options);
    if (!result) {
        const std::string where =
            utf16 ? part_
                  : part_ + ":" + std::to_string(LineAt(text_, static_cast<size_t>(result.offset)));
        package.Fail(where, std::string("malformed XML: ") + result.description());
    }
    for (pugi::xml_node node = document_->first_child(); node; node = node.next_sibling())
        if (node.type() == pugi::node_doctype)
            package.Fail(part_, "XML with a document type declaration (DTD) is refused: its "
                                "entities are never resolved");
    if (!document_->document_element())
        package.Fail(part_, "an XML part without a root element");
}

size_t XmlPart::LineOf(pugi::xml_node node) const {
    const ptrdiff_t offset = node.offset_debug();
    if (offset < 0)
        return 0;
    return LineAt(text_, static_cast<size_t>(offset));
}

std::string XmlPart::Where(pugi::xml_node node) const {
    const size_t line = LineOf(node);
    return line ? part_ + ":" + std::to_string(line) : part_;
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

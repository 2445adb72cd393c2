// SPDX-License-Identifier: MIT
#include "readers/common/SafeXml.h"

#include "host/foundation/StringT.h"
#include "readers/common/ReaderDocument.h"
#include "readers/common/ZipPackage.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace Readers {

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

void CheckProlog(std::string_view source, const std::string& part, std::string& text) {
    if (LooksUtf16(text)) {
        // Office suites write UTF-8; the odd UTF-16 part is turned into it so one path reads both.
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
    CheckDoctype(source, part, text);
}

bool IsUtf16(std::string_view text) {
    return LooksUtf16(text);
}

void CheckDoctype(std::string_view source, const std::string& part, std::string_view text) {
    if (HasDoctype(text))
        FailAt(source, part,
               "XML with a document type declaration (DTD) is refused: its "
               "entities are never resolved");
}

XmlPart::XmlPart(Package& package, std::string part)
    : part_(std::move(part)), text_(package.Read(part_)),
      document_(std::make_unique<pugi::xml_document>()) {
    Parse(package.Source());
}

XmlPart::XmlPart(std::string_view source, std::string part, std::string text)
    : part_(std::move(part)), text_(std::move(text)),
      document_(std::make_unique<pugi::xml_document>()) {
    Parse(source);
}

void XmlPart::Parse(std::string_view source) {
    CheckProlog(source, part_, text_);
    const pugi::xml_parse_result result = document_->load_buffer_inplace(
        text_.data(), text_.size(), kParseOptions, pugi::encoding_utf8);
    if (!result)
        FailAt(source, PartLine(part_, LineAt(text_, static_cast<size_t>(result.offset))),
               std::string("malformed XML: ") + result.description());
    for (pugi::xml_node node = document_->first_child(); node; node = node.next_sibling())
        if (node.type() == pugi::node_doctype)
            FailAt(source, part_,
                   "XML with a document type declaration (DTD) is refused: its entities are "
                   "never resolved");
    if (!document_->document_element())
        FailAt(source, part_, "an XML part without a root element");
}

std::string XmlPart::Where(pugi::xml_node node) const {
    const ptrdiff_t offset = node.offset_debug();
    return offset < 0 ? part_ : PartLine(part_, LineAt(text_, static_cast<size_t>(offset)));
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

void CheckUtf8(std::string_view source, const std::string& part, std::string_view text) {
    if (IsUtf16(text))
        return;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const size_t size = text.size();
    for (size_t i = 0; i < size;) {
        // ASCII eight bytes at a time: most text is.
        if (i + 8 <= size) {
            uint64_t word;
            std::memcpy(&word, bytes + i, 8);
            if ((word & 0x8080808080808080ull) == 0) {
                i += 8;
                continue;
            }
        }
        const unsigned char c = bytes[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
        bool valid = length > 0 && c <= 0xF4 && i + length <= size;
        for (size_t k = 1; valid && k < length; ++k)
            valid = (bytes[i + k] & 0xC0) == 0x80;
        // Overlong forms, surrogates and code points beyond U+10FFFF.
        if (valid && length == 3)
            valid = !(c == 0xE0 && bytes[i + 1] < 0xA0) && !(c == 0xED && bytes[i + 1] >= 0xA0);
        if (valid && length == 4)
            valid = !(c == 0xF0 && bytes[i + 1] < 0x90) && !(c == 0xF4 && bytes[i + 1] >= 0x90);
        if (!valid)
            FailAt(source, PartLine(part, LineAt(text, i)),
                   "not UTF-8 text (an invalid byte sequence)");
        i += length;
    }
}

void FailAt(std::string_view source, std::string_view where, std::string_view problem) {
    std::string message(source);
    if (where.starts_with(':'))
        message += where;
    else if (!where.empty())
        message += ": " + std::string(where);
    throw InputError(message + ": " + std::string(problem));
}

std::string PartLine(const std::string& part, size_t line) {
    return part + ":" + std::to_string(line);
}

} // namespace Readers

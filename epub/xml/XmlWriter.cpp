// SPDX-License-Identifier: MIT
#include "epub/xml/XmlWriter.h"

#include "epub/xml/TextEncoding.h"

namespace EPub {

XmlWriter& XmlWriter::Declare(Declaration declaration) {
    switch (declaration) {
    case Declaration::Plain:
        out_ += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
        break;
    case Declaration::Standalone:
        out_ += "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
        break;
    case Declaration::NotStandalone:
        out_ += "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n";
        break;
    case Declaration::StandaloneSingle:
        out_ += "<?xml version='1.0' encoding='utf-8' standalone='yes'?>\n";
        break;
    case Declaration::NotStandaloneSingle:
        out_ += "<?xml version='1.0' encoding='utf-8' standalone='no'?>\n";
        break;
    }
    return *this;
}

XmlWriter& XmlWriter::Doctype() {
    out_ += "<!DOCTYPE html>\n";
    return *this;
}

XmlWriter& XmlWriter::Open(std::string_view name) {
    out_ += '<';
    out_ += name;
    return *this;
}

XmlWriter& XmlWriter::Attribute(std::string_view name, std::string_view value) {
    out_ += ' ';
    out_ += name;
    out_ += "=\"";
    AppendXMLEncoded(out_, value);
    out_ += '"';
    return *this;
}

XmlWriter& XmlWriter::Link(std::string_view name, std::string_view url) {
    // The encoder escapes "&" and "'" itself and leaves no control standing.
    out_ += ' ';
    out_ += name;
    out_ += "=\"";
    out_ += LinkEncode(url).view();
    out_ += '"';
    return *this;
}

XmlWriter& XmlWriter::Path(std::string_view name, std::string_view path,
                           std::string_view fragment) {
    out_ += ' ';
    out_ += name;
    out_ += "=\"";
    out_ += HrefText(path).view();
    if (!fragment.empty()) {
        out_ += '#';
        AppendXMLEncoded(out_, fragment);
    }
    out_ += '"';
    return *this;
}

XmlWriter& XmlWriter::Url(std::string_view name, std::string_view url) {
    out_ += ' ';
    out_ += name;
    out_ += "=\"";
    out_ += URLEncode(url).view();
    out_ += '"';
    return *this;
}

XmlWriter& XmlWriter::Close() {
    out_ += '>';
    return *this;
}

XmlWriter& XmlWriter::CloseEmpty(bool spaced) {
    out_ += spaced ? " />" : "/>";
    return *this;
}

XmlWriter& XmlWriter::End(std::string_view name) {
    out_ += "</";
    out_ += name;
    out_ += '>';
    return *this;
}

XmlWriter& XmlWriter::Text(std::string_view text) {
    AppendXMLEncoded(out_, text);
    return *this;
}

XmlWriter& XmlWriter::Char(char32_t c) {
    AppendXMLChar(out_, c);
    return *this;
}

XmlWriter& XmlWriter::Element(std::string_view name, std::string_view text) {
    return Open(name).Close().Text(text).End(name);
}

XmlWriter& XmlWriter::Space(std::string_view whitespace) {
    out_ += whitespace;
    return *this;
}

XmlWriter& XmlWriter::Fragment(std::string_view markup) {
    out_ += markup;
    return *this;
}

} // namespace EPub

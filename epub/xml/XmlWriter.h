// SPDX-License-Identifier: MIT
#pragma once
// The one way markup is made. Element and attribute names are the caller's own constants; every
// text and attribute value goes through an encoder, so whatever a host or a document passes in,
// the result is well-formed: markup characters are escaped and what XML 1.0 cannot hold at all is
// dropped. Documents keep their exact bytes (quote style of the declaration, " />" or "/>"), so
// each writer says which it wants.

#include "host/foundation/Stream.h"
#include "host/foundation/StringT.h"

#include <concepts>
#include <string>
#include <string_view>
#include <utility>

namespace EPub {

class XmlWriter {
public:
    enum class Declaration {
        Plain,               // <?xml version="1.0" encoding="UTF-8"?>
        Standalone,          // <?xml version="1.0" encoding="UTF-8" standalone="yes"?>
        NotStandalone,       // the same with standalone="no"
        StandaloneSingle,    // <?xml version='1.0' encoding='utf-8' standalone='yes'?>
        NotStandaloneSingle, // the same with standalone='no'
    };

    XmlWriter() = default;

    // The XML declaration and a line feed.
    XmlWriter& Declare(Declaration declaration);
    // "<!DOCTYPE html>" and a line feed.
    XmlWriter& Doctype();

    // "<name"; attributes follow, then Close, CloseEmpty or Text.
    XmlWriter& Open(std::string_view name);
    // ` name="value"` with the value escaped.
    XmlWriter& Attribute(std::string_view name, std::string_view value);
    XmlWriter& Attribute(std::string_view name, const Foundation::StringT& value) {
        return Attribute(name, value.view());
    }
    XmlWriter& Attribute(std::string_view name, const std::string& value) {
        return Attribute(name, std::string_view(value));
    }
    XmlWriter& Attribute(std::string_view name, const char* value) {
        return Attribute(name, std::string_view(value));
    }
    template <std::integral I> XmlWriter& Attribute(std::string_view name, I value) {
        return Attribute(name, std::string_view(std::to_string(value)));
    }
    // A link as an attribute: escaped as LinkEncode does (percent groups, an ASCII host name).
    XmlWriter& Link(std::string_view name, std::string_view url);
    // A path inside the publication as an attribute, escaped as HrefText does, with an optional
    // fragment ("#id") after it.
    XmlWriter& Path(std::string_view name, std::string_view path, std::string_view fragment = {});
    // A path that may already hold percent groups, escaped as URLEncode does.
    XmlWriter& Url(std::string_view name, std::string_view url);
    // ">" ends the start tag.
    XmlWriter& Close();
    // "/>", or " />" when `spaced`, ends an element without content.
    XmlWriter& CloseEmpty(bool spaced = false);
    // "</name>".
    XmlWriter& End(std::string_view name);

    // Element content, escaped.
    XmlWriter& Text(std::string_view text);
    XmlWriter& Text(const Foundation::StringT& text) { return Text(text.view()); }
    XmlWriter& Text(const std::string& text) { return Text(std::string_view(text)); }
    XmlWriter& Text(const char* text) { return Text(std::string_view(text)); }
    // One character of element content, escaped or dropped as Text does.
    XmlWriter& Char(char32_t c);
    // <name>text</name>.
    XmlWriter& Element(std::string_view name, std::string_view text);
    // Line feeds and indentation between elements.
    XmlWriter& Space(std::string_view whitespace);
    // Markup that an XmlWriter made earlier (a fragment kept aside until its place is known).
    XmlWriter& Fragment(std::string_view markup);

    // Writes what was made so far to `out` and starts afresh; false when `out` took less.
    bool Flush(Foundation::OutStream& out) { return out.Write(Take()); }

    std::string_view View() const noexcept { return out_; }
    std::string Take() noexcept { return std::exchange(out_, {}); }
    bool Empty() const noexcept { return out_.empty(); }

private:
    std::string out_;
};

} // namespace EPub

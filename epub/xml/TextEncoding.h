// SPDX-License-Identifier: MIT
#pragma once
// The text encoders of all generated markup; XmlWriter applies them.

#include "host/foundation/StringT.h"

#include <string>
#include <string_view>

namespace EPub {

using Foundation::StringT;

// Characters XML 1.0 cannot hold at all, not even as references.
constexpr bool IsXmlForbidden(char32_t c) {
    return (c < 0x20 && c != U'\t' && c != U'\n' && c != U'\r') || (c >= 0xD800 && c < 0xE000) ||
           c == 0xFFFE || c == 0xFFFF || c > 0x10FFFF;
}

// Escapes text for attribute values and element content: the five markup characters become
// entity references. What XML cannot hold is dropped: NUL and the other C0 controls except tab,
// line feed and carriage return, surrogates, U+FFFE and U+FFFF, and bytes that are not UTF-8.
StringT XMLEncode(std::string_view text);
void AppendXMLEncoded(StringT& out, std::string_view text);
void AppendXMLEncoded(std::string& out, std::string_view text);
// What XML 1.0 cannot hold dropped, as XMLEncode does, and nothing escaped.
StringT DropXmlIllegal(std::string_view text);
// True when nothing but white space is left once what XML cannot hold is dropped: such a text
// would make an empty element, which package metadata and navigation links may not be.
bool BlankText(std::string_view text);
// One character of element content, escaped as XMLEncode does.
void AppendXMLChar(std::string& out, char32_t c);
// The same into a buffer with room for kMaxXMLChar bytes; returns the end of what it wrote.
inline constexpr size_t kMaxXMLChar = 6;
char* WriteXMLChar(char* at, char32_t c) noexcept;

// Escapes a link path: controls, DEL, non-ASCII bytes and the characters that may not stand in a
// URL become lower-case percent groups; "&" and "'" become entity references (the result goes
// into an attribute); a backslash becomes a slash. A percent sign is left alone, so an encoded
// path is not encoded twice.
StringT URLEncode(std::string_view text);
// A link: escaped as URLEncode does, except that an internationalised host name takes its ASCII
// form ("http://ünï.example/" becomes "http://xn--n-nga1b.example/"); a percent-escaped host is no
// host name to a reader.
StringT LinkEncode(std::string_view url);
// A path inside the publication as a URL: bytes that may not stand in a URL path (spaces,
// controls, non-ASCII, "#", "?", "%"...) become upper-case percent groups, "&" and "'" entity
// references.
StringT HrefText(std::string_view path);

// The path that leads from the document `from` to `to`, both relative to the same root
// ("sub/b.xhtml" to "css/styles.css" gives "../css/styles.css"; to "sub/c.xhtml", "c.xhtml").
StringT RelativePath(std::string_view from, std::string_view to);

} // namespace EPub

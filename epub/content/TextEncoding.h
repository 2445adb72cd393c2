#pragma once
// The two text encoders of all generated markup.

#include "host/foundation/StringT.h"

#include <string_view>

namespace EPub {

using Foundation::StringT;

// Escapes text for attribute values and element content: the five markup characters become
// entity references and the C0 controls that XML 1.0 cannot hold as characters become numeric
// references ("&#1;"). NUL, tab, line feed, carriage return and every byte from 64 up pass.
StringT XMLEncode(std::string_view text);
void AppendXMLEncoded(StringT& out, std::string_view text);

// Escapes a link path: controls, DEL, non-ASCII bytes and the characters that may not stand in a
// URL become lower-case percent groups; "&" and "'" become entity references (the result goes
// into an attribute); a backslash becomes a slash. A percent sign is left alone, so an encoded
// path is not encoded twice.
StringT URLEncode(std::string_view text);

} // namespace EPub

#pragma once
// What the names a document gives must look like to be written into XHTML and CSS unescaped.

#include <string>
#include <string_view>

namespace Cli {

// A CSS class that needs no escaping: an optional "-", then a letter or "_", then letters,
// digits, "-" and "_" (non-ASCII characters count as letters).
bool IsPlainCssIdentifier(std::string_view name);
// A language tag of the BCP 47 shape: letters, then subtags of 1 to 8 letters or digits after
// hyphens ("en", "de-CH", "zh-Hant-TW").
bool IsLanguageTag(std::string_view tag);
// An absolute URL such as "https://example.org/report" or "mailto:a@example.org": a scheme, ":"
// and the rest, with no white space, controls or characters a URL must escape ("<>\"{}|\\^`).
bool IsAbsoluteUrl(std::string_view url);
// A link a reader can follow once written: not empty, every "%" starts an escape of two hex
// digits, no controls, and a web link (http, https, ftp) names a host.
bool IsFollowableUrl(std::string_view url);
// ASCII letters lowered: names that differ only so are one file on many file systems.
std::string FoldCase(std::string_view name);

} // namespace Cli

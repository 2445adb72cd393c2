// SPDX-License-Identifier: MIT
#pragma once
// What the names a document gives must look like to be written into XHTML, CSS and the
// container: the checks and the sanitising every exporter applies, whoever embeds it.

#include "epub/package/PublicationManifest.h"
#include "host/foundation/StringT.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace EPub {

// A CSS class that needs no escaping: an optional "-", then a letter or "_", then letters,
// digits, "-" and "_" (non-ASCII characters count as letters).
bool IsPlainCssIdentifier(std::string_view name);
// A language tag of the BCP 47 shape: letters, then subtags of 1 to 8 letters or digits after
// hyphens ("en", "de-CH", "zh-Hant-TW").
bool IsLanguageTag(std::string_view tag);
// A date EPUB readers understand: "YYYY", "YYYY-MM", "YYYY-MM-DD", or a full time stamp
// "YYYY-MM-DDThh:mm[:ss]Z" (or with an offset such as "+02:00").
bool IsPublicationDate(std::string_view date);
// An absolute URL such as "https://example.org/report" or "mailto:a@example.org": a scheme, ":"
// and the rest, with no white space, controls or characters a URL must escape (angle brackets,
// the double quote and {}|\\^`).
bool IsAbsoluteUrl(std::string_view url);
// A link a reader can follow once written: not empty, every "%" starts an escape of two hex
// digits, no controls, and a web link (http, https, ftp) names a host.
bool IsFollowableUrl(std::string_view url);
// ASCII letters lowered: names that differ only so are one file on many file systems.
std::string FoldCase(std::string_view name);

// True when `name` stays inside the output folder: relative, no "..", no backslash, no colon, no
// empty path component.
bool IsSafeDocumentName(std::string_view name);
// True when a document of `type` may not take `name` because the package writes an entry of that
// name or folder itself ("toc.xhtml", "package.opf", "cover.xhtml", "css/", "images/",
// "font/"), compared ignoring ASCII case.
bool IsReservedDocumentName(std::string_view name, StreamType type);
// The same for plain XHTML output, whose own files are the two style sheets.
bool IsReservedHtmlName(std::string_view name, StreamType type);

// The names documents named `given` take in the output, one for each: what an entry name cannot
// hold becomes "_", ".xhtml" is added where it is missing, and a name that then meets another's
// or a reserved one (ASCII case ignored) is numbered ("a_b-2.xhtml"). Names that need no change
// keep theirs, whatever their order; equal names given (the parts of an article) stay equal.
std::vector<StringT> StoredDocumentNames(std::span<const StringT> given);

} // namespace EPub

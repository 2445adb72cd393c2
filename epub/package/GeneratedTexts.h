// SPDX-License-Identifier: MIT
#pragma once
// The texts the library writes itself (navigation headings, landmark names, the cover's title,
// the accessibility summary) in the languages it knows, so that a French book does not open its
// navigation with "Table of Contents".

#include "host/foundation/StringT.h"

#include <functional>
#include <span>
#include <string_view>

namespace Text {
class Language;
}

namespace EPub {

using Foundation::StringT;

namespace TextKey {
inline constexpr std::string_view kTableOfContents = "EPUB:Table of Contents";
inline constexpr std::string_view kPageList = "EPUB:Page List";
inline constexpr std::string_view kLandmarks = "EPUB:Landmarks";
// "%1" stands for the page's number: a fixed-layout page's title.
inline constexpr std::string_view kPage = "EPUB:Page";
inline constexpr std::string_view kCoverTitle = "EPUB:CoverTitle";
inline constexpr std::string_view kCoverAltText = "EPUB:CoverAltText";
inline constexpr std::string_view kDescription = "EPUB:Description";
inline constexpr std::string_view kSummaryTableOfContents = "EPUB:Summary:TableOfContents";
inline constexpr std::string_view kSummaryHeadings = "EPUB:Summary:Headings";
inline constexpr std::string_view kSummaryPageNumbers = "EPUB:Summary:PageNumbers";
inline constexpr std::string_view kSummaryAltText = "EPUB:Summary:AltText";
inline constexpr std::string_view kSummaryLongDescriptions = "EPUB:Summary:LongDescriptions";
inline constexpr std::string_view kSummaryReadingOrder = "EPUB:Summary:ReadingOrder";
inline constexpr std::string_view kSummaryMissingAltText = "EPUB:Summary:MissingAltText";
inline constexpr std::string_view kSummaryNoHazards = "EPUB:Summary:NoHazards";
// "%1" stands for the standard's name.
inline constexpr std::string_view kSummaryConformance = "EPUB:Summary:Conformance";
inline constexpr std::string_view kSummaryChecked = "EPUB:Summary:Checked";
} // namespace TextKey

// The languages the table holds, by primary subtag ("en", "fr", ...).
std::span<const std::string_view> GeneratedTextLanguages() noexcept;

// The text for `key` in the language of `languageTag`, matched by its primary subtag, ASCII case
// ignored ("fr-CA" and "FR" give French); English for a language the table lacks. Empty for a key
// the table does not hold (landmark keys are the landmark table's style names).
StringT GeneratedText(std::string_view key, std::string_view languageTag);

// (key, text from the table) -> the text to write: how a host overrides or extends the table.
using TextLocaliser = std::function<StringT(std::string_view key, const StringT& text)>;

} // namespace EPub

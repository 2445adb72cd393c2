// SPDX-License-Identifier: MIT
#pragma once
// The named styles every Markdown document is written with: a readable default typography that a
// reader's settings and a user's style sheet can still override. Names are the CSS classes.

#include "host/text/Style.h"

#include <string>

namespace Readers::Markdown {

// Style names, shared by the reader and its tests.
namespace StyleName {
inline constexpr const char* Body = "Body";
inline constexpr const char* BlockQuote = "Block Quote";
inline constexpr const char* CodeBlock = "Code Block";
inline constexpr const char* BulletList = "Bullet List";
inline constexpr const char* NumberedList = "Numbered List";
inline constexpr const char* ListContinue = "List Continue";
inline constexpr const char* Separator = "Separator";
inline constexpr const char* Figure = "Figure";
inline constexpr const char* TableHolder = "Table";
inline constexpr const char* TableHeader = "Table Header";
inline constexpr const char* TableCell = "Table Cell";
inline constexpr const char* Footnote = "Footnote";
inline constexpr const char* RawHtml = "Raw HTML";
// Character styles.
inline constexpr const char* Emphasis = "Emphasis";
inline constexpr const char* Strong = "Strong";
inline constexpr const char* Strikethrough = "Strikethrough";
inline constexpr const char* Code = "Code";
inline constexpr const char* Link = "Link";
inline constexpr const char* Underline = "Underline";
inline constexpr const char* Superscript = "Superscript";
inline constexpr const char* Subscript = "Subscript";
inline constexpr const char* Highlight = "Highlight";
inline constexpr const char* Small = "Small";
} // namespace StyleName

// "Heading 1" to "Heading 6".
std::string HeadingStyle(int level);

// Adds the house styles to `sheet`.
void AddHouseStyles(Text::StyleSheet& sheet);

} // namespace Readers::Markdown

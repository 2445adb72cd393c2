// SPDX-License-Identifier: MIT
#pragma once
// YAML front matter: the metadata block between "---" lines at the very start of a Markdown file.

#include "readers/common/ReaderDocument.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Readers::Markdown {

// A value and the line it was given on, for messages.
struct Located {
    std::string value;
    int line = 0;
    int column = 0;
};

struct FrontMatter {
    std::optional<Located> title;
    std::vector<std::string> authors;
    std::optional<Located> language;
    std::optional<Located> identifier;
    std::optional<Located> date;
    std::optional<Located> cover;
    std::optional<Located> description;
    std::optional<Located> rights;
    std::optional<int> chapterLevel;
    std::vector<Located> css;
    std::vector<Located> unknownKeys; // kept for the findings, not read
    // Where the Markdown starts: its offset in the text and its line (from 1).
    size_t bodyOffset = 0;
    int bodyLine = 1;
};

// The largest front matter read; a longer block is refused rather than parsed.
inline constexpr size_t kMaxFrontMatter = 1 << 20;

// Splits off and reads the front matter of `text`, if it has one. Throws InputError
// ("SOURCE:LINE:COLUMN: problem") for YAML that does not parse or keys of the wrong type.
FrontMatter ReadFrontMatter(std::string_view text, const std::string& sourceName);

} // namespace Readers::Markdown

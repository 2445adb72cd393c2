// SPDX-License-Identifier: MIT
#pragma once
// Reads Markdown (CommonMark with the GitHub extensions: tables, strikethrough, task lists,
// autolinks, footnotes) and its YAML front matter into the document every reader builds,
// written with the house styles (HouseStyle.h).

#include "readers/common/ReaderDocument.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace Readers::Markdown {

struct MarkdownOptions {
    // Headings of this level and above start a new content document; 0: one document. The
    // front matter's "chapter-level" wins over this.
    int chapterLevel = 1;
    // A long text's stories are handed out through Document::more as its chapters are read,
    // instead of all at once: an export then holds about one chapter at a time.
    bool streamStories = false;
};

// The largest Markdown text read.
inline constexpr size_t kMaxMarkdownBytes = size_t{256} << 20;

// Throws Readers::InputError whose message is one line "FILE:LINE:COLUMN: problem"; never
// crashes (Document::more may throw the same while it reads on). Pictures, style sheets and the
// cover are named relative to `baseDir`. With `streamStories`, `text` must stay valid until
// Document::more has given every story.
Readers::Document ReadMarkdown(std::string_view text, const std::string& sourceName,
                               const std::filesystem::path& baseDir,
                               const MarkdownOptions& options = {});
Readers::Document ReadMarkdown(const std::filesystem::path& file,
                               const MarkdownOptions& options = {});
// The same for a file that messages call `sourceName` and whose names start from `baseDir` (a
// copy of standard input, say).
Readers::Document ReadMarkdownFile(const std::filesystem::path& file, const std::string& sourceName,
                                   const std::filesystem::path& baseDir,
                                   const MarkdownOptions& options = {});

} // namespace Readers::Markdown

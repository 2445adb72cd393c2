// SPDX-License-Identifier: MIT
#pragma once
// Splits a long Markdown text at its chapter headings, so each chapter is parsed, converted and
// freed before the next: the parsed tree of a whole book is many times the size of its text.
// Definitions are document-wide, so each piece gets the link reference and footnote definitions
// it uses from elsewhere appended.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace Readers::Markdown {

// Texts shorter than this are parsed whole.
inline constexpr size_t kChunkThreshold = size_t{1} << 20;

struct Chunk {
    size_t begin = 0; // offsets into the text
    size_t end = 0;
    int firstLine = 1; // of the text
    std::string extra; // definitions from elsewhere that the piece refers to
};

// Called with how far into the text a scan has come, so the pages behind can be given back.
using ReadProgress = std::function<void(const char*)>;

// The pieces of `text`, split before each ATX heading of level 1 to `level` that starts a line
// outside fenced code; one piece for a short text or a level of 0. The text is read twice, each
// time from its start to its end, telling `done` as it goes.
std::vector<Chunk> SplitChapters(std::string_view text, int level, const ReadProgress& done = {});

} // namespace Readers::Markdown

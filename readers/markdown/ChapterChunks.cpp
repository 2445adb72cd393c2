// SPDX-License-Identifier: MIT
#include "readers/markdown/ChapterChunks.h"

#include <algorithm>
#include <map>

namespace Readers::Markdown {

namespace {

struct Definition {
    size_t begin = 0;
    size_t end = 0;
};

std::string Folded(std::string_view label) {
    std::string out;
    bool space = false;
    for (const char c : label) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            space = !out.empty();
            continue;
        }
        if (space)
            out += ' ';
        space = false;
        out += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    }
    return out;
}

size_t Indent(std::string_view line) {
    size_t n = 0;
    while (n < line.size() && line[n] == ' ')
        ++n;
    return n;
}

// A code fence opens or closes with three or more backticks or tildes, indented at most three.
size_t FenceLength(std::string_view line, char& kind) {
    const size_t indent = Indent(line);
    if (indent > 3 || indent >= line.size() || (line[indent] != '`' && line[indent] != '~'))
        return 0;
    kind = line[indent];
    size_t n = indent;
    while (n < line.size() && line[n] == kind)
        ++n;
    return n - indent >= 3 ? n - indent : 0;
}

bool IsChapterHeading(std::string_view line, int level) {
    size_t n = 0;
    while (n < line.size() && line[n] == '#')
        ++n;
    return n >= 1 && static_cast<int>(n) <= level &&
           (n == line.size() || line[n] == ' ' || line[n] == '\t' || line[n] == '\r');
}

// "[label]:" or "[^label]:" at the start of a line: the label, else empty.
std::string_view DefinitionLabel(std::string_view line) {
    const size_t indent = Indent(line);
    if (indent > 3 || indent >= line.size() || line[indent] != '[')
        return {};
    const size_t close = line.find("]:", indent);
    if (close == std::string_view::npos || close == indent + 1)
        return {};
    const std::string_view label = line.substr(indent + 1, close - indent - 1);
    return label.find_first_of("[]") == std::string_view::npos ? label : std::string_view();
}

class Scanner {
public:
    Scanner(std::string_view text, int level, const ReadProgress& done)
        : text_(text), level_(level), done_(done) {}

    std::vector<Chunk> Split() {
        std::vector<Chunk> chunks{Chunk{}};
        char fence = 0;
        size_t fenceLength = 0;
        std::string_view open; // label of the footnote definition being read
        int line = 1;
        for (size_t pos = 0; pos < text_.size(); ++line) {
            const size_t eol = std::min(text_.find('\n', pos), text_.size());
            const std::string_view content = text_.substr(pos, eol - pos);
            char kind = 0;
            if (const size_t length = FenceLength(content, kind); length > 0) {
                if (!fenceLength) {
                    fence = kind;
                    fenceLength = length;
                } else if (kind == fence && length >= fenceLength) {
                    fenceLength = 0;
                }
            } else if (!fenceLength) {
                ReadLine(content, pos, eol, open);
                if (IsChapterHeading(content, level_) && pos > chunks.back().begin) {
                    chunks.back().end = pos;
                    chunks.push_back({pos, pos, line, {}});
                }
            }
            pos = eol + 1;
            Passed(pos);
        }
        if (!open.empty())
            notes_[std::string(open)].end = text_.size();
        chunks.back().end = text_.size();
        for (Chunk& chunk : chunks) {
            chunk.extra = Borrowed(chunk);
            Passed(chunk.end);
        }
        return chunks;
    }

private:
    // Tells the caller every few pages how far the scan has come.
    void Passed(size_t pos) {
        if (!done_ || pos < reported_ + kReportEvery)
            return;
        reported_ = std::min(pos, text_.size());
        done_(text_.data() + reported_);
    }

    static constexpr size_t kReportEvery = size_t{1} << 20;

    // Notes the definitions: a footnote's goes on over indented and blank lines.
    void ReadLine(std::string_view content, size_t pos, size_t eol, std::string_view& open) {
        const bool blank = content.find_first_not_of(" \t\r") == std::string_view::npos;
        if (!open.empty() && (blank || Indent(content) >= 4 || content.starts_with('\t'))) {
            notes_[std::string(open)].end = std::min(eol + 1, text_.size());
            return;
        }
        open = {};
        const std::string_view label = DefinitionLabel(content);
        if (label.empty())
            return;
        const Definition definition{pos, std::min(eol + 1, text_.size())};
        if (label.starts_with('^')) {
            open = label.substr(1);
            notes_.try_emplace(std::string(open), definition);
        } else {
            links_.try_emplace(Folded(label), definition);
        }
    }

    // The definitions from outside `chunk` that it refers to.
    std::string Borrowed(const Chunk& chunk) const {
        if (notes_.empty() && links_.empty())
            return {};
        const std::string_view body = text_.substr(chunk.begin, chunk.end - chunk.begin);
        std::map<size_t, const Definition*> wanted; // by position, for a stable order
        for (size_t at = body.find('['); at != std::string_view::npos;
             at = body.find('[', at + 1)) {
            const size_t close = body.find(']', at);
            if (close == std::string_view::npos)
                break;
            const std::string_view label = body.substr(at + 1, close - at - 1);
            const Definition* found = nullptr;
            if (label.starts_with('^')) {
                const auto it = notes_.find(std::string(label.substr(1)));
                found = it == notes_.end() ? nullptr : &it->second;
            } else if (!links_.empty()) {
                const auto it = links_.find(Folded(label));
                found = it == links_.end() ? nullptr : &it->second;
            }
            if (found && (found->begin < chunk.begin || found->begin >= chunk.end))
                wanted.emplace(found->begin, found);
        }
        std::string extra;
        for (const auto& [begin, definition] : wanted) {
            extra += "\n\n";
            extra += text_.substr(definition->begin, definition->end - definition->begin);
        }
        return extra;
    }

    std::string_view text_;
    int level_;
    const ReadProgress& done_;
    size_t reported_ = 0;
    std::map<std::string, Definition> notes_;
    std::map<std::string, Definition> links_;
};

} // namespace

std::vector<Chunk> SplitChapters(std::string_view text, int level, const ReadProgress& done) {
    if (text.size() < kChunkThreshold || level < 1)
        return {Chunk{0, text.size(), 1, {}}};
    return Scanner(text, level, done).Split();
}

} // namespace Readers::Markdown

// SPDX-License-Identifier: MIT
#include "readers/markdown/FrontMatter.h"

#include <yaml-cpp/yaml.h>

#include <cctype>

namespace Readers::Markdown {

namespace {

// The line that closes the block: "---" or "...", maybe with trailing blanks.
bool IsClosingLine(std::string_view line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r'))
        line.remove_suffix(1);
    return line == "---" || line == "...";
}

struct Block {
    std::string_view yaml;
    size_t bodyOffset = 0;
    int bodyLine = 1;
};

// The YAML between the opening and closing lines, or nothing when the text does not open with
// front matter (a "---" without a closing line is a thematic break).
std::optional<Block> FindBlock(std::string_view text) {
    size_t first = text.find('\n');
    if (first == std::string_view::npos)
        return std::nullopt;
    std::string_view opening = text.substr(0, first);
    if (opening.ends_with('\r'))
        opening.remove_suffix(1);
    // "---" and a blank line is a thematic break.
    const std::string_view second = text.substr(first + 1, text.find('\n', first + 1) - first - 1);
    if (opening != "---" || second.find_first_not_of(" \t\r") == std::string_view::npos)
        return std::nullopt;
    size_t start = first + 1;
    int line = 2;
    for (size_t pos = start; pos < text.size() && pos <= kMaxFrontMatter; ++line) {
        size_t end = text.find('\n', pos);
        const size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos)
            end = text.size();
        if (IsClosingLine(text.substr(pos, end - pos)))
            return Block{text.substr(start, pos - start), next, line + 1};
        pos = next;
    }
    return std::nullopt;
}

// Front matter opens with a key ("title: ..."); two "---" lines around anything else are Markdown,
// which a YAML syntax error must not refuse.
bool StartsWithKey(std::string_view yaml) {
    while (yaml.starts_with('#') || yaml.starts_with('\n') || yaml.starts_with("\r\n")) {
        const size_t end = yaml.find('\n');
        yaml.remove_prefix(end == std::string_view::npos ? yaml.size() : end + 1);
    }
    size_t i = 0;
    while (i < yaml.size() &&
           (std::isalnum(static_cast<unsigned char>(yaml[i])) || yaml[i] == '_' || yaml[i] == '-'))
        ++i;
    while (i < yaml.size() && yaml[i] == ' ')
        ++i;
    return i > 0 && i < yaml.size() && yaml[i] == ':';
}

class Reader {
public:
    explicit Reader(const std::string& source) : source_(source) {}

    [[noreturn]] void Fail(const YAML::Mark& mark, const std::string& problem) const {
        // The block starts on the file's second line.
        throw InputError(source_ + ":" + std::to_string(mark.line + 2) + ":" +
                         std::to_string(mark.column + 1) + ": front matter: " + problem);
    }

    Located Scalar(const YAML::Node& node, const std::string& key) const {
        if (!node.IsScalar())
            Fail(node.Mark(), "\"" + key + "\" must be a single value");
        return {node.Scalar(), node.Mark().line + 2, node.Mark().column + 1};
    }

    void Read(const YAML::Node& root, FrontMatter& out) const {
        for (const auto& item : root) {
            if (!item.first.IsScalar())
                Fail(item.first.Mark(), "a key must be a plain name");
            ReadKey(item.first.Scalar(), item.second, out);
        }
    }

private:
    void ReadKey(const std::string& key, const YAML::Node& value, FrontMatter& out) const {
        if (value.IsNull())
            return;
        if (key == "title")
            out.title = Scalar(value, key);
        else if (key == "author" || key == "authors")
            ReadAuthors(key, value, out.authors);
        else if (key == "language" || key == "lang")
            out.language = Scalar(value, key);
        else if (key == "identifier")
            out.identifier = Scalar(value, key);
        else if (key == "date")
            out.date = Scalar(value, key);
        else if (key == "cover" || key == "cover-image")
            out.cover = Scalar(value, key);
        else if (key == "description" || key == "abstract")
            out.description = Scalar(value, key);
        else if (key == "rights")
            out.rights = Scalar(value, key);
        else if (key == "chapter-level")
            out.chapterLevel = ChapterLevel(value);
        else if (key == "css")
            ReadList(key, value, out.css);
        else
            out.unknownKeys.push_back({key, value.Mark().line + 2, value.Mark().column + 1});
    }

    void ReadAuthors(const std::string& key, const YAML::Node& value,
                     std::vector<std::string>& out) const {
        std::vector<Located> list;
        ReadList(key, value, list);
        for (Located& author : list)
            if (!author.value.empty())
                out.push_back(std::move(author.value));
    }

    void ReadList(const std::string& key, const YAML::Node& value,
                  std::vector<Located>& out) const {
        if (!value.IsSequence()) {
            out.push_back(Scalar(value, key));
            return;
        }
        for (const auto& item : value)
            out.push_back(Scalar(item, key));
    }

    int ChapterLevel(const YAML::Node& value) const {
        const Located text = Scalar(value, "chapter-level");
        if (text.value.size() == 1 && text.value[0] >= '0' && text.value[0] <= '6')
            return text.value[0] - '0';
        Fail(value.Mark(), "\"chapter-level\" must be a number from 0 to 6");
    }

    const std::string& source_;
};

} // namespace

FrontMatter ReadFrontMatter(std::string_view text, const std::string& sourceName) {
    FrontMatter out;
    const std::optional<Block> block = FindBlock(text);
    if (!block || !StartsWithKey(block->yaml))
        return out;
    if (block->yaml.size() > kMaxFrontMatter)
        throw InputError(sourceName + ":1:1: front matter: longer than " +
                         std::to_string(kMaxFrontMatter >> 20) + " MB");
    const Reader reader(sourceName);
    try {
        const YAML::Node root = YAML::Load(std::string(block->yaml));
        // Only keys and values make front matter; anything else between two "---" lines is
        // Markdown (a setext heading, say).
        if (!root.IsMap())
            return out;
        reader.Read(root, out);
    } catch (const YAML::Exception& e) {
        reader.Fail(e.mark, e.msg);
    }
    out.bodyOffset = block->bodyOffset;
    out.bodyLine = block->bodyLine;
    return out;
}

} // namespace Readers::Markdown

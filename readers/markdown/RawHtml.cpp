// SPDX-License-Identifier: MIT
#include "readers/markdown/RawHtml.h"

#include "readers/markdown/HouseStyle.h"

#include <pugixml.hpp>

#include <algorithm>
#include <array>
#include <map>
#include <utility>

namespace Readers::Markdown {

namespace {

// Deeper HTML blocks are written as text: converting them would walk every level per run.
constexpr int kMaxHtmlDepth = 64;

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    });
    return out;
}

bool IsNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
}

// Block elements and the paragraph style each starts.
std::optional<std::string> BlockElementStyle(std::string_view name) {
    static const std::map<std::string_view, std::string> styles{
        {"p", StyleName::Body},
        {"div", StyleName::Body},
        {"section", StyleName::Body},
        {"article", StyleName::Body},
        {"aside", StyleName::Body},
        {"header", StyleName::Body},
        {"footer", StyleName::Body},
        {"figure", StyleName::Body},
        {"figcaption", StyleName::Body},
        {"center", StyleName::Body},
        {"details", StyleName::Body},
        {"summary", StyleName::Body},
        {"li", StyleName::Body},
        {"ul", StyleName::Body},
        {"ol", StyleName::Body},
        {"dl", StyleName::Body},
        {"dt", StyleName::Body},
        {"dd", StyleName::Body},
        {"blockquote", StyleName::BlockQuote},
        {"pre", StyleName::CodeBlock},
        {"hr", StyleName::Separator},
        {"h1", HeadingStyle(1)},
        {"h2", HeadingStyle(2)},
        {"h3", HeadingStyle(3)},
        {"h4", HeadingStyle(4)},
        {"h5", HeadingStyle(5)},
        {"h6", HeadingStyle(6)},
    };
    const auto it = styles.find(name);
    return it == styles.end() ? std::nullopt : std::optional(it->second);
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

class BlockConverter {
public:
    std::optional<std::vector<HtmlParagraph>> Convert(const pugi::xml_node& root) {
        // Depth first, with a stack of our own: the tree may be deep.
        struct Step {
            pugi::xml_node node;
            bool leaving;
        };
        std::vector<Step> stack{{root, false}};
        while (!stack.empty()) {
            const Step step = stack.back();
            stack.pop_back();
            if (step.leaving) {
                Leave(step.node);
                continue;
            }
            if (!Enter(step.node, stack.size()))
                return std::nullopt;
            if (step.node.type() != pugi::node_element)
                continue;
            stack.push_back({step.node, true});
            std::vector<pugi::xml_node> children;
            for (pugi::xml_node child : step.node.children())
                children.push_back(child);
            for (auto it = children.rbegin(); it != children.rend(); ++it)
                stack.push_back({*it, false});
        }
        std::erase_if(paragraphs_, [](const HtmlParagraph& p) { return p.runs.empty(); });
        return std::move(paragraphs_);
    }

private:
    bool Enter(const pugi::xml_node& node, size_t depth) {
        if (depth > kMaxHtmlDepth)
            return false;
        switch (node.type()) {
        case pugi::node_pcdata:
        case pugi::node_cdata:
            AddText(node.value());
            return true;
        case pugi::node_comment:
            return true;
        case pugi::node_element:
            break;
        default:
            return false;
        }
        const std::string name = node.name();
        if (name == "root")
            return node.parent().type() == pugi::node_document;
        if (name == "br") {
            Current().runs.push_back({"\v", {}});
            return true;
        }
        if (const auto block = BlockElementStyle(name)) {
            Open(*block, name == "pre");
            if (name == "hr")
                Current().runs.push_back({"* * *", {}});
            return true;
        }
        const auto style = InlineElementStyle(name);
        if (!style)
            return false;
        if (!style->empty())
            inline_.push_back(*style);
        else
            inline_.push_back(inline_.empty() ? std::string() : inline_.back());
        return true;
    }

    void Leave(const pugi::xml_node& node) {
        const std::string name = node.name();
        if (name == "root" || name == "br")
            return;
        if (BlockElementStyle(name)) {
            // What follows the block continues in the style of the one around it.
            blocks_.pop_back();
            paragraphs_.push_back({blocks_.empty() ? StyleName::Body : blocks_.back().first, {}});
            return;
        }
        inline_.pop_back();
    }

    void Open(const std::string& style, bool preformatted) {
        blocks_.emplace_back(style, preformatted || (!blocks_.empty() && blocks_.back().second));
        paragraphs_.push_back({style, {}});
    }

    HtmlParagraph& Current() {
        if (paragraphs_.empty())
            paragraphs_.push_back({StyleName::Body, {}});
        return paragraphs_.back();
    }

    void AddText(std::string_view text) {
        const bool pre = !blocks_.empty() && blocks_.back().second;
        std::string out;
        for (const char c : text) {
            if (pre) {
                out += c == '\n' ? '\v' : c;
                continue;
            }
            if (IsSpace(c)) {
                const bool atStart = out.empty() && (Current().runs.empty() ||
                                                     Current().runs.back().text.ends_with(' '));
                if (!atStart && !out.ends_with(' '))
                    out += ' ';
                continue;
            }
            out += c;
        }
        if (!out.empty())
            Current().runs.push_back({std::move(out), inline_.empty() ? "" : inline_.back()});
    }

    std::vector<HtmlParagraph> paragraphs_;
    std::vector<std::pair<std::string, bool>> blocks_; // style, preformatted
    std::vector<std::string> inline_;
};

} // namespace

HtmlTag ParseTag(std::string_view literal) {
    HtmlTag tag;
    if (literal.starts_with("<!--")) {
        if (literal.ends_with("-->") && literal.size() >= 7)
            tag.kind = HtmlTag::Kind::Comment;
        return tag;
    }
    if (literal.size() < 3 || literal.front() != '<' || literal.back() != '>')
        return tag;
    const bool closing = literal[1] == '/';
    size_t end = closing ? 2 : 1;
    while (end < literal.size() && IsNameChar(literal[end]))
        ++end;
    const size_t begin = closing ? 2 : 1;
    if (end == begin)
        return tag;
    tag.name = Lower(literal.substr(begin, end - begin));
    if (closing) {
        const std::string_view rest = literal.substr(end, literal.size() - 1 - end);
        if (rest.find_first_not_of(" \t\r\n") == std::string_view::npos)
            tag.kind = HtmlTag::Kind::Close;
        return tag;
    }
    const bool empty = literal.ends_with("/>");
    // The attributes must be those of XML: quoted, each once.
    std::string probe(literal);
    if (!empty)
        probe.insert(probe.size() - 1, "/");
    pugi::xml_document doc;
    if (!doc.load_buffer(probe.data(), probe.size(), pugi::parse_default) ||
        Lower(doc.document_element().name()) != tag.name)
        return tag;
    tag.kind = empty || IsVoidElement(tag.name) ? HtmlTag::Kind::Empty : HtmlTag::Kind::Open;
    return tag;
}

std::optional<std::string> InlineElementStyle(std::string_view name) {
    static const std::map<std::string_view, std::string> styles{
        {"em", StyleName::Emphasis},
        {"i", StyleName::Emphasis},
        {"cite", StyleName::Emphasis},
        {"dfn", StyleName::Emphasis},
        {"strong", StyleName::Strong},
        {"b", StyleName::Strong},
        {"code", StyleName::Code},
        {"kbd", StyleName::Code},
        {"samp", StyleName::Code},
        {"tt", StyleName::Code},
        {"var", StyleName::Emphasis},
        {"s", StyleName::Strikethrough},
        {"del", StyleName::Strikethrough},
        {"strike", StyleName::Strikethrough},
        {"u", StyleName::Underline},
        {"ins", StyleName::Underline},
        {"sup", StyleName::Superscript},
        {"sub", StyleName::Subscript},
        {"mark", StyleName::Highlight},
        {"small", StyleName::Small},
        {"span", ""},
        {"abbr", ""},
        {"q", ""},
        {"bdi", ""},
        {"time", ""},
        {"data", ""},
        {"wbr", ""},
    };
    const auto it = styles.find(name);
    return it == styles.end() ? std::nullopt : std::optional(it->second);
}

bool IsVoidElement(std::string_view name) {
    return name == "br" || name == "wbr";
}

std::optional<std::vector<HtmlParagraph>> ConvertHtmlBlock(std::string_view literal) {
    // HTML's own void elements are written as such.
    std::string text = "<root>";
    text.append(literal);
    text += "</root>";
    for (const std::string_view from : {"<br>", "<BR>", "<hr>", "<HR>"}) {
        const std::string to = std::string(from.substr(0, 3)) + "/>";
        for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at))
            text.replace(at, from.size(), to);
    }
    pugi::xml_document doc;
    // No DTD: entities beyond XML's own stay unresolved and the block is not carried.
    if (!doc.load_buffer(text.data(), text.size(),
                         pugi::parse_default | pugi::parse_comments | pugi::parse_pi |
                             pugi::parse_declaration | pugi::parse_doctype))
        return std::nullopt;
    for (const pugi::xml_node& node : doc.children())
        if (node.type() == pugi::node_doctype || node.type() == pugi::node_declaration)
            return std::nullopt;
    return BlockConverter().Convert(doc.document_element());
}

} // namespace Readers::Markdown

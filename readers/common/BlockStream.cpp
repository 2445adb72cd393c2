// SPDX-License-Identifier: MIT
#include "readers/common/BlockStream.h"

#include "readers/common/ReaderDocument.h"

#include <algorithm>
#include <cstring>

namespace Readers {

namespace {

std::string Unescape(std::string_view value) {
    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '&') {
            out += value[i];
            continue;
        }
        static const std::pair<std::string_view, char> entities[] = {
            {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
        bool done = false;
        for (const auto& [entity, c] : entities)
            if (value.substr(i, entity.size()) == entity) {
                out += c;
                i += entity.size() - 1;
                done = true;
                break;
            }
        if (!done)
            out += '&';
    }
    return out;
}

} // namespace

namespace XmlScan {

Tag NextTag(std::string_view text, size_t at) {
    Tag tag;
    const size_t open = text.find('<', at);
    if (open == std::string_view::npos)
        return tag;
    tag.start = open;
    const auto skipTo = [&](std::string_view close) {
        const size_t end = text.find(close, open);
        if (end == std::string_view::npos)
            return;
        tag.kind = TagKind::Other;
        tag.end = end + close.size();
    };
    const std::string_view rest = text.substr(open);
    if (rest.starts_with("<!--")) {
        skipTo("-->");
        return tag;
    }
    if (rest.starts_with("<![CDATA[")) {
        skipTo("]]>");
        return tag;
    }
    if (rest.starts_with("<?")) {
        skipTo("?>");
        return tag;
    }
    char quote = 0;
    for (size_t i = open + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (quote) {
            quote = c == quote ? 0 : quote;
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
            continue;
        }
        if (c != '>')
            continue;
        tag.end = i + 1;
        tag.kind = text[open + 1] == '/'   ? TagKind::Close
                   : text[i - 1] == '/'    ? TagKind::Empty
                   : text[open + 1] == '!' ? TagKind::Other
                                           : TagKind::Open;
        return tag;
    }
    return tag;
}

std::string_view TagLocalName(std::string_view text, const Tag& tag) {
    size_t begin = tag.start + (tag.kind == TagKind::Close ? 2 : 1);
    size_t end = begin;
    while (end < tag.end && !std::strchr(" \t\r\n/>", text[end]))
        ++end;
    std::string_view name = text.substr(begin, end - begin);
    const size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

bool IsElementName(std::string_view text, size_t at, std::string_view name) {
    const char before = at > 0 ? text[at - 1] : 0;
    const char after = at + name.size() < text.size() ? text[at + name.size()] : 0;
    return (before == ':' || before == '<' || before == '/') && after != 0 &&
           std::strchr(" \t\r\n/>", after);
}

std::optional<std::string> AttributeIn(std::string_view inside, std::string_view attribute) {
    for (size_t a = inside.find(attribute); a != std::string_view::npos;
         a = inside.find(attribute, a + attribute.size())) {
        const char b = a > 0 ? inside[a - 1] : 0;
        const size_t eq = a + attribute.size();
        if ((b != ':' && b != ' ' && b != '\t' && b != '\n' && b != '\r') ||
            eq + 1 >= inside.size() || inside[eq] != '=')
            continue;
        const char quote = inside[eq + 1];
        const size_t close = inside.find(quote, eq + 2);
        if ((quote != '"' && quote != '\'') || close == std::string_view::npos)
            continue;
        return Unescape(inside.substr(eq + 2, close - eq - 2));
    }
    return std::nullopt;
}

} // namespace XmlScan

using namespace XmlScan;

BlockStream::BlockStream(Package& package, std::string part)
    : source_(package.Source()), part_(std::move(part)), pages_(package.ReadPages(part_)),
      text_(pages_.View()) {
    ReadRoot();
}

BlockStream::BlockStream(std::string_view source, std::string part, std::string text)
    : source_(source), part_(std::move(part)), owned_(std::move(text)), text_(owned_) {
    ReadRoot();
}

void BlockStream::Fail(size_t at, std::string_view problem) const {
    FailAt(source_, PartLine(part_, Line(at)), problem);
}

void BlockStream::ReadRoot() {
    if (IsUtf16(text_)) {
        if (owned_.empty())
            owned_ = std::string(text_);
        pages_ = PageBuffer();
        CheckProlog(source_, part_, owned_);
        text_ = owned_;
    }
    CheckDoctype(source_, part_, text_);
    for (size_t at = 0;;) {
        const Tag tag = NextTag(text_, at);
        if (tag.kind == TagKind::End || tag.kind == TagKind::Close)
            FailAt(source_, part_, "an XML part without a root element");
        if (tag.kind == TagKind::Other) {
            at = tag.end;
            continue;
        }
        // The start tag alone, closed, tells the root's name and namespaces.
        std::string alone(text_.substr(tag.start, tag.end - tag.start));
        if (tag.kind == TagKind::Open)
            alone.insert(alone.size() - 1, "/");
        const pugi::xml_parse_result result = root_.load_string(alone.c_str(), kParseOptions);
        if (!result)
            Fail(tag.start, std::string("malformed XML: ") + result.description());
        rootEnd_ = tag.kind == TagKind::Open ? tag.end : std::string::npos;
        return;
    }
}

std::string BlockStream::Where(pugi::xml_node node) const {
    const ptrdiff_t offset = node.offset_debug();
    if (offset < 0)
        return part_;
    return PartLine(part_, Line(blockStart_ + static_cast<size_t>(offset)));
}

size_t BlockStream::Line(size_t at) const {
    at = std::clamp(at, released_, text_.size());
    return linesBefore_ + 1 +
           static_cast<size_t>(std::count(text_.begin() + static_cast<ptrdiff_t>(released_),
                                          text_.begin() + static_cast<ptrdiff_t>(at), '\n'));
}

void BlockStream::Release(size_t end) {
    // In steps of a megabyte: each is a system call.
    if (!pages_.Data() || end < released_ + (size_t{1} << 20))
        return;
    linesBefore_ = Line(end) - 1;
    released_ = end;
    pages_.Release(end);
}

std::set<std::string, std::less<>> BlockStream::Values(std::string_view element,
                                                       std::string_view attribute) const {
    std::set<std::string, std::less<>> values;
    const std::string_view text = text_;
    for (size_t at = text.find(element); at != std::string_view::npos;
         at = text.find(element, at + element.size())) {
        if (!IsElementName(text, at, element) || text[at - 1] == '/')
            continue;
        const Tag tag = NextTag(text, text.rfind('<', at));
        if (tag.kind != TagKind::Open && tag.kind != TagKind::Empty)
            continue;
        if (auto value = AttributeIn(text.substr(at, tag.end - at), attribute))
            values.insert(std::move(*value));
    }
    return values;
}

// Far deeper than any document an office suite writes (tables in tables included), far
// shallower than what costs the reader time or stack.
constexpr size_t kMaxDepth = 2000;

bool BlockStream::ForEachBlock(const std::vector<std::string_view>& path,
                               const std::function<void(pugi::xml_node)>& visit,
                               const std::function<void(pugi::xml_node)>& head) {
    if (rootEnd_ == std::string::npos || path.empty())
        return false;
    const std::string_view text = text_;
    const size_t blockDepth = path.size() + 1; // of the blocks' parent, the root being 1
    size_t depth = 1;                          // inside the root
    size_t matched = 0;                        // containers of the path entered
    bool found = false, done = false;
    size_t blockAt = 0;
    const auto parse = [&](size_t from, size_t to, const std::function<void(pugi::xml_node)>& f) {
        {
            pugi::xml_document block;
            blockStart_ = from;
            const pugi::xml_parse_result result =
                block.load_buffer_inplace(const_cast<char*>(text_.data()) + from, to - from,
                                          kParseOptions, pugi::encoding_utf8);
            if (!result)
                Fail(from + static_cast<size_t>(result.offset),
                     std::string("malformed XML: ") + result.description());
            for (pugi::xml_node n = block.first_child(); n; n = n.next_sibling())
                if (n.type() == pugi::node_doctype)
                    Fail(from, "malformed XML: a document type declaration inside the text");
            f(block.document_element());
        }
        Release(to);
    };
    for (size_t at = rootEnd_;;) {
        const Tag tag = NextTag(text, at);
        if (tag.kind == TagKind::End) {
            if (tag.start || depth > 0)
                Fail(tag.start ? tag.start : text.size(),
                     "malformed XML: the part ends inside an element");
            break;
        }
        at = tag.end;
        if (tag.kind == TagKind::Other)
            continue;
        const size_t before = depth;
        if (tag.kind == TagKind::Open && ++depth > kMaxDepth)
            Fail(tag.start, "elements nested more than " + std::to_string(kMaxDepth) + " deep");
        else if (tag.kind == TagKind::Close && depth-- == 0)
            Fail(tag.start, "malformed XML: an end tag without its start");
        if (!done && tag.kind != TagKind::Close && before == matched + 1 && matched < path.size() &&
            TagLocalName(text, tag) == path[matched]) {
            if (matched + 1 == path.size())
                found = true;
            if (tag.kind == TagKind::Open)
                ++matched;
            continue;
        }
        if (before == 1 && matched == 0 && tag.kind != TagKind::Close)
            blockAt = tag.start; // a child of the root beside the path
        if (matched == 0 && head && depth == 1 &&
            (tag.kind == TagKind::Close || tag.kind == TagKind::Empty)) {
            parse(blockAt, tag.end, head);
            continue;
        }
        if (matched == path.size() && !done) {
            if (before == blockDepth && tag.kind != TagKind::Close)
                blockAt = tag.start;
            // A block ends where the depth comes back to its container's.
            if (depth == blockDepth && (tag.kind == TagKind::Close || tag.kind == TagKind::Empty)) {
                parse(blockAt, tag.end, visit);
                continue;
            }
        }
        // Leaving containers of the path: the first container is the only one read.
        if (tag.kind == TagKind::Close && depth < matched + 1) {
            matched = depth - 1;
            done = true;
        }
        if (depth == 0)
            return found;
    }
    return found;
}

} // namespace Readers

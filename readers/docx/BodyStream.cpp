// SPDX-License-Identifier: MIT
#include "readers/docx/BodyStream.h"

#include "readers/common/ReaderDocument.h"
#include "readers/common/ZipPackage.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace Readers::Docx {

namespace {

enum class TagKind { Open, Close, Empty, Other, End };

struct Tag {
    TagKind kind = TagKind::End;
    size_t start = 0;
    size_t end = 0; // past the '>'
};

// The next markup token from `at`: a tag, or a comment, processing instruction or CDATA section
// (Other). End when the text has no more; a token cut short is End with start set.
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

BodyStream::BodyStream(Package& package, std::string part)
    : package_(package), part_(std::move(part)), pages_(package.ReadPages(part_)),
      text_(pages_.View()) {
    if (IsUtf16(text_)) {
        converted_ = std::string(text_);
        pages_ = PageBuffer();
        CheckProlog(package.Source(), part_, converted_);
        text_ = converted_;
    }
    CheckDoctype(package.Source(), part_, text_);
    for (size_t at = 0;;) {
        const Tag tag = NextTag(text_, at);
        if (tag.kind == TagKind::End || tag.kind == TagKind::Close)
            package.Fail(part_, "an XML part without a root element");
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
            package.Fail(part_ + ":" + std::to_string(Line(tag.start)),
                         std::string("malformed XML: ") + result.description());
        rootEnd_ = tag.kind == TagKind::Open ? tag.end : std::string::npos;
        return;
    }
}

std::string BodyStream::Where(pugi::xml_node node) const {
    const ptrdiff_t offset = node.offset_debug();
    if (offset < 0)
        return part_;
    return part_ + ":" + std::to_string(Line(blockStart_ + static_cast<size_t>(offset)));
}

size_t BodyStream::Line(size_t at) const {
    at = std::clamp(at, released_, text_.size());
    return linesBefore_ + 1 +
           static_cast<size_t>(std::count(text_.begin() + static_cast<ptrdiff_t>(released_),
                                          text_.begin() + static_cast<ptrdiff_t>(at), '\n'));
}

void BodyStream::Release(size_t end) {
    // In steps of a megabyte: each is a system call.
    if (!pages_.Data() || end < released_ + (size_t{1} << 20))
        return;
    linesBefore_ = Line(end) - 1;
    released_ = end;
    pages_.Release(end);
}

namespace {

// Whether `text` at `at` holds the element name `name` itself: "<w:name ", "</name>".
bool IsElementName(std::string_view text, size_t at, std::string_view name) {
    const char before = at > 0 ? text[at - 1] : 0;
    const char after = at + name.size() < text.size() ? text[at + name.size()] : 0;
    return (before == ':' || before == '<' || before == '/') && after != 0 &&
           std::strchr(" \t\r\n/>", after);
}

// The value of `attribute` (any prefix) inside one start tag.
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

} // namespace

std::set<std::string, std::less<>> BodyStream::Values(std::string_view element,
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

std::vector<std::string> BodyStream::SectionStarts() const {
    constexpr std::string_view kSection = "sectPr", kType = "type";
    std::vector<std::string> starts;
    const std::string_view text = text_;
    size_t depth = 0, contentAt = 0;
    for (size_t at = text.find(kSection); at != std::string_view::npos;
         at = text.find(kSection, at + kSection.size())) {
        if (!IsElementName(text, at, kSection))
            continue;
        const Tag tag = NextTag(text, text.rfind('<', at));
        if (tag.kind == TagKind::Empty && depth == 0) {
            starts.emplace_back("nextPage");
        } else if (tag.kind == TagKind::Open) {
            // A tracked change holds the former properties as a section inside the section.
            if (depth++ == 0)
                contentAt = tag.end;
        } else if (tag.kind == TagKind::Close && depth > 0 && --depth == 0) {
            const std::string_view inside = text.substr(contentAt, tag.start - contentAt);
            std::string start = "nextPage";
            for (size_t t = inside.find(kType); t != std::string_view::npos;
                 t = inside.find(kType, t + kType.size()))
                if (IsElementName(inside, t, kType) && inside[t - 1] != '/') {
                    const Tag typeTag = NextTag(inside, inside.rfind('<', t));
                    start = AttributeIn(inside.substr(t, typeTag.end - t), "val").value_or(start);
                    break;
                }
            starts.push_back(std::move(start));
        }
    }
    return starts;
}

// Far deeper than any document Word writes (tables in tables included), far shallower than what
// costs the reader time or stack.
constexpr size_t kMaxDepth = 2000;

bool BodyStream::ForEachBlock(const std::function<void(pugi::xml_node)>& visit) {
    if (rootEnd_ == std::string::npos)
        return false;
    const std::string_view text = text_;
    size_t depth = 1; // inside the root
    bool inBody = false, sawBody = false;
    size_t blockAt = 0;
    const auto fail = [&](size_t at, const char* problem) {
        package_.Fail(part_ + ":" + std::to_string(Line(at)),
                      std::string("malformed XML: ") + problem);
    };
    for (size_t at = rootEnd_;;) {
        const Tag tag = NextTag(text, at);
        if (tag.kind == TagKind::End) {
            if (tag.start || depth > 0)
                fail(tag.start ? tag.start : text.size(), "the part ends inside an element");
            break;
        }
        at = tag.end;
        if (tag.kind == TagKind::Other)
            continue;
        const size_t before = depth;
        if (tag.kind == TagKind::Open && ++depth > kMaxDepth)
            package_.Fail(part_ + ":" + std::to_string(Line(tag.start)),
                          "elements nested more than " + std::to_string(kMaxDepth) + " deep");
        else if (tag.kind == TagKind::Close && depth-- == 0)
            fail(tag.start, "an end tag without its start");
        if (before == 1 && !sawBody && TagLocalName(text, tag) == "body" &&
            tag.kind != TagKind::Close) {
            sawBody = true;
            inBody = tag.kind == TagKind::Open;
            continue;
        }
        if (!inBody)
            continue;
        if (before == 2 && tag.kind != TagKind::Close)
            blockAt = tag.start;
        // A block ends where the depth comes back to the body's.
        if (depth == 2 && (tag.kind == TagKind::Close || tag.kind == TagKind::Empty)) {
            {
                pugi::xml_document block;
                blockStart_ = blockAt;
                const pugi::xml_parse_result result = block.load_buffer_inplace(
                    const_cast<char*>(text_.data()) + blockAt, tag.end - blockAt, kParseOptions,
                    pugi::encoding_utf8);
                if (!result)
                    fail(blockAt + static_cast<size_t>(result.offset), result.description());
                for (pugi::xml_node n = block.first_child(); n; n = n.next_sibling())
                    if (n.type() == pugi::node_doctype)
                        fail(blockAt, "a document type declaration inside the body");
                visit(block.document_element());
            }
            Release(tag.end);
        }
        if (depth == 1)
            inBody = false;
        if (depth == 0)
            return sawBody;
    }
    return sawBody;
}

} // namespace Readers::Docx

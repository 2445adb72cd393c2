// SPDX-License-Identifier: MIT
#include "readers/markdown/MarkdownConverter.h"

#include "host/render/Colour.h"
#include "host/render/Fill.h"
#include "host/render/LineStyle.h"
#include "host/text/AnchorData.h"
#include "host/text/ListAtt.h"
#include "host/text/Table.h"
#include "readers/markdown/HouseStyle.h"
#include "readers/markdown/Picture.h"
#include "readers/markdown/RawHtml.h"

#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

namespace Readers::Markdown {

using Foundation::Counted;
using Foundation::MakeCounted;
using Foundation::StringT;

namespace {

constexpr double kIndentStep = 24; // points per quote or list level

struct IterFree {
    void operator()(cmark_iter* iter) const { cmark_iter_free(iter); }
};
using Iter = std::unique_ptr<cmark_iter, IterFree>;

Iter MakeIter(cmark_node* root) {
    Iter iter(cmark_iter_new(root));
    if (!iter)
        throw std::bad_alloc();
    return iter;
}

std::string_view TypeName(cmark_node* node) {
    const char* name = cmark_node_get_type_string(node);
    return name ? std::string_view(name) : std::string_view();
}

std::string_view Literal(cmark_node* node) {
    const char* text = cmark_node_get_literal(node);
    return text ? std::string_view(text) : std::string_view();
}

// Text as the text model takes it: no line ends inside runs (they would start paragraphs) and
// none of the control characters XML cannot hold.
std::string Clean(std::string_view text) {
    const bool plain = std::none_of(text.begin(), text.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 0x20 || b == 0xEF;
    });
    if (plain)
        return std::string(text);
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b == '\n' || b == '\r') {
            out += ' ';
        } else if (b < 0x20 && b != '\t' && b != '\v') {
            continue;
        } else if (b == 0xEF && i + 2 < text.size() && text[i + 1] == '\xBF' &&
                   (text[i + 2] == '\xBE' || text[i + 2] == '\xBF')) {
            i += 2; // U+FFFE, U+FFFF
        } else {
            out += text[i];
        }
    }
    return out;
}

// The text of a node's inlines, as a heading's contents entry or a picture's alt text.
std::string NodeText(cmark_node* node) {
    std::string text;
    Iter iter = MakeIter(node);
    for (cmark_event_type ev; (ev = cmark_iter_next(iter.get())) != CMARK_EVENT_DONE;) {
        if (ev != CMARK_EVENT_ENTER)
            continue;
        cmark_node* n = cmark_iter_get_node(iter.get());
        switch (cmark_node_get_type(n)) {
        case CMARK_NODE_TEXT:
        case CMARK_NODE_CODE:
            text += Literal(n);
            break;
        case CMARK_NODE_SOFTBREAK:
        case CMARK_NODE_LINEBREAK:
            text += ' ';
            break;
        default:
            break;
        }
    }
    return Clean(text);
}

// GitHub's heading identifiers: lower case, spaces to hyphens, punctuation dropped.
std::string Slug(std::string_view text) {
    std::string slug;
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 'A' && b <= 'Z')
            slug += static_cast<char>(b + 32);
        else if ((b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || c == '-' || c == '_' ||
                 b >= 0x80)
            slug += c;
        else if (c == ' ')
            slug += '-';
    }
    return slug;
}

bool IsUrlChar(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::strchr("-._~:/?#@!$&'()*+,;=", c) != nullptr;
}

bool IsHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// A URL any reading system parses: what is not allowed as such is percent-escaped.
std::string EscapedUrl(std::string_view url) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < url.size(); ++i) {
        const auto c = static_cast<unsigned char>(url[i]);
        const bool escape = c == '%'
                                ? !(i + 2 < url.size() && IsHex(url[i + 1]) && IsHex(url[i + 2]))
                                : !IsUrlChar(c);
        if (!escape) {
            out += url[i];
            continue;
        }
        out += '%';
        out += kHex[c >> 4];
        out += kHex[c & 15];
    }
    return out;
}

// Links that leave the publication for the wider world; anything else relative would point at a
// file the publication does not hold.
bool HasWebScheme(std::string_view url) {
    const size_t colon = url.find(':');
    if (colon == std::string_view::npos || colon == 0)
        return false;
    std::string scheme;
    for (const char c : url.substr(0, colon))
        scheme += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return scheme == "http" || scheme == "https" || scheme == "mailto" || scheme == "ftp" ||
           scheme == "tel";
}

bool IsAlnum(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Reading systems refuse to follow a web address whose host is not a plain name: dot-separated
// labels of letters, digits and inner hyphens, maybe with a port.
bool HasValidHost(std::string_view url) {
    const size_t slashes = url.find("://");
    if (slashes == std::string_view::npos)
        return url.find(':') + 1 < url.size(); // mailto:, tel:
    std::string_view host = url.substr(slashes + 3);
    host = host.substr(0, host.find_first_of("/?#"));
    if (const size_t at = host.rfind('@'); at != std::string_view::npos)
        host.remove_prefix(at + 1);
    if (const size_t colon = host.find(':'); colon != std::string_view::npos) {
        const std::string_view port = host.substr(colon + 1);
        if (port.size() > 5 ||
            !std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return false;
        host = host.substr(0, colon);
    }
    if (host.ends_with('.'))
        host.remove_suffix(1);
    if (host.empty())
        return false;
    while (!host.empty()) {
        const std::string_view label = host.substr(0, host.find('.'));
        if (label.empty() || label.size() > 63 || !IsAlnum(label.front()) ||
            !IsAlnum(label.back()) ||
            !std::all_of(label.begin(), label.end(), [](char c) { return IsAlnum(c) || c == '-'; }))
            return false;
        host.remove_prefix(std::min(host.size(), label.size() + 1));
    }
    return true;
}

Counted<const Text::Delta> GlyphDelta(Text::AttributeSet glyph) {
    return MakeCounted<Text::Delta>(Text::AttributeSet(), std::move(glyph));
}

Counted<const Text::Delta> ParagraphDelta(Text::AttributeSet paragraph) {
    if (paragraph.empty())
        return {};
    return MakeCounted<Text::Delta>(std::move(paragraph), Text::AttributeSet());
}

// The first line's indent is measured from the same edge as the others: moving one without the
// other would hang the first line out.
void SetIndent(Text::AttributeSet& paragraph, double indent) {
    paragraph.Set(Text::ParaDouble::LeftIndent, indent);
    paragraph.Set(Text::ParaDouble::FirstLineIndent, indent);
}

double BaseIndent(const std::string& style) {
    if (style == StyleName::BlockQuote || style == StyleName::ListContinue)
        return kIndentStep;
    if (style == StyleName::CodeBlock)
        return 12;
    return 0;
}

Counted<const Text::TableFormat> HouseTableFormat() {
    const auto grey = Render::FillDescriptor::MakeSolid(Render::Colour::MakeRGB(0x99, 0x99, 0x99));
    const auto thin = MakeCounted<const Render::LineStyleDescriptor>(0.75, Render::DashKind::Solid);
    Text::TableFormatSettings format;
    format.outer = format.innerHorizontal = format.innerVertical = {grey, thin};
    format.headerFill =
        Render::FillDescriptor::MakeSolid(Render::Colour::MakeRGB(0xee, 0xee, 0xee));
    return Text::TableFormat::Make(std::move(format));
}

// Inline HTML of a paragraph is carried only when all of it is: known elements, properly
// nested and closed within the paragraph.
bool CarriesInlineHtml(cmark_node* container) {
    std::vector<std::string> open;
    Iter iter = MakeIter(container);
    for (cmark_event_type ev; (ev = cmark_iter_next(iter.get())) != CMARK_EVENT_DONE;) {
        cmark_node* n = cmark_iter_get_node(iter.get());
        if (ev != CMARK_EVENT_ENTER || cmark_node_get_type(n) != CMARK_NODE_HTML_INLINE)
            continue;
        const HtmlTag tag = ParseTag(Literal(n));
        switch (tag.kind) {
        case HtmlTag::Kind::Comment:
            break;
        case HtmlTag::Kind::Empty:
            if (!IsVoidElement(tag.name) && !InlineElementStyle(tag.name))
                return false;
            break;
        case HtmlTag::Kind::Open:
            if (!InlineElementStyle(tag.name))
                return false;
            open.push_back(tag.name);
            break;
        case HtmlTag::Kind::Close:
            if (open.empty() || open.back() != tag.name)
                return false;
            open.pop_back();
            break;
        case HtmlTag::Kind::Other:
            return false;
        }
    }
    return open.empty();
}

bool HasInlineHtml(cmark_node* container) {
    Iter iter = MakeIter(container);
    for (cmark_event_type ev; (ev = cmark_iter_next(iter.get())) != CMARK_EVENT_DONE;)
        if (cmark_node_get_type(cmark_iter_get_node(iter.get())) == CMARK_NODE_HTML_INLINE)
            return true;
    return false;
}

// A paragraph that is one picture and nothing else is a figure.
bool IsFigure(cmark_node* paragraph) {
    cmark_node* child = cmark_node_first_child(paragraph);
    return child && !cmark_node_next(child) && cmark_node_get_type(child) == CMARK_NODE_IMAGE;
}

// The runs' formatting: a stack of character styles (the innermost becomes the run's style,
// the others local attributes) and the link around them.
class InlineState {
public:
    explicit InlineState(const Text::StyleSheet& sheet) : sheet_(sheet) {}

    void Push(std::string style) {
        stack_.push_back(std::move(style));
        local_ = nullptr;
    }
    void Pop() {
        if (!stack_.empty())
            stack_.pop_back();
        local_ = nullptr;
    }
    void SetLink(Counted<const Text::AttObject> link) {
        link_ = std::move(link);
        local_ = nullptr;
    }

    StringT Style() const {
        for (auto it = stack_.rbegin(); it != stack_.rend(); ++it)
            if (!it->empty())
                return StringT(*it);
        return {};
    }

    const Counted<const Text::Delta>&
    Local(std::map<std::string, Counted<const Text::Delta>>& cache) {
        if (local_ || (stack_.size() < 2 && !link_))
            return local_;
        std::string key;
        Text::CompositeDelta outer;
        bool innermost = true;
        for (auto it = stack_.rbegin(); it != stack_.rend(); ++it) {
            if (it->empty())
                continue;
            if (innermost) {
                innermost = false;
                continue;
            }
            key += *it + '\n';
            outer.Add(sheet_.MakeDelta(StringT(*it)));
        }
        if (!link_) {
            Counted<const Text::Delta>& cached = cache[key];
            if (!cached && !key.empty())
                cached = GlyphDelta(outer.GetGlyph());
            return local_ = cached;
        }
        Text::AttributeSet glyph = outer.GetGlyph();
        glyph.Set(Text::GlyphObject::Hyperlink, link_);
        return local_ = GlyphDelta(std::move(glyph));
    }

private:
    const Text::StyleSheet& sheet_;
    std::vector<std::string> stack_;
    Counted<const Text::AttObject> link_;
    Counted<const Text::Delta> local_;
};

} // namespace

MarkdownConverter::MarkdownConverter(Document& doc, ConverterSettings settings)
    : doc_(doc), settings_(std::move(settings)), builder_(doc.styles) {}

std::string MarkdownConverter::FirstHeadingText(cmark_node* root) {
    for (cmark_node* n = cmark_node_first_child(root); n; n = cmark_node_next(n))
        if (cmark_node_get_type(n) == CMARK_NODE_HEADING)
            if (std::string text = NodeText(n); !text.empty())
                return text;
    return {};
}

std::string MarkdownConverter::Where(cmark_node* node) const {
    int line = node ? cmark_node_get_start_line(node) : 0;
    for (cmark_node* n = node; line <= 0 && n; n = cmark_node_parent(n))
        line = cmark_node_get_start_line(n);
    return "line " + std::to_string(std::max(line, 1) + settings_.firstLine - 1);
}

void MarkdownConverter::Finding(cmark_node* node, std::string message) {
    doc_.findings.push_back({Where(node), std::move(message)});
}

// Headings get their anchors before any text is written, so links may point forwards; notes are
// numbered in the order of their definitions at the end of the tree.
void MarkdownConverter::Prepare(cmark_node* root) {
    // A piece's nodes are freed with it: their addresses may come back in the next one.
    notes_.clear();
    headingAnchors_.clear();
    headingTexts_.clear();
    Iter iter = MakeIter(root);
    for (cmark_event_type ev; (ev = cmark_iter_next(iter.get())) != CMARK_EVENT_DONE;) {
        if (ev != CMARK_EVENT_ENTER)
            continue;
        cmark_node* n = cmark_iter_get_node(iter.get());
        const cmark_node_type type = cmark_node_get_type(n);
        if (type == CMARK_NODE_FOOTNOTE_DEFINITION) {
            notes_.push_back(n);
            cmark_iter_reset(iter.get(), n, CMARK_EVENT_EXIT);
            continue;
        }
        if (type != CMARK_NODE_HEADING)
            continue;
        std::string text = NodeText(n);
        std::string slug = Slug(text);
        if (slug.empty())
            slug = "section";
        Counted<Text::AnchorData> anchor;
        if (const auto wanted = pending_.find(slug); wanted != pending_.end()) {
            anchor = wanted->second;
            if (const auto from = forwardFrom_.find(anchor.get()); from != forwardFrom_.end()) {
                placedFrom_.push_back(from->second);
                forwardFrom_.erase(from);
            }
            pending_.erase(wanted);
        } else {
            if (const int count = slugUses_[slug]++; count > 0)
                slug += "-" + std::to_string(count);
            while (slugs_.contains(slug))
                slug += "-" + std::to_string(slugUses_[slug]++);
            anchor = doc_.styles->GetDocument()->MakeAnchor(StringT(slug));
        }
        slugs_[slug] = anchor;
        headingAnchors_[n] = anchor;
        headingTexts_[n] = std::move(text);
        cmark_iter_reset(iter.get(), n, CMARK_EVENT_EXIT);
    }
}

void MarkdownConverter::Convert(cmark_node* root) {
    StartStory(settings_.title, {});
    Prepare(root);
    Flow flow;
    flow.builder = &builder_;
    flow.marks = &entry_.marks;
    flow.main = true;
    WriteBlocks(root, flow);
    Finish();
}

void MarkdownConverter::Begin() {
    pieces_ = true;
    StartStory(settings_.title, {});
}

void MarkdownConverter::Add(cmark_node* root, int firstLine) {
    settings_.firstLine = firstLine;
    Prepare(root);
    Flow flow;
    flow.builder = &builder_;
    flow.marks = &entry_.marks;
    flow.main = true;
    WriteBlocks(root, flow);
    // The headings this piece placed are in stories up to the one still open.
    for (const size_t from : placedFrom_)
        holds_.push_back({from, doc_.stories.size()});
    placedFrom_.clear();
}

size_t MarkdownConverter::Ready() {
    const size_t finished = doc_.stories.size();
    std::erase_if(holds_, [finished](const Hold& hold) { return hold.until < finished; });
    size_t ready = finished;
    for (const auto& [anchor, from] : forwardFrom_)
        ready = std::min(ready, from);
    for (const Hold& hold : holds_)
        ready = std::min(ready, hold.from);
    return ready;
}

void MarkdownConverter::Finish() {
    if (!pending_.empty()) {
        Flow flow;
        flow.builder = &builder_;
        flow.main = true;
        if (!storyHasText_)
            OpenParagraph(flow, StyleName::Body, false);
        for (const auto& [name, anchor] : pending_) {
            builder_.Anchor(anchor);
            entry_.marks.anchors.push_back({anchor, {}});
            doc_.findings.push_back(
                {"end", "links to \"#" + name + "\" name no heading; they lead to the end"});
        }
        pending_.clear();
        forwardFrom_.clear();
    }
    FinishStory();
    holds_.clear();
    if (doc_.stories.empty()) {
        // An empty document still makes a publication, with one empty page.
        StartStory(settings_.title, settings_.title);
        storyHasText_ = true;
        builder_.Paragraph(StringT(StyleName::Body));
        builder_.Anchor(entry_.startAnchor);
        FinishStory();
    }
    // A document without chapters is listed in the contents by its title.
    if (doc_.stories.size() == 1 && doc_.stories[0].tocText.empty())
        doc_.stories[0].tocText = StringT(settings_.title);
}

void MarkdownConverter::StartStory(const std::string& title, const std::string& tocText) {
    // A story that ends before any text (the start of a text that opens with a chapter heading)
    // leaves its number to the next: files are numbered from 1 whatever the text starts with.
    const bool empty = storyOpen_ && !storyHasText_;
    FinishStory();
    if (!empty)
        ++storyCount_;
    char name[32];
    std::snprintf(name, sizeof name, "chapter-%03d.xhtml", storyCount_);
    entry_ = StoryEntry{};
    entry_.fileName = StringT(name);
    entry_.title = StringT(title);
    entry_.tocText = StringT(tocText);
    entry_.startAnchor = doc_.styles->GetDocument()->MakeAnchor(StringT(name));
    entry_.marks.anchors.push_back({entry_.startAnchor, {}});
    entry_.item = doc_.stories.size();
    storyOpen_ = true;
    storyHasText_ = false;
    startWritten_ = false;
}

void MarkdownConverter::FinishStory() {
    if (!storyOpen_ || !storyHasText_)
        return;
    storyOpen_ = false;
    entry_.story = builder_.Build();
    entry_.marks.Resolve(entry_.story);
    doc_.stories.push_back(std::move(entry_));
    entry_ = StoryEntry{};
}

void MarkdownConverter::WriteBlocks(cmark_node* root, Flow& flow) {
    Iter iter = MakeIter(root);
    for (cmark_event_type ev; (ev = cmark_iter_next(iter.get())) != CMARK_EVENT_DONE;) {
        cmark_node* n = cmark_iter_get_node(iter.get());
        if (n == root)
            continue;
        if (ev == CMARK_EVENT_EXIT) {
            ExitBlock(n, flow);
            continue;
        }
        if (EnterBlock(n, flow))
            cmark_iter_reset(iter.get(), n, CMARK_EVENT_EXIT);
    }
}

bool MarkdownConverter::EnterBlock(cmark_node* node, Flow& flow) {
    switch (cmark_node_get_type(node)) {
    case CMARK_NODE_BLOCK_QUOTE:
        if (flow.itemPending)
            OpenParagraph(flow, StyleName::Body, false);
        ++flow.quoteDepth;
        return false;
    case CMARK_NODE_LIST: {
        if (flow.itemPending)
            OpenParagraph(flow, StyleName::Body, false);
        ListFrame frame;
        frame.ordered = cmark_node_get_list_type(node) == CMARK_ORDERED_LIST;
        frame.start = cmark_node_get_list_start(node);
        frame.delimiter = cmark_node_get_list_delim(node) == CMARK_PAREN_DELIM ? ')' : '.';
        flow.lists.push_back(frame);
        return false;
    }
    case CMARK_NODE_ITEM:
        if (!flow.lists.empty())
            ++flow.lists.back().items;
        flow.itemPending = true;
        flow.itemIsTask = TypeName(node) == "tasklist";
        flow.itemChecked = flow.itemIsTask && cmark_gfm_extensions_get_tasklist_item_checked(node);
        return false;
    case CMARK_NODE_PARAGRAPH:
        WriteParagraph(node, flow);
        return true;
    case CMARK_NODE_HEADING:
        WriteHeading(node, flow);
        return true;
    case CMARK_NODE_CODE_BLOCK:
        WriteCodeBlock(node, flow);
        return true;
    case CMARK_NODE_HTML_BLOCK:
        WriteHtmlBlock(node, flow);
        return true;
    case CMARK_NODE_THEMATIC_BREAK:
        OpenParagraph(flow, StyleName::Separator, false);
        flow.builder->Text("* * *");
        return true;
    case CMARK_NODE_FOOTNOTE_DEFINITION:
        return true; // written where referred to
    default:
        break;
    }
    if (TypeName(node) == "table") {
        WriteTable(node, flow);
        return true;
    }
    return false;
}

void MarkdownConverter::ExitBlock(cmark_node* node, Flow& flow) {
    switch (cmark_node_get_type(node)) {
    case CMARK_NODE_BLOCK_QUOTE:
        --flow.quoteDepth;
        break;
    case CMARK_NODE_LIST:
        flow.lists.pop_back();
        break;
    case CMARK_NODE_ITEM:
        // An empty item still shows its marker.
        if (flow.itemPending)
            OpenParagraph(flow, StyleName::Body, false);
        flow.itemPending = false;
        break;
    default:
        break;
    }
}

// Opens a paragraph of `style` in the context of quotes and lists: the first paragraph of a list
// item carries its marker; a block that cannot gets an empty marker paragraph before it.
void MarkdownConverter::OpenParagraph(Flow& flow, const std::string& style, bool canCarryMarker) {
    Text::StoryBuilder& b = *flow.builder;
    const int quotes = std::min(flow.quoteDepth, kMaxQuoteIndent);
    const int lists = std::min(static_cast<int>(flow.lists.size()), kMaxListLevel + 1);
    const auto open = [&](const std::string& name, Text::AttributeSet paragraph) {
        b.Paragraph(StringT(name), ParagraphDelta(std::move(paragraph)));
        if (flow.main) {
            storyHasText_ = true;
            if (entry_.startAnchor && std::exchange(startWritten_, true) == false)
                b.Anchor(entry_.startAnchor);
        }
    };
    if (flow.itemPending && !flow.lists.empty()) {
        flow.itemPending = false;
        const ListFrame& frame = flow.lists.back();
        Text::ListSettings list;
        list.type = frame.ordered ? Text::ListType::Numbered : Text::ListType::Bullet;
        list.level = std::min(static_cast<int>(flow.lists.size()) - 1, kMaxListLevel);
        list.startAt = frame.start;
        list.restart = frame.items == 1;
        static constexpr std::array<const char*, 3> kBullets{"\u2022\t", "\u25E6\t", "\u25AA\t"};
        list.bullet = Text::GlyphString(kBullets[static_cast<size_t>(list.level) % 3]);
        list.suffix = Text::GlyphString(frame.delimiter == ')' ? ")\t" : ".\t");
        const int level = list.level;
        Text::AttributeSet paragraph;
        paragraph.Set(Text::ParaObject::List,
                      Counted<const Text::AttObject>(Text::ListAtt::Make(std::move(list))));
        // Numbers are written as text (see MarkdownReader.cpp): they hang in the indent of
        // their level, which list elements would otherwise give them.
        if (frame.ordered) {
            paragraph.Set(Text::ParaDouble::LeftIndent, kIndentStep * (quotes + level + 1));
            paragraph.Set(Text::ParaDouble::FirstLineIndent, kIndentStep * (quotes + level));
        } else if (quotes > 0) {
            SetIndent(paragraph, kIndentStep * quotes);
        }
        open(frame.ordered ? StyleName::NumberedList : StyleName::BulletList, std::move(paragraph));
        if (flow.itemIsTask)
            b.Text(flow.itemChecked ? "\u2611 " : "\u2610 ");
        if (canCarryMarker)
            return;
    }
    std::string name = style;
    if (name == StyleName::Body && lists > 0)
        name = StyleName::ListContinue;
    else if (name == StyleName::Body && quotes > 0)
        name = StyleName::BlockQuote;
    Text::AttributeSet paragraph;
    const double indent = kIndentStep * (quotes + lists);
    if (indent > 0) {
        // The style's own indent is one level of what it stands for.
        const double own = BaseIndent(name);
        const double levels = name == StyleName::BlockQuote || name == StyleName::ListContinue
                                  ? indent
                                  : indent + own;
        if (levels != own)
            SetIndent(paragraph, levels);
    }
    open(name, std::move(paragraph));
}

void MarkdownConverter::WriteParagraph(cmark_node* node, Flow& flow) {
    const std::string style = IsFigure(node)
                                  ? StyleName::Figure
                                  : (flow.noteDepth > 0 ? StyleName::Footnote : StyleName::Body);
    OpenParagraph(flow, style);
    WriteInlines(node, flow);
}

void MarkdownConverter::WriteHeading(cmark_node* node, Flow& flow) {
    const int level = std::clamp(cmark_node_get_heading_level(node), 1, 6);
    const auto anchor = headingAnchors_.find(node);
    const std::string& text = headingTexts_[node];
    const bool chapter =
        flow.main && level <= settings_.chapterLevel && flow.lists.empty() && flow.quoteDepth == 0;
    if (chapter) {
        StartStory(text.empty() ? settings_.title : text, text.empty() ? settings_.title : text);
        flow.marks = &entry_.marks;
    }
    OpenParagraph(flow, HeadingStyle(level), false);
    if (flow.marks && anchor != headingAnchors_.end()) {
        flow.builder->Anchor(anchor->second);
        flow.marks->anchors.push_back({anchor->second, {}});
        if (!chapter && !text.empty())
            flow.marks->toc.push_back({anchor->second, StringT(text)});
    }
    WriteInlines(node, flow);
}

void MarkdownConverter::WriteCodeBlock(cmark_node* node, Flow& flow) {
    std::string text(Literal(node));
    if (text.ends_with('\n'))
        text.pop_back();
    std::replace(text.begin(), text.end(), '\n', '\v');
    OpenParagraph(flow, StyleName::CodeBlock, false);
    if (!text.empty())
        flow.builder->Text(Clean(text));
}

void MarkdownConverter::WriteHtmlBlock(cmark_node* node, Flow& flow) {
    const std::string_view literal = Literal(node);
    if (const auto paragraphs = ConvertHtmlBlock(literal)) {
        for (const HtmlParagraph& paragraph : *paragraphs) {
            OpenParagraph(flow, paragraph.style, false);
            for (const HtmlRun& run : paragraph.runs)
                flow.builder->Text(run.text == "\v" ? run.text : Clean(run.text),
                                   StringT(run.style));
        }
        return;
    }
    Finding(node, "HTML that is not well-formed XHTML of elements an EPUB carries was kept as "
                  "text");
    std::string text(literal);
    while (text.ends_with('\n'))
        text.pop_back();
    std::replace(text.begin(), text.end(), '\n', '\v');
    OpenParagraph(flow, StyleName::RawHtml, false);
    flow.builder->Text(Clean(text));
}

void MarkdownConverter::WriteTable(cmark_node* node, Flow& flow) {
    const int columns = cmark_gfm_extensions_get_table_columns(node);
    const uint8_t* alignments = cmark_gfm_extensions_get_table_alignments(node);
    int rows = 0;
    for (cmark_node* row = cmark_node_first_child(node); row; row = cmark_node_next(row))
        ++rows;
    if (columns <= 0 || rows <= 0)
        return;
    if (static_cast<int64_t>(columns) * rows > Text::Table::kMaxCells) {
        Finding(node, "a table of more than " + std::to_string(Text::Table::kMaxCells) +
                          " cells was written as paragraphs");
        for (cmark_node* row = cmark_node_first_child(node); row; row = cmark_node_next(row)) {
            OpenParagraph(flow, StyleName::Body, false);
            for (cmark_node* cell = cmark_node_first_child(row); cell; cell = cmark_node_next(cell))
                flow.builder->Text(NodeText(cell) + (cmark_node_next(cell) ? " | " : ""));
        }
        return;
    }
    std::array<Counted<const Text::Delta>, 3> aligned;
    const auto alignment = [&](int column) -> Counted<const Text::Delta> {
        const char a = alignments ? static_cast<char>(alignments[column]) : 0;
        const size_t i = a == 'c' ? 0 : a == 'r' ? 1 : 2;
        if (i == 2 && a != 'l')
            return {};
        if (!aligned[i]) {
            Text::AttributeSet paragraph;
            paragraph.Set(Text::ParaInt::Alignment, i == 0   ? Text::Alignment::Centre
                                                    : i == 1 ? Text::Alignment::Right
                                                             : Text::Alignment::Left);
            aligned[i] = ParagraphDelta(std::move(paragraph));
        }
        return aligned[i];
    };
    Text::TableBuilder table(doc_.styles, columns, rows);
    cmark_node* first = cmark_node_first_child(node);
    table.Settings().headerRows = TypeName(first) == "table_header" ? 1 : 0;
    table.Settings().format = HouseTableFormat();
    int r = 0;
    for (cmark_node* row = first; row; row = cmark_node_next(row), ++r) {
        const bool header = TypeName(row) == "table_header";
        int c = 0;
        for (cmark_node* cell = cmark_node_first_child(row); cell && c < columns;
             cell = cmark_node_next(cell), ++c) {
            Text::StoryBuilder& b = table.Cell(c, r);
            b.Paragraph(StringT(header ? StyleName::TableHeader : StyleName::TableCell),
                        alignment(c));
            Flow cellFlow;
            cellFlow.builder = &b;
            cellFlow.noteDepth = flow.noteDepth;
            WriteInlines(cell, cellFlow);
        }
    }
    OpenParagraph(flow, StyleName::TableHolder, false);
    flow.builder->Table(table.Build());
}

void MarkdownConverter::WriteInlines(cmark_node* container, Flow& flow) {
    Text::StoryBuilder& b = *flow.builder;
    const bool carryHtml = !HasInlineHtml(container) || CarriesInlineHtml(container);
    if (!carryHtml)
        Finding(container, "inline HTML that is not well-formed XHTML of elements an EPUB "
                           "carries was kept as text");
    InlineState state(*doc_.styles);
    std::map<std::string, Counted<const Text::Delta>>& cache = localCache_;
    const auto text = [&](std::string_view run) {
        if (!run.empty())
            b.Text(Clean(run), state.Style(), state.Local(cache));
    };
    Iter iter = MakeIter(container);
    for (cmark_event_type ev; (ev = cmark_iter_next(iter.get())) != CMARK_EVENT_DONE;) {
        cmark_node* n = cmark_iter_get_node(iter.get());
        if (n == container)
            continue;
        const bool enter = ev == CMARK_EVENT_ENTER;
        switch (cmark_node_get_type(n)) {
        case CMARK_NODE_TEXT:
            text(Literal(n));
            break;
        case CMARK_NODE_SOFTBREAK:
            text(" ");
            break;
        case CMARK_NODE_LINEBREAK:
            b.Text("\v", state.Style(), state.Local(cache));
            break;
        case CMARK_NODE_CODE:
            state.Push(StyleName::Code);
            text(Literal(n));
            state.Pop();
            break;
        case CMARK_NODE_EMPH:
            enter ? state.Push(StyleName::Emphasis) : state.Pop();
            break;
        case CMARK_NODE_STRONG:
            enter ? state.Push(StyleName::Strong) : state.Pop();
            break;
        case CMARK_NODE_LINK:
            if (enter) {
                state.SetLink(Link(n));
                state.Push(StyleName::Link);
            } else {
                state.SetLink({});
                state.Pop();
            }
            break;
        case CMARK_NODE_IMAGE:
            WriteImage(n, flow);
            cmark_iter_reset(iter.get(), n, CMARK_EVENT_EXIT);
            break;
        case CMARK_NODE_FOOTNOTE_REFERENCE:
            if (enter)
                WriteNote(n, flow);
            break;
        case CMARK_NODE_HTML_INLINE:
            if (!carryHtml) {
                text(Literal(n));
                break;
            }
            if (const HtmlTag tag = ParseTag(Literal(n)); tag.kind == HtmlTag::Kind::Open)
                state.Push(InlineElementStyle(tag.name).value_or(""));
            else if (tag.kind == HtmlTag::Kind::Close)
                state.Pop();
            else if (tag.kind == HtmlTag::Kind::Empty && tag.name == "br")
                b.Text("\v", state.Style(), state.Local(cache));
            break;
        default:
            if (TypeName(n) == "strikethrough")
                enter ? state.Push(StyleName::Strikethrough) : state.Pop();
            break;
        }
    }
}

Counted<const Text::AttObject> MarkdownConverter::Link(cmark_node* node) {
    const char* raw = cmark_node_get_url(node);
    const std::string url = raw ? raw : "";
    if (url.starts_with('#')) {
        // GitHub writes heading identifiers escaped: compare them as written.
        const auto it =
            slugs_.find(Slug(url.substr(1)) == url.substr(1) ? url.substr(1) : Slug(url.substr(1)));
        if (it != slugs_.end())
            return Text::HyperlinkAtt::Make(Text::HyperlinkData::MakeAnchor(it->second));
        if (pieces_ && url.size() > 1) {
            // The heading may be in a piece still to come.
            const std::string name = Slug(url.substr(1));
            auto& anchor = pending_[name];
            if (!anchor)
                anchor = doc_.styles->GetDocument()->MakeAnchor(StringT(name));
            // Stories written from the one open now hold this link.
            forwardFrom_.try_emplace(anchor.get(), doc_.stories.size());
            return Text::HyperlinkAtt::Make(Text::HyperlinkData::MakeAnchor(anchor));
        }
        Finding(node, "the link to \"" + url + "\" names no heading; kept as text");
        return {};
    }
    if (HasWebScheme(url) && HasValidHost(url))
        return Text::HyperlinkAtt::Make(Text::HyperlinkData::MakeURL(StringT(EscapedUrl(url))));
    Finding(node, url.empty()
                      ? std::string("a link without a target was kept as text")
                      : "the link to \"" + url + "\" points outside the publication; kept as text");
    return {};
}

void MarkdownConverter::WriteImage(cmark_node* node, Flow& flow) {
    const std::string alt = NodeText(node);
    const char* url = cmark_node_get_url(node);
    auto picture = LoadPicture(settings_.baseDir, url ? url : "", alt);
    if (auto* frame = std::get_if<Text::FrameSettings>(&picture)) {
        flow.builder->Frame(std::move(*frame));
        return;
    }
    Finding(node, "picture skipped: " + std::get<std::string>(picture));
    // The alternative text still says what was there.
    if (!alt.empty())
        flow.builder->Text(alt);
}

void MarkdownConverter::WriteNote(cmark_node* node, Flow& flow) {
    const std::string number(Literal(node));
    size_t index = 0;
    for (const char c : number)
        index = c >= '0' && c <= '9' && index < notes_.size() + 1 ? index * 10 + (c - '0') : 0;
    if (index == 0 || index > notes_.size() || flow.noteDepth >= kMaxNoteDepth) {
        flow.builder->Text("[" + number + "]");
        return;
    }
    Text::StoryBuilder builder(doc_.styles);
    Flow note;
    note.builder = &builder;
    note.noteDepth = flow.noteDepth + 1;
    WriteBlocks(notes_[index - 1], note);
    flow.builder->Note(Text::NoteKind::Footnote, builder.Build());
}

} // namespace Readers::Markdown

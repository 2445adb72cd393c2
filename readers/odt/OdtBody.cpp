// SPDX-License-Identifier: MIT
#include "readers/odt/OdtBody.h"

#include "host/raster/ImageFile.h"
#include "host/render/RenderTags.h"
#include "host/text/AnchoredFrame.h"
#include "host/text/AttributeIds.h"
#include "host/text/AttributeObjects.h"
#include "host/text/Table.h"
#include "readers/common/ContentRules.h"
#include "readers/common/ListCount.h"
#include "readers/common/PictureSource.h"
#include "readers/odt/Base64.h"
#include "readers/odt/MathMl.h"

#include <algorithm>

namespace Readers::Odt {

using Foundation::Counted;
using Foundation::MakeCounted;
using Foundation::StringT;

namespace {

constexpr double kMaxLength = 100000;
// Repeated rows and cells beyond this are what spreadsheets write to fill a sheet, not text; each
// repeat reads the cell's content again.
constexpr int kMaxRepeat = 100;
constexpr int kMaxColumns = 1000;
constexpr size_t kMaxSpaces = 1000;

template <class T> Counted<const Text::AttObject> AsObject(Counted<const T> object) {
    return Counted<const Text::AttObject>(std::move(object));
}

std::string Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return std::string(text);
}

// Tabs and line ends in the text are white space (text:tab and text:line-break are the real
// ones), and control characters, which XML does not allow, are taken as such too.
bool IsSpace(char c) {
    return static_cast<unsigned char>(c) <= 0x20;
}

enum class WritingScript { Neutral, Western, Asian, Complex };

// The code point starting at `at`, which moves past it; U+FFFD for a broken sequence.
char32_t NextCodePoint(std::string_view text, size_t& at) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    const size_t length = lead < 0x80    ? 1
                          : lead >= 0xF0 ? 4
                          : lead >= 0xE0 ? 3
                          : lead >= 0xC0 ? 2
                                         : 1;
    if (at + length > text.size()) {
        at = text.size();
        return U'\uFFFD';
    }
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i)
        c = (c << 6) | (byte(at + i) & 0x3F);
    at += length;
    return c;
}

// Which of the three font sets of OpenDocument text a character is drawn with.
WritingScript ScriptOf(char32_t c) {
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ? WritingScript::Western
                                                                : WritingScript::Neutral;
    if ((c >= 0x0590 && c <= 0x08FF) || (c >= 0x0900 && c <= 0x0DFF) ||
        (c >= 0x0E00 && c <= 0x0EFF) || (c >= 0xFB1D && c <= 0xFDFF) ||
        (c >= 0xFE70 && c <= 0xFEFF))
        return WritingScript::Complex;
    if ((c >= 0x1100 && c <= 0x11FF) || (c >= 0x2E80 && c <= 0x9FFF) ||
        (c >= 0xA960 && c <= 0xA97F) || (c >= 0xAC00 && c <= 0xD7FF) ||
        (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
        (c >= 0xFF00 && c <= 0xFFEF) || c >= 0x20000)
        return WritingScript::Asian;
    if ((c >= 0x2000 && c <= 0x206F) || c == 0xA0 || (c >= 0xA1 && c <= 0xBF))
        return WritingScript::Neutral;
    return WritingScript::Western;
}

std::string OneLine(std::string text) {
    for (char& c : text)
        if (IsSpace(c))
            c = ' ';
    return text;
}

// The text of a node and everything in it, to a depth no alternative text needs.
std::string AllText(pugi::xml_node node, int depth = 0) {
    std::string out;
    for (pugi::xml_node n = node.first_child(); n; n = n.next_sibling()) {
        if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata)
            out += n.value();
        else if (n.type() == pugi::node_element && out.size() < 10000 && depth < 16)
            out += AllText(n, depth + 1);
    }
    return out;
}

} // namespace

OdtBody::OdtBody(OdtSource& source, const OdtStyles& styles, Counted<Text::StyleSheet> sheet,
                 BodyOptions options)
    : source_(source), styles_(styles), lists_(styles), sheet_(std::move(sheet)),
      options_(options) {}

void OdtBody::Finding(pugi::xml_node where, std::string message) {
    std::string place = source_.Where(where);
    // A flat file has lines but no parts.
    if (place.starts_with(':'))
        place = "line " + place.substr(1);
    source_.Findings().push_back({std::move(place), std::move(message)});
}

void OdtBody::Enter(pugi::xml_node where) {
    if (++depth_ > options_.maxNesting)
        source_.Fail(where,
                     "elements nested more than " + std::to_string(options_.maxNesting) + " deep");
}

OdtBody::Survey OdtBody::Scan(const BlockStream& content) {
    Survey survey;
    for (const auto& [element, attribute] :
         {std::pair{"bookmark", "name"}, std::pair{"bookmark-start", "name"},
          std::pair{"reference-mark", "name"}, std::pair{"reference-mark-start", "name"},
          std::pair{"note", "id"}, std::pair{"sequence", "ref-name"}})
        for (std::string value : content.Values(element, attribute))
            survey.targets.insert(std::move(value));
    // Links to a heading by its text ("#Intro|outline") make the heading a target.
    for (std::string value : content.Values("a", "href"))
        if (value.starts_with('#') && value.ends_with("|outline"))
            survey.targets.insert(value.substr(1));
    survey.targets.erase(std::string());
    survey.softPageBreaks = content.Text().find("soft-page-break") != std::string_view::npos;
    return survey;
}

void OdtBody::Begin(Survey survey, std::vector<StoryEntry>& out) {
    out_ = &out;
    targets_ = std::move(survey.targets);
    hasPages_ = options_.printPages && survey.softPageBreaks;
    NewStory();
    if (hasPages_)
        pendingPages_.push_back("1");
}

void OdtBody::Visit(pugi::xml_node block) {
    Block(block, *main_, ListPlace());
}

void OdtBody::Finish() {
    FlushPages(*main_);
    // Links may lead to a name whose text was left out: they land at the end rather than nowhere.
    for (const auto& [name, anchor] : anchors_)
        if (!placed_.count(name)) {
            builder_->Anchor(anchor);
            entry_.marks.anchors.push_back({anchor, {}});
        }
    CloseStory();
}

void OdtBody::NewStory() {
    if (builder_)
        CloseStory();
    entry_ = StoryEntry{};
    entry_.fileName = StringT("section-" + std::to_string(out_->size() + 1) + ".xhtml");
    auto start = sheet_->GetDocument()->MakeAnchor(entry_.fileName);
    entry_.startAnchor = start;
    entry_.marks.anchors.push_back({start, {}});
    entry_.item = out_->size();
    builder_ = std::make_unique<Text::StoryBuilder>(sheet_);
    if (!main_)
        main_ = std::make_unique<Sink>();
    main_->builder = builder_.get();
    main_->marks = &entry_.marks;
    main_->numbers = Text::Numberer::Make();
    pendingTop_ = start;
    storyEmpty_ = true;
    headings_.StartStory();
}

void OdtBody::CloseStory() {
    if (pendingTop_)
        builder_->Anchor(std::exchange(pendingTop_, nullptr));
    Counted<const Text::Story> story = builder_->Build();
    entry_.story = story;
    entry_.marks.Resolve(story);
    out_->push_back(std::move(entry_));
    builder_.reset();
}

const OdtStyles::Paragraph& OdtBody::ParagraphStyle(std::string_view name) {
    auto it = paragraphStyles_.find(name);
    if (it == paragraphStyles_.end())
        it = paragraphStyles_.emplace(std::string(name), styles_.ParagraphStyle(name)).first;
    return it->second;
}

const OdtStyles::Span& OdtBody::TextStyle(std::string_view name, double size) {
    std::string key(name);
    key += '\n';
    key += std::to_string(size);
    auto it = textStyles_.find(key);
    if (it == textStyles_.end())
        it = textStyles_.emplace(std::move(key), styles_.TextStyle(name, size)).first;
    return it->second;
}

Counted<const Text::Delta> OdtBody::Intern(Text::AttributeSet paragraph, Text::AttributeSet glyph) {
    // The builder caches attributes per delta object: equal formatting must be one object.
    size_t hash = paragraph.Hash();
    Text::HashCombine(hash, glyph.Hash());
    auto& bucket = deltas_[hash];
    for (const auto& delta : bucket)
        if (delta->GetParagraph() == paragraph && delta->GetGlyph() == glyph)
            return delta;
    bucket.push_back(MakeCounted<const Text::Delta>(std::move(paragraph), std::move(glyph)));
    return bucket.back();
}

std::string OdtBody::OutlineStyle(const std::string& style, int level) {
    // A style of its own, adding nothing but the element: the host tags paragraphs by style.
    const std::string element = level > 0 ? "h" + std::to_string(std::clamp(level, 1, 6)) : "p";
    const std::string name = style + " (" + element + ")";
    if (!sheet_->GetStyle(StringT(name)))
        sheet_->AddStyle(Text::Style::Make(
            StringT(name), Text::StyleKind::Paragraph, StringT(style), MakeCounted<Text::Delta>(),
            Text::EPubTag::Make(Text::EPubTag::ElementSet | Text::EPubTag::ClassSet,
                                StringT(element), StringT("outline-" + element))));
    return name;
}

void OdtBody::PageBreak(std::optional<int> number) {
    if (!hasPages_)
        return;
    page_ = number ? *number : page_ + 1;
    pendingPages_.push_back(std::to_string(page_));
}

void OdtBody::FlushPages(Sink& sink) {
    if (&sink != main_.get() || pendingPages_.empty())
        return;
    // Several breaks before any text (empty pages) all lead to the same place.
    for (std::string& label : pendingPages_) {
        auto anchor = sheet_->GetDocument()->MakeAnchor(StringT("page-" + label));
        sink.builder->Anchor(anchor);
        sink.marks->anchors.push_back({anchor, {}});
        sink.marks->pages.push_back({anchor, StringT(std::move(label))});
    }
    pendingPages_.clear();
}

Counted<const Text::AttObject> OdtBody::LinkTo(std::string_view name) {
    if (!targets_.count(name))
        return {};
    auto& anchor = anchors_[std::string(name)];
    if (!anchor)
        anchor = sheet_->GetDocument()->MakeAnchor(StringT(std::string(name)));
    return AsObject(Text::HyperlinkAtt::Make(Text::HyperlinkData::MakeAnchor(anchor)));
}

Counted<const Text::AttObject> OdtBody::LinkFor(std::string_view href) {
    if (href.starts_with("#")) {
        std::string_view name = href.substr(1);
        // "#Chapter|outline", "#Table1|table": a target by its kind; only bookmarks are kept.
        if (const size_t bar = name.rfind('|');
            bar != std::string_view::npos && !targets_.count(name))
            name = name.substr(0, bar);
        return LinkTo(name);
    }
    if (const std::string url = FollowableUrl(href); !url.empty())
        return AsObject(Text::HyperlinkAtt::Make(Text::HyperlinkData::MakeURL(StringT(url))));
    return {};
}

void OdtBody::Bookmark(std::string_view name, Sink&) {
    if (!targets_.count(name) || placed_.count(name))
        return;
    auto& anchor = anchors_[std::string(name)];
    if (!anchor)
        anchor = sheet_->GetDocument()->MakeAnchor(StringT(std::string(name)));
    placed_.emplace(name);
    // Links find anchors in the main text only: one in a note, cell or frame goes where that
    // object stands.
    main_->builder->Anchor(anchor);
    main_->marks->anchors.push_back({anchor, {}});
}

void OdtBody::Blocks(pugi::xml_node parent, Sink& sink) {
    Blocks(parent, sink, ListPlace());
}

void OdtBody::Blocks(pugi::xml_node parent, Sink& sink, const ListPlace& list) {
    Enter(parent);
    ListPlace place = list;
    for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling()) {
        if (c.type() != pugi::node_element)
            continue;
        Block(c, sink, place);
        // Only an item's first paragraph has the label.
        if (Is(c, "p") || Is(c, "h"))
            place.first = false;
    }
    Leave();
}

void OdtBody::Block(pugi::xml_node c, Sink& sink, const ListPlace& list) {
    const std::string_view name = LocalName(c);
    if (name == "p" || name == "h") {
        Paragraph(c, sink, list);
    } else if (name == "list") {
        List(c, sink, list);
    } else if (name == "table") {
        Table(c, sink);
    } else if (name == "section" && AttrText(c, "display") == "none") {
        // A hidden section is not part of the text a reader sees.
    } else if (name == "section" || name == "index-body" || name == "index-title" ||
               name == "alphabetical-index" || name == "illustration-index" ||
               name == "table-index" || name == "object-index" || name == "user-index" ||
               name == "bibliography" || name == "change-start" || name == "numbered-paragraph") {
        if (name == "numbered-paragraph")
            Blocks(c, sink,
                   {std::string(AttrText(c, "style-name")),
                    std::clamp(Attr(c, "level").as_int(1), 1, OdtLists::kLevels), false, true,
                    std::nullopt});
        else
            Blocks(c, sink, list);
    } else if (name == "table-of-content") {
        const bool was = std::exchange(sink.contents, true);
        Blocks(Child(c, "index-body"), sink, list);
        sink.contents = was;
    } else if (name == "soft-page-break") {
        if (&sink == main_.get())
            PageBreak(std::nullopt);
    } else if (name == "bookmark" || name == "bookmark-start" || name == "reference-mark" ||
               name == "reference-mark-start") {
        Bookmark(AttrText(c, "name"), sink);
    } else if (name == "frame" || name == "a") {
        // A frame anchored to the page stands on its own.
        sink.builder->Paragraph(StringT(ParagraphStyle({}).style));
        Format format;
        if (name == "frame")
            Frame(c, sink, format);
        else
            Inlines(c, sink, format);
    }
}

void OdtBody::List(pugi::xml_node list, Sink& sink, ListPlace place) {
    Enter(list);
    const std::string_view own = AttrText(list, "style-name");
    if (place.level == 0) {
        place.style = own;
        lists_.StartList(list, place.style);
    } else if (!own.empty()) {
        place.style = own;
    }
    ++place.level;
    for (pugi::xml_node item = list.first_child(); item; item = item.next_sibling()) {
        if (Is(item, "soft-page-break") && &sink == main_.get())
            PageBreak(std::nullopt);
        if (!Is(item, "list-item") && !Is(item, "list-header"))
            continue;
        ListPlace p = place;
        p.header = Is(item, "list-header");
        p.first = true;
        if (const pugi::xml_attribute start = Attr(item, "start-value"))
            p.start = start.as_int();
        Blocks(item, sink, p);
    }
    Leave();
}

void OdtBody::Paragraph(pugi::xml_node p, Sink& sink, const ListPlace& list) {
    const bool isMain = &sink == main_.get();
    const OdtStyles::Paragraph& style = ParagraphStyle(AttrText(p, "style-name"));
    std::string hostStyle = style.style;
    std::optional<int> level = style.outlineLevel;
    if (Is(p, "h")) {
        const pugi::xml_attribute own = Attr(p, "outline-level");
        const int asked = own ? std::clamp(own.as_int(), 1, 10) : level.value_or(1);
        if (asked != level)
            hostStyle = OutlineStyle(hostStyle, asked);
        level = asked;
    }
    if (isMain) {
        const bool top = level == 1;
        // A page break before the first paragraph is where the document starts anyway.
        if (style.pageBefore && anyParagraph_)
            PageBreak(style.pageNumber);
        else if (style.pageNumber && !anyParagraph_ && hasPages_ && !pendingPages_.empty())
            pendingPages_.front() = std::to_string(page_ = *style.pageNumber);
        if (options_.splitAtHeadings && top && !storyEmpty_)
            NewStory();
        anyParagraph_ = true;
    }

    Text::AttributeSet para;
    // Only paragraphs inside lists are items; a list style on a paragraph style names the list
    // style of the lists it is used in.
    if (Is(p, "h") && list.level == 0 && level && AttrText(p, "is-list-header") != "true") {
        std::optional<int> start;
        if (const pugi::xml_attribute value = Attr(p, "start-value"))
            start = value.as_int();
        else if (AttrText(p, "restart-numbering") == "true")
            start = 1;
        if (const auto label = lists_.NextHeading(*level, start))
            para.Set(Text::ParaObject::List,
                     AsObject(CountedList(label->settings, label->number, *sink.numbers)));
    }
    if (list.level > 0) {
        const std::string& listStyle = list.style.empty() ? style.listStyle : list.style;
        std::optional<ListLabel> label;
        if (list.first && !list.header)
            label = lists_.Next(listStyle, list.level, list.start);
        const Text::AttributeSet indents =
            label ? label->indents : lists_.Indents(listStyle, list.level);
        for (const Text::AttEntry& e : indents)
            para.Set(e.id, e.value);
        if (label)
            para.Set(Text::ParaObject::List,
                     AsObject(CountedList(label->settings, label->number, *sink.numbers)));
    }
    for (const Text::AttEntry& e : style.para)
        para.Set(e.id, e.value);
    para.Set(Text::ParaInt::StartPosition, Text::StartPosition::Anywhere);
    if (sink.contents)
        para.Set(Text::ParaObject::TableOfContents, AsObject(Text::TocAtt::Make(1)));
    sink.builder->Paragraph(StringT(hostStyle), Intern(std::move(para), style.glyph));
    if (isMain) {
        if (pendingTop_)
            sink.builder->Anchor(std::exchange(pendingTop_, nullptr));
        FlushPages(sink);
    }
    const bool first = isMain && storyEmpty_;
    if (isMain)
        storyEmpty_ = false;
    Counted<Text::AnchorData> tocAnchor;
    const bool title = AttrText(p, "style-name") == "Title" || style.style == "Title";
    sink.keepText = level.has_value() || title;
    sink.text.clear();
    sink.space = true;
    sink.size = style.size;
    if (isMain && level && *level <= 2 && !first) {
        tocAnchor = sheet_->GetDocument()->MakeAnchor(StringT("toc"));
        sink.builder->Anchor(tocAnchor);
        sink.marks->anchors.push_back({tocAnchor, {}});
    }
    if (isMain && level) {
        std::string own = OneLine(AllText(p));
        // Collapsed as the outline shows it.
        own.erase(std::unique(own.begin(), own.end(),
                              [](char a, char b) { return a == ' ' && b == ' '; }),
                  own.end());
        if (const std::string name = Trimmed(own) + "|outline"; targets_.count(name))
            Bookmark(name, sink);
    }
    Format format;
    format.asian = style.asian;
    format.complex = style.complex;
    Inlines(p, sink, format);
    sink.afterNoteMark = false;
    if (!sink.keepText)
        return;
    headings_.Note(Trimmed(sink.text), title, level, first, tocAnchor, entry_,
                   isMain ? sink.marks : nullptr);
    sink.keepText = false;
}

void OdtBody::Write(std::string_view text, Sink& sink, Format& format) {
    // White space in the text collapses to one space, and none starts a paragraph.
    buffer_.clear();
    for (const char c : text) {
        if (IsSpace(c)) {
            if (!sink.space)
                buffer_ += ' ';
            sink.space = true;
            continue;
        }
        buffer_ += c;
        sink.space = false;
    }
    if (buffer_.empty())
        return;
    sink.afterNoteMark = false;
    Resolve(format);
    if (format.asian.empty() && format.complex.empty()) {
        sink.builder->Text(buffer_, format.characterStyle, format.delta);
    } else {
        // Each script's stretch with its own font, size and language; neutral characters
        // (spaces, digits, punctuation) stay with the stretch they are in.
        size_t start = 0;
        WritingScript current = WritingScript::Neutral;
        const auto flush = [&](size_t end) {
            if (end == start)
                return;
            const auto& delta = current == WritingScript::Asian     ? format.asianDelta
                                : current == WritingScript::Complex ? format.complexDelta
                                                                    : format.delta;
            sink.builder->Text(std::string_view(buffer_).substr(start, end - start),
                               format.characterStyle, delta);
            start = end;
        };
        for (size_t at = 0; at < buffer_.size();) {
            const size_t here = at;
            const WritingScript script = ScriptOf(NextCodePoint(buffer_, at));
            if (script == WritingScript::Neutral || script == current)
                continue;
            if (current != WritingScript::Neutral)
                flush(here);
            current = script;
        }
        flush(buffer_.size());
    }
    if (sink.keepText && sink.text.size() < 1000)
        sink.text += buffer_;
}

void OdtBody::Resolve(Format& format) {
    if (format.resolved)
        return;
    Text::AttributeSet glyph = format.glyph;
    if (format.link)
        glyph.Set(Text::GlyphObject::Hyperlink, format.link);
    const auto over = [&](const Text::AttributeSet& script) {
        Text::AttributeSet own = glyph;
        for (const Text::AttEntry& e : script)
            own.Set(e.id, e.value);
        return own.empty() ? nullptr : Intern({}, std::move(own));
    };
    format.asianDelta = format.asian.empty() ? nullptr : over(format.asian);
    format.complexDelta = format.complex.empty() ? nullptr : over(format.complex);
    format.delta = glyph.empty() ? nullptr : Intern({}, std::move(glyph));
    if (format.asian.empty())
        format.asianDelta = format.delta;
    if (format.complex.empty())
        format.complexDelta = format.delta;
    format.resolved = true;
}

void OdtBody::Apply(const OdtStyles::Span& span, Format& format) {
    for (const Text::AttEntry& e : span.glyph)
        format.glyph.Set(e.id, e.value);
    for (const Text::AttEntry& e : span.asian)
        format.asian.Set(e.id, e.value);
    for (const Text::AttEntry& e : span.complex)
        format.complex.Set(e.id, e.value);
}

void OdtBody::Spaces(size_t count, Sink& sink, Format& format) {
    // The space word processors put between a note's mark and its text: the mark has its own.
    if (sink.afterNoteMark)
        return;
    const std::string spaces(std::min(count, kMaxSpaces), ' ');
    Resolve(format);
    sink.builder->Text(spaces, format.characterStyle, format.delta);
    if (sink.keepText && sink.text.size() < 1000)
        sink.text += spaces;
    sink.space = false;
}

void OdtBody::Inlines(pugi::xml_node parent, Sink& sink, Format& format) {
    Enter(parent);
    for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling()) {
        if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata) {
            Write(c.value(), sink, format);
            continue;
        }
        if (c.type() != pugi::node_element)
            continue;
        const std::string_view name = LocalName(c);
        if (name == "span") {
            Format inner = format;
            inner.resolved = false;
            const OdtStyles::Span& span = TextStyle(AttrText(c, "style-name"), sink.size);
            if (!span.style.empty())
                inner.characterStyle = StringT(span.style);
            Apply(span, inner);
            Inlines(c, sink, inner);
        } else if (name == "a") {
            Format inner = format;
            inner.resolved = false;
            if (auto link = LinkFor(AttrText(c, "href")))
                inner.link = std::move(link);
            if (const std::string_view styleName = AttrText(c, "style-name"); !styleName.empty()) {
                const OdtStyles::Span& span = TextStyle(styleName, sink.size);
                if (!span.style.empty())
                    inner.characterStyle = StringT(span.style);
                Apply(span, inner);
            }
            Inlines(c, sink, inner);
        } else if (name == "s") {
            Spaces(static_cast<size_t>(std::max(Attr(c, "c").as_int(1), 1)), sink, format);
        } else if (name == "tab") {
            if (sink.afterNoteMark)
                continue;
            Resolve(format);
            sink.builder->Text("\t", format.characterStyle, format.delta);
            sink.space = false;
        } else if (name == "line-break") {
            sink.builder->Break(Text::BreakKind::Line);
            sink.space = true;
        } else if (name == "soft-page-break") {
            if (&sink == main_.get()) {
                PageBreak(std::nullopt);
                FlushPages(sink);
            }
        } else if (name == "note") {
            Note(c, sink);
        } else if (name == "bookmark" || name == "bookmark-start" || name == "reference-mark" ||
                   name == "reference-mark-start") {
            Bookmark(AttrText(c, "name"), sink);
        } else if (name == "bookmark-ref" || name == "reference-ref" || name == "note-ref" ||
                   name == "sequence-ref") {
            Format inner = format;
            inner.resolved = false;
            if (auto link = LinkTo(AttrText(c, "ref-name")))
                inner.link = std::move(link);
            Inlines(c, sink, inner);
        } else if (name == "sequence") {
            Bookmark(AttrText(c, "ref-name"), sink);
            Inlines(c, sink, format);
        } else if (name == "frame") {
            Frame(c, sink, format);
        } else if (name == "annotation") {
            if (options_.keepAnnotations)
                Annotation(c, sink);
        } else if (name == "change" || name == "change-start" || name == "change-end" ||
                   name == "annotation-end" || name == "number" || name == "tracked-changes" ||
                   name == "bookmark-end" || name == "reference-mark-end" ||
                   name == "alphabetical-index-mark" || name == "toc-mark" ||
                   name == "user-index-mark" || name == "alphabetical-index-mark-start" ||
                   name == "toc-mark-start") {
            // Marks without text of their own; deleted text lives in the tracked changes.
        } else if ((name == "custom-shape" || name == "rect" || name == "ellipse" ||
                    name == "polygon" || name == "path") &&
                   (Child(c, "p") || Child(c, "list"))) {
            // A shape's own text is text of the document; the shape itself is drawing.
            TextBox(c, Length(AttrText(c, "width")).value_or(0),
                    Length(AttrText(c, "height")).value_or(0), sink);
            sink.space = false;
        } else if (name == "hidden-text" || name == "hidden-paragraph" || name == "script" ||
                   name == "custom-shape" || name == "rect" || name == "line" ||
                   name == "ellipse" || name == "polygon" || name == "path" || name == "g" ||
                   name == "connector" || name == "control") {
        } else if (name == "ruby") {
            // The host has no ruby: the reading follows its base in brackets.
            Inlines(Child(c, "ruby-base"), sink, format);
            if (const std::string reading = Trimmed(AllText(Child(c, "ruby-text")));
                !reading.empty()) {
                Resolve(format);
                const std::string text = "(" + OneLine(reading) + ")";
                sink.builder->Text(text, format.characterStyle, format.asianDelta);
                if (sink.keepText && sink.text.size() < 1000)
                    sink.text += text;
                sink.space = false;
            }
        } else {
            // Fields, metadata and ruby bases: their text as the document shows it.
            Inlines(c, sink, format);
        }
    }
    Leave();
}

void OdtBody::Note(pugi::xml_node note, Sink& sink) {
    const bool foot = AttrText(note, "note-class") != "endnote";
    const Text::NoteKind kind = foot ? Text::NoteKind::Footnote : Text::NoteKind::Endnote;
    if (const std::string_view id = AttrText(note, "id"); !id.empty())
        Bookmark(id, sink);
    const pugi::xml_node body = Child(note, "note-body");
    Text::StoryBuilder builder(sheet_);
    Sink inner;
    inner.builder = &builder;
    inner.afterNoteMark = true;
    Blocks(body, inner);
    Counted<const Text::NoteAtt> settings;
    // The citation as the document shows it: a label, a symbol or the number its own
    // numbering gave (which a later restart or format may not reproduce).
    const pugi::xml_node citation = Child(note, "note-citation");
    std::string mark = Trimmed(AttrText(citation, "label"));
    if (mark.empty())
        mark = Trimmed(AllText(citation));
    if (!mark.empty()) {
        Text::NoteSettings own = sink.builder->MakeNoteSettings(kind)->GetSettings();
        own.customMark = StringT(mark);
        settings = Text::NoteAtt::Make(std::move(own));
    }
    sink.builder->Note(kind, builder.Build(), std::move(settings));
    sink.space = false;
}

void OdtBody::Annotation(pugi::xml_node annotation, Sink& sink) {
    Text::StoryBuilder builder(sheet_);
    Sink inner;
    inner.builder = &builder;
    for (pugi::xml_node c = annotation.first_child(); c; c = c.next_sibling())
        if (Is(c, "p") || Is(c, "list"))
            Block(c, inner, ListPlace());
    sink.builder->Note(Text::NoteKind::Sidenote, builder.Build());
}

void OdtBody::Table(pugi::xml_node table, Sink& sink) {
    Enter(table);
    // Columns, with their widths from their styles.
    std::vector<double> widths;
    std::vector<pugi::xml_node> rows;
    int headerRows = 0;
    bool headerRun = true;
    // Rows in document order, through header and row groups.
    const auto walk = [&](auto&& self, pugi::xml_node parent, bool header) -> void {
        Enter(parent);
        for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling()) {
            const std::string_view name = LocalName(c);
            if (c.type() != pugi::node_element)
                continue;
            if (name == "table-column") {
                const int repeat =
                    std::clamp(Attr(c, "number-columns-repeated").as_int(1), 1, kMaxColumns);
                const auto width =
                    Length(AttrText(styles_.PropertiesOf("table-column", AttrText(c, "style-name"),
                                                         "table-column-properties"),
                                    "column-width"));
                for (int i = 0; i < repeat && widths.size() < kMaxColumns; ++i)
                    widths.push_back(std::clamp(width.value_or(0), 0.0, kMaxLength));
            } else if (name == "table-columns" || name == "table-header-columns" ||
                       name == "table-column-group" || name == "table-rows" ||
                       name == "table-row-group") {
                self(self, c, header);
            } else if (name == "table-header-rows") {
                self(self, c, true);
            } else if (name == "table-row") {
                const int repeat =
                    std::clamp(Attr(c, "number-rows-repeated").as_int(1), 1, kMaxRepeat);
                headerRun = headerRun && header;
                for (int i = 0; i < repeat; ++i) {
                    rows.push_back(c);
                    if (headerRun)
                        ++headerRows;
                }
            } else if (name == "soft-page-break") {
                if (&sink == main_.get())
                    PageBreak(std::nullopt);
            }
        }
        Leave();
    };
    walk(walk, table, false);
    // Each row's cells; covered cells hold places of spans.
    struct Cell {
        int32_t column, row;
        pugi::xml_node node;
    };
    std::vector<Cell> cells;
    Text::TableSettings settings;
    std::vector<std::vector<bool>> taken;
    int32_t columns = static_cast<int32_t>(widths.size());
    for (size_t r = 0; r < rows.size(); ++r) {
        int32_t column = 0;
        const auto row = static_cast<int32_t>(r);
        if (taken.size() <= r)
            taken.resize(r + 1);
        for (pugi::xml_node c = rows[r].first_child(); c; c = c.next_sibling()) {
            const bool covered = Is(c, "covered-table-cell");
            if (!Is(c, "table-cell") && !covered)
                continue;
            const int repeat =
                std::clamp(Attr(c, "number-columns-repeated").as_int(1), 1, kMaxRepeat);
            // Every cell, covered or not, takes the next place of the row.
            for (int i = 0; i < repeat && column < kMaxColumns; ++i, ++column) {
                const auto at = static_cast<size_t>(column);
                if (covered || (at < taken[r].size() && taken[r][at]))
                    continue;
                // A span never reaches into places another span already covers.
                int32_t spanColumns = std::clamp(Attr(c, "number-columns-spanned").as_int(1), 1,
                                                 kMaxColumns - column);
                for (int32_t x = 1; x < spanColumns; ++x)
                    if (at + static_cast<size_t>(x) < taken[r].size() &&
                        taken[r][at + static_cast<size_t>(x)])
                        spanColumns = x;
                int32_t spanRows = std::clamp(Attr(c, "number-rows-spanned").as_int(1), 1,
                                              static_cast<int>(rows.size() - r));
                for (int32_t y = 1; y < spanRows; ++y) {
                    const size_t below = r + static_cast<size_t>(y);
                    bool free = true;
                    for (int32_t x = 0; x < spanColumns && below < taken.size(); ++x)
                        free = free && !(at + static_cast<size_t>(x) < taken[below].size() &&
                                         taken[below][at + static_cast<size_t>(x)]);
                    if (!free)
                        spanRows = y;
                }
                for (int32_t y = 0; y < spanRows; ++y) {
                    const size_t line = r + static_cast<size_t>(y);
                    if (taken.size() <= line)
                        taken.resize(line + 1);
                    if (taken[line].size() < at + static_cast<size_t>(spanColumns))
                        taken[line].resize(at + static_cast<size_t>(spanColumns), false);
                    for (int32_t x = 0; x < spanColumns; ++x)
                        taken[line][at + static_cast<size_t>(x)] = true;
                }
                if (spanColumns > 1 || spanRows > 1)
                    settings.merges.push_back({column, row, {spanColumns, spanRows}});
                cells.push_back({column, row, c});
                if (const auto fill = Colour(
                        AttrText(styles_.PropertiesOf("table-cell", AttrText(c, "style-name"),
                                                      "table-cell-properties"),
                                 "background-color"))) {
                    Text::CellFormatOverride own;
                    own.fill = Solid(*fill);
                    settings.overrides.push_back({column, row, std::move(own)});
                }
                columns = std::max(columns, column + spanColumns);
            }
            columns = std::max(columns, column);
        }
    }
    const auto rowCount = static_cast<int32_t>(rows.size());
    if (columns == 0 || rowCount == 0) {
        Leave();
        return;
    }
    if (static_cast<int64_t>(columns) * rowCount > Text::Table::kMaxCells)
        source_.Fail(table, "a table of " + std::to_string(columns) + " x " +
                                std::to_string(rowCount) + " cells is too large");
    widths.resize(static_cast<size_t>(columns), 0);
    settings.size = {columns, rowCount};
    settings.columnWidths = std::move(widths);
    settings.headerRows = std::min(headerRows, rowCount);
    // Merges must not overlap: a span reaching into a later one's cells is cut back.
    sink.builder->Paragraph(StringT(ParagraphStyle({}).style));
    if (&sink == main_.get()) {
        if (pendingTop_)
            sink.builder->Anchor(std::exchange(pendingTop_, nullptr));
        FlushPages(sink);
        storyEmpty_ = false;
    }
    try {
        Text::TableBuilder builder(sheet_, columns, rowCount);
        builder.Settings() = std::move(settings);
        for (const Cell& cell : cells) {
            Sink cellSink;
            cellSink.builder = &builder.Cell(cell.column, cell.row);
            cellSink.contents = sink.contents;
            Blocks(cell.node, cellSink);
        }
        sink.builder->Table(builder.Build());
    } catch (const std::invalid_argument& e) {
        source_.Fail(table, std::string("unusable table: ") + e.what());
    }
    Leave();
}

bool OdtBody::Formula(pugi::xml_node object, Sink& sink, Format& format) {
    std::unique_ptr<XmlPart> part;
    pugi::xml_node math = Child(object, "math");
    if (!math) {
        part = source_.ReadObject(AttrText(object, "href"));
        if (part && Is(part->Root(), "math"))
            math = part->Root();
    }
    const std::string text = math ? LinearMathMl(math) : std::string();
    if (text.empty())
        return false;
    Resolve(format);
    sink.builder->Text(text, format.characterStyle, format.delta);
    sink.space = false;
    Finding(object, "equation written as linear text");
    return true;
}

void OdtBody::Frame(pugi::xml_node frame, Sink& sink, Format& format) {
    Enter(frame);
    // A formula shows as its text rather than its replacement picture.
    if (const pugi::xml_node object = Child(frame, "object");
        object && Formula(object, sink, format)) {
        Leave();
        return;
    }
    const double width = Length(AttrText(frame, "width")).value_or(0);
    const double height = Length(AttrText(frame, "height")).value_or(0);
    bool done = false;
    for (pugi::xml_node c = frame.first_child(); c && !done; c = c.next_sibling()) {
        const std::string_view name = LocalName(c);
        if (name == "image")
            done = Picture(c, width, height, frame, sink);
        else if (name == "text-box") {
            TextBox(c, width, height, sink);
            done = true;
        }
    }
    // Objects (formulas, charts) show through their replacement picture, if any.
    if (!done && !Child(frame, "image") && (Child(frame, "object") || Child(frame, "object-ole")))
        Finding(frame, "an embedded object without a picture was skipped");
    sink.space = false;
    Leave();
}

bool OdtBody::Picture(pugi::xml_node image, double width, double height, pugi::xml_node frame,
                      Sink& sink) {
    std::string href(AttrText(image, "href"));
    std::shared_ptr<const std::string> data;
    std::string name = href;
    if (const pugi::xml_node binary = Child(image, "binary-data")) {
        auto decoded = DecodeBase64(binary.text().get());
        if (!decoded) {
            Finding(image, "a picture with broken base64 data was skipped");
            return false;
        }
        const Raster::FileType type = Raster::DetectFileType(*decoded);
        name = "picture-" + std::to_string(pictures_.size() + 1) +
               (type == Raster::FileType::PNG    ? ".png"
                : type == Raster::FileType::JPEG ? ".jpg"
                : type == Raster::FileType::GIF  ? ".gif"
                : type == Raster::FileType::SVG  ? ".svg"
                                                 : ".bin");
        data = std::make_shared<const std::string>(Publishable(std::move(*decoded)));
        pictures_[name] = data;
    } else {
        auto& cached = pictures_[href];
        if (!cached) {
            std::string problem;
            auto read = source_.ReadFile(href, problem);
            if (!read) {
                Finding(image, problem);
                pictures_.erase(href);
                return false;
            }
            cached = std::make_shared<const std::string>(Publishable(std::move(*read)));
        }
        data = cached;
    }
    if (const std::string problem = PictureProblem(*data, name); !problem.empty()) {
        if (source_.Flat())
            Finding(image, problem);
        else
            source_.Findings().push_back({name, problem});
        return false;
    }
    const auto pixels = Raster::ReadImageSize(*data);
    if (!(width > 0 && height > 0)) {
        width = pixels ? pixels->width * 0.75 : 100;
        height = pixels ? pixels->height * 0.75 : 100;
    }
    Text::FrameSettings settings;
    const std::string_view file = std::string_view(name).substr(name.rfind('/') + 1);
    settings.name = StringT(std::string(file.substr(0, file.rfind('.'))));
    settings.width = std::clamp(width, 0.1, kMaxLength);
    settings.height = std::clamp(height, 0.1, kMaxLength);
    settings.content = MakeCounted<PictureSource>(name, data);
    settings.contentPath = StringT(name);
    // A title is the short text; a description beside it is the long one.
    std::string alt = OneLine(Trimmed(AllText(Child(frame, "title"))));
    std::string description = OneLine(Trimmed(AllText(Child(frame, "desc"))));
    if (alt.empty())
        alt = std::exchange(description, {});
    const std::string_view wrap = AttrText(
        styles_.PropertiesOf("graphic", AttrText(frame, "style-name"), "graphic-properties"),
        "wrap");
    // Text wrapping on one side: the picture floats to the other.
    const std::string_view side = wrap == "right" ? "left" : wrap == "left" ? "right" : "";
    if (!alt.empty() || !side.empty()) {
        Render::RenderTags::Fields tags;
        tags.altText = StringT(alt);
        if (description != alt)
            tags.description = StringT(description);
        if (!side.empty()) {
            tags.className = StringT("odt-float-" + std::string(side));
            hasFloats_ = true;
        }
        settings.tags = Render::RenderTags::Make(std::move(tags));
    }
    sink.builder->Frame(std::move(settings));
    return true;
}

void OdtBody::TextBox(pugi::xml_node box, double width, double height, Sink& sink) {
    Text::StoryBuilder builder(sheet_);
    Sink inner;
    inner.builder = &builder;
    Blocks(box, inner);
    Text::FrameSettings frame;
    frame.width = width > 0 ? std::min(width, kMaxLength) : 200;
    const double minHeight = Length(AttrText(box, "min-height")).value_or(0);
    frame.height = height > 0      ? std::min(height, kMaxLength)
                   : minHeight > 0 ? std::min(minHeight, kMaxLength)
                                   : 50;
    frame.story = builder.Build();
    sink.builder->Frame(std::move(frame));
}

} // namespace Readers::Odt

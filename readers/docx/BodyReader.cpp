// SPDX-License-Identifier: MIT
#include "readers/docx/BodyReader.h"

#include "host/raster/ImageFile.h"
#include "host/render/RenderTags.h"
#include "host/text/AnchoredFrame.h"
#include "host/text/AttributeObjects.h"
#include "host/text/Table.h"
#include "hostimpl/raster/Codecs.h"
#include "readers/common/ListCount.h"
#include "readers/common/PictureSource.h"
#include "readers/docx/MathMarkup.h"
#include "readers/docx/MathText.h"
#include "readers/docx/TableReader.h"
#include "readers/docx/TextRules.h"

#include <algorithm>
#include <cstring>
#include <iomanip>
#include <sstream>

namespace Readers::Docx {

using Foundation::Counted;
using Foundation::MakeCounted;
using Foundation::StringT;

namespace {

// English Metric Units per point, the unit of DrawingML sizes.
constexpr double kEmuPerPoint = 12700;

// The first text element after `node` among its siblings; null when there is none.
pugi::xml_node NextText(pugi::xml_node node) {
    for (pugi::xml_node next = node.next_sibling(); next; next = next.next_sibling())
        if (LocalName(next) == "t")
            return next;
    return {};
}

// Far beyond Word's own limits (1638 points of type, 22 inches of page), well below what
// overflows a length.
constexpr double kMaxHalfPoints = 100000;
constexpr double kMaxPoints = 1e6;
constexpr double kMaxLength = 100000;
constexpr size_t kMaxOpenFields = 256;

template <class T> Counted<const Text::AttObject> AsObject(Counted<const T> object) {
    return Counted<const Text::AttObject>(std::move(object));
}

std::string Trimmed(std::string_view text) {
    // No-break spaces too, as whole sequences: a byte set would cut into other characters.
    constexpr std::string_view kNoBreakSpace = "\u00A0";
    for (bool trimmed = true; trimmed;) {
        trimmed = false;
        while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
            text.remove_prefix(1), trimmed = true;
        if (text.starts_with(kNoBreakSpace))
            text.remove_prefix(kNoBreakSpace.size()), trimmed = true;
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return std::string(text);
}

double Clamp(double points) {
    return std::clamp(points, 0.0, kMaxLength);
}

// The first element below `root`, in document order, with this local name.
pugi::xml_node Descendant(pugi::xml_node root, std::string_view local) {
    for (pugi::xml_node n = root.first_child(); n;) {
        if (Is(n, local))
            return n;
        if (n.first_child()) {
            n = n.first_child();
            continue;
        }
        while (n && !n.next_sibling() && n != root)
            n = n.parent();
        if (!n || n == root)
            break;
        n = n.next_sibling();
    }
    return {};
}

// "width:120pt;height:3in" from a VML style.
double StyleLength(std::string_view style, std::string_view property) {
    for (size_t at = 0; at < style.size();) {
        const size_t end = std::min(style.find(';', at), style.size());
        std::string_view item = style.substr(at, end - at);
        at = end + 1;
        const size_t colon = item.find(':');
        if (colon == std::string_view::npos || Trimmed(item.substr(0, colon)) != property)
            continue;
        std::string value = Trimmed(item.substr(colon + 1));
        if (value.ends_with("px"))
            return Number(value.substr(0, value.size() - 2)).value_or(0) * 0.75;
        return Number(value, 1).value_or(0);
    }
    return 0;
}

} // namespace

BodyReader::BodyReader(Package& package, const StyleTable& styles, Numbering& numbering,
                       const Properties& properties, Counted<Text::StyleSheet> sheet,
                       NoteParts& notes, BodyOptions options, std::vector<ReaderFinding>& findings)
    : package_(package), styles_(styles), numbering_(numbering), properties_(properties),
      sheet_(std::move(sheet)), notes_(notes), options_(options), findings_(findings) {
    const auto index = [](const std::unique_ptr<XmlPart>& part, std::string_view element,
                          std::map<std::string, pugi::xml_node, std::less<>>& out) {
        if (!part)
            return;
        for (pugi::xml_node n = part->Root().first_child(); n; n = n.next_sibling())
            if (Is(n, element))
                out.emplace(std::string(AttrText(n, "id")), n);
    };
    index(notes_.footnotes, "footnote", footnotes_);
    index(notes_.endnotes, "endnote", endnotes_);
    index(notes_.comments, "comment", comments_);
}

void BodyReader::Finding(pugi::xml_node where, std::string message) {
    findings_.push_back({part_ ? part_->Where(where) : std::string(), std::move(message)});
}

void BodyReader::Refuse(pugi::xml_node where, std::string_view what, double value, double limit) {
    // Damaged or hostile: nothing Word makes comes near, and clamping would only hide it.
    if (std::abs(value) <= limit)
        return;
    std::ostringstream text;
    text << what << " of " << std::setprecision(15) << value
         << " is far outside anything Word makes";
    package_.Fail(part_ ? part_->Where(where) : std::string(), text.str());
}

void BodyReader::Enter(pugi::xml_node where) {
    if (++depth_ > options_.maxNesting)
        package_.Fail(part_->Where(where),
                      "elements nested more than " + std::to_string(options_.maxNesting) + " deep");
}

void BodyReader::Read(BodyStream& document, const Relationships& links,
                      std::vector<StoryEntry>& out) {
    part_ = &document;
    links_ = &links;
    out_ = &out;
    bookmarks_ = document.Values("bookmarkStart", "name");
    sectionStarts_ = document.SectionStarts();
    sectionsEnded_ = 0;
    NewStory(out);
    if (!document.ForEachBlock([&](pugi::xml_node block) { Block(block, *main_); }))
        package_.Fail(document.Name(), "the main document has no body");
    FlushBookmarks(*main_);
    // Links may lead to a bookmark whose text was left out (deleted, hidden): they land at the
    // end rather than nowhere.
    for (const auto& [name, anchor] : anchors_)
        if (!placed_.count(name)) {
            builder_->Anchor(anchor);
            entry_.marks.anchors.push_back({anchor, {}});
        }
    CloseStory(out);
}

void BodyReader::NewStory(std::vector<StoryEntry>& out) {
    if (builder_)
        CloseStory(out);
    entry_ = StoryEntry{};
    entry_.fileName = StringT("section-" + std::to_string(out.size() + 1) + ".xhtml");
    auto start = sheet_->GetDocument()->MakeAnchor(entry_.fileName);
    entry_.startAnchor = start;
    entry_.marks.anchors.push_back({start, {}});
    entry_.item = out.size();
    builder_ = std::make_unique<Text::StoryBuilder>(sheet_);
    // The walk holds on to the main sink: it stays, and writes into the new story.
    if (!main_)
        main_ = std::make_unique<Sink>();
    main_->builder = builder_.get();
    main_->marks = &entry_.marks;
    main_->numbers = Text::Numberer::Make();
    pendingTop_ = start;
    storyEmpty_ = true;
    headings_.StartStory();
}

void BodyReader::CloseStory(std::vector<StoryEntry>& out) {
    if (pendingTop_)
        builder_->Anchor(std::exchange(pendingTop_, nullptr));
    Counted<const Text::Story> story = builder_->Build();
    entry_.story = story;
    entry_.marks.Resolve(story);
    out.push_back(std::move(entry_));
    builder_.reset();
}

pugi::xml_node BodyReader::Choose(pugi::xml_node alternate) const {
    static constexpr std::string_view understood[] = {"wps", "wpg",   "wpc", "wp14", "w14", "w15",
                                                      "w16", "w16se", "a14", "v",    "pic", "m"};
    pugi::xml_node fallback;
    for (pugi::xml_node c = alternate.first_child(); c; c = c.next_sibling())
        if (Is(c, "Fallback"))
            fallback = c;
    for (pugi::xml_node c = alternate.first_child(); c; c = c.next_sibling()) {
        if (!Is(c, "Choice"))
            continue;
        std::string_view requires_ = AttrText(c, "Requires");
        bool known = true;
        while (!requires_.empty()) {
            const size_t space = requires_.find(' ');
            const std::string_view prefix = requires_.substr(0, space);
            known = known && std::find(std::begin(understood), std::end(understood), prefix) !=
                                 std::end(understood);
            requires_ =
                space == std::string_view::npos ? std::string_view() : requires_.substr(space + 1);
        }
        // Charts and diagrams show through their fallback picture.
        const pugi::xml_node data = Descendant(c, "graphicData");
        const std::string_view uri = AttrText(data, "uri");
        if (known && uri.find("chart") == std::string_view::npos &&
            uri.find("diagram") == std::string_view::npos && !(fallback && OnlyMetafiles(c)))
            return c;
    }
    return fallback;
}

bool BodyReader::OnlyMetafiles(pugi::xml_node choice) const {
    // A metafile drawing's fallback is usually its bitmap.
    bool any = false;
    std::vector<pugi::xml_node> stack{choice};
    while (!stack.empty()) {
        const pugi::xml_node n = stack.back();
        stack.pop_back();
        if (Is(n, "blip")) {
            if (!IsMetafile(BestPicture(n)))
                return false;
            any = true;
            continue;
        }
        for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling())
            if (c.type() == pugi::node_element)
                stack.push_back(c);
    }
    return any;
}

bool BodyReader::IsMetafile(std::string_view id) const {
    const Relationship* rel = links_ ? links_->Find(id) : nullptr;
    if (!rel || rel->external)
        return false;
    std::string name = rel->target.substr(rel->target.rfind('.') + 1);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name == "emf" || name == "wmf" || name == "emz" || name == "wmz";
}

std::string_view BodyReader::BestPicture(pugi::xml_node blip) const {
    // The SVG and image-layer extensions name other pictures of the same drawing.
    std::string_view best = AttrText(blip, "embed");
    const auto usable = [&](std::string_view id) {
        return !id.empty() && links_->Find(id) && !IsMetafile(id);
    };
    if (usable(AttrText(Descendant(blip, "svgBlip"), "embed")))
        return AttrText(Descendant(blip, "svgBlip"), "embed");
    if (usable(best))
        return best;
    std::vector<pugi::xml_node> stack{blip};
    while (!stack.empty()) {
        const pugi::xml_node n = stack.back();
        stack.pop_back();
        if (n != blip && usable(AttrText(n, "embed")))
            return AttrText(n, "embed");
        for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling())
            if (c.type() == pugi::node_element)
                stack.push_back(c);
    }
    return best;
}

void BodyReader::Blocks(pugi::xml_node parent, Sink& sink) {
    Enter(parent);
    for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element)
            Block(c, sink);
    Leave();
}

void BodyReader::Block(pugi::xml_node c, Sink& sink) {
    const std::string_view name = LocalName(c);
    if (name == "p")
        Paragraph(c, sink);
    else if (name == "tbl")
        Table(c, sink);
    else if (name == "sdt")
        Blocks(Child(c, "sdtContent"), sink);
    else if (name == "customXml" || name == "ins" || name == "moveTo" || name == "smartTag")
        Blocks(c, sink);
    else if (name == "AlternateContent")
        Blocks(Choose(c), sink);
    else if (name == "bookmarkStart")
        sink.pendingBookmarks.emplace_back(AttrText(c, "name")); // it marks the next paragraph
    else if (name == "oMathPara" || name == "oMath") {
        sink.builder->Paragraph(StringT(styles_.ParagraphStyle({})));
        FlushBookmarks(sink);
        Equation(c, sink, {});
    } else if (name == "altChunk")
        Finding(c, "embedded foreign content (altChunk) is not converted");
}

std::string BodyReader::OutlineStyle(const std::string& style, std::optional<int> level) {
    // A style of its own, adding nothing but the element: the host tags paragraphs by style.
    const std::string element = level ? "h" + std::to_string(std::min(*level, 5) + 1) : "p";
    const std::string name = style + " (" + element + ")";
    if (!sheet_->GetStyle(StringT(name)))
        sheet_->AddStyle(Text::Style::Make(
            StringT(name), Text::StyleKind::Paragraph, StringT(style),
            Foundation::MakeCounted<Text::Delta>(),
            Text::EPubTag::Make(Text::EPubTag::ElementSet | Text::EPubTag::ClassSet,
                                StringT(element), StringT("outline-" + element))));
    return name;
}

Indents BodyReader::Inherited(const Sink& sink, const Text::AttributeSet& so_far) const {
    Text::AttributeSet atts =
        sheet_->ResolveParagraphAtts(StringT(styles_.ParagraphStyle(sink.paragraphStyleId)))
            .GetSet();
    for (const Text::AttEntry& entry : so_far)
        atts.Set(entry.id, entry.value);
    return Properties::IndentsOf(atts);
}

Counted<const Text::AttObject> BodyReader::ListFor(pugi::xml_node pPr, Sink& sink,
                                                   Text::AttributeSet& para) {
    const pugi::xml_node numPr = Child(pPr, "numPr");
    std::optional<ListRef> ref = styles_.List(sink.paragraphStyleId);
    if (numPr) {
        const auto numId = ChildVal(numPr, "numId");
        const auto level = NumberAttr(Child(numPr, "ilvl"), "val");
        if (numId)
            ref = ListRef{std::string(*numId), 0};
        if (ref && level)
            ref->level = static_cast<int>(std::clamp(*level, 0.0, 8.0));
    }
    if (!ref)
        return {};
    const std::optional<ListLabel> label = numbering_.Next(ref->numId, ref->level);
    if (!label)
        return {};
    properties_.Paragraph(label->paragraphProperties, para, Inherited(sink, para));
    // A heading whose label shows nothing (LibreOffice gives every heading style the outline
    // numbering, unnumbered) is a heading, not a list item.
    if (label->type == Text::ListType::Bullet &&
        label->text.find_first_not_of(" \t") == std::string::npos &&
        styles_.HeadingLevel(sink.paragraphStyleId))
        return {};
    Text::ListSettings s;
    s.type = label->type;
    s.level = std::min(label->level, Text::ListAtt::kMaxLevel);
    s.format = label->format;
    s.bullet = Text::GlyphString(label->bullet);
    s.prefix = Text::GlyphString(label->prefix);
    s.suffix = Text::GlyphString(label->suffix);
    const auto att = CountedList(std::move(s), label->number, *sink.numbers);
    return AsObject(att);
}

void BodyReader::Paragraph(pugi::xml_node p, Sink& sink) {
    const pugi::xml_node pPr = Child(p, "pPr");
    sink.paragraphStyleId = ChildVal(pPr, "pStyle").value_or("");
    std::string style = styles_.ParagraphStyle(sink.paragraphStyleId);
    std::optional<int> heading = styles_.HeadingLevel(sink.paragraphStyleId);
    if (Child(pPr, "outlineLvl")) {
        const std::optional<int> own = Properties::OutlineLevel(pPr);
        if (own != heading)
            style = OutlineStyle(style, own);
        heading = own;
    }
    const bool isMain = &sink == main_.get();
    if (isMain) {
        const bool pageBefore =
            heading == 0 && (pageBreak_ || OnOff(pPr, "pageBreakBefore").value_or(false) ||
                             Text::StartPosition::IsPageLevel(
                                 sheet_->ResolveParagraphAtts(StringT(style)).GetStartPosition()));
        if (options_.splitAtSections && !storyEmpty_ && (sectionBreak_ || pageBefore))
            NewStory(*out_);
        sectionBreak_ = pageBreak_ = false;
    }

    Text::AttributeSet para;
    if (const auto list = ListFor(pPr, sink, para))
        para.Set(Text::ParaObject::List, list);
    properties_.Paragraph(pPr, para, Inherited(sink, para));
    // Page starts are the reader's to decide, by splitting stories.
    para.Set(Text::ParaInt::StartPosition, Text::StartPosition::Anywhere);
    if (StartsContents(p) ||
        std::any_of(fields_.begin(), fields_.end(), [](const Field& f) { return f.contents; }))
        para.Set(Text::ParaObject::TableOfContents, AsObject(Text::TocAtt::Make(1)));
    sink.builder->Paragraph(StringT(style), Intern(std::move(para), Text::AttributeSet()));
    if (isMain && pendingTop_)
        sink.builder->Anchor(std::exchange(pendingTop_, nullptr));
    FlushBookmarks(sink);
    const bool first = isMain && storyEmpty_;
    if (isMain)
        storyEmpty_ = false;

    Counted<Text::AnchorData> tocAnchor;
    const bool title = sink.paragraphStyleId == "Title";
    sink.keepText = heading.has_value() || title;
    sink.text.clear();
    sink.paragraphText = false;
    if (isMain && heading && *heading <= 1 && !first) {
        tocAnchor = sheet_->GetDocument()->MakeAnchor(StringT("toc"));
        sink.builder->Anchor(tocAnchor);
        sink.marks->anchors.push_back({tocAnchor, {}});
    }
    Inlines(p, sink);
    if (sink.keepText) {
        // Word counts heading levels from 0.
        headings_.Note(Trimmed(sink.text), title,
                       heading ? std::optional<int>(*heading + 1) : std::nullopt, first, tocAnchor,
                       entry_, isMain ? sink.marks : nullptr);
        sink.keepText = false;
    }
    if (Child(pPr, "sectPr") && isMain) {
        ++sectionsEnded_;
        sectionBreak_ = sectionsEnded_ >= sectionStarts_.size() ||
                        sectionStarts_[sectionsEnded_] != "continuous";
    }
}

// A contents field starting in the paragraph makes it a contents paragraph already; its runs come
// after the paragraph is formatted.
bool BodyReader::StartsContents(pugi::xml_node p) {
    const auto isContents = [](std::string_view instruction) {
        const std::vector<std::string> words = FieldWords(instruction);
        return !words.empty() && (words[0] == "TOC" || words[0] == "toc");
    };
    for (pugi::xml_node c = p.first_child(); c; c = c.next_sibling()) {
        if (Is(c, "fldSimple") && isContents(AttrText(c, "instr")))
            return true;
        if (Is(c, "r"))
            if (const pugi::xml_node instruction = Child(c, "instrText"))
                if (isContents(instruction.text().get()))
                    return true;
    }
    return false;
}

Counted<const Text::AttObject> BodyReader::LinkTo(std::string_view bookmark) {
    if (!bookmarks_.count(bookmark))
        return {};
    auto& anchor = anchors_[std::string(bookmark)];
    if (!anchor)
        anchor = sheet_->GetDocument()->MakeAnchor(StringT(bookmark));
    return AsObject(Text::HyperlinkAtt::Make(Text::HyperlinkData::MakeAnchor(anchor)));
}

void BodyReader::Bookmark(std::string_view name) {
    if (!bookmarks_.count(name) || placed_.count(name))
        return;
    auto& anchor = anchors_[std::string(name)];
    if (!anchor)
        anchor = sheet_->GetDocument()->MakeAnchor(StringT(name));
    placed_.emplace(name);
    // Links find anchors in the main text only: one in a note, cell or frame goes where that
    // object stands.
    Sink& main = *main_;
    main.builder->Anchor(anchor);
    main.marks->anchors.push_back({anchor, {}});
}

// The builder caches attributes per delta object: equal formatting must be one object, or every
// run and paragraph adds a cache entry of its own.
Counted<const Text::Delta> BodyReader::Intern(Text::AttributeSet paragraph,
                                              Text::AttributeSet glyph) {
    size_t hash = paragraph.Hash();
    Text::HashCombine(hash, glyph.Hash());
    auto& bucket = deltas_[hash];
    for (const auto& delta : bucket)
        if (delta->GetParagraph() == paragraph && delta->GetGlyph() == glyph)
            return delta;
    bucket.push_back(MakeCounted<const Text::Delta>(std::move(paragraph), std::move(glyph)));
    return bucket.back();
}

void BodyReader::FlushBookmarks(Sink& sink) {
    for (const std::string& name : sink.pendingBookmarks)
        Bookmark(name);
    sink.pendingBookmarks.clear();
}

void BodyReader::Inlines(pugi::xml_node parent, Sink& sink) {
    Enter(parent);
    for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling()) {
        if (c.type() != pugi::node_element)
            continue;
        const std::string_view name = LocalName(c);
        if (name == "r") {
            Run(c, sink);
        } else if (name == "hyperlink") {
            Counted<const Text::AttObject> link;
            const std::string_view anchor = AttrText(c, "anchor");
            const Relationship* rel = links_->Find(AttrText(c, "id"));
            if (rel && rel->external) {
                // With both, the anchor is the fragment of the address.
                const std::string target =
                    anchor.empty() ? rel->target : rel->target + "#" + std::string(anchor);
                if (const std::string url = FollowableUrl(target); !url.empty())
                    link = AsObject(
                        Text::HyperlinkAtt::Make(Text::HyperlinkData::MakeURL(StringT(url))));
            } else if (!anchor.empty()) {
                link = LinkTo(anchor);
            }
            const auto saved = std::exchange(link_, link ? link : link_);
            Inlines(c, sink);
            link_ = saved;
        } else if (name == "fldSimple") {
            SimpleField(c, sink);
        } else if (name == "ins" || name == "moveTo" || name == "smartTag" || name == "customXml" ||
                   name == "dir" || name == "bdo" || name == "sdtContent") {
            Inlines(c, sink);
        } else if (name == "sdt") {
            Inlines(Child(c, "sdtContent"), sink);
        } else if (name == "bookmarkStart") {
            Bookmark(AttrText(c, "name"));
        } else if (name == "oMath" || name == "oMathPara") {
            Equation(c, sink, {});
        } else if (name == "AlternateContent") {
            Inlines(Choose(c), sink);
        }
    }
    Leave();
}

Counted<const Text::Delta> BodyReader::RunDelta(pugi::xml_node rPr, const Sink& sink) {
    Counted<const Text::AttObject> link = link_;
    for (const Field& f : fields_)
        if (f.inResult && f.link)
            link = f.link;
    if (!rPr && !link && sink.styleRunProperties.empty())
        return {};
    Text::AttributeSet glyph;
    double size = 0;
    if (Child(rPr, "spacing"))
        size = Properties::Size(rPr).value_or(styles_.FontSize(sink.paragraphStyleId));
    // A table style's text formatting outranks the default paragraph style only: a paragraph
    // of a style of its own keeps that style's look, as Word shows it.
    if (styles_.ParagraphStyle(sink.paragraphStyleId) == styles_.ParagraphStyle({}))
        for (const pugi::xml_node inherited : sink.styleRunProperties)
            properties_.Run(inherited, glyph, size);
    properties_.Run(rPr, glyph, size);
    if (link)
        glyph.Set(Text::GlyphObject::Hyperlink, link);
    // Coloured text in a filled cell is read against that fill (light text on a dark header
    // row), so it stands on it as its own background.
    if (sink.cellFill && glyph.Has(Text::AttKind::Object, Text::GlyphObject::TextFill) &&
        !glyph.Has(Text::AttKind::Object, Text::GlyphObject::HighlightFill))
        glyph.Set(
            Text::GlyphObject::HighlightFill,
            Counted<const Text::AttObject>(Text::FillAtt::Make(Properties::Solid(*sink.cellFill))));
    if (glyph.empty())
        return {};
    return Intern(Text::AttributeSet(), std::move(glyph));
}

void BodyReader::Run(pugi::xml_node r, Sink& sink) {
    const pugi::xml_node rPr = Child(r, "rPr");
    Refuse(rPr, "a font size (half-points)", NumberAttr(Child(rPr, "sz"), "val").value_or(0),
           kMaxHalfPoints);
    const std::string_view characterId = ChildVal(rPr, "rStyle").value_or("");
    const bool hidden =
        Properties::Hidden(rPr).value_or(styles_.Hidden(sink.paragraphStyleId, characterId));
    RunFormat format{rPr, {}, {}, false, false};
    RunContent(r, sink, format, hidden);
}

void BodyReader::RunContent(pugi::xml_node r, Sink& sink, RunFormat& format, bool hidden) {
    Enter(r);
    for (pugi::xml_node c = r.first_child(); c; c = c.next_sibling()) {
        if (c.type() != pugi::node_element)
            continue;
        const std::string_view name = LocalName(c);
        if (name == "fldChar") {
            FieldChar(c, sink);
            continue;
        }
        if (name == "instrText") {
            if (!fields_.empty() && !fields_.back().inResult)
                fields_.back().instruction += c.text().get();
            continue;
        }
        if (hidden)
            continue;
        if (name == "t") {
            if (format.skipMark) {
                format.skipMark = false;
                continue;
            }
            Text(c.text().get(), sink, format);
        } else if (name == "tab" || name == "ptab") {
            Text("\t", sink, format);
        } else if (name == "br") {
            const std::string_view type = AttrText(c, "type");
            // A page or column break after text keeps the words apart as a line break; one
            // before any text moves the paragraph, which only a new document can do.
            if ((type != "page" && type != "column") || sink.paragraphText) {
                if (!Suppressed())
                    sink.builder->Break(Text::BreakKind::Line);
            } else if (type == "page" && &sink == main_.get()) {
                pageBreak_ = true;
            }
        } else if (name == "cr") {
            if (!Suppressed())
                sink.builder->Break(Text::BreakKind::Line);
        } else if (name == "noBreakHyphen") {
            Text("\u2011", sink, format);
        } else if (name == "softHyphen") {
            Text("\u00AD", sink, format);
        } else if (name == "sym") {
            Text(SymbolText(AttrText(c, "font"), AttrText(c, "char")), sink, format);
        } else if (name == "drawing") {
            if (!Suppressed())
                Drawing(c, sink);
        } else if (name == "pict" || name == "object") {
            if (!Suppressed())
                Vml(c, sink);
        } else if (name == "footnoteRef" || name == "endnoteRef") {
            sink.afterNoteMark = true;
        } else if (name == "footnoteReference" || name == "endnoteReference") {
            format.skipMark = AttrText(c, "customMarkFollows") == "1" ||
                              AttrText(c, "customMarkFollows") == "true";
            // The mark is the text that follows the reference in its run.
            const pugi::xml_node mark = format.skipMark ? NextText(c) : pugi::xml_node();
            Note(c, sink,
                 name == "footnoteReference" ? Text::NoteKind::Footnote : Text::NoteKind::Endnote,
                 mark ? std::string_view(mark.text().get()) : std::string_view());
        } else if (name == "commentReference") {
            if (options_.keepComments)
                Comment(c, sink);
        } else if (name == "AlternateContent") {
            RunContent(Choose(c), sink, format, hidden);
        } else if (name == "ruby") {
            Inlines(Child(c, "rubyBase"), sink);
        } else if (name == "oMath" || name == "oMathPara") {
            Equation(c, sink, format.rPr);
        }
    }
    Leave();
}

bool BodyReader::Suppressed() const {
    // A field nested in another's instruction (an IF's condition) shows nothing: its result is
    // part of the instruction.
    return std::any_of(fields_.begin(), fields_.end(),
                       [](const Field& f) { return !f.inResult || f.dropResult; });
}

void BodyReader::Text(std::string_view text, Sink& sink, RunFormat& format) {
    if (text.empty() || Suppressed())
        return;
    // The space Word puts between a note's own mark and its text.
    if (sink.afterNoteMark) {
        text.remove_prefix(std::min(text.find_first_not_of(" \t"), text.size()));
        if (text.empty())
            return;
        sink.afterNoteMark = false;
    }
    if (!format.resolved) {
        format.delta = RunDelta(format.rPr, sink);
        format.characterStyle =
            StringT(styles_.CharacterStyle(ChildVal(format.rPr, "rStyle").value_or("")));
        format.resolved = true;
    }
    // A line feed would start a paragraph and a vertical tab break the line; in Word's text they
    // are white space.
    sink.paragraphText = true;
    if (text.find_first_of("\n\r\v\f") == std::string_view::npos) {
        sink.builder->Text(text, format.characterStyle, format.delta);
    } else {
        std::string copy(text);
        std::replace_if(
            copy.begin(), copy.end(),
            [](char c) { return c == '\n' || c == '\r' || c == '\v' || c == '\f'; }, ' ');
        sink.builder->Text(copy, format.characterStyle, format.delta);
    }
    if (sink.keepText && sink.text.size() < 1000)
        sink.text += text;
}

void BodyReader::Equation(pugi::xml_node math, Sink& sink, pugi::xml_node rPr) {
    const std::string text = LinearMath(math);
    if (text.empty() || Suppressed())
        return;
    RunFormat format{rPr, {}, {}, false, false};
    const std::string markup = MathMarkup(math, LocalName(math) == "oMathPara");
    if (markup.empty()) {
        Text(text, sink, format);
        Finding(math, "equation written as linear text");
        return;
    }
    format.delta = RunDelta(format.rPr, sink);
    format.characterStyle =
        StringT(styles_.CharacterStyle(ChildVal(format.rPr, "rStyle").value_or("")));
    sink.paragraphText = true;
    sink.afterNoteMark = false;
    sink.builder->Equation(text, markup, format.characterStyle, format.delta);
    if (sink.keepText && sink.text.size() < 1000)
        sink.text += text;
}

void BodyReader::StartField(Field& field) {
    field.inResult = true;
    const std::vector<std::string> words = FieldWords(field.instruction);
    if (words.empty())
        return;
    std::string kind = words[0];
    std::transform(kind.begin(), kind.end(), kind.begin(), [](char c) {
        return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    });
    if (kind == "HYPERLINK") {
        std::string target, anchor;
        for (size_t i = 1; i < words.size(); ++i) {
            if (words[i] == "\\l" && i + 1 < words.size())
                anchor = words[++i];
            else if (words[i].starts_with("\\") && words[i].size() == 2)
                i += words[i] == "\\o" || words[i] == "\\t" ? 1 : 0;
            else if (target.empty())
                target = words[i];
        }
        if (!anchor.empty())
            field.link = LinkTo(anchor);
        else if (const std::string url = FollowableUrl(target); !url.empty())
            field.link =
                AsObject(Text::HyperlinkAtt::Make(Text::HyperlinkData::MakeURL(StringT(url))));
    } else if ((kind == "REF" || kind == "PAGEREF" || kind == "NOTEREF") && words.size() > 1) {
        field.link = LinkTo(words[1]);
        field.dropResult = kind == "PAGEREF";
    } else if (kind == "TOC") {
        field.contents = true;
    } else if (kind == "PAGE" || kind == "NUMPAGES" || kind == "SECTIONPAGES") {
        field.dropResult = true;
    }
}

void BodyReader::FieldChar(pugi::xml_node fldChar, Sink&) {
    const std::string_view type = AttrText(fldChar, "fldCharType");
    if (type == "begin") {
        if (fields_.size() < kMaxOpenFields)
            fields_.emplace_back();
        else
            ++droppedFields_;
    } else if (type == "separate") {
        if (!fields_.empty() && !droppedFields_ && !fields_.back().inResult)
            StartField(fields_.back());
    } else if (type == "end") {
        if (droppedFields_)
            --droppedFields_;
        else if (!fields_.empty())
            fields_.pop_back();
    }
}

void BodyReader::SimpleField(pugi::xml_node fld, Sink& sink) {
    if (fields_.size() >= kMaxOpenFields)
        return Inlines(fld, sink);
    Field field;
    field.instruction = AttrText(fld, "instr");
    StartField(field);
    fields_.push_back(std::move(field));
    Inlines(fld, sink);
    fields_.pop_back();
}

void BodyReader::Note(pugi::xml_node reference, Sink& sink, Text::NoteKind kind,
                      std::string_view customMark) {
    const bool foot = kind == Text::NoteKind::Footnote;
    const auto& bodies = foot ? footnotes_ : endnotes_;
    const auto it = bodies.find(AttrText(reference, "id"));
    if (it == bodies.end()) {
        Finding(reference, std::string(foot ? "footnote" : "endnote") + " " +
                               std::string(AttrText(reference, "id")) + " is missing");
        return;
    }
    Nested nested(*this, foot ? notes_.footnotes.get() : notes_.endnotes.get(),
                  foot ? &notes_.footnoteLinks : &notes_.endnoteLinks);
    Text::StoryBuilder builder(sheet_);
    Sink body;
    body.builder = &builder;
    Blocks(it->second, body);
    Foundation::Counted<const Text::NoteAtt> settings;
    if (const std::string mark = Trimmed(customMark); !mark.empty()) {
        Text::NoteSettings own = sink.builder->MakeNoteSettings(kind)->GetSettings();
        own.customMark = Foundation::StringT(mark);
        settings = Text::NoteAtt::Make(std::move(own));
    }
    sink.builder->Note(kind, builder.Build(), std::move(settings));
}

void BodyReader::Comment(pugi::xml_node reference, Sink& sink) {
    const auto it = comments_.find(AttrText(reference, "id"));
    if (it == comments_.end())
        return;
    Nested nested(*this, notes_.comments.get(), &notes_.commentLinks);
    Text::StoryBuilder builder(sheet_);
    Sink body;
    body.builder = &builder;
    Blocks(it->second, body);
    sink.builder->Note(Text::NoteKind::Sidenote, builder.Build());
}

BodyReader::Nested::Nested(BodyReader& reader, const PartText* part, const Relationships* links)
    : reader_(reader), part_(std::exchange(reader.part_, part)),
      links_(std::exchange(reader.links_, links)), fields_(std::exchange(reader.fields_, {})),
      link_(std::exchange(reader.link_, nullptr)),
      dropped_(std::exchange(reader.droppedFields_, 0)) {}

BodyReader::Nested::~Nested() {
    reader_.part_ = part_;
    reader_.links_ = links_;
    reader_.fields_ = std::move(fields_);
    reader_.link_ = std::move(link_);
    reader_.droppedFields_ = dropped_;
}

void BodyReader::Table(pugi::xml_node tbl, Sink& sink) {
    Enter(tbl);
    TableLayout layout = LayoutTable(tbl, styles_, properties_);
    if (!layout.problem.empty())
        package_.Fail(part_ ? part_->Where(tbl) : std::string(), layout.problem);
    if (layout.columns == 0 || layout.rows == 0) {
        Leave();
        return;
    }
    if (static_cast<int64_t>(layout.columns) * layout.rows > Text::Table::kMaxCells)
        package_.Fail(part_->Where(tbl), "a table of " + std::to_string(layout.columns) + " x " +
                                             std::to_string(layout.rows) + " cells is too large");
    // A table stands between paragraphs; the text model anchors it in one of its own.
    sink.builder->Paragraph(StringT(styles_.ParagraphStyle({})));
    if (&sink == main_.get()) {
        if (pendingTop_)
            sink.builder->Anchor(std::exchange(pendingTop_, nullptr));
        storyEmpty_ = false;
    }
    FlushBookmarks(sink);
    try {
        Text::TableBuilder table(sheet_, layout.columns, layout.rows);
        table.Settings() = std::move(layout.settings);
        for (const TableCell& cell : layout.cells) {
            Sink cellSink;
            cellSink.builder = &table.Cell(cell.column, cell.row);
            CellText text = CellTextFormat(tbl, cell.node, styles_, properties_, cell.column,
                                           cell.row, layout.columns, layout.rows);
            cellSink.styleRunProperties = std::move(text.runProperties);
            cellSink.cellFill = text.fill;
            Blocks(cell.node, cellSink);
        }
        sink.builder->Table(table.Build());
    } catch (const std::invalid_argument& e) {
        package_.Fail(part_->Where(tbl), std::string("unusable table: ") + e.what());
    }
    Leave();
}

void BodyReader::Drawing(pugi::xml_node drawing, Sink& sink) {
    const pugi::xml_node container = drawing.first_child();
    const pugi::xml_node extent = Child(container, "extent");
    const double width = NumberAttr(extent, "cx", 1).value_or(0) / kEmuPerPoint;
    const double height = NumberAttr(extent, "cy", 1).value_or(0) / kEmuPerPoint;
    Refuse(extent, "a drawing extent (points)", std::max(width, height), kMaxPoints);
    const pugi::xml_node docPr = Child(container, "docPr");
    const pugi::xml_node data = Child(Child(container, "graphic"), "graphicData");
    const std::string_view uri = AttrText(data, "uri");
    if (const pugi::xml_node pic = Child(data, "pic")) {
        const pugi::xml_node blip = Child(Child(pic, "blipFill"), "blip");
        const std::string_view id = BestPicture(blip);
        if (id.empty()) {
            Finding(drawing, "a linked picture (not in the document) was skipped");
            return;
        }
        Picture(id, width, height, docPr, sink, drawing, FloatSide(container),
                DrawingCrop(Child(Child(pic, "blipFill"), "srcRect")));
        return;
    }
    if (const pugi::xml_node content = Descendant(data, "txbxContent")) {
        TextFrame(content, width, height, sink);
        return;
    }
    if (uri.find("chart") != std::string_view::npos ||
        uri.find("diagram") != std::string_view::npos) {
        Finding(drawing, "a chart or diagram without a fallback picture was skipped");
        return;
    }
    // Groups and canvases: their pictures one after the other.
    if (Descendant(data, "pic") || Descendant(data, "wsp")) {
        std::vector<pugi::xml_node> stack{data};
        while (!stack.empty()) {
            const pugi::xml_node n = stack.back();
            stack.pop_back();
            if (Is(n, "pic")) {
                const pugi::xml_node ext = Descendant(Child(n, "spPr"), "ext");
                Picture(AttrText(Descendant(n, "blip"), "embed"),
                        NumberAttr(ext, "cx", 1).value_or(0) / kEmuPerPoint,
                        NumberAttr(ext, "cy", 1).value_or(0) / kEmuPerPoint, docPr, sink, n);
                continue;
            }
            if (Is(n, "txbxContent")) {
                TextFrame(n, width, height, sink);
                continue;
            }
            for (pugi::xml_node c = n.last_child(); c; c = c.previous_sibling())
                if (c.type() == pugi::node_element)
                    stack.push_back(c);
        }
    }
}

std::string_view BodyReader::FloatSide(pugi::xml_node container) {
    if (!Is(container, "anchor"))
        return {};
    const bool wraps = Child(container, "wrapSquare") || Child(container, "wrapTight") ||
                       Child(container, "wrapThrough");
    if (!wraps)
        return {};
    const std::string_view align = Child(Child(container, "positionH"), "align").text().get();
    if (align == "left" || align == "inside")
        return "left";
    if (align == "right" || align == "outside")
        return "right";
    return {};
}

void BodyReader::Vml(pugi::xml_node pict, Sink& sink) {
    if (const pugi::xml_node image = Descendant(pict, "imagedata")) {
        const pugi::xml_node shape = image.parent();
        const std::string_view style = AttrText(shape, "style");
        std::string_view id = AttrText(image, "id");
        Picture(id, StyleLength(style, "width"), StyleLength(style, "height"), shape, sink, pict,
                {}, VmlCrop(image));
        return;
    }
    if (const pugi::xml_node content = Descendant(pict, "txbxContent")) {
        const std::string_view style = AttrText(content.parent().parent(), "style");
        TextFrame(content, StyleLength(style, "width"), StyleLength(style, "height"), sink);
    }
}

bool BodyReader::Picture(std::string_view id, double width, double height,
                         pugi::xml_node properties, Sink& sink, pugi::xml_node where,
                         std::string_view floatSide, PictureCrop crop) {
    const Relationship* rel = links_->Find(id);
    if (!rel || rel->target.empty()) {
        Finding(where,
                "a picture whose relationship \"" + std::string(id) + "\" is missing was skipped");
        return false;
    }
    if (rel->external) {
        Finding(where, "a linked picture (not in the document) was skipped");
        return false;
    }
    auto& data = pictures_[rel->target];
    if (!data) {
        if (!package_.Has(rel->target)) {
            Finding(where, "the picture " + rel->target + " is missing from the package");
            return false;
        }
        try {
            data = std::make_shared<const std::string>(Publishable(package_.Read(rel->target)));
        } catch (const InputError&) {
            Finding(where, "the picture " + rel->target + " is damaged and was skipped");
            return false;
        }
    }
    if (const std::string problem = PictureProblem(*data, rel->target); !problem.empty()) {
        findings_.push_back({rel->target, problem});
        return false;
    }
    const Raster::FileType type = Raster::DetectFileType(*data);
    const bool bitmap = type == Raster::FileType::JPEG || type == Raster::FileType::PNG ||
                        type == Raster::FileType::GIF;
    // The publication holds the part shown, as a picture of its own.
    std::string target = rel->target;
    std::shared_ptr<const std::string> shownData = data;
    if (bitmap && crop.Any()) {
        const size_t dot = target.rfind('.');
        std::string croppedName = target.substr(0, dot) + "-" + crop.Key() +
                                  (type == Raster::FileType::JPEG ? ".jpeg" : ".png");
        auto& cropped = pictures_[croppedName];
        if (!cropped)
            if (auto shown = CropPicture(*data, crop))
                cropped = std::make_shared<const std::string>(std::move(*shown));
        if (cropped) {
            shownData = cropped;
            target = std::move(croppedName);
        }
    }
    if (!(width > 0 && height > 0)) {
        const auto shown = Raster::ReadImageSize(*shownData);
        width = shown ? shown->width * 0.75 : 100;
        height = shown ? shown->height * 0.75 : 100;
    }
    Text::FrameSettings frame;
    const std::string_view name = target;
    const std::string_view file = name.substr(name.rfind('/') + 1);
    frame.name = StringT(file.substr(0, file.rfind('.')));
    frame.width = std::max(Clamp(width), 0.1);
    frame.height = std::max(Clamp(height), 0.1);
    frame.content = MakeCounted<PictureSource>(target, shownData);
    frame.contentPath = StringT(target);
    std::string alt(AttrText(properties, "descr"));
    if (alt.empty())
        alt = AttrText(properties, "title");
    if (alt.empty())
        alt = AttrText(properties, "alt");
    const pugi::xml_node decorative = Descendant(properties, "decorative");
    const bool isDecorative =
        decorative && AttrText(decorative, "val") != "0" && AttrText(decorative, "val") != "false";
    alt = Trimmed(alt);
    if (!isDecorative && !alt.empty()) {
        Render::RenderTags::Fields tags;
        tags.altText = StringT(alt);
        // Text wraps round an anchored picture on one side: a class floats it.
        if (!floatSide.empty()) {
            tags.className = StringT("docx-float-" + std::string(floatSide));
            hasFloats_ = true;
        }
        frame.tags = Render::RenderTags::Make(std::move(tags));
    }
    sink.builder->Frame(std::move(frame));
    return true;
}

void BodyReader::TextFrame(pugi::xml_node content, double width, double height, Sink& sink) {
    Enter(content);
    Text::StoryBuilder builder(sheet_);
    Sink inner;
    inner.builder = &builder;
    Blocks(content, inner);
    Text::FrameSettings frame;
    frame.width = width > 0 ? Clamp(width) : 200;
    frame.height = height > 0 ? Clamp(height) : 50;
    frame.story = builder.Build();
    sink.builder->Frame(std::move(frame));
    Leave();
}

} // namespace Readers::Docx

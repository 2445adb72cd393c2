// SPDX-License-Identifier: MIT
#include "epub/content/ContentWriter.h"

#include <array>

#include "epub/content/AccessibilityValidator.h"
#include "epub/content/DocumentHost.h"
#include "epub/content/FigureWriter.h"
#include "epub/content/MathWriter.h"
#include "epub/content/PageMarkers.h"
#include "epub/content/StoryChunker.h"
#include "epub/content/TableWriter.h"
#include "epub/xml/TextEncoding.h"
#include "epub/xml/XmlWriter.h"
#include "host/text/AttributeIds.h"
#include "host/text/NoteAtt.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <utility>

namespace EPub {

namespace {

using Foundation::OutStream;

StringT JoinClasses(std::initializer_list<StringT> names) {
    StringT list;
    for (const StringT& name : names) {
        if (name.empty())
            continue;
        if (!list.empty())
            list += ' ';
        list += name.view();
    }
    return list;
}

bool SameLanguage(const Counted<const Text::Language>& a, const Counted<const Text::Language>& b) {
    if (!a || !b)
        return a == b;
    return a->GetId() == b->GetId();
}

// The first language counted strictly more often than every earlier one.
Counted<const Text::Language>
Dominant(const std::vector<std::pair<Counted<const Text::Language>, int64_t>>& tally) {
    Counted<const Text::Language> best;
    int64_t bestCount = 0;
    for (const auto& [language, count] : tally)
        if (count > bestCount) {
            best = language;
            bestCount = count;
        }
    return best;
}

// Elements that carry structure of their own (links, lists, tables, document parts) and
// anything that is not an XML name: such a tag would break the document, so the default
// element stands in.
StringT CheckedElement(const StringT& element, const char* fallback) {
    static constexpr std::string_view reserved[] = {
        "a",     "li",    "ul",   "ol",   "table", "tr",     "td",     "th",    "thead",
        "tbody", "tfoot", "html", "head", "body",  "script", "style",  "title", "meta",
        "link",  "br",    "hr",   "img",  "input", "object", "iframe", "embed", "base"};
    if (element.empty() || !IsValidElementName(element) ||
        std::ranges::find(reserved, element.view()) != std::end(reserved))
        return fallback;
    return element;
}

// Style sheets may not set a direction in EPUB, so a paragraph's goes on its element.
void Direction(XmlWriter& x, int32_t direction) {
    if (direction == Text::Direction::LeftToRight)
        x.Attribute("dir", "ltr");
    else if (direction == Text::Direction::RightToLeft)
        x.Attribute("dir", "rtl");
}

void Classes(XmlWriter& x, const StringT& classes) {
    if (!classes.empty())
        x.Attribute("class", classes);
}

// An empty anchor: a link target.
void Target(OutStream& out, const StringT& id) {
    XmlWriter().Open("a").Attribute("id", id).CloseEmpty().Flush(out);
}

void WrapperStart(OutStream& out, const StringT& className) {
    XmlWriter().Open("div").Attribute("class", className).Close().Space("\n").Flush(out);
}

// The end of the paragraph's text: before its break glyph.
Text::StoryPos TextEnd(const Text::StoryRange& paragraph) {
    Text::StoryPos end = paragraph.end();
    while (end > paragraph.begin()) {
        Text::StoryPos last = end;
        --last;
        const Text::Glyph glyph = last.GetGlyph();
        if (!glyph.IsParagraphBreak() && !last.IsStoryTerminator())
            break;
        end = last;
    }
    return end;
}

// `count` characters on from `pos`; glyphs that are not text (anchors, pins) do not count.
Text::StoryPos AfterCharacters(Text::StoryPos pos, const Text::StoryPos& end, int64_t count) {
    while (pos < end && pos.GetGlyph().IsObject())
        ++pos;
    for (; count > 0 && pos < end; ++pos)
        if (!pos.GetGlyph().IsObject())
            --count;
    return pos;
}

bool IsSpace(const Text::Glyph& glyph) {
    if (glyph.IsObject())
        return false;
    const char32_t c = glyph.GetChar32();
    return c == U' ' || c == U'\t' || c == 0xA0 || glyph.GetBreakKind() != Text::BreakKind::None;
}

Text::StoryPos DropCapEnd(const Text::DropCapAtt& dropCap, const Text::StoryRange& paragraph) {
    if (!dropCap.IsEnabled() || dropCap.GetCharacters() <= 0)
        return paragraph.begin();
    return AfterCharacters(paragraph.begin(), TextEnd(paragraph), dropCap.GetCharacters());
}

Text::StoryPos AutoFormatEnd(const Text::AutoFormatAtt& format, const Text::StoryRange& paragraph) {
    const Text::StoryPos end = TextEnd(paragraph);
    if (!format.IsEnabled())
        return paragraph.begin();
    switch (format.GetScope()) {
    case Text::AutoFormatScope::Characters:
        return AfterCharacters(paragraph.begin(), end, std::max(format.GetCount(), 0));
    case Text::AutoFormatScope::Words: {
        Text::StoryPos p = paragraph.begin();
        for (int32_t words = 0; words < format.GetCount() && p < end; ++words) {
            while (p < end && (IsSpace(p.GetGlyph()) || p.GetGlyph().IsObject()))
                ++p;
            while (p < end && !IsSpace(p.GetGlyph()))
                ++p;
        }
        return p;
    }
    case Text::AutoFormatScope::Delimiter:
        return format.GetRangeEnd(paragraph);
    }
    return paragraph.begin();
}

// The document a story's endnotes are written into: the first of its chunks that reaches the
// story's end (ExportStoryChunk flushes them there), which need not be the last chunk.
StringT EndnotesDocument(const Text::Story& story, const std::vector<StoryChunk>& chunks,
                         const StringT& fallback) {
    for (const StoryChunk& chunk : chunks)
        if (chunk.range.end() >= story.GetTerminator())
            return chunk.name;
    return chunks.empty() ? fallback : chunks.back().name;
}

} // namespace

// Pushes a block context for the paragraph being written and pops it again.
class ContentWriter::BlockGuard {
public:
    BlockGuard(std::deque<BlockContext>& blocks, BlockContext context) : blocks_(blocks) {
        blocks_.push_back(std::move(context));
    }
    ~BlockGuard() { blocks_.pop_back(); }
    BlockGuard(const BlockGuard&) = delete;
    BlockGuard& operator=(const BlockGuard&) = delete;

private:
    std::deque<BlockContext>& blocks_;
};

ContentWriter::ContentWriter(DocumentHost& host)
    : host_(host), notes_(std::make_unique<NoteWriter>(host, *this)) {}
ContentWriter::~ContentWriter() = default;

void ContentWriter::SetAllNotesInline(bool inlineNotes) noexcept {
    notes_->SetAllNotesInline(inlineNotes);
}

TableWriter& ContentWriter::Tables() {
    if (!tables_)
        tables_ = std::make_unique<TableWriter>(host_, *this);
    return *tables_;
}

FigureWriter& ContentWriter::Figures() {
    if (!figures_)
        figures_ = std::make_unique<FigureWriter>(host_, *this);
    return *figures_;
}

void ContentWriter::GetStoryChunks(const Counted<const Text::Story>& story,
                                   const Text::StoryPos& end, const StringT& fileName,
                                   std::vector<StoryChunk>& chunks, int& chunkNumber,
                                   const std::vector<FrameScale>& frameScales,
                                   bool countLeadingBreak) {
    ChunkingRules rules;
    rules.splitStories = host_.GetSettings()->splitStories;
    rules.bulletListsAsText = host_.GetOptions()->IsConvertBulletListsToText();
    rules.isFrameImage = host_.Callbacks().isFrameImage;
    CutStory(rules, story, end, fileName, chunks, chunkNumber, frameScales, countLeadingBreak);
}

bool ContentWriter::ExportStory(const Counted<const Text::Story>& story, const Text::StoryPos& end,
                                const StringT& fileName, const StringT& title) {
    std::vector<StoryChunk> chunks;
    int counter = 1;
    GetStoryChunks(story, end, fileName, chunks, counter, {FrameScale{story->gbegin(), {1.0, 1.0}}},
                   false);
    return ExportStory(story, fileName, title, chunks);
}

bool ContentWriter::ExportStory(const Counted<const Text::Story>& story, const StringT& fileName,
                                const StringT& title, const std::vector<StoryChunk>& chunks) {
    notes_->RegisterRangeNotes(fileName, chunks);
    host_.Anchors().RemapFileNames(fileName, chunks);
    // The style sheets themselves are written once, by End.
    return WriteDocuments(story, fileName, title, chunks);
}

// What every content document ends with: the footnotes referenced in it.
void ContentWriter::FinishDocument(OutStream& out) {
    notes_->FlushFootnotes(out);
}

// Consecutive chunks of one name share a document.
bool ContentWriter::WriteDocuments(const Counted<const Text::Story>& story, const StringT& fileName,
                                   const StringT& title, const std::vector<StoryChunk>& chunks) {
    notes_->StartStory(story.get(), EndnotesDocument(*story, chunks, fileName));
    for (size_t first = 0; first < chunks.size();) {
        size_t last = first;
        bool images = chunks[first].hasImages;
        while (last + 1 < chunks.size() && chunks[last + 1].name == chunks[first].name)
            images = chunks[++last].hasImages || images;
        // The document's language is the one most of its text is in, as for articles; the
        // counts also choose the publication's language.
        Tally tally;
        for (size_t i = first; i <= last; ++i)
            CountLanguages(tally, chunks[i].range);
        const auto counted = DocumentLanguage(tally, true);
        const auto language = chunks[first].language ? chunks[first].language : counted;
        const auto out =
            host_.StartChunk(chunks[first].name, title, language, images, StreamType::Content);
        if (!out)
            return false;
        for (size_t i = first; i <= last; ++i) {
            StoryChunk chunk = chunks[i];
            chunk.language = language;
            if (!ExportStoryChunk(story, chunk, *out, fileName, false))
                return false;
        }
        FinishDocument(*out);
        if (!host_.EndChunk(out))
            return false;
        first = last + 1;
    }
    return true;
}

bool ContentWriter::ExportStoryChunk(const Counted<const Text::Story>& story,
                                     const StoryChunk& chunk, OutStream& out,
                                     const StringT& fileName, bool nested) {
    ExportState state;
    state.nested = nested;
    const Text::StoryPos begin = chunk.range.begin();
    if (host_.Callbacks().numberer)
        state.numberer = host_.Callbacks().numberer(chunk.GetOriginalPos(begin));
    if (!nested)
        StartPageMarkers(host_.Anchors(), host_.GetPaginationSource(), fileName, begin, state);

    Landmark landmark = Landmark::None;
    Text::StoryPos pos = begin;
    bool ok = true;
    while (ok && pos < chunk.range.end())
        ok = ExportRun(chunk, out, fileName, pos, state, landmark);
    OpenLandmark(out, state, landmark, Landmark::None);
    state.lists.CloseAll(out);
    FlushInlineNotes(out, state);
    // Notes of nested text (cells, frames, notes) follow the story that holds it.
    if (ok && !nested && chunk.range.end() >= story->GetTerminator())
        notes_->FlushEndnotes(out, story.get(), chunk.name);
    return ok;
}

// With all notes inline, the notes of a paragraph follow it, at the first place outside any list
// (a list may hold nothing but its items); nested text leaves them to the block that holds it.
void ContentWriter::FlushInlineNotes(OutStream& out, const ExportState& state) {
    if (notes_->AllNotesInline() && !state.nested && !state.lists.IsOpen())
        notes_->FlushFootnotes(out);
}

// The landmark the run's table-of-contents or index mark asks for.
Landmark ContentWriter::RunLandmark(const Text::ParagraphAtts& atts) const {
    if (atts.GetInt(Text::ParaInt::Index) != 0)
        return Landmark::Index;
    const auto toc = atts.GetToc();
    if (!toc || !toc->IsEnabled())
        return Landmark::None;
    switch (toc->GetKind()) {
    case 1:
        return Landmark::TableOfContents;
    case 2:
        return Landmark::ListOfIllustrations;
    case 3:
        return Landmark::ListOfTables;
    default:
        return Landmark::None;
    }
}

// A landmark section holds everything up to the next landmark or the end of the chunk, so the
// entries of a contents page sit inside the section its heading opens. Lists close first: a
// section may not cut through them, nor through a decoration wrapper, which closes before a
// section it sits in ends and opens again in the next.
void ContentWriter::OpenLandmark(OutStream& out, ExportState& state, Landmark& open,
                                 Landmark landmark) {
    if (landmark == open)
        return;
    state.lists.CloseAll(out);
    const bool splitWrapper =
        !state.wrapperClass.empty() && open != Landmark::None && open == state.wrapperOutside;
    if (splitWrapper)
        XmlWriter().End("div").Space("\n").Flush(out);
    if (open != Landmark::None)
        host_.EndSection(out);
    open = landmark;
    if (landmark != Landmark::None)
        host_.StartSection(out, landmark);
    if (splitWrapper) {
        WrapperStart(out, state.wrapperClass);
        state.wrapperOutside = landmark;
    }
}

// One run of paragraphs sharing their attributes: an optional wrapper div, the paragraphs.
bool ContentWriter::ExportRun(const StoryChunk& chunk, OutStream& out, const StringT& fileName,
                              Text::StoryPos& pos, ExportState& state, Landmark& openLandmark) {
    const Text::StoryPos runEnd = std::min(pos.GetParagraphAttsRunEnd(), chunk.range.end());
    state.paragraphAtts = pos.GetParagraphAtts();
    state.dropCapAtt = state.paragraphAtts->GetDropCap();
    state.autoFormatAtt = state.paragraphAtts->GetAutoFormat();
    if (const Landmark landmark = RunLandmark(*state.paragraphAtts);
        landmark != Landmark::None && landmark != openLandmark &&
        host_.NeedsInferredLandmark(landmark)) {
        OpenLandmark(out, state, openLandmark, landmark);
        const AnchorLocation location =
            host_.Anchors().RegisterLandmark(fileName, landmark, pos, chunk.name);
        Target(out, location.id);
    }
    const Counted<DivParams> div = host_.Styles().RegisterDivAtts(state.paragraphAtts);
    if (div) {
        // A list may not straddle the wrapper's edges.
        state.lists.CloseAll(out);
        WrapperStart(out, div->className);
        state.wrapperClass = div->className;
        state.wrapperOutside = openLandmark;
    }

    bool ok = true;
    while (ok && pos < runEnd) {
        const Text::StoryPos paraEnd = std::min(pos.GetParagraphEnd(), runEnd);
        const Text::StoryRange paragraph(pos, paraEnd);
        // What is left of a paragraph cut at its page-break glyph holds no text.
        const bool onlyBreak =
            !pos.IsParagraphBegin() && paragraph.size() == 1 && pos.GetGlyph().IsParagraphBreak();
        if (!onlyBreak) {
            const auto expanded = host_.Styles().ExpandParagraph(paragraph, state.numberer);
            if (expanded) {
                StoryChunk copy(chunk.name, expanded->GetClientAll(), chunk.language,
                                chunk.hasImages);
                copy.originalRange = paragraph;
                copy.originalOffset =
                    static_cast<int32_t>(expanded->GetClientAll().size() - paragraph.size());
                ok = ExportParagraph(copy, out, fileName, expanded->GetClientAll(), state,
                                     openLandmark);
            } else {
                ok = ExportParagraph(chunk, out, fileName, paragraph, state, openLandmark);
            }
        }
        state.previousParagraphAtts = state.paragraphAtts;
        pos = paraEnd;
        FlushInlineNotes(out, state);
    }
    if (div) {
        // A section opened inside the wrapper ends with it.
        if (openLandmark != state.wrapperOutside)
            OpenLandmark(out, state, openLandmark, Landmark::None);
        state.lists.CloseAll(out);
        XmlWriter().End("div").Space("\n").Flush(out);
        state.wrapperClass = StringT();
    }
    return ok;
}

// Tallied per attribute run: the language is a glyph attribute.
void ContentWriter::CountLanguages(Tally& tally, const Text::StoryRange& range) {
    const Text::Story* story = range.GetStory().get();
    if (!story)
        return;
    // By index over the runs: positions would touch the story's reference count.
    const auto& runs = story->GetGlyphRuns();
    const uint32_t end = range.end().GetIndex();
    for (uint32_t at = range.begin().GetIndex(); at < end;) {
        const uint32_t runEnd = std::min(runs.EndAt(at, story->size()), end);
        const auto language = runs.At(at)->GetLanguage();
        const int64_t count = runEnd - at;
        at = runEnd;
        if (!language || language->IsNone())
            continue;
        const auto found = std::find_if(tally.begin(), tally.end(), [&](const auto& entry) {
            return entry.first->GetId() == language->GetId();
        });
        if (found == tally.end())
            tally.emplace_back(language, count);
        else
            found->second += count;
    }
}

Counted<const Text::Language> ContentWriter::DocumentLanguage(const Tally& tally, bool fallBack) {
    std::map<StringT, std::pair<Counted<const Text::Language>, int64_t>> counts;
    for (const auto& [language, count] : tally)
        counts[language->GetId()] = {language, count};
    host_.AddLanguageCounts(counts);
    const auto best = Dominant(tally);
    return best || !fallBack ? best : host_.GetPublicationLanguage();
}

bool ContentWriter::ExportParagraph(const StoryChunk& chunk, OutStream& out,
                                    const StringT& fileName, const Text::StoryRange& paragraph,
                                    ExportState& state, Landmark& openLandmark) {
    const Text::StoryPos begin = paragraph.begin();
    PageAnchor(chunk, out, fileName, begin, state);
    if (const auto scale = chunk.GetFrameScaleForPos(begin); scale.width != 0 || scale.height != 0)
        host_.Styles().SetFrameScale(scale);

    const Counted<const Text::Language> chunkLanguage =
        chunk.language ? chunk.language : host_.GetPublicationLanguage();
    Tally tally;
    CountLanguages(tally, paragraph);
    Counted<const Text::Language> language = Dominant(tally);
    if (!language)
        language = chunkLanguage;

    Counted<ParaParams> params =
        host_.Styles().RegisterParagraphAtts(state.paragraphAtts, state.previousParagraphAtts);
    const int level = params->listDepth;
    if (IsHeadingElement(params->element.view()))
        host_.GetAccessibilityProfile().AddHeading();

    // A landmark anchor outside a list opens the landmark's section here.
    if (level == 0) {
        const Text::Story& story = *begin.GetStory();
        const uint32_t end = paragraph.end().GetIndex();
        for (uint32_t i = story.FindObject(begin.GetIndex(), end); i < end;
             i = story.FindObject(i + 1, end)) {
            const Text::Glyph object = story.GetGlyph(i);
            const auto* glyph = object.As<Text::AnchorGlyph>();
            if (!glyph || !glyph->GetAnchor())
                continue;
            const Landmark landmark = AnchorRegistry::LandmarkFromAnchor(*glyph->GetAnchor());
            if (landmark != Landmark::None) {
                OpenLandmark(out, state, openLandmark, landmark);
                break;
            }
        }
    }

    state.lists.MoveTo(out, params->listElement, level);
    // A nested item sits inside its outer item, whose size and formatting it inherits.
    if (const ParaParams* outerItem = level > 1 ? state.lists.OuterItem() : nullptr)
        params = host_.Styles().RegisterParagraphAtts(state.paragraphAtts,
                                                      state.previousParagraphAtts, outerItem);

    const bool listItem = level > 0;
    const StringT element = CheckedElement(listItem ? StringT("p") : params->element, "p");
    const StringT classes = JoinClasses({params->ClassList()});
    XmlWriter tag;
    tag.Open(listItem ? std::string_view("li") : element.view());
    bool labelWritten = false;
    // A list item names its section too: a section may hold nothing but a list.
    if (const StringT label = host_.TakeSectionLabel(); !label.empty()) {
        tag.Attribute("id", label);
        labelWritten = true;
    }
    if (!SameLanguage(language, chunkLanguage))
        tag.Attribute("xml:lang", language->GetId());
    Direction(tag, state.paragraphAtts->GetInt(Text::ParaInt::Direction));
    const RangeNotes& ranges = notes_->Ranges();
    const Text::StoryPos noteBody =
        ranges.IsEmpty() ? paragraph.end() : ranges.FindBody(begin, paragraph.end());
    const RangeNoteRecord* bodyNote =
        noteBody < paragraph.end()
            ? ranges.Find(noteBody.GetGlyph().As<Text::RangeNoteBodyGlyph>()->GetNote().get())
            : nullptr;
    // A paragraph already named by its section keeps that id; the note's id then goes on an
    // empty anchor before the body mark.
    const bool bodyIdOnParagraph = bodyNote && !labelWritten;
    if (bodyIdOnParagraph)
        tag.Attribute("id", host_.Anchors().GetAnchor(*bodyNote->target).id);
    Classes(tag, classes);
    const std::string open = tag.Close().Take();

    // The item element stays open for nested lists; Part of the list writer's nesting.
    ElementStream para(out);
    if (listItem) {
        out << open;
        state.lists.OpenItem(params);
    } else {
        para.Push({open, tag.End(element.view()).Space("\n").Take(), false, false});
    }
    BlockContext context{&para, fileName, &chunk, begin, listItem ? StringT("li") : element, {}};
    const BlockContext* outer = std::exchange(paragraph_, &context);
    const bool outerBroken = std::exchange(broken_, false);
    Counted<ParaParams> outerParams = std::exchange(paragraphParams_, params);
    if (std::string prefix = TakeParagraphPrefix(); !prefix.empty())
        para << prefix;

    const Text::StoryRange whole(begin.GetParagraphBegin(), begin.GetParagraphEnd());
    const Text::StoryPos dropEnd = state.dropCapAtt && state.dropCapAtt->IsEnabled()
                                       ? DropCapEnd(*state.dropCapAtt, whole)
                                       : whole.begin();
    const Text::StoryPos formatEnd = state.autoFormatAtt && state.autoFormatAtt->IsEnabled()
                                         ? AutoFormatEnd(*state.autoFormatAtt, whole)
                                         : whole.begin();
    const StringT dropCapClasses = params->DropCapClassList();

    const bool excludeTocNumbers = host_.GetOptions()->IsExcludeTocPageNumbers();
    Text::StoryPos pos = begin;
    while (pos < paragraph.end()) {
        const auto atts = pos.GetGlyphAtts();
        Text::StoryPos runEnd = std::min(pos.GetGlyphAttsRunEnd(), paragraph.end());
        if (pos < dropEnd && dropEnd < runEnd)
            runEnd = dropEnd;
        if (pos < formatEnd && formatEnd < runEnd)
            runEnd = formatEnd;
        if (excludeTocNumbers && atts->GetInt(Text::GlyphInt::TocPageNumber) == 1) {
            // Only the page numbers' characters go. Anchors stay as link targets, and notes,
            // tables and pictures that follow a number in the text belong to its run too.
            for (; pos < runEnd; ++pos)
                if (pos.GetGlyph().GetType() != Text::GlyphType::Char)
                    WriteGlyph(chunk, para, fileName, pos, state);
            continue;
        }
        host_.GetAccessibilityProfile().AddText(atts, host_.GetSettings()->iccProfiles,
                                                host_.GetOptions()->GetMinimumTextContrast());
        // The body mark of a range note is a run of its own that links back to the reference.
        const RangeNoteRecord* backLink = nullptr;
        if (bodyNote && pos <= noteBody && noteBody < runEnd) {
            if (pos < noteBody) {
                runEnd = noteBody;
            } else {
                runEnd = noteBody + 1;
                backLink = bodyNote;
                if (!bodyIdOnParagraph)
                    Target(para, host_.Anchors().GetAnchor(*bodyNote->target).id);
            }
        }
        const StringT extra =
            JoinClasses({pos < dropEnd ? dropCapClasses : StringT(),
                         pos < formatEnd ? StringT(params->autoFormatClasses) : StringT()});
        WriteTextRun(chunk, para, fileName, Text::StoryRange(pos, runEnd), language, state, extra,
                     backLink);
        pos = runEnd;
    }

    paragraph_ = outer;
    paragraphParams_ = std::move(outerParams);
    // An empty paragraph of the document is kept; what is left open after block content that
    // ended the paragraph is not.
    if (!broken_)
        para.WriteOpenTags();
    // A paragraph that held only block content is not written: the next one names the section.
    if (labelWritten && !listItem && !para.EverWritten())
        host_.ReturnSectionLabel();
    para.Suspend();
    broken_ = outerBroken;
    return true;
}

void ContentWriter::WriteTextRun(const StoryChunk& chunk, ElementStream& out,
                                 const StringT& fileName, const Text::StoryRange& run,
                                 const Counted<const Text::Language>& paragraphLanguage,
                                 ExportState& state, const StringT& extraClasses,
                                 const RangeNoteRecord* bodyOf) {
    const Text::StoryPos first = run.begin();
    const Text::Glyph firstGlyph = first.GetGlyph();
    if (firstGlyph.IsParagraphBreak() || first.IsStoryTerminator())
        PageAnchor(chunk, out, fileName, first, state);

    const auto atts = first.GetGlyphAtts();
    const Counted<GlyphParams> params =
        host_.Styles().RegisterGlyphAtts(atts, paragraphParams_.get());
    const StringT role = bodyOf ? StringT("doc-backlink") : StringT();
    const StringT href =
        bodyOf ? AnchorRegistry::AnchorHref(host_.Anchors().GetAnchor(*bodyOf->back), chunk.name)
               : LinkTarget(*atts, chunk, fileName, first.GetStory().get());
    const StringT tag = CheckedElement(params->element, "span");
    const StringT classes = JoinClasses({extraClasses, params->ClassList()});
    auto language = atts->GetLanguage();
    if (!language || language->IsNone())
        language = paragraphLanguage;
    const bool otherLanguage = !SameLanguage(language, paragraphLanguage);
    const bool open = params->NeedsElement() || !classes.empty() || tag != "span" ||
                      !href.empty() || otherLanguage;
    const size_t depth = out.Depth();
    if (open) {
        // A link keeps the run's element inside it, so the element's meaning survives.
        const bool link = !href.empty();
        XmlWriter x;
        const auto end = [&](std::string_view name) { return x.End(name).Take(); };
        if (link) {
            x.Open("a");
            if (otherLanguage)
                x.Attribute("xml:lang", language->GetId());
            if (!role.empty())
                x.Attribute("role", role);
            // The href attribute comes made: AnchorRegistry::AnchorHref or LinkTarget.
            x.Fragment(href.view());
            const bool inner = tag != "span" || !classes.empty();
            if (!inner)
                Classes(x, classes);
            out.Push({x.Close().Take(), end("a"), true, false});
            if (inner) {
                x.Open(tag.view());
                Classes(x, classes);
                out.Push({x.Close().Take(), end(tag.view()), false, false});
            }
        } else {
            x.Open(tag.view());
            if (otherLanguage)
                x.Attribute("xml:lang", language->GetId());
            Classes(x, classes);
            out.Push({x.Close().Take(), end(tag.view()), false, false});
        }
    }

    if (const StringT& math = atts->GetString(Text::GlyphStr::MathML); !math.empty())
        if (WriteEquation(math, chunk, out, fileName, run, state)) {
            out.Suspend(depth);
            return;
        }

    // Characters go out in stretches; anything else, and a page marker falling due, ends one.
    // Walks indices, not positions: a position per glyph would touch the story's reference count.
    const Text::Story& story = *first.GetStory();
    std::array<char, 4096> buffer;
    char* at = buffer.data();
    const auto flush = [&] {
        if (at != buffer.data()) {
            out << std::string_view(buffer.data(), static_cast<size_t>(at - buffer.data()));
            at = buffer.data();
        }
    };
    const bool markers = state.pageMarkersOn && !state.nextPagePos.IsNull();
    const uint32_t terminator = story.size() - 1;
    const uint32_t end = run.end().GetIndex();
    for (uint32_t i = first.GetIndex(); i < end; ++i) {
        const uint32_t code = story.GetCode(i);
        const bool plain = !Text::GlyphCode::IsObject(code) &&
                           Text::GlyphCode::GetBreak(code) == Text::BreakKind::None &&
                           i != terminator &&
                           !(markers && IsPageDue(chunk.GetOriginalPos(story.GetPos(i)), state));
        if (plain) {
            if (at + kMaxXMLChar > buffer.data() + buffer.size())
                flush();
            const auto c = static_cast<char32_t>(code & Text::GlyphCode::CharMask);
            // Most characters need neither escaping nor encoding.
            if (c >= 0x20 && c < 0x7F && c != '<' && c != '>' && c != '&' && c != '"' && c != '\'')
                *at++ = static_cast<char>(c);
            else
                at = WriteXMLChar(at, c);
            continue;
        }
        flush();
        WriteGlyph(chunk, out, fileName, story.GetPos(i), state);
    }
    flush();
    out.Suspend(depth);
}

bool ContentWriter::WriteEquation(const StringT& mathML, const StoryChunk& chunk,
                                  ElementStream& out, const StringT& fileName,
                                  const Text::StoryRange& run, ExportState& state) {
    const Text::Story& story = *run.begin().GetStory();
    StringT linear;
    std::vector<uint32_t> objects;
    for (uint32_t i = run.begin().GetIndex(); i < run.end().GetIndex(); ++i) {
        const uint32_t code = story.GetCode(i);
        if (Text::GlyphCode::IsObject(code) ||
            Text::GlyphCode::GetBreak(code) != Text::BreakKind::None || i == story.size() - 1)
            objects.push_back(i);
        else
            linear.AppendCodePoint(static_cast<char32_t>(code & Text::GlyphCode::CharMask));
    }
    const std::string element = MathElement(mathML.view(), linear.view());
    if (element.empty())
        return false;
    out << element;
    host_.AddEquation();
    // An anchor or break the equation's run holds still goes out, after it.
    for (const uint32_t i : objects)
        WriteGlyph(chunk, out, fileName, story.GetPos(i), state);
    return true;
}

StringT ContentWriter::LinkTarget(const Text::GlyphAtts& atts, const StoryChunk& chunk,
                                  const StringT& fileName, const Text::Story* story) const {
    const auto link = atts.GetHyperlink();
    if (!link || !link->GetData())
        return {};
    const Text::HyperlinkData& data = *link->GetData();
    const int source = host_.GetPaginationSource();
    switch (data.GetType()) {
    case Text::HyperlinkType::Anchor:
        // The target's role (a note reference's, say) is not the link's.
        if (!data.GetAnchor())
            return {};
        return AnchorRegistry::AnchorHref(host_.Anchors().GetAnchor(*data.GetAnchor()), chunk.name);
    case Text::HyperlinkType::Page:
        return AnchorRegistry::AnchorHref(host_.Anchors().GetPageAnchor(source, data.GetPage()),
                                          chunk.name);
    case Text::HyperlinkType::ChapterPage:
        if (data.GetChapter() == source)
            return AnchorRegistry::AnchorHref(
                host_.Anchors().GetPageAnchor(source, fileName, data.GetPage(), story), chunk.name);
        return AnchorRegistry::AnchorHref(
            host_.Anchors().GetPageAnchor(data.GetChapter(), data.GetPage()), chunk.name);
    case Text::HyperlinkType::URL:
        return StringT(XmlWriter().Link("href", data.GetPathWithValidProtocol().view()).Take());
    default:
        return {};
    }
}

// The paragraph being written, as the block that content at `pos` interrupts.
BlockContext ContentWriter::BlockAt(OutStream& out, const StringT& fileName,
                                                   const StoryChunk& chunk,
                                                   const Text::StoryPos& pos) const {
    BlockContext context = paragraph_ ? *paragraph_ : BlockContext{};
    context.out = &out;
    context.fileName = fileName;
    context.chunk = &chunk;
    context.pos = pos;
    return context;
}

void ContentWriter::WriteGlyph(const StoryChunk& chunk, OutStream& out, const StringT& fileName,
                               const Text::StoryPos& pos, ExportState& state) {
    const Text::Glyph glyph = pos.GetGlyph();
    if (glyph.GetBreakKind() >= Text::BreakKind::Paragraph || pos.IsStoryTerminator())
        return;
    PageAnchor(chunk, out, fileName, pos, state);
    auto* element = dynamic_cast<ElementStream*>(&out);
    // Links and link targets may not sit inside a link: close it around them.
    const auto outsideLinks = [&](auto&& write) {
        if (!element) {
            write();
            return;
        }
        auto links = element->SuspendLinks();
        write();
        element->Resume(std::move(links));
    };
    switch (glyph.GetType()) {
    case Text::GlyphType::Char:
        if (glyph.IsLineBreak()) {
            if (host_.GetOptions()->IsRemoveLineBreaks())
                out << " ";
            else
                XmlWriter().Open("br").CloseEmpty(true).Flush(out);
        } else {
            std::string text;
            AppendXMLChar(text, glyph.GetChar32());
            out << text;
        }
        return;
    case Text::GlyphType::Anchor: {
        const auto& anchor = glyph.As<Text::AnchorGlyph>()->GetAnchor();
        if (!anchor)
            return;
        if (const StringT& id = host_.Anchors().GetAnchor(*anchor).id; !id.empty())
            outsideLinks([&] { Target(out, id); });
        return;
    }
    case Text::GlyphType::CrossReference: {
        const auto* reference = glyph.As<Text::CrossReferenceGlyph>();
        const std::u32string text =
            host_.Callbacks().crossReferenceText
                ? host_.Callbacks().crossReferenceText(*reference, chunk.GetOriginalPos(pos))
                : std::u32string();
        const StringT href =
            reference->GetAnchorData()
                ? AnchorRegistry::AnchorHref(host_.Anchors().GetAnchor(*reference->GetAnchorData()),
                                             chunk.name)
                : StringT();
        XmlWriter x;
        for (char32_t c : text)
            x.Char(c);
        if (href.empty() || x.Empty()) {
            x.Flush(out);
            return;
        }
        const std::string encoded = x.Take();
        outsideLinks([&] {
            // The href attribute comes made by AnchorRegistry::AnchorHref.
            x.Open("a").Fragment(href.view()).Close().Fragment(encoded).End("a").Flush(out);
        });
        return;
    }
    case Text::GlyphType::Pin: {
        const auto* pin = glyph.As<Text::PinGlyph>();
        BlockGuard guard(blocks_, BlockAt(out, fileName, chunk, pos));
        if (pin->IsNote()) {
            outsideLinks([&] {
                notes_->HandleNote(*pin, pos, chunk, out, fileName, paragraphParams_.get());
            });
        } else if (const auto table =
                       Foundation::CountedCast<const Text::TableFrame>(pin->GetPinned())) {
            Tables().ExportTable(*table, pos.GetStory());
        } else if (host_.Callbacks().writeFrame) {
            host_.Callbacks().writeFrame(*pin, pos);
        }
        return;
    }
    case Text::GlyphType::ImageBullet: {
        BlockGuard guard(blocks_, BlockAt(out, fileName, chunk, pos));
        Figures().ExportImageBullet(glyph.Get<Text::ImageBulletGlyph>(), pos.GetGlyphAtts());
        return;
    }
    case Text::GlyphType::RangeNoteReference:
        outsideLinks([&] { notes_->WriteRangeNoteGlyph(out, glyph, paragraphParams_.get()); });
        return;
    case Text::GlyphType::RangeNoteBody:
        notes_->WriteRangeNoteGlyph(out, glyph, paragraphParams_.get());
        return;
    default:
        return;
    }
}

void ContentWriter::PageAnchor(const StoryChunk& chunk, OutStream& out, const StringT& fileName,
                               const Text::StoryPos& pos, ExportState& state) {
    // Pages are registered in the original story, not in a paragraph's expanded copy; the list
    // text put in front of the copy stands at the paragraph's start.
    Text::StoryPos original = chunk.GetOriginalPos(pos);
    if (!chunk.originalRange.empty() && original < chunk.originalRange.begin())
        original = chunk.originalRange.begin();
    host_.HandlePageAnchor(out, host_.GetPaginationSource(), fileName, original, state);
}

// Closes the paragraph's open elements before block content and reopens them after; a list
// item stays open, as it may hold tables and figures itself. Nothing written in between the
// reopening and the paragraph's end leaves no element behind.
void ContentWriter::BreakIntoParagraph(bool close) {
    if (blocks_.empty() || !blocks_.back().out)
        return;
    BlockContext& context = blocks_.back();
    auto* element = dynamic_cast<ElementStream*>(context.out);
    if (!element)
        return;
    if (close) {
        context.suspended = element->Suspend();
        broken_ = true;
    } else {
        element->Resume(std::move(context.suspended));
        context.suspended.clear();
    }
}

bool ContentWriter::ExportFrame(const Text::AnchoredFrame& frame) {
    if (blocks_.empty() || !blocks_.back().out)
        return false;
    const BlockContext context = blocks_.back();
    OutStream& out = *context.out;
    const int alignment = context.pos.IsNull() ? 0 : context.pos.GetParagraphAtts()->GetAlignment();
    const double scale = StyleSheet::GetScale(*host_.GetSettings(), *host_.GetOptions());
    const auto pixels = [&](double value) {
        return static_cast<long long>(std::lround(value * scale));
    };

    // A table may not sit inside a paragraph. The table only lays the frame out.
    BreakIntoParagraph(true);
    XmlWriter x;
    x.Open("table").Attribute("role", "presentation");
    x.Attribute("class", host_.Styles().RegisterTableFormat(nullptr, alignment));
    // XHTML has no height and width attributes on rows and cells; the sizes go inline.
    x.Close().Space("\n").Open("tr");
    x.Attribute("style", "height: " + std::to_string(pixels(frame.GetHeight())) + "px;");
    const StringT frameClass = host_.Styles().RegisterFrameFormat(
        frame.GetBackground(), frame.GetStrokeFill(), frame.GetStroke());
    x.Close().Space("\n").Open("td");
    x.Attribute("style", "width: " + std::to_string(pixels(frame.GetWidth())) + "px;");
    x.Attribute("class", frameClass).Close().Flush(out);
    bool ok = true;
    if (const Counted<const Text::Story>& story = frame.GetStory()) {
        const StoryChunk chunk(context.chunk ? context.chunk->name : context.fileName,
                               story->GetClientAll());
        ok = ExportStoryChunk(story, chunk, out, context.fileName, true);
    }
    x.End("td").Space("\n").End("tr").Space("\n").End("table").Space("\n").Flush(out);
    BreakIntoParagraph(false);
    return ok;
}

OutStream* ContentWriter::CurrentStream() const {
    return blocks_.empty() ? nullptr : blocks_.back().out;
}

void ContentWriter::RegisterArticle(const Article& article, const StringT& fileName) {
    int counter = 1;
    for (size_t i = 0; i < article.stories.size(); ++i) {
        if (!article.stories[i])
            continue;
        std::vector<StoryChunk> chunks;
        GetStoryChunks(article.stories[i], article.ends[i], fileName, chunks, counter,
                       article.frameScales[i], i > 0);
        notes_->RegisterRangeNotes(fileName, chunks);
        host_.Anchors().RemapFileNames(fileName, chunks);
    }
}

bool ContentWriter::ExportArticle(const Article& article, const StringT& fileName,
                                  int paginationSource) {
    host_.SetPaginationSource(paginationSource);
    const Counted<const Text::Language> publication = host_.GetPublicationLanguage();
    const auto [base, ext] = SplitFileName(fileName);
    const StringT baseName = base + ext;

    std::vector<std::vector<StoryChunk>> entries(article.stories.size());
    int counter = 1;
    for (size_t i = 0; i < article.stories.size(); ++i) {
        if (!article.stories[i])
            continue;
        GetStoryChunks(article.stories[i], article.ends[i], fileName, entries[i], counter,
                       article.frameScales[i], i > 0);
        notes_->RegisterRangeNotes(fileName, entries[i]);
        host_.Anchors().RemapFileNames(fileName, entries[i]);
    }

    // One language per document: the dominant one over all of its chunks.
    std::vector<StoryChunk*> all;
    for (auto& chunks : entries)
        for (StoryChunk& chunk : chunks)
            all.push_back(&chunk);
    for (size_t first = 0; first < all.size();) {
        size_t last = first;
        while (last + 1 < all.size() && all[last + 1]->name == all[first]->name)
            ++last;
        Tally tally;
        for (size_t i = first; i <= last; ++i)
            CountLanguages(tally, all[i]->range);
        const auto language = DocumentLanguage(tally, true);
        for (size_t i = first; i <= last; ++i)
            all[i]->language = language ? language : publication;
        first = last + 1;
    }

    std::map<StringT, bool> images;
    for (size_t i = 0; i < entries.size(); ++i) {
        const int32_t item = i < article.items.size() ? article.items[i] : -1;
        if (item >= 0 && host_.Callbacks().isItemImage && host_.Callbacks().isItemImage(item))
            images[entries[i].empty() ? baseName : entries[i].front().name] = true;
        for (const StoryChunk& chunk : entries[i])
            images[chunk.name] = images[chunk.name] || chunk.hasImages;
    }

    Counted<Foundation::OutStream> out;
    StringT open;
    auto finish = [&] {
        FinishDocument(*out);
        return host_.EndChunk(out);
    };
    auto switchTo = [&](const StringT& name, const Counted<const Text::Language>& language) {
        if (out && name == open)
            return true;
        if (out && !finish())
            return false;
        out = host_.StartChunk(name, article.title, language, images[name], StreamType::Content);
        open = name;
        return out != nullptr;
    };
    for (size_t i = 0; i < entries.size(); ++i) {
        host_.Styles().SetFrameScale({0.0, 0.0});
        const int32_t item = i < article.items.size() ? article.items[i] : -1;
        if (item >= 0) {
            if (!switchTo(baseName, publication))
                return false;
            BlockGuard guard(blocks_, BlockContext{out.get(), fileName, nullptr, {}, {}, {}});
            if (host_.Callbacks().writeItem)
                host_.Callbacks().writeItem(item);
        }
        if (article.stories[i])
            notes_->StartStory(article.stories[i].get(),
                               EndnotesDocument(*article.stories[i], entries[i], open));
        for (const StoryChunk& chunk : entries[i])
            if (!switchTo(chunk.name, chunk.language) ||
                !ExportStoryChunk(article.stories[i], chunk, *out, fileName, false))
                return false;
    }
    return !out || finish();
}

} // namespace EPub

#include "epub/content/ContentWriter.h"

#include "epub/content/AccessibilityValidator.h"
#include "epub/content/FigureWriter.h"
#include "epub/content/HtmlExporter.h"
#include "epub/content/PageMarkers.h"
#include "epub/content/StoryChunker.h"
#include "epub/content/TableWriter.h"
#include "epub/content/TextEncoding.h"
#include "host/text/AttributeIds.h"
#include "host/text/NoteAtt.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <utility>

namespace EPub {

namespace {

using Foundation::OutStream;

// Characters XML 1.0 cannot hold at all, not even as references.
bool IsXmlForbidden(char32_t c) {
    return (c < 0x20 && c != U'\t' && c != U'\n' && c != U'\r') || (c >= 0xD800 && c < 0xE000) ||
           c == 0xFFFE || c == 0xFFFF || c > 0x10FFFF;
}

void WriteChar(OutStream& out, char32_t c) {
    if (IsXmlForbidden(c))
        return;
    switch (c) {
    case U'"':
        out << "&quot;";
        return;
    case U'&':
        out << "&amp;";
        return;
    case U'<':
        out << "&lt;";
        return;
    case U'>':
        out << "&gt;";
        return;
    case U'\'':
        out << "&apos;";
        return;
    default:
        out << StringT::FromCodePoint(c).view();
    }
}

void WriteText(OutStream& out, const std::u32string& text) {
    for (char32_t c : text)
        WriteChar(out, c);
}

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

int32_t ParseNumber(const StringT& text, int32_t fallback) {
    int32_t value = 0;
    const std::string_view s = text.view();
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
    return error == std::errc() && end == s.data() + s.size() ? value : fallback;
}

std::u32string ToU32(const Text::GlyphString& glyphs) {
    std::u32string text;
    for (size_t i = 0; i < glyphs.size(); ++i)
        text += glyphs[i].GetChar32();
    return text;
}

StringT FragmentHref(const StringT& chunk, const StringT& id) {
    const std::string_view name = chunk.view();
    const size_t slash = name.find_last_of("/\\");
    return StringT::Format("%1#%2", slash == std::string_view::npos ? name : name.substr(slash + 1),
                           id);
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

ContentWriter::ContentWriter(HtmlExporter& exporter) : exporter_(exporter) {}
ContentWriter::~ContentWriter() = default;

TableWriter& ContentWriter::Tables() {
    if (!tables_)
        tables_ = std::make_unique<TableWriter>(exporter_, *this);
    return *tables_;
}

FigureWriter& ContentWriter::Figures() {
    if (!figures_)
        figures_ = std::make_unique<FigureWriter>(exporter_, *this);
    return *figures_;
}

void ContentWriter::GetStoryChunks(const Counted<const Text::Story>& story,
                                   const Text::StoryPos& end, const StringT& fileName,
                                   std::vector<StoryChunk>& chunks, int& chunkNumber,
                                   const std::vector<FrameScale>& frameScales,
                                   bool countLeadingBreak) {
    ChunkingRules rules;
    rules.splitStories = exporter_.GetSettings()->splitStories;
    rules.bulletListsAsText = exporter_.GetOptions()->IsConvertBulletListsToText();
    rules.isFrameImage = exporter_.Callbacks().isFrameImage;
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
    RegisterRangeNotes(fileName, chunks);
    exporter_.RemapFileNames(fileName, chunks);
    // The style sheets themselves are written once, by End.
    return WriteDocuments(story, fileName, title, chunks);
}

// Consecutive chunks of one name share a document.
bool ContentWriter::WriteDocuments(const Counted<const Text::Story>& story, const StringT& fileName,
                                   const StringT& title, const std::vector<StoryChunk>& chunks) {
    endnoteChunk_ = chunks.empty() ? fileName : chunks.back().name;
    for (size_t first = 0; first < chunks.size();) {
        size_t last = first;
        bool images = chunks[first].hasImages;
        while (last + 1 < chunks.size() && chunks[last + 1].name == chunks[first].name)
            images = chunks[++last].hasImages || images;
        const auto out = exporter_.StartChunk(chunks[first].name, title, chunks[first].language,
                                              images, StreamType::Content);
        if (!out)
            return false;
        for (size_t i = first; i <= last; ++i)
            if (!ExportStoryChunk(story, chunks[i], *out, fileName, false))
                return false;
        if (!exporter_.EndChunk(out))
            return false;
        first = last + 1;
    }
    return true;
}

bool ContentWriter::ExportStoryChunk(const Counted<const Text::Story>& story,
                                     const StoryChunk& chunk, OutStream& out,
                                     const StringT& fileName, bool nested) {
    ExportState state;
    const Text::StoryPos begin = chunk.range.begin();
    if (exporter_.Callbacks().numberer)
        state.numberer = exporter_.Callbacks().numberer(chunk.GetOriginalPos(begin));
    if (!nested)
        StartPageMarkers(exporter_, exporter_.GetPaginationSource(), fileName, begin, state);

    Text::StoryPos pos = begin;
    while (pos < chunk.range.end())
        if (!ExportRun(story, chunk, out, fileName, pos, state))
            return false;

    HandleListStack(out, state, {}, 0);
    if (!nested)
        FlushFootnotes(out);
    if (chunk.range.end() >= story->GetTerminator())
        FlushEndnotes(out, chunk);
    return true;
}

// One run of paragraphs sharing their attributes: a section, an optional wrapper div, the
// paragraphs.
bool ContentWriter::ExportRun(const Counted<const Text::Story>&, const StoryChunk& chunk,
                              OutStream& out, const StringT& fileName, Text::StoryPos& pos,
                              ExportState& state) {
    const Text::StoryPos runEnd = std::min(pos.GetParagraphAttsRunEnd(), chunk.range.end());
    state.paragraphAtts = pos.GetParagraphAtts();
    state.dropCapAtt = state.paragraphAtts->GetDropCap();
    state.autoFormatAtt = state.paragraphAtts->GetAutoFormat();
    StartRunSection(out, chunk, fileName, pos, *state.paragraphAtts);
    const Counted<DivParams> div = exporter_.RegisterDivAtts(state.paragraphAtts);
    if (div)
        out << StringT::Format("<div class=\"%1\">\n", div->className);

    bool ok = true;
    while (ok && pos < runEnd) {
        const Text::StoryPos paraEnd = std::min(pos.GetParagraphEnd(), runEnd);
        const Text::StoryRange paragraph(pos, paraEnd);
        // What is left of a paragraph cut at its page-break glyph holds no text.
        const bool onlyBreak =
            !pos.IsParagraphBegin() && paragraph.size() == 1 && pos.GetGlyph().IsParagraphBreak();
        if (!onlyBreak) {
            const auto expanded = exporter_.ExpandParagraph(paragraph, state.numberer);
            if (expanded) {
                const StoryChunk copy(chunk.name, expanded->GetClientAll(), chunk.language,
                                      chunk.hasImages);
                ok = ExportParagraph(copy, out, fileName, expanded->GetClientAll(), state);
            } else {
                ok = ExportParagraph(chunk, out, fileName, paragraph, state);
            }
        }
        state.previousParagraphAtts = state.paragraphAtts;
        pos = paraEnd;
    }
    if (div) {
        HandleListStack(out, state, {}, 0);
        out << "</div>\n";
    }
    exporter_.EndSection(out);
    return ok;
}

void ContentWriter::StartRunSection(OutStream& out, const StoryChunk& chunk,
                                    const StringT& fileName, const Text::StoryPos& pos,
                                    const Text::ParagraphAtts& atts) {
    Landmark landmark = Landmark::None;
    if (atts.GetInt(Text::ParaInt::Index) != 0) {
        landmark = Landmark::Index;
    } else if (const auto toc = atts.GetToc(); toc && toc->IsEnabled()) {
        switch (toc->GetKind()) {
        case 1:
            landmark = Landmark::TableOfContents;
            break;
        case 2:
            landmark = Landmark::ListOfIllustrations;
            break;
        case 3:
            landmark = Landmark::ListOfTables;
            break;
        default:
            break;
        }
    }
    if (landmark == Landmark::None || !exporter_.NeedsInferredLandmark(landmark)) {
        exporter_.StartSection(out, Landmark::None);
        return;
    }
    exporter_.StartSection(out, landmark);
    const AnchorLocation location = exporter_.RegisterLandmark(fileName, landmark, pos, chunk.name);
    out << StringT::Format("<a id=\"%1\"/>", XMLEncode(location.id.view()));
}

void ContentWriter::CountLanguages(Tally& tally, const Text::StoryRange& range) const {
    for (Text::StoryPos pos = range.begin(); pos < range.end(); ++pos) {
        const auto language = pos.GetGlyphAtts()->GetLanguage();
        if (!language || language->IsNone())
            continue;
        const auto found = std::find_if(tally.begin(), tally.end(), [&](const auto& entry) {
            return entry.first->GetId() == language->GetId();
        });
        if (found == tally.end())
            tally.emplace_back(language, 1);
        else
            ++found->second;
    }
}

Counted<const Text::Language> ContentWriter::DocumentLanguage(const Tally& tally, bool fallBack) {
    std::map<StringT, std::pair<Counted<const Text::Language>, int64_t>> counts;
    for (const auto& [language, count] : tally)
        counts[language->GetId()] = {language, count};
    exporter_.AddLanguageCounts(counts);
    const auto best = Dominant(tally);
    return best || !fallBack ? best : exporter_.GetPublicationLanguage();
}

bool ContentWriter::ExportParagraph(const StoryChunk& chunk, OutStream& out,
                                    const StringT& fileName, const Text::StoryRange& paragraph,
                                    ExportState& state) {
    const Text::StoryPos begin = paragraph.begin();
    PageAnchor(out, fileName, begin, state);
    if (const auto scale = chunk.GetFrameScaleForPos(begin); scale.width != 0 || scale.height != 0)
        exporter_.GetSettings()->frameScale = scale;

    const Counted<const Text::Language> chunkLanguage =
        chunk.language ? chunk.language : exporter_.GetPublicationLanguage();
    Tally tally;
    CountLanguages(tally, paragraph);
    Counted<const Text::Language> language = Dominant(tally);
    if (!language)
        language = chunkLanguage;

    Counted<ParaParams> params =
        exporter_.RegisterParagraphAtts(state.paragraphAtts, state.previousParagraphAtts);
    const int level = params->listDepth;
    if (IsHeadingElement(params->element.view()))
        exporter_.GetAccessibilityProfile().AddHeading();

    bool ownSection = false;
    if (!exporter_.HasCurrentSection() && level == 0) {
        for (Text::StoryPos pos = begin; pos < paragraph.end() && !ownSection; ++pos) {
            const auto* glyph = pos.GetGlyph().As<Text::AnchorGlyph>();
            if (!glyph || !glyph->GetAnchor())
                continue;
            const Landmark landmark = AnchorRegistry::LandmarkFromAnchor(*glyph->GetAnchor());
            if (landmark != Landmark::None) {
                exporter_.StartSection(out, landmark);
                ownSection = true;
            }
        }
    }

    HandleListStack(out, state, params->listElement, level);
    // A nested item sits inside its outer item, whose size and formatting it inherits.
    for (const ListLevel& outer : state.listStack)
        if (level > 1 && outer.level == level - 1 && outer.itemOpen && outer.item)
            params = exporter_.RegisterParagraphAtts(state.paragraphAtts,
                                                     state.previousParagraphAtts, outer.item.get());
    if (level > 0)
        state.listStack.back().item = params;

    BlockContext context{&out, fileName, &chunk, begin, params->element, params->ClassList(),
                         {},   {},       params};
    out << "<" << params->element.view();
    bool labelWritten = false;
    if (level == 0)
        if (const StringT label = exporter_.TakeSectionLabel(); !label.empty()) {
            out << " id=\"" << XMLEncode(label.view()).view() << "\"";
            labelWritten = true;
        }
    if (!SameLanguage(language, chunkLanguage))
        out << " xml:lang=\"" << XMLEncode(language->GetId().view()).view() << "\"";
    const Text::StoryPos noteBody =
        allNotesInline_ ? paragraph.end() : rangeNotes_.FindBody(begin, paragraph.end());
    const RangeNoteRecord* bodyNote =
        noteBody < paragraph.end()
            ? rangeNotes_.Find(noteBody.GetGlyph().As<Text::RangeNoteBodyGlyph>()->GetNote().get())
            : nullptr;
    // A paragraph already named by its section keeps that id; the note's id then goes on an
    // empty anchor before the body mark.
    const bool bodyIdOnParagraph = bodyNote && !labelWritten;
    if (bodyIdOnParagraph)
        out << " id=\"" << XMLEncode(exporter_.GetAnchor(*bodyNote->target).id.view()).view()
            << "\"";
    if (!context.paragraphClasses.empty())
        out << StringT::Format(" class=\"%1\"", context.paragraphClasses).view();
    out << ">";

    const BlockContext* outer = std::exchange(paragraph_, &context);
    const bool excludeTocNumbers = exporter_.GetOptions()->IsExcludeTocPageNumbers();
    Text::StoryPos pos = begin;
    while (pos < paragraph.end()) {
        const auto atts = pos.GetGlyphAtts();
        Text::StoryPos runEnd = std::min(pos.GetGlyphAttsRunEnd(), paragraph.end());
        if (excludeTocNumbers && atts->GetInt(Text::GlyphInt::TocPageNumber) == 1) {
            pos = runEnd;
            continue;
        }
        exporter_.GetAccessibilityProfile().AddText(atts, exporter_.GetSettings()->iccProfiles);
        if (state.dropCapAtt && state.dropCapAtt->IsEnabled()) {
            const auto dropEnd = state.dropCapAtt->GetRangeEnd(
                Text::StoryRange(begin.GetParagraphBegin(), begin.GetParagraphEnd()));
            if (pos < dropEnd && dropEnd < runEnd)
                runEnd = dropEnd;
        }
        if (state.autoFormatAtt && state.autoFormatAtt->IsEnabled()) {
            const auto formatEnd = state.autoFormatAtt->GetRangeEnd(
                Text::StoryRange(begin.GetParagraphBegin(), begin.GetParagraphEnd()));
            if (pos < formatEnd && formatEnd < runEnd)
                runEnd = formatEnd;
        }
        // The body mark of a range note is a run of its own that links back to the reference.
        const RangeNoteRecord* backLink = nullptr;
        if (bodyNote && pos <= noteBody && noteBody < runEnd) {
            if (pos < noteBody) {
                runEnd = noteBody;
            } else {
                runEnd = noteBody + 1;
                backLink = bodyNote;
                if (!bodyIdOnParagraph)
                    out << StringT::Format(
                               "<a id=\"%1\"/>",
                               XMLEncode(exporter_.GetAnchor(*bodyNote->target).id.view()))
                               .view();
            }
        }
        WriteTextRun(chunk, out, fileName, Text::StoryRange(pos, runEnd), language, state, context,
                     backLink);
        pos = runEnd;
    }

    paragraph_ = outer;
    if (level == 0)
        out << "</" << params->element.view() << ">\n";
    if (ownSection)
        exporter_.EndSection(out);
    return true;
}

void ContentWriter::WriteTextRun(const StoryChunk& chunk, OutStream& out, const StringT& fileName,
                                 const Text::StoryRange& run,
                                 const Counted<const Text::Language>& paragraphLanguage,
                                 ExportState& state, BlockContext& context,
                                 const RangeNoteRecord* bodyOf) {
    const Text::StoryPos first = run.begin();
    const Text::Glyph firstGlyph = first.GetGlyph();
    if (firstGlyph.IsParagraphBreak() || first.IsStoryTerminator())
        PageAnchor(out, fileName, first, state);

    const auto atts = first.GetGlyphAtts();
    const Counted<GlyphParams> params =
        exporter_.RegisterGlyphAtts(atts, context.paragraphParams.get());
    const Text::StoryRange whole(first.GetParagraphBegin(), first.GetParagraphEnd());
    StringT dropCap, autoFormat;
    if (state.dropCapAtt && state.dropCapAtt->IsEnabled() &&
        first < state.dropCapAtt->GetRangeEnd(whole)) {
        const auto para =
            exporter_.RegisterParagraphAtts(state.paragraphAtts, state.previousParagraphAtts);
        dropCap = para->DropCapClassList();
    }
    if (state.autoFormatAtt && state.autoFormatAtt->IsEnabled() &&
        first < state.autoFormatAtt->GetRangeEnd(whole)) {
        const auto para =
            exporter_.RegisterParagraphAtts(state.paragraphAtts, state.previousParagraphAtts);
        autoFormat = para->autoFormatClasses;
    }

    StringT role = bodyOf ? StringT("doc-backlink") : StringT();
    const StringT href =
        bodyOf ? AnchorRegistry::AnchorHref(exporter_.GetAnchor(*bodyOf->back), chunk.name)
               : LinkTarget(*atts, chunk, fileName, first.GetStory().get(), role);
    const StringT classes =
        JoinClasses({dropCap, autoFormat, params->styleClasses, params->overrideClass});
    auto language = atts->GetLanguage();
    if (!language || language->IsNone())
        language = paragraphLanguage;
    const bool otherLanguage = !SameLanguage(language, paragraphLanguage);
    const bool open = params->NeedsElement() || !classes.empty() || !href.empty() || otherLanguage;
    const StringT element = !href.empty()            ? StringT("a")
                            : params->NeedsElement() ? params->element
                                                     : StringT("span");
    if (open) {
        out << "<" << element.view();
        if (otherLanguage)
            out << " xml:lang=\"" << XMLEncode(language->GetId().view()).view() << "\"";
        if (!role.empty())
            out << " role=\"" << XMLEncode(role.view()).view() << "\"";
        out << href.view();
        if (!classes.empty())
            out << StringT::Format(" class=\"%1\"", classes).view();
        out << ">";
        context.inlineElement = element;
        context.inlineClasses = classes;
    }
    for (Text::StoryPos pos = first; pos < run.end(); ++pos)
        WriteGlyph(chunk, out, fileName, pos, state);
    if (open)
        out << "</" << element.view() << ">";
    context.inlineElement = {};
    context.inlineClasses = {};
}

StringT ContentWriter::LinkTarget(const Text::GlyphAtts& atts, const StoryChunk& chunk,
                                  const StringT& fileName, const Text::Story* story,
                                  StringT& role) const {
    const auto link = atts.GetHyperlink();
    if (!link || !link->GetData())
        return {};
    const Text::HyperlinkData& data = *link->GetData();
    const int source = exporter_.GetPaginationSource();
    switch (data.GetType()) {
    case Text::HyperlinkType::Anchor:
        if (!data.GetAnchor())
            return {};
        role = data.GetAnchor()->GetRole();
        return AnchorRegistry::AnchorHref(exporter_.GetAnchor(*data.GetAnchor()), chunk.name);
    case Text::HyperlinkType::Page:
        return AnchorRegistry::AnchorHref(exporter_.GetPageAnchor(source, data.GetPage()),
                                          chunk.name);
    case Text::HyperlinkType::ChapterPage:
        if (data.GetChapter() == source)
            return AnchorRegistry::AnchorHref(
                exporter_.GetPageAnchor(source, fileName, data.GetPage(), story), chunk.name);
        return AnchorRegistry::AnchorHref(
            exporter_.GetPageAnchor(data.GetChapter(), data.GetPage()), chunk.name);
    case Text::HyperlinkType::URL:
        return StringT::Format(" href=\"%1\"", URLEncode(data.GetPathWithValidProtocol().view()));
    default:
        return {};
    }
}

// The paragraph being written, as the block that content at `pos` interrupts.
ContentWriter::BlockContext ContentWriter::BlockAt(OutStream& out, const StringT& fileName,
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
    PageAnchor(out, fileName, pos, state);
    switch (glyph.GetType()) {
    case Text::GlyphType::Char:
        if (glyph.IsLineBreak())
            out << (exporter_.GetOptions()->IsRemoveLineBreaks() ? " " : "<br />");
        else
            WriteChar(out, glyph.GetChar32());
        return;
    case Text::GlyphType::Anchor: {
        const auto& anchor = glyph.As<Text::AnchorGlyph>()->GetAnchor();
        if (!anchor)
            return;
        if (const StringT& id = exporter_.GetAnchor(*anchor).id; !id.empty())
            out << StringT::Format("<a id=\"%1\"/>", XMLEncode(id.view())).view();
        return;
    }
    case Text::GlyphType::CrossReference: {
        const auto* reference = glyph.As<Text::CrossReferenceGlyph>();
        const std::u32string text =
            exporter_.Callbacks().crossReferenceText
                ? exporter_.Callbacks().crossReferenceText(*reference, chunk.GetOriginalPos(pos))
                : std::u32string();
        const StringT href = reference->GetAnchorData()
                                 ? AnchorRegistry::AnchorHref(
                                       exporter_.GetAnchor(*reference->GetAnchorData()), chunk.name)
                                 : StringT();
        if (!href.empty())
            out << "<a" << href.view() << ">";
        WriteText(out, text);
        if (!href.empty())
            out << "</a>";
        return;
    }
    case Text::GlyphType::Pin: {
        const auto* pin = glyph.As<Text::PinGlyph>();
        BlockGuard guard(blocks_, BlockAt(out, fileName, chunk, pos));
        if (pin->IsNote()) {
            HandleNote(*pin, pos, chunk, out, fileName);
        } else if (const auto table =
                       Foundation::CountedCast<const Text::TableFrame>(pin->GetPinned())) {
            // Notes referenced in cells are flushed with the table's story, in this document.
            const StringT outer = std::exchange(endnoteChunk_, chunk.name);
            Tables().ExportTable(*table, pos.GetStory());
            endnoteChunk_ = outer;
        } else if (exporter_.Callbacks().writeFrame) {
            exporter_.Callbacks().writeFrame(*pin, pos);
        }
        return;
    }
    case Text::GlyphType::ImageBullet: {
        BlockGuard guard(blocks_, BlockAt(out, fileName, chunk, pos));
        Figures().ExportImageBullet(glyph.Get<Text::ImageBulletGlyph>(), pos.GetGlyphAtts());
        return;
    }
    case Text::GlyphType::RangeNoteReference:
    case Text::GlyphType::RangeNoteBody:
        WriteRangeNoteGlyph(out, glyph);
        return;
    default:
        return;
    }
}

void ContentWriter::PageAnchor(OutStream& out, const StringT& fileName, const Text::StoryPos& pos,
                               ExportState& state) {
    exporter_.HandlePageAnchor(out, exporter_.GetPaginationSource(), fileName, pos, state);
}

void ContentWriter::HandleListStack(OutStream& out, ExportState& state, const StringT& element,
                                    int level) {
    auto top = [&] { return state.listStack.empty() ? 0 : state.listStack.back().level; };
    auto closeItem = [&] {
        if (std::exchange(state.listStack.back().itemOpen, false))
            out << "</li>\n";
    };
    while (level < top()) {
        closeItem();
        out << "</" << state.listStack.back().element.view() << ">\n";
        state.listStack.pop_back();
    }
    if (level > 0 && level == top()) {
        closeItem();
        if (state.listStack.back().element != element) {
            out << "</" << state.listStack.back().element.view() << ">\n";
            state.listStack.pop_back();
            out << "<" << element.view() << ">\n";
            state.listStack.push_back({level, element, false, {}});
        }
    }
    for (int next = top() + 1; next <= level; ++next) {
        out << "<" << element.view() << ">\n";
        state.listStack.push_back({next, element, false, {}});
    }
    // The paragraph written next is this list's item.
    if (level > 0)
        state.listStack.back().itemOpen = true;
}

// A list item may hold tables and figures itself; closing it would leave them in the bare list.
bool ContentWriter::InListItem(const BlockContext& context) {
    return context.paragraphElement == "li";
}

void ContentWriter::BreakIntoParagraph(bool close) {
    if (blocks_.empty() || !blocks_.back().out)
        return;
    const BlockContext& context = blocks_.back();
    OutStream& out = *context.out;
    if (close) {
        if (!context.inlineElement.empty())
            out << "</" << context.inlineElement.view() << ">\n";
        if (!context.paragraphElement.empty() && !InListItem(context))
            out << "</" << context.paragraphElement.view() << ">\n";
        return;
    }
    if (!context.paragraphElement.empty() && !InListItem(context)) {
        out << "<" << context.paragraphElement.view();
        if (!context.paragraphClasses.empty())
            out << " class=\"" << context.paragraphClasses.view() << "\"";
        out << ">\n";
    }
    if (!context.inlineElement.empty()) {
        out << "<" << context.inlineElement.view();
        if (!context.inlineClasses.empty())
            out << StringT::Format(" class=\"%1\"", context.inlineClasses).view();
        out << ">\n";
    }
}

bool ContentWriter::ExportFrame(const Text::AnchoredFrame& frame) {
    if (blocks_.empty() || !blocks_.back().out)
        return false;
    const BlockContext context = blocks_.back();
    OutStream& out = *context.out;
    const int alignment = context.pos.IsNull() ? 0 : context.pos.GetParagraphAtts()->GetAlignment();
    const double scale = StyleSheet::GetScale(*exporter_.GetSettings(), *exporter_.GetOptions());
    const auto pixels = [&](double value) {
        return static_cast<long long>(std::lround(value * scale));
    };

    // A table may not sit inside a paragraph.
    BreakIntoParagraph(true);
    out << StringT::Format("<table class=\"%1\">\n",
                           exporter_.RegisterTableFormat(nullptr, alignment))
               .view();
    // XHTML has no height and width attributes on rows and cells; the sizes go inline.
    out << StringT::Format("<tr style=\"height: %1px;\">\n", pixels(frame.GetHeight())).view();
    const StringT frameClass = exporter_.RegisterFrameFormat(
        frame.GetBackground(), frame.GetStrokeFill(), frame.GetStroke());
    out << StringT::Format("<td style=\"width: %1px;\" class=\"%2\">", pixels(frame.GetWidth()),
                           frameClass)
               .view();
    bool ok = true;
    if (const Counted<const Text::Story>& story = frame.GetStory()) {
        const StoryChunk chunk(context.chunk ? context.chunk->name : context.fileName,
                               story->GetClientAll());
        ok = ExportStoryChunk(story, chunk, out, context.fileName, true);
    }
    out << "</td>\n</tr>\n</table>\n";
    BreakIntoParagraph(false);
    return ok;
}

OutStream* ContentWriter::CurrentStream() const {
    return blocks_.empty() ? nullptr : blocks_.back().out;
}

void ContentWriter::HandleNote(const Text::PinGlyph& pin, const Text::StoryPos& pos,
                               const StoryChunk& chunk, OutStream& out, const StringT& fileName) {
    const Text::Note* note = pin.GetNote();
    if (!note || !note->GetNoteAtt())
        return;
    const auto& numberOf = exporter_.Callbacks().noteNumber;
    const StringT number = numberOf ? numberOf(pos.GetGlyph(), chunk.GetOriginalPos(pos))
                                    : StringT::Format("%1", footnoteCounter_);
    switch (note->GetKind()) {
    case Text::NoteKind::Footnote:
        ExportFootnote(*note, pos, number, chunk, out, fileName);
        break;
    case Text::NoteKind::Endnote:
    case Text::NoteKind::Sidenote:
        if (!allNotesInline_)
            ExportEndnote(*note, pos, number, chunk, out, fileName);
        break;
    }
}

void ContentWriter::WriteNoteReference(OutStream& out, const Text::NoteAtt& settings,
                                       const std::u32string& mark, const StringT& id,
                                       const StringT& href) {
    const Counted<GlyphParams> params = exporter_.RegisterGlyphAtts(
        settings.GetGlyphAtts(), paragraph_ ? paragraph_->paragraphParams.get() : nullptr);
    out << StringT::Format("<span class=\"%1\"><a id=\"%2\" role=\"doc-noteref\" "
                           "epub:type=\"noteref\" href=\"%3\">",
                           JoinClasses({params->styleClasses, params->overrideClass}),
                           XMLEncode(id.view()), XMLEncode(href.view()))
               .view();
    WriteText(out, mark);
    out << "</a></span>";
}

// The body mark links back to the reference; the note's own text follows as nested content.
void ContentWriter::WriteNoteBody(OutStream& out, const Counted<const Text::Story>& content,
                                  const std::u32string& mark,
                                  const Consolidated<Text::GlyphAtts>& markAtts,
                                  const StringT& backHref, const StringT& fileName) {
    const Counted<GlyphParams> params = exporter_.RegisterGlyphAtts(markAtts, nullptr);
    out << "<a role=\"doc-backlink\"" << backHref.view();
    if (const StringT classes = JoinClasses({params->styleClasses, params->overrideClass});
        !classes.empty())
        out << StringT::Format(" class=\"%1\"", classes).view();
    out << ">";
    WriteText(out, mark);
    out << "</a>";
    if (!content)
        return;
    const StoryChunk chunk(fileName, content->GetClientAll(), content->GetClientAll(), 0);
    const StringT saved = std::exchange(endnoteChunk_, StringT());
    ExportStoryChunk(content, chunk, out, fileName, true);
    endnoteChunk_ = saved;
}

void ContentWriter::ExportFootnote(const Text::Note& note, const Text::StoryPos& pos,
                                   const StringT& number, const StoryChunk& chunk, OutStream& out,
                                   const StringT& fileName) {
    if (!footnotes_) {
        footnotes_ = std::make_unique<Foundation::MemoryOutStream>();
        *footnotes_ << "<div>\n";
    }
    const int32_t n = ParseNumber(number, footnoteCounter_);
    const Text::NoteAtt& settings = *note.GetNoteAtt();
    const StringT noteId = StringT::Format("footnote%1", footnoteCounter_);
    const auto back = Text::AnchorData::Make(
        StringT::Format("%1/footnote%2_return", chunk.name, footnoteCounter_), noteId + "_return");
    back->SetRole("doc-backlink");
    exporter_.RegisterAnchor(fileName, *back, pos, chunk.name);
    const StringT backId = exporter_.GetAnchor(*back).id;
    WriteNoteReference(out, settings, ToU32(settings.MakeReference(n)), backId,
                       FragmentHref(chunk.name, noteId));

    *footnotes_ << StringT::Format("<aside id=\"%1\" role=\"doc-footnote\" epub:type=\"footnote\">",
                                   noteId)
                       .view();
    WriteNoteBody(*footnotes_, note.GetContent(), ToU32(settings.MakeBody(n)),
                  settings.GetBodyGlyphAtts(), StringT::Format(" href=\"#%1\"", backId), fileName);
    *footnotes_ << "</aside>\n";
    ++footnoteCounter_;
}

void ContentWriter::ExportEndnote(const Text::Note& note, const Text::StoryPos& pos,
                                  const StringT& number, const StoryChunk& chunk, OutStream& out,
                                  const StringT& fileName) {
    const bool side = note.GetKind() == Text::NoteKind::Sidenote;
    std::vector<Endnote>& list = side ? sidenotes_ : endnotes_;
    const char* kind = side ? "sidenote" : "endnote";
    const size_t n = list.size() + 1;
    const Text::NoteAtt& settings = *note.GetNoteAtt();

    const auto target =
        Text::AnchorData::Make(StringT::Format("%1/%2/%3%4", fileName, endnoteChunk_, kind, n),
                               StringT::Format("%1%2", kind, n));
    target->SetRole("doc-noteref");
    const auto back = Text::AnchorData::Make(
        StringT::Format("%1/%2/%3%4_return", fileName, endnoteChunk_, kind, n),
        StringT::Format("%1%2_return", kind, n));
    back->SetRole("doc-backlink");
    const Counted<const Text::Story>& content = note.GetContent();
    exporter_.RegisterAnchor(fileName, *target, content ? content->gbegin() : Text::StoryPos(),
                             endnoteChunk_);
    exporter_.RegisterAnchor(fileName, *back, pos, chunk.name);

    const int32_t mark = ParseNumber(number, static_cast<int32_t>(n));
    Endnote record{pos.GetStory(),
                   content,
                   exporter_.GetAnchor(*target).id,
                   exporter_.GetAnchor(*back).id,
                   chunk.name,
                   ToU32(settings.MakeBody(mark)),
                   settings.GetBodyGlyphAtts()};
    WriteNoteReference(out, settings, ToU32(settings.MakeReference(mark)), record.backId,
                       FragmentHref(endnoteChunk_, record.noteId));
    list.push_back(std::move(record));
}

void ContentWriter::RegisterRangeNotes(const StringT& fileName,
                                       const std::vector<StoryChunk>& chunks) {
    if (allNotesInline_)
        return;
    const auto& numberOf = exporter_.Callbacks().noteNumber;
    rangeNotes_.Register(
        exporter_, fileName, chunks,
        [&numberOf](const Text::Glyph& glyph, const Text::StoryPos& pos, int32_t fallback) {
            return numberOf ? ParseNumber(numberOf(glyph, pos), fallback) : fallback;
        });
}

// The reference links to the body paragraph; the body glyph is the mark its run links back with.
void ContentWriter::WriteRangeNoteGlyph(OutStream& out, const Text::Glyph& glyph) {
    if (allNotesInline_)
        return;
    if (const auto* body = glyph.As<Text::RangeNoteBodyGlyph>()) {
        if (const RangeNoteRecord* note = rangeNotes_.Find(body->GetNote().get()))
            WriteText(out, ToU32(note->settings->MakeBody(note->number)));
        return;
    }
    const auto* reference = glyph.As<Text::RangeNoteReferenceGlyph>();
    const RangeNoteRecord* note =
        reference ? rangeNotes_.Find(reference->GetNote().get()) : nullptr;
    if (!note)
        return;
    const AnchorLocation& target = exporter_.GetAnchor(*note->target);
    WriteNoteReference(out, *note->settings, ToU32(note->settings->MakeReference(note->number)),
                       exporter_.GetAnchor(*note->back).id, FragmentHref(target.chunk, target.id));
}

void ContentWriter::FlushFootnotes(OutStream& out) {
    if (!footnotes_)
        return;
    *footnotes_ << "</div>\n";
    footnotes_->CopyToStream(out);
    footnotes_.reset();
}

void ContentWriter::FlushEndnotes(OutStream& out, const StoryChunk& chunk) {
    bool opened = false;
    for (std::vector<Endnote>* list : {&endnotes_, &sidenotes_}) {
        for (const Endnote& note : *list) {
            if (note.referenceStory != chunk.range.GetStory())
                continue;
            if (!opened)
                out << "<div>\n";
            opened = true;
            out << StringT::Format("<a id=\"%1\"/>", XMLEncode(note.noteId.view())).view();
            const StringT backHref =
                note.backChunk == chunk.name
                    ? StringT::Format(" href=\"#%1\"", note.backId)
                    : StringT::Format(" href=\"%1\"", FragmentHref(note.backChunk, note.backId));
            WriteNoteBody(out, note.content, note.mark, note.markAtts, backHref, chunk.name);
        }
    }
    if (opened)
        out << "</div>\n";
}

void ContentWriter::RegisterArticle(const Article& article, const StringT& fileName) {
    int counter = 1;
    for (size_t i = 0; i < article.stories.size(); ++i) {
        if (!article.stories[i])
            continue;
        std::vector<StoryChunk> chunks;
        GetStoryChunks(article.stories[i], article.ends[i], fileName, chunks, counter,
                       article.frameScales[i], i > 0);
        RegisterRangeNotes(fileName, chunks);
        exporter_.RemapFileNames(fileName, chunks);
    }
}

bool ContentWriter::ExportArticle(const Article& article, const StringT& fileName,
                                  int paginationSource) {
    exporter_.SetPaginationSource(paginationSource);
    const Counted<const Text::Language> publication = exporter_.GetPublicationLanguage();
    const auto [base, ext] = SplitFileName(fileName);
    const StringT baseName = base + ext;

    std::vector<std::vector<StoryChunk>> entries(article.stories.size());
    int counter = 1;
    for (size_t i = 0; i < article.stories.size(); ++i) {
        if (!article.stories[i])
            continue;
        GetStoryChunks(article.stories[i], article.ends[i], fileName, entries[i], counter,
                       article.frameScales[i], i > 0);
        RegisterRangeNotes(fileName, entries[i]);
        exporter_.RemapFileNames(fileName, entries[i]);
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
        if (item >= 0 && exporter_.Callbacks().isItemImage &&
            exporter_.Callbacks().isItemImage(item))
            images[entries[i].empty() ? baseName : entries[i].front().name] = true;
        for (const StoryChunk& chunk : entries[i])
            images[chunk.name] = images[chunk.name] || chunk.hasImages;
    }

    Counted<Foundation::OutStream> out;
    StringT open;
    auto switchTo = [&](const StringT& name, const Counted<const Text::Language>& language) {
        if (out && name == open)
            return true;
        if (out && !exporter_.EndChunk(out))
            return false;
        out =
            exporter_.StartChunk(name, article.title, language, images[name], StreamType::Content);
        open = name;
        return out != nullptr;
    };
    for (size_t i = 0; i < entries.size(); ++i) {
        exporter_.GetSettings()->frameScale = {0.0, 0.0};
        const int32_t item = i < article.items.size() ? article.items[i] : -1;
        if (item >= 0) {
            if (!switchTo(baseName, publication))
                return false;
            BlockGuard guard(blocks_,
                             BlockContext{out.get(), fileName, nullptr, {}, {}, {}, {}, {}, {}});
            if (exporter_.Callbacks().writeItem)
                exporter_.Callbacks().writeItem(item);
        }
        if (!entries[i].empty())
            endnoteChunk_ = entries[i].back().name;
        for (const StoryChunk& chunk : entries[i])
            if (!switchTo(chunk.name, chunk.language) ||
                !ExportStoryChunk(article.stories[i], chunk, *out, fileName, false))
                return false;
    }
    return !out || exporter_.EndChunk(out);
}

} // namespace EPub

#pragma once
// Writes stories into content documents: chunking, paragraphs and runs, lists, notes and
// articles.

#include "epub/content/Article.h"
#include "epub/content/ExportState.h"
#include "epub/content/RangeNotes.h"
#include "epub/content/StoryChunk.h"
#include "epub/css/StyleSheet.h"
#include "host/foundation/Stream.h"
#include "host/text/AnchoredFrame.h"
#include "host/text/NoteAtt.h"

#include <deque>
#include <memory>
#include <vector>

namespace EPub {

class FigureWriter;
class HtmlExporter;
class TableWriter;

class ContentWriter {
public:
    explicit ContentWriter(HtmlExporter& exporter);
    ~ContentWriter();

    bool ExportStory(const Counted<const Text::Story>& story, const Text::StoryPos& end,
                     const StringT& fileName, const StringT& title);
    bool ExportStory(const Counted<const Text::Story>& story, const StringT& fileName,
                     const StringT& title, const std::vector<StoryChunk>& chunks);
    void GetStoryChunks(const Counted<const Text::Story>& story, const Text::StoryPos& end,
                        const StringT& fileName, std::vector<StoryChunk>& chunks, int& chunkNumber,
                        const std::vector<FrameScale>& frameScales, bool countLeadingBreak);
    void RegisterArticle(const Article& article, const StringT& fileName);
    bool ExportArticle(const Article& article, const StringT& fileName, int paginationSource);

    bool ExportStoryChunk(const Counted<const Text::Story>& story, const StoryChunk& chunk,
                          Foundation::OutStream& out, const StringT& fileName, bool nested);
    // Closes (true) or reopens (false) the paragraph around block content such as figures.
    void BreakIntoParagraph(bool close);
    // The stream block content goes to: that of the paragraph being written.
    Foundation::OutStream* CurrentStream() const;
    void SetAllNotesInline(bool inlineNotes) noexcept { allNotesInline_ = inlineNotes; }
    // Writes an anchored text frame at the current glyph as a one-cell table.
    bool ExportFrame(const Text::AnchoredFrame& frame);

    // The paragraph that block content interrupts, with where it is written.
    struct BlockContext {
        Foundation::OutStream* out = nullptr;
        StringT fileName;
        const StoryChunk* chunk = nullptr;
        Text::StoryPos pos;
        StringT paragraphElement;
        StringT paragraphClasses;
        StringT inlineElement;
        StringT inlineClasses;
        Counted<const ParaParams> paragraphParams; // what runs are registered against
    };
    static bool InListItem(const BlockContext& context);
    BlockContext BlockAt(Foundation::OutStream& out, const StringT& fileName,
                         const StoryChunk& chunk, const Text::StoryPos& pos) const;
    // The innermost block context; null outside block content.
    const BlockContext* CurrentBlock() const { return blocks_.empty() ? nullptr : &blocks_.back(); }
    TableWriter& Tables();
    FigureWriter& Figures();

private:
    struct Endnote {
        Counted<const Text::Story> referenceStory;
        Counted<const Text::Story> content;
        StringT noteId;    // registered id of the note's anchor
        StringT backId;    // registered id of the reference
        StringT backChunk; // document holding the reference
        std::u32string mark;
        Consolidated<Text::GlyphAtts> markAtts;
    };
    using Tally = std::vector<std::pair<Counted<const Text::Language>, int64_t>>;
    class BlockGuard;

    bool WriteDocuments(const Counted<const Text::Story>& story, const StringT& fileName,
                        const StringT& title, const std::vector<StoryChunk>& chunks);
    bool ExportRun(const Counted<const Text::Story>& story, const StoryChunk& chunk,
                   Foundation::OutStream& out, const StringT& fileName, Text::StoryPos& pos,
                   ExportState& state);
    void StartRunSection(Foundation::OutStream& out, const StoryChunk& chunk,
                         const StringT& fileName, const Text::StoryPos& pos,
                         const Text::ParagraphAtts& atts);
    bool ExportParagraph(const StoryChunk& chunk, Foundation::OutStream& out,
                         const StringT& fileName, const Text::StoryRange& paragraph,
                         ExportState& state);
    void WriteTextRun(const StoryChunk& chunk, Foundation::OutStream& out, const StringT& fileName,
                      const Text::StoryRange& run,
                      const Counted<const Text::Language>& paragraphLanguage, ExportState& state,
                      BlockContext& context, const RangeNoteRecord* bodyOf = nullptr);
    void WriteGlyph(const StoryChunk& chunk, Foundation::OutStream& out, const StringT& fileName,
                    const Text::StoryPos& pos, ExportState& state);
    StringT LinkTarget(const Text::GlyphAtts& atts, const StoryChunk& chunk,
                       const StringT& fileName, const Text::Story* story, StringT& role) const;
    void HandleListStack(Foundation::OutStream& out, ExportState& state, const StringT& element,
                         int level);
    void PageAnchor(Foundation::OutStream& out, const StringT& fileName, const Text::StoryPos& pos,
                    ExportState& state);

    void HandleNote(const Text::PinGlyph& pin, const Text::StoryPos& pos, const StoryChunk& chunk,
                    Foundation::OutStream& out, const StringT& fileName);
    void ExportFootnote(const Text::Note& note, const Text::StoryPos& pos, const StringT& number,
                        const StoryChunk& chunk, Foundation::OutStream& out,
                        const StringT& fileName);
    void ExportEndnote(const Text::Note& note, const Text::StoryPos& pos, const StringT& number,
                       const StoryChunk& chunk, Foundation::OutStream& out,
                       const StringT& fileName);
    void WriteNoteReference(Foundation::OutStream& out, const Text::NoteAtt& settings,
                            const std::u32string& mark, const StringT& id, const StringT& href);
    void WriteNoteBody(Foundation::OutStream& out, const Counted<const Text::Story>& content,
                       const std::u32string& mark, const Consolidated<Text::GlyphAtts>& markAtts,
                       const StringT& backHref, const StringT& fileName);
    void RegisterRangeNotes(const StringT& fileName, const std::vector<StoryChunk>& chunks);
    void WriteRangeNoteGlyph(Foundation::OutStream& out, const Text::Glyph& glyph);
    void FlushFootnotes(Foundation::OutStream& out);
    void FlushEndnotes(Foundation::OutStream& out, const StoryChunk& chunk);

    Counted<const Text::Language> DocumentLanguage(const Tally& tally, bool fallBack);
    void CountLanguages(Tally& tally, const Text::StoryRange& range) const;

    HtmlExporter& exporter_;
    std::deque<BlockContext> blocks_;
    std::unique_ptr<Foundation::MemoryOutStream> footnotes_;
    int footnoteCounter_ = 1;
    std::vector<Endnote> endnotes_;
    std::vector<Endnote> sidenotes_;
    RangeNotes rangeNotes_;
    StringT endnoteChunk_; // document the current story's notes are flushed into
    bool allNotesInline_ = false;
    const BlockContext* paragraph_ = nullptr; // the paragraph being written
    std::unique_ptr<TableWriter> tables_;
    std::unique_ptr<FigureWriter> figures_;
};

} // namespace EPub

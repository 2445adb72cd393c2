// SPDX-License-Identifier: MIT
#pragma once
// Writes stories into content documents: chunking, paragraphs and runs, lists, notes and
// articles.

#include "epub/content/Article.h"
#include "epub/content/BlockFlow.h"
#include "epub/content/ElementStream.h"
#include "epub/content/ExportState.h"
#include "epub/content/NoteWriter.h"
#include "epub/content/RangeNotes.h"
#include "epub/content/StoryChunk.h"
#include "epub/css/StyleSheet.h"
#include "epub/package/Landmark.h"
#include "host/foundation/Stream.h"
#include "host/text/AnchoredFrame.h"
#include "host/text/NoteAtt.h"

#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace EPub {

class FigureWriter;
class DocumentHost;
class TableWriter;

class ContentWriter final : public BlockFlow {
public:
    explicit ContentWriter(DocumentHost& host);
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
                          Foundation::OutStream& out, const StringT& fileName,
                          bool nested) override;
    void BreakIntoParagraph(bool close) override;
    // The stream block content goes to: that of the paragraph being written.
    Foundation::OutStream* CurrentStream() const;
    void SetAllNotesInline(bool inlineNotes) noexcept;
    // Writes an anchored text frame at the current glyph as a one-cell table.
    bool ExportFrame(const Text::AnchoredFrame& frame);

    // The block context of a paragraph at `pos` of `chunk`.
    BlockContext BlockAt(Foundation::OutStream& out, const StringT& fileName,
                         const StoryChunk& chunk, const Text::StoryPos& pos) const;
    const BlockContext* CurrentBlock() const override {
        return blocks_.empty() ? nullptr : &blocks_.back();
    }
    TableWriter& Tables();
    FigureWriter& Figures();

    NoteWriter& Notes() { return *notes_; }
    void SetParagraphPrefix(std::string prefix) override { paragraphPrefix_ = std::move(prefix); }
    std::string TakeParagraphPrefix() override { return std::exchange(paragraphPrefix_, {}); }

private:
    using Tally = std::vector<std::pair<Counted<const Text::Language>, int64_t>>;
    class BlockGuard;

    bool WriteDocuments(const Counted<const Text::Story>& story, const StringT& fileName,
                        const StringT& title, const std::vector<StoryChunk>& chunks);
    bool ExportRun(const StoryChunk& chunk, Foundation::OutStream& out, const StringT& fileName,
                   Text::StoryPos& pos, ExportState& state, Landmark& openLandmark);
    Landmark RunLandmark(const Text::ParagraphAtts& atts) const;
    void FlushInlineNotes(Foundation::OutStream& out, const ExportState& state);
    void OpenLandmark(Foundation::OutStream& out, ExportState& state, Landmark& open,
                      Landmark landmark);
    bool ExportParagraph(const StoryChunk& chunk, Foundation::OutStream& out,
                         const StringT& fileName, const Text::StoryRange& paragraph,
                         ExportState& state, Landmark& openLandmark);
    void WriteTextRun(const StoryChunk& chunk, ElementStream& out, const StringT& fileName,
                      const Text::StoryRange& run,
                      const Counted<const Text::Language>& paragraphLanguage, ExportState& state,
                      const StringT& extraClasses, const RangeNoteRecord* bodyOf = nullptr);
    void WriteGlyph(const StoryChunk& chunk, Foundation::OutStream& out, const StringT& fileName,
                    const Text::StoryPos& pos, ExportState& state);
    // False, having written nothing, when the MathML is unusable: the text is then written.
    bool WriteEquation(const StringT& mathML, const StoryChunk& chunk, ElementStream& out,
                       const StringT& fileName, const Text::StoryRange& run, ExportState& state);
    StringT LinkTarget(const Text::GlyphAtts& atts, const StoryChunk& chunk,
                       const StringT& fileName, const Text::Story* story) const;
    void PageAnchor(const StoryChunk& chunk, Foundation::OutStream& out, const StringT& fileName,
                    const Text::StoryPos& pos, ExportState& state);
    void FinishDocument(Foundation::OutStream& out);

    Counted<const Text::Language> DocumentLanguage(const Tally& tally, bool fallBack);
    static void CountLanguages(Tally& tally, const Text::StoryRange& range);

    DocumentHost& host_;
    std::deque<BlockContext> blocks_;
    std::unique_ptr<NoteWriter> notes_;
    std::string paragraphPrefix_;
    bool broken_ = false; // block content interrupted the paragraph being written
    const BlockContext* paragraph_ = nullptr; // the paragraph being written
    Counted<ParaParams> paragraphParams_; // the registry's answer for the paragraph being written
    std::unique_ptr<TableWriter> tables_;
    std::unique_ptr<FigureWriter> figures_;
};

} // namespace EPub

// SPDX-License-Identifier: MIT
#pragma once
// Footnotes, endnotes and sidenotes: the reference where the note stands, the body as an aside
// at the end of the document (footnotes) or after the story (endnotes, sidenotes).

#include "epub/content/RangeNotes.h"
#include "epub/content/StoryChunk.h"
#include "epub/css/StyleSheet.h"
#include "host/foundation/Stream.h"
#include "host/text/NoteAtt.h"
#include "host/text/Story.h"
#include "host/text/Style.h"

#include <memory>
#include <string>
#include <vector>

namespace EPub {

using Foundation::Consolidated;

class BlockFlow;
class DocumentHost;

class NoteWriter {
public:
    NoteWriter(DocumentHost& host, BlockFlow& writer);
    ~NoteWriter();

    void SetAllNotesInline(bool inlineNotes) noexcept { allInline_ = inlineNotes; }
    bool AllNotesInline() const noexcept { return allInline_; }

    // The story whose end the endnotes met from now on follow, and the document they go in.
    void StartStory(const Text::Story* story, const StringT& document);
    const StringT& NotesDocument() const noexcept { return notesDocument_; }

    // A note glyph in the text: writes its reference to `out` and keeps its body.
    void HandleNote(const Text::PinGlyph& pin, const Text::StoryPos& pos, const StoryChunk& chunk,
                    Foundation::OutStream& out, const StringT& fileName,
                    const ParaParams* paragraph);

    // Endnotes whose body is a range of the text: both ends are known before writing.
    void RegisterRangeNotes(const StringT& fileName, const std::vector<StoryChunk>& chunks);
    const RangeNotes& Ranges() const noexcept { return rangeNotes_; }
    // The reference or body mark of a range note.
    void WriteRangeNoteGlyph(Foundation::OutStream& out, const Text::Glyph& glyph,
                             const ParaParams* paragraph);

    // The footnotes referenced in the document being closed.
    void FlushFootnotes(Foundation::OutStream& out);
    // The endnotes and sidenotes referenced in `story`, after its last chunk.
    void FlushEndnotes(Foundation::OutStream& out, const Text::Story* story,
                       const StringT& document);

private:
    struct Endnote {
        const Text::Story* referenceStory = nullptr;
        Counted<const Text::Story> content;
        StringT noteId;    // registered id of the note's anchor
        StringT backId;    // registered id of the reference
        StringT backChunk; // document holding the reference
        std::u32string mark;
        Consolidated<Text::GlyphAtts> markAtts;
        bool side = false;
    };

    StringT NextNumber(const Text::Glyph& glyph, const Text::StoryPos& pos);
    void ExportFootnote(const Text::Note& note, const Text::StoryPos& pos, const StringT& number,
                        const StoryChunk& chunk, Foundation::OutStream& out,
                        const StringT& fileName, const ParaParams* paragraph);
    void ExportEndnote(const Text::Note& note, const Text::StoryPos& pos, const StringT& number,
                       const StoryChunk& chunk, Foundation::OutStream& out, const StringT& fileName,
                       const ParaParams* paragraph);
    void WriteReference(Foundation::OutStream& out, const Consolidated<Text::GlyphAtts>& atts,
                        const ParaParams* paragraph, const std::u32string& mark, const StringT& id,
                        const StringT& href);
    // An aside holding the note's text, the mark linking back inside its first paragraph.
    void WriteBody(Foundation::OutStream& out, const char* kind, const StringT& id,
                   const Counted<const Text::Story>& content, const std::u32string& mark,
                   const Consolidated<Text::GlyphAtts>& markAtts, const StringT& backHref,
                   const StringT& fileName, const StringT& document);

    DocumentHost& host_;
    BlockFlow& writer_;
    std::string footnotes_; // asides of the document being written
    int footnoteCounter_ = 1;
    int noteCounter_ = 0; // numbers every kind of note when the host gives none
    std::vector<Endnote> endnotes_;
    RangeNotes rangeNotes_;
    const Text::Story* story_ = nullptr;
    StringT notesDocument_;
    bool allInline_ = false;
};

} // namespace EPub

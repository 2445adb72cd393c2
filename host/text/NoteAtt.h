// SPDX-License-Identifier: MIT
#pragma once
// Notes: footnotes, endnotes and sidenotes. A note is pinned in the text by a pin glyph and its
// body is a story of its own; a range note's body is instead a paragraph of the main text,
// opened by a range-note body glyph and referred to by a range-note reference glyph.

#include "host/text/GlyphAtts.h"
#include "host/text/GlyphString.h"
#include "host/text/ListAtt.h"
#include "host/text/PinnedObject.h"

namespace Text {

class Story;
class StoryPos;
class StoryRange;

enum class NoteKind : int32_t { Footnote = 1, Endnote = 2, Sidenote = 3 };

struct NoteSettings {
    NoteKind kind = NoteKind::Footnote;
    NumberFormat format = NumberFormat::Decimal;
    StringT referencePrefix;
    StringT referenceSuffix;
    StringT bodyPrefix;
    StringT bodySuffix{" "};
    // Shown instead of the number in both marks, as a word processor's custom note marks ("*").
    StringT customMark;
    // Attributes of the reference mark in the text and of the mark opening the body; null means
    // those of the text around them.
    Consolidated<GlyphAtts> referenceAtts;
    Consolidated<GlyphAtts> bodyAtts;
};

// Note settings: kind, numbering and the look of the marks.
class NoteAtt final : public AttObject {
public:
    static Counted<const NoteAtt> Make(NoteSettings settings);
    explicit NoteAtt(NoteSettings settings) : s_(std::move(settings)) {}

    NoteKind GetKind() const noexcept { return s_.kind; }
    NumberFormat GetNumberFormat() const noexcept { return s_.format; }
    // The mark in the running text and the mark that opens the note body, for a note number.
    const NoteSettings& GetSettings() const noexcept { return s_; }
    GlyphString MakeReference(int32_t number) const;
    GlyphString MakeBody(int32_t number) const;
    const Consolidated<GlyphAtts>& GetGlyphAtts() const noexcept { return s_.referenceAtts; }
    const Consolidated<GlyphAtts>& GetBodyGlyphAtts() const noexcept { return s_.bodyAtts; }

    bool Equals(const AttObject& other) const override;
    size_t Hash() const override;

private:
    NoteSettings s_;
};

// A note pinned in the text.
class Note final : public PinnedObject {
public:
    static Counted<const Note> Make(Counted<const NoteAtt> settings, Counted<const Story> content);
    Note(Counted<const NoteAtt> settings, Counted<const Story> content);
    ~Note() override;

    PinnedKind GetPinnedKind() const override { return PinnedKind::Note; }
    NoteKind GetKind() const noexcept { return settings_->GetKind(); }
    const Counted<const NoteAtt>& GetNoteAtt() const noexcept { return settings_; }
    const Counted<const Story>& GetContent() const noexcept { return content_; }

private:
    Counted<const NoteAtt> settings_;
    Counted<const Story> content_;
};

// What the reference and body glyphs of one range note share.
class RangeNote final : public Foundation::Countable {
public:
    static Counted<const RangeNote> Make(StringT uid, Counted<const NoteAtt> settings);
    RangeNote(StringT uid, Counted<const NoteAtt> settings);

    const StringT& GetUid() const noexcept { return uid_; }
    NoteKind GetKind() const noexcept { return settings_->GetKind(); }
    const Counted<const NoteAtt>& GetNoteAtt() const noexcept { return settings_; }

private:
    StringT uid_;
    Counted<const NoteAtt> settings_;
};

// The note settings of the note glyph at `pos` (pin, range-note reference or body); null when
// there is none.
Counted<const NoteAtt> GetNoteAtt(const StoryPos& pos);
// The body story of the pinned note at `pos`; null for anything else (a range note's body is in
// the main text: see FindRangeNoteBody).
Counted<const Story> GetNoteContent(const StoryPos& pos);
// The body of a range note within `where`: from its body glyph to the end of that paragraph;
// an empty range when it is not there.
StoryRange FindRangeNoteBody(const StoryRange& where, const RangeNote& note);

} // namespace Text

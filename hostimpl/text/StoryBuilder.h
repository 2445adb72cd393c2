// SPDX-License-Identifier: MIT
#pragma once
// Builds stories and tables paragraph by paragraph and run by run, resolving styles against a
// style sheet: for tests, tools and the JSON story reader.
//
//   StoryBuilder b(sheet);
//   b.Paragraph("Heading").Text("Title");
//   b.Paragraph("Body").Text("Plain, ").Text("bold", "Strong").Text(".");
//   Counted<Story> story = b.Build();

#include "host/text/AnchoredFrame.h"
#include "host/text/NoteAtt.h"
#include "host/text/Story.h"
#include "host/text/Style.h"
#include "host/text/Table.h"

#include <map>
#include <tuple>

namespace Text {

class StoryBuilder {
public:
    explicit StoryBuilder(Counted<const StyleSheet> styles);

    // Starts a paragraph of that style with local changes laid over it (the delta's glyph part
    // applies to all its text). The first call, and the first after a paragraph-level break,
    // formats the paragraph already open instead of adding one.
    StoryBuilder& Paragraph(const StringT& style = {}, Counted<const Delta> local = {});
    // Text in the current paragraph: "\n" starts a new paragraph like the current one, "\v" or
    // U+2028 breaks the line.
    StoryBuilder& Text(std::string_view utf8, const StringT& characterStyle = {},
                       Counted<const Delta> local = {});
    // An equation: `linear` is its text, `mathML` its <math> element. Text after it does not
    // inherit the equation.
    StoryBuilder& Equation(std::string_view linear, std::string_view mathML,
                           const StringT& characterStyle = {}, Counted<const Delta> local = {});
    // A line break, or a break of a paragraph-level kind that ends the paragraph and opens one
    // like it.
    StoryBuilder& Break(BreakKind kind);
    StoryBuilder& IndentToHere();
    StoryBuilder& RightIndentTab();

    // Inline objects take the attributes of the text before them.
    StoryBuilder& Object(Counted<const ObjectGlyph> object);
    StoryBuilder& Anchor(Counted<const AnchorData> anchor);
    StoryBuilder& CrossReference(Counted<const AnchorData> target, int32_t format = 0);
    StoryBuilder& Pin(Counted<const PinnedObject> pinned);
    StoryBuilder& Frame(FrameSettings frame);
    StoryBuilder& Table(Counted<const Text::Table> table);
    // A note with its body story. Without settings the reference mark is a superscript of the
    // surrounding text and the body mark takes the surrounding text's attributes.
    StoryBuilder& Note(NoteKind kind, Counted<const Story> content,
                       Counted<const NoteAtt> settings = {});
    StoryBuilder& RangeNoteReference(Counted<const RangeNote> note);
    StoryBuilder& RangeNoteBody(Counted<const RangeNote> note);

    // Note settings as Note() makes them by default, for the current text.
    Counted<const NoteAtt> MakeNoteSettings(NoteKind kind) const;
    // The attributes Text() would give a run.
    Consolidated<GlyphAtts> ResolveGlyphAtts(const StringT& characterStyle,
                                             const Counted<const Delta>& local);
    const Counted<const StyleSheet>& GetStyleSheet() const noexcept { return styles_; }
    const Counted<const TextDocument>& GetDocument() const noexcept {
        return styles_->GetDocument();
    }

    // The story so far; the builder then starts a new one.
    Counted<Story> Build();

private:
    using GlyphKey = std::tuple<StringT, StringT, Counted<const Delta>, Counted<const Delta>>;

    void Insert(const GlyphString& glyphs, const Consolidated<GlyphAtts>& atts);
    void Reset();

    Counted<const StyleSheet> styles_;
    Counted<Story> story_;
    StringT paragraphStyle_;
    Counted<const Delta> paragraphLocal_;
    Consolidated<GlyphAtts> lastAtts_; // of the last glyph written, or the paragraph's text
    bool fresh_ = true;                // the open paragraph is empty and not yet formatted
    std::map<GlyphKey, Consolidated<GlyphAtts>> glyphCache_;
};

// Builds a table: set up the settings (size, merges, widths, format), then write the cells in
// row order. Cells not written stay empty.
class TableBuilder {
public:
    TableBuilder(Counted<const StyleSheet> styles, int32_t columns, int32_t rows);

    TableSettings& Settings() noexcept { return settings_; }
    // Opens the cell at (column, row) and returns the builder its text goes to. Throws
    // std::invalid_argument for a position outside the table, covered by a merged cell, or
    // before a cell already written.
    StoryBuilder& Cell(int32_t column, int32_t row);
    Counted<const Text::Table> Build();

private:
    bool IsCovered(size_t flat) const;
    void CloseCellsBefore(size_t flat);

    TableSettings settings_;
    StoryBuilder story_;
    size_t next_ = 0; // first position not yet closed
    bool open_ = false;
};

} // namespace Text

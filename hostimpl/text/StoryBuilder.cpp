// SPDX-License-Identifier: MIT
#include "hostimpl/text/StoryBuilder.h"

#include <stdexcept>

namespace Text {

StoryBuilder::StoryBuilder(Counted<const StyleSheet> styles) : styles_(std::move(styles)) {
    if (!styles_)
        throw std::invalid_argument("a story builder needs a style sheet");
    Reset();
}

void StoryBuilder::Reset() {
    story_ = Story::Make(styles_->GetDocument());
    paragraphStyle_ = StringT();
    paragraphLocal_ = nullptr;
    lastAtts_ = styles_->GetDocument()->GetDefaultGlyphAtts();
    fresh_ = true;
}

Consolidated<GlyphAtts> StoryBuilder::ResolveGlyphAtts(const StringT& characterStyle,
                                                       const Counted<const Delta>& local) {
    GlyphKey key{paragraphStyle_, characterStyle, paragraphLocal_, local};
    if (auto it = glyphCache_.find(key); it != glyphCache_.end())
        return it->second;
    GlyphAtts atts = styles_->ResolveGlyphAtts(paragraphStyle_, characterStyle);
    if (paragraphLocal_)
        atts = atts.With(paragraphLocal_->GetGlyph());
    if (local)
        atts = atts.With(local->GetGlyph());
    Consolidated<GlyphAtts> made = GetDocument()->Consolidate(std::move(atts));
    glyphCache_.emplace(std::move(key), made);
    return made;
}

void StoryBuilder::Insert(const GlyphString& glyphs, const Consolidated<GlyphAtts>& atts) {
    story_->InsertText(story_->GetTerminator(), glyphs, atts);
    lastAtts_ = atts;
    fresh_ = false;
}

StoryBuilder& StoryBuilder::Paragraph(const StringT& style, Counted<const Delta> local) {
    if (!fresh_)
        story_->InsertText(story_->GetTerminator(),
                           GlyphString().Append(Glyph::Break(BreakKind::Paragraph)), lastAtts_);
    paragraphStyle_ = style;
    paragraphLocal_ = std::move(local);
    ParagraphAtts atts = styles_->ResolveParagraphAtts(style);
    if (paragraphLocal_)
        atts = atts.With(paragraphLocal_->GetParagraph());
    const StoryPos end = story_->GetTerminator();
    story_->SetParagraphAtts(StoryRange(end, end), GetDocument()->Consolidate(std::move(atts)));
    lastAtts_ = ResolveGlyphAtts(StringT(), nullptr);
    fresh_ = false;
    return *this;
}

StoryBuilder& StoryBuilder::Text(std::string_view utf8, const StringT& characterStyle,
                                 Counted<const Delta> local) {
    if (utf8.empty())
        return *this;
    const Consolidated<GlyphAtts> atts = ResolveGlyphAtts(characterStyle, local);
    story_->InsertText(story_->GetTerminator(), utf8, atts);
    lastAtts_ = atts;
    fresh_ = false;
    return *this;
}

StoryBuilder& StoryBuilder::Equation(std::string_view linear, std::string_view mathML,
                                     const StringT& characterStyle, Counted<const Delta> local) {
    if (linear.empty())
        return *this;
    AttributeSet glyph = local ? local->GetGlyph() : AttributeSet();
    glyph.Set(GlyphStr::MathML, StringT(mathML));
    AttributeSet paragraph = local ? local->GetParagraph() : AttributeSet();
    const Consolidated<GlyphAtts> before = lastAtts_;
    Text(linear, characterStyle,
         Foundation::MakeCounted<Delta>(std::move(paragraph), std::move(glyph)));
    // Breaks and objects that follow take the text's attributes, not the equation's.
    lastAtts_ = before;
    return *this;
}

StoryBuilder& StoryBuilder::Break(BreakKind kind) {
    Insert(GlyphString().Append(Glyph::Break(kind)), lastAtts_);
    // A paragraph-level break opens an empty paragraph like the one it ended.
    fresh_ = kind != BreakKind::Line;
    return *this;
}

StoryBuilder& StoryBuilder::IndentToHere() {
    Insert(GlyphString().Append(GlyphFactory::GetIndentToHere()), lastAtts_);
    return *this;
}

StoryBuilder& StoryBuilder::RightIndentTab() {
    Insert(GlyphString().Append(GlyphFactory::GetRightIndentTab()), lastAtts_);
    return *this;
}

StoryBuilder& StoryBuilder::Object(Counted<const ObjectGlyph> object) {
    Insert(GlyphString().Append(Glyph::Object(std::move(object))), lastAtts_);
    return *this;
}

StoryBuilder& StoryBuilder::Anchor(Counted<const AnchorData> anchor) {
    return Object(AnchorGlyph::Make(std::move(anchor)));
}

StoryBuilder& StoryBuilder::CrossReference(Counted<const AnchorData> target, int32_t format) {
    return Object(CrossReferenceGlyph::Make(std::move(target), format));
}

StoryBuilder& StoryBuilder::Pin(Counted<const PinnedObject> pinned) {
    return Object(PinGlyph::Make(std::move(pinned)));
}

StoryBuilder& StoryBuilder::Frame(FrameSettings frame) {
    return Pin(AnchoredFrame::Make(std::move(frame)));
}

StoryBuilder& StoryBuilder::Table(Counted<const Text::Table> table) {
    return Pin(TableFrame::Make(std::move(table)));
}

Counted<const NoteAtt> StoryBuilder::MakeNoteSettings(NoteKind kind) const {
    NoteSettings settings;
    settings.kind = kind;
    settings.referenceAtts = GetDocument()->Consolidate(
        lastAtts_->With(GlyphInt::BaselinePosition, BaselinePosition::Superscript));
    settings.bodyAtts = lastAtts_;
    return NoteAtt::Make(std::move(settings));
}

StoryBuilder& StoryBuilder::Note(NoteKind kind, Counted<const Story> content,
                                 Counted<const NoteAtt> settings) {
    if (!settings)
        settings = MakeNoteSettings(kind);
    return Pin(Text::Note::Make(std::move(settings), std::move(content)));
}

StoryBuilder& StoryBuilder::RangeNoteReference(Counted<const RangeNote> note) {
    return Object(RangeNoteReferenceGlyph::Make(std::move(note)));
}

StoryBuilder& StoryBuilder::RangeNoteBody(Counted<const RangeNote> note) {
    return Object(RangeNoteBodyGlyph::Make(std::move(note)));
}

Counted<Story> StoryBuilder::Build() {
    // The terminator ends the last paragraph like a break would.
    story_->SetGlyphAtts(StoryRange(story_->GetTerminator(), story_->gend()), lastAtts_);
    story_->ShrinkToFit();
    Counted<Story> built = std::move(story_);
    Reset();
    return built;
}

TableBuilder::TableBuilder(Counted<const StyleSheet> styles, int32_t columns, int32_t rows)
    : story_(std::move(styles)) {
    if (columns < 0 || rows < 0 || int64_t{columns} * rows > Text::Table::kMaxCells)
        throw std::invalid_argument("a table has a size of at most a million cells");
    settings_.size = TableSize{columns, rows};
}

bool TableBuilder::IsCovered(size_t flat) const {
    const auto columns = static_cast<size_t>(settings_.size.columns);
    const auto column = static_cast<int32_t>(flat % columns);
    const auto row = static_cast<int32_t>(flat / columns);
    for (const auto& m : settings_.merges)
        if (column >= m.column && column < m.column + m.span.columns && row >= m.row &&
            row < m.row + m.span.rows && !(column == m.column && row == m.row))
            return true;
    return false;
}

void TableBuilder::CloseCellsBefore(size_t flat) {
    if (open_)
        story_.Break(BreakKind::Cell);
    open_ = false;
    for (; next_ < flat; ++next_)
        if (!IsCovered(next_))
            story_.Break(BreakKind::Cell);
}

StoryBuilder& TableBuilder::Cell(int32_t column, int32_t row) {
    const TableSize size = settings_.size;
    if (column < 0 || row < 0 || column >= size.columns || row >= size.rows)
        throw std::invalid_argument("the cell lies outside the table");
    const size_t flat =
        static_cast<size_t>(row) * static_cast<size_t>(size.columns) + static_cast<size_t>(column);
    if (flat < next_)
        throw std::invalid_argument("cells are written once, in row order");
    if (IsCovered(flat))
        throw std::invalid_argument("the cell is covered by a merged cell");
    CloseCellsBefore(flat);
    next_ = flat + 1;
    open_ = true;
    return story_;
}

Counted<const Text::Table> TableBuilder::Build() {
    CloseCellsBefore(static_cast<size_t>(settings_.size.columns) *
                     static_cast<size_t>(settings_.size.rows));
    return Text::Table::Make(settings_, story_.Build());
}

} // namespace Text

// SPDX-License-Identifier: MIT
#include "host/text/Story.h"

#include "host/text/Delta.h"

#include <algorithm>
#include <stdexcept>

namespace Text {

namespace {

// Copies the runs over [b, e) of a story of `size` glyphs into `out`, shifted to start at 0.
template <class T>
void CopyRuns(const AttRuns<T>& runs, uint32_t b, uint32_t e, uint32_t size, AttRuns<T>& out) {
    out.Clear();
    for (uint32_t at = b; at < e;) {
        out.Append(at - b, runs.At(at));
        at = std::min(runs.EndAt(at, size), e);
    }
}

} // namespace

// ---- StoryPos ----

StoryPos::StoryPos(Counted<const Story> story, int64_t index) noexcept : story_(std::move(story)) {
    if (story_)
        index_ = static_cast<uint32_t>(std::clamp<int64_t>(index, 0, story_->size()));
}

StoryPos& StoryPos::MoveBy(int64_t n) noexcept {
    if (story_)
        index_ = static_cast<uint32_t>(std::clamp<int64_t>(index_ + n, 0, story_->size()));
    return *this;
}

int64_t operator-(const StoryPos& a, const StoryPos& b) {
    if (a.story_ != b.story_)
        throw std::invalid_argument("positions of different stories have no distance");
    return int64_t{a.index_} - int64_t{b.index_};
}

StoryPos StoryPos::GetParagraphBegin() const {
    return story_ ? StoryPos(story_.get(), story_->FindParagraphBegin(index_)) : StoryPos();
}

StoryPos StoryPos::GetParagraphEnd() const {
    return story_ ? StoryPos(story_.get(), story_->FindParagraphEnd(index_)) : StoryPos();
}

StoryPos StoryPos::GetCellEnd() const {
    return story_ ? StoryPos(story_.get(), story_->FindCellEnd(index_)) : StoryPos();
}

// By reference: writers ask per glyph, and a copy would touch the shared reference count.
const Consolidated<GlyphAtts>& StoryPos::GetGlyphAtts() const noexcept {
    static const Consolidated<GlyphAtts> none;
    if (!story_)
        return none;
    return story_->glyphRuns_.At(std::min(index_, story_->size() - 1));
}

const Consolidated<ParagraphAtts>& StoryPos::GetParagraphAtts() const noexcept {
    static const Consolidated<ParagraphAtts> none;
    if (!story_)
        return none;
    return story_->paragraphRuns_.At(std::min(index_, story_->size() - 1));
}

StoryPos StoryPos::GetGlyphAttsRunEnd() const {
    if (!HasGlyph())
        return *this;
    return StoryPos(story_.get(), story_->glyphRuns_.EndAt(index_, story_->size()));
}

StoryPos StoryPos::GetParagraphAttsRunEnd() const {
    if (!HasGlyph())
        return *this;
    return StoryPos(story_.get(), story_->paragraphRuns_.EndAt(index_, story_->size()));
}

// ---- StoryRange ----

StoryRange::StoryRange(StoryPos begin, StoryPos end)
    : begin_(std::move(begin)), end_(std::move(end)) {
    if (begin_.GetStory() != end_.GetStory())
        throw std::invalid_argument("a range's ends lie in different stories");
    if (end_ < begin_)
        throw std::invalid_argument("a range ends before it begins");
}

StringT StoryRange::GetText() const {
    StringT out;
    if (!GetStory())
        return out;
    const Story& story = *GetStory();
    const uint32_t end = std::min(end_.GetIndex(), story.size() - 1);
    for (uint32_t i = begin_.GetIndex(); i < end; ++i) {
        const uint32_t code = story.GetCode(i);
        if (GlyphCode::IsObject(code))
            out.AppendCodePoint(kObjectReplacement);
        else if (GlyphCode::IsParagraphBreak(code))
            out += '\n';
        else
            out.AppendCodePoint(static_cast<char32_t>(code & GlyphCode::CharMask));
    }
    return out;
}

// ---- Story ----

Story::Story(Key, Counted<const TextDocument> document, Consolidated<ParagraphAtts> paragraphAtts,
             Consolidated<GlyphAtts> glyphAtts)
    : document_(std::move(document)), glyphRuns_(std::move(glyphAtts)),
      paragraphRuns_(std::move(paragraphAtts)) {
    codes_.Append(GlyphCode::MakeChar(U'\u2029', BreakKind::Paragraph));
}

Story::Story(Key, const Story& other)
    : Countable(), document_(other.document_), codes_(other.codes_), objects_(other.objects_),
      glyphRuns_(other.glyphRuns_), paragraphRuns_(other.paragraphRuns_) {}

Counted<Story> Story::Make(Counted<const TextDocument> document) {
    if (!document)
        throw std::invalid_argument("a story needs a document");
    auto paragraph = document->GetDefaultParagraphAtts();
    auto glyph = document->GetDefaultGlyphAtts();
    return Make(std::move(document), std::move(paragraph), std::move(glyph));
}

Counted<Story> Story::Make(Counted<const TextDocument> document,
                           Consolidated<ParagraphAtts> paragraphAtts,
                           Consolidated<GlyphAtts> glyphAtts) {
    if (!document || !paragraphAtts || !glyphAtts)
        throw std::invalid_argument("a story needs a document and attributes");
    return Foundation::MakeCounted<Story>(Key(), std::move(document), std::move(paragraphAtts),
                                          std::move(glyphAtts));
}

Counted<Story> Story::Make(const StoryRange& range) {
    const Counted<const Story>& source = range.GetStory();
    if (!source)
        throw std::invalid_argument("a story made from a range needs a range of a story");
    const uint32_t b = range.begin().GetIndex();
    uint32_t e = range.end().GetIndex();
    // The glyph whose attributes the terminator takes.
    const uint32_t last = e > b ? e - 1 : std::min(b, source->size() - 1);
    bool breakBecomesTerminator = false;
    if (e > b) {
        const uint32_t code = source->codes_[e - 1];
        breakBecomesTerminator = GlyphCode::GetBreak(code) == BreakKind::Paragraph;
        if (breakBecomesTerminator)
            --e;
    }
    Counted<Story> story =
        Make(source->document_, source->paragraphRuns_.At(last), source->glyphRuns_.At(last));
    const uint32_t n = e - b;
    std::vector<uint32_t> codes;
    codes.reserve(size_t{n} + 1);
    for (uint32_t i = b; i < e; ++i) {
        const uint32_t code = source->codes_[i];
        codes.push_back(GlyphCode::IsObject(code)
                            ? story->ObjectCode(source->objects_[code & ~GlyphCode::ObjectFlag])
                            : code);
    }
    codes.push_back(GlyphCode::MakeChar(U'\u2029', BreakKind::Paragraph));
    story->codes_.Clear();
    story->codes_.Insert(0, codes.data(), static_cast<uint32_t>(codes.size()));
    CopyRuns(source->glyphRuns_, b, e, source->size(), story->glyphRuns_);
    CopyRuns(source->paragraphRuns_, b, e, source->size(), story->paragraphRuns_);
    // The terminator keeps the attributes it was made with.
    story->glyphRuns_.Append(n, source->glyphRuns_.At(last));
    story->paragraphRuns_.Append(n, source->paragraphRuns_.At(last));
    return story;
}

Counted<Story> Story::Clone() const {
    return Foundation::MakeCounted<Story>(Key(), *this);
}

StoryPos Story::GetPos(int64_t index) const noexcept {
    return StoryPos(this, static_cast<uint32_t>(std::clamp<int64_t>(index, 0, size())));
}

uint32_t Story::FindParagraphBegin(uint32_t index) const noexcept {
    index = std::min(index, size());
    const uint32_t found = codes_.FindMarkedBackward(0, index, GlyphCode::IsParagraphBreak);
    return found == index ? 0 : found + 1;
}

uint32_t Story::FindParagraphEnd(uint32_t index) const noexcept {
    const uint32_t n = size();
    const uint32_t found = codes_.FindMarked(std::min(index, n), n, GlyphCode::IsParagraphBreak);
    return found == n ? n : found + 1;
}

uint32_t Story::FindObject(uint32_t from, uint32_t to) const noexcept {
    to = std::min(to, size());
    return from >= to ? to : codes_.FindMarked(from, to, GlyphCode::IsObject);
}

uint32_t Story::FindCellEnd(uint32_t index) const noexcept {
    const uint32_t n = size();
    const uint32_t found = codes_.FindMarked(std::min(index, n), n, [](uint32_t code) {
        return GlyphCode::GetBreak(code) == BreakKind::Cell;
    });
    return found == n ? n : found + 1;
}

uint32_t Story::CheckInsertPos(const StoryPos& pos) const {
    if (pos.GetStory().get() != this)
        throw std::invalid_argument("the position belongs to another story");
    if (pos.GetIndex() >= size())
        throw std::invalid_argument("text cannot be inserted after the terminator");
    return pos.GetIndex();
}

void Story::CheckRange(const StoryRange& range) const {
    if (range.GetStory().get() != this)
        throw std::invalid_argument("the range belongs to another story");
}

uint32_t Story::ObjectCode(const Counted<const ObjectGlyph>& object) {
    if (objects_.size() >= GlyphCode::ObjectFlag)
        throw std::length_error("too many object glyphs in one story");
    objects_.push_back(object);
    return GlyphCode::ObjectFlag | static_cast<uint32_t>(objects_.size() - 1);
}

void Story::InsertText(const StoryPos& pos, const GlyphString& glyphs,
                       Consolidated<GlyphAtts> atts) {
    const uint32_t at = CheckInsertPos(pos);
    if (glyphs.size() > kMaxSize - size())
        throw std::length_error("a story cannot hold that many glyphs");
    std::vector<uint32_t> codes;
    codes.reserve(glyphs.size());
    for (const Glyph& g : glyphs)
        codes.push_back(g.IsObject() ? ObjectCode(g.GetObject()) : g.GetCode());
    InsertCodes(at, codes, std::move(atts));
}

void Story::InsertText(const StoryPos& pos, std::string_view utf8, Consolidated<GlyphAtts> atts) {
    const uint32_t at = CheckInsertPos(pos);
    // Text goes straight to codes: no glyph objects on the way.
    std::vector<uint32_t> codes;
    AppendTextCodes(utf8, codes);
    if (codes.size() > kMaxSize - size())
        throw std::length_error("a story cannot hold that many glyphs");
    InsertCodes(at, codes, std::move(atts));
}

void Story::InsertCodes(uint32_t at, const std::vector<uint32_t>& codes,
                        Consolidated<GlyphAtts> atts) {
    if (codes.empty())
        return;
    if (!atts)
        atts = glyphRuns_.At(at > 0 ? at - 1 : 0);
    const auto n = static_cast<uint32_t>(codes.size());
    codes_.Insert(at, codes.data(), n);
    glyphRuns_.Shift(at, true, n);
    glyphRuns_.Assign(at, at + n, size(), atts);
    paragraphRuns_.Shift(at, false, n);
}

void Story::FormatText(const StoryRange& range, const Delta& delta) {
    CheckRange(range);
    if (range.empty())
        return;
    const uint32_t b = range.begin().GetIndex();
    const uint32_t e = range.end().GetIndex();
    const TextDocument& doc = *document_;
    if (!delta.GetGlyph().empty())
        glyphRuns_.Transform(b, e, size(), [&](const Consolidated<GlyphAtts>& old) {
            return doc.Consolidate(old->With(delta.GetGlyph()));
        });
    if (!delta.GetParagraph().empty())
        paragraphRuns_.Transform(FindParagraphBegin(b), FindParagraphEnd(e - 1), size(),
                                 [&](const Consolidated<ParagraphAtts>& old) {
                                     return doc.Consolidate(old->With(delta.GetParagraph()));
                                 });
}

void Story::SetGlyphAtts(const StoryRange& range, const Consolidated<GlyphAtts>& atts) {
    CheckRange(range);
    if (!atts)
        throw std::invalid_argument("glyph attributes must not be null");
    glyphRuns_.Assign(range.begin().GetIndex(), range.end().GetIndex(), size(), atts);
}

void Story::SetParagraphAtts(const StoryRange& range, const Consolidated<ParagraphAtts>& atts) {
    CheckRange(range);
    if (!atts)
        throw std::invalid_argument("paragraph attributes must not be null");
    const uint32_t b = std::min(range.begin().GetIndex(), size() - 1);
    const uint32_t e = std::max(range.end().GetIndex(), b + 1);
    paragraphRuns_.Assign(FindParagraphBegin(b), FindParagraphEnd(e - 1), size(), atts);
}

} // namespace Text

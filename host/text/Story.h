// SPDX-License-Identifier: MIT
#pragma once
// Stories: ordered runs of glyphs ending in a terminator, with glyph attributes per glyph and
// paragraph attributes per paragraph, both stored as runs. Positions and ranges address them.
//
// Storage is one code per glyph (see GlyphCode), kept as narrow as the text allows (GlyphCodes),
// plus a table of object glyphs, so walking even a very long story allocates nothing per glyph.
// Stories are always reference counted (made by Story::Make); positions hold their story.

#include "host/foundation/Counted.h"
#include "host/text/AttRuns.h"
#include "host/text/Glyph.h"
#include "host/text/GlyphCodes.h"
#include "host/text/GlyphString.h"
#include "host/text/TextDocument.h"

#include <compare>
#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace Text {

class Delta;
class Story;

class StoryPos {
public:
    // The null position: no story.
    StoryPos() noexcept = default;
    // `index` is clamped to the story (0 .. size).
    StoryPos(Counted<const Story> story, int64_t index) noexcept;

    bool IsNull() const noexcept { return !story_; }
    const Counted<const Story>& GetStory() const noexcept { return story_; }
    // Character index in the story.
    int32_t GetStoryIndex() const noexcept { return static_cast<int32_t>(index_); }
    uint32_t GetIndex() const noexcept { return index_; }

    // Moves stay inside the story: never before its beginning nor past its end.
    StoryPos& operator++() noexcept;
    StoryPos operator++(int) noexcept {
        StoryPos old = *this;
        ++*this;
        return old;
    }
    StoryPos& operator--() noexcept;
    StoryPos& MoveBy(int64_t n) noexcept;
    StoryPos operator+(int64_t n) const noexcept { return StoryPos(*this).MoveBy(n); }
    StoryPos operator-(int64_t n) const noexcept { return StoryPos(*this).MoveBy(-n); }
    // Glyphs from b to a. Throws std::invalid_argument for positions in different stories.
    friend int64_t operator-(const StoryPos& a, const StoryPos& b);

    bool HasGlyph() const noexcept;
    // The glyph here; the U+0000 glyph where there is none (story end, null position).
    Glyph GetGlyph() const;
    Glyph operator*() const { return GetGlyph(); }

    bool IsStoryBegin() const noexcept { return story_ && index_ == 0; }
    // Past the terminator, where no glyph is (true for the null position).
    bool IsStoryEnd() const noexcept;
    bool IsStoryTerminator() const noexcept;
    bool IsParagraphBegin() const noexcept;
    StoryPos GetParagraphBegin() const;
    // The position after the paragraph's break glyph: the next paragraph's beginning.
    StoryPos GetParagraphEnd() const;
    // The position after the cell-end glyph of the table cell holding this position; the story
    // end outside tables.
    StoryPos GetCellEnd() const;

    // Null for the null position. At the story end, those of the terminator.
    const Consolidated<GlyphAtts>& GetGlyphAtts() const noexcept;
    const Consolidated<ParagraphAtts>& GetParagraphAtts() const noexcept;
    // The first position whose attributes differ (the story end after the last run).
    StoryPos GetGlyphAttsRunEnd() const;
    StoryPos GetParagraphAttsRunEnd() const;

    friend bool operator==(const StoryPos& a, const StoryPos& b) noexcept {
        return a.story_ == b.story_ && a.index_ == b.index_;
    }
    // Within a story by index; positions of different stories order by story.
    friend std::strong_ordering operator<=>(const StoryPos& a, const StoryPos& b) noexcept {
        if (a.story_ != b.story_)
            return a.story_ <=> b.story_;
        return a.index_ <=> b.index_;
    }

private:
    friend class Story;
    StoryPos(const Story* story, uint32_t index) noexcept;

    Counted<const Story> story_;
    uint32_t index_ = 0;
};

class StoryRange {
public:
    StoryRange() noexcept = default;
    // Throws std::invalid_argument when the positions lie in different stories or end is before
    // begin.
    StoryRange(StoryPos begin, StoryPos end);

    const StoryPos& begin() const noexcept { return begin_; }
    const StoryPos& end() const noexcept { return end_; }
    bool empty() const noexcept { return begin_ == end_; }
    int64_t size() const noexcept { return end_.GetIndex() - int64_t{begin_.GetIndex()}; }
    const Counted<const Story>& GetStory() const noexcept { return begin_.GetStory(); }
    bool Contains(const StoryPos& pos) const noexcept {
        return !pos.IsNull() && pos.GetStory() == GetStory() && begin_ <= pos && pos < end_;
    }
    // UTF-8 of the range: paragraph-level breaks as "\n", line breaks as U+2028, object glyphs as
    // U+FFFC, the terminator left out.
    StringT GetText() const;

    friend bool operator==(const StoryRange&, const StoryRange&) = default;

private:
    StoryPos begin_;
    StoryPos end_;
};

class Story final : public Foundation::Countable {
    struct Key {
        explicit Key() = default;
    };

public:
    // The most glyphs a story holds; indices stay within a 32-bit signed integer.
    static constexpr uint32_t kMaxSize = 0x7FFFFFFFu;

    // An empty story: one empty paragraph, that is just the terminator, with the document
    // defaults or the given attributes.
    static Counted<Story> Make(Counted<const TextDocument> document);
    static Counted<Story> Make(Counted<const TextDocument> document,
                               Consolidated<ParagraphAtts> paragraphAtts,
                               Consolidated<GlyphAtts> glyphAtts);
    // A new story holding a copy of `range`. A range that ends with a plain paragraph break gives
    // that break's role to the new terminator; otherwise a terminator is added with the
    // attributes at the range's last glyph. Character indices of the range are kept.
    static Counted<Story> Make(const StoryRange& range);
    // An independent copy.
    Counted<Story> Clone() const;

    // For Make and Clone only.
    Story(Key, Counted<const TextDocument> document, Consolidated<ParagraphAtts> paragraphAtts,
          Consolidated<GlyphAtts> glyphAtts);
    Story(Key, const Story& other);

    const Counted<const TextDocument>& GetDocument() const noexcept { return document_; }
    // Glyphs, the terminator included.
    uint32_t size() const noexcept { return static_cast<uint32_t>(codes_.size()); }

    StoryPos gbegin() const noexcept { return StoryPos(this, 0); }
    StoryPos gend() const noexcept { return StoryPos(this, size()); }
    StoryPos GetTerminator() const noexcept { return StoryPos(this, size() - 1); }
    StoryPos GetPos(int64_t index) const noexcept;
    StoryRange GetAll() const { return StoryRange(gbegin(), gend()); }
    // Everything but the terminator.
    StoryRange GetClientAll() const { return StoryRange(gbegin(), GetTerminator()); }

    // Inserts before `pos` (at most the terminator's position). The text joins the paragraph at
    // `pos`; paragraphs it adds take that paragraph's attributes. Null `atts` means those of the
    // glyph before `pos` (of the glyph at `pos` at the story's beginning). Throws
    // std::invalid_argument for a position of another story or past the terminator, and
    // std::length_error beyond kMaxSize.
    void InsertText(const StoryPos& pos, const GlyphString& glyphs,
                    Consolidated<GlyphAtts> atts = {});
    // UTF-8 text, mapped as GlyphString::AppendText does.
    void InsertText(const StoryPos& pos, std::string_view utf8, Consolidated<GlyphAtts> atts = {});
    // Lays the delta over the range: its glyph part over each glyph of the range, its paragraph
    // part over each paragraph the range touches.
    void FormatText(const StoryRange& range, const Delta& delta);
    void SetGlyphAtts(const StoryRange& range, const Consolidated<GlyphAtts>& atts);
    // Applies to every paragraph the range touches (the paragraph at its start when empty).
    void SetParagraphAtts(const StoryRange& range, const Consolidated<ParagraphAtts>& atts);
    // Gives back the room kept for growth, once a story is complete.
    void ShrinkToFit() {
        codes_.ShrinkToFit();
        objects_.shrink_to_fit();
        glyphRuns_.ShrinkToFit();
        paragraphRuns_.ShrinkToFit();
    }

    // Index-based access for walkers that want no position objects.
    // Throws std::out_of_range past the terminator.
    uint32_t GetCode(uint32_t index) const { return codes_[CheckIndex(index)]; }
    Glyph GetGlyph(uint32_t index) const;
    const AttRuns<GlyphAtts>& GetGlyphRuns() const noexcept { return glyphRuns_; }
    const AttRuns<ParagraphAtts>& GetParagraphRuns() const noexcept { return paragraphRuns_; }
    uint32_t FindParagraphBegin(uint32_t index) const noexcept;
    uint32_t FindParagraphEnd(uint32_t index) const noexcept;
    uint32_t FindCellEnd(uint32_t index) const noexcept;
    // The first object glyph (a note, picture, anchor...) in [from, to), or `to`: only the few
    // codes standing aside are looked at, not every character.
    uint32_t FindObject(uint32_t from, uint32_t to) const noexcept;

private:
    friend class StoryPos;

    uint32_t CheckInsertPos(const StoryPos& pos) const;
    uint32_t CheckIndex(uint32_t index) const;
    void CheckRange(const StoryRange& range) const;
    uint32_t ObjectCode(const Counted<const ObjectGlyph>& object);
    void InsertCodes(uint32_t at, const std::vector<uint32_t>& codes, Consolidated<GlyphAtts> atts);

    Counted<const TextDocument> document_;
    GlyphCodes codes_;
    std::vector<Counted<const ObjectGlyph>> objects_;
    AttRuns<GlyphAtts> glyphRuns_;
    AttRuns<ParagraphAtts> paragraphRuns_;
};

// Positions need the story's storage, so their hot operations live here.

inline StoryPos::StoryPos(const Story* story, uint32_t index) noexcept
    : story_(story), index_(index) {}

inline StoryPos& StoryPos::operator++() noexcept {
    if (story_ && index_ < story_->size())
        ++index_;
    return *this;
}

inline StoryPos& StoryPos::operator--() noexcept {
    if (index_ > 0)
        --index_;
    return *this;
}

inline bool StoryPos::HasGlyph() const noexcept {
    return story_ && index_ < story_->size();
}

inline Glyph StoryPos::GetGlyph() const {
    return HasGlyph() ? story_->GetGlyph(index_) : Glyph();
}

inline bool StoryPos::IsStoryEnd() const noexcept {
    return !HasGlyph();
}

inline bool StoryPos::IsStoryTerminator() const noexcept {
    return story_ && index_ + 1 == story_->size();
}

inline bool StoryPos::IsParagraphBegin() const noexcept {
    return story_ && (index_ == 0 || (index_ <= story_->size() &&
                                      GlyphCode::IsParagraphBreak(story_->codes_[index_ - 1])));
}

inline uint32_t Story::CheckIndex(uint32_t index) const {
    if (index >= codes_.size())
        throw std::out_of_range("no glyph at that index");
    return index;
}

inline Glyph Story::GetGlyph(uint32_t index) const {
    const uint32_t code = codes_[CheckIndex(index)];
    if (!GlyphCode::IsObject(code))
        return Glyph::FromCode(code, nullptr);
    return Glyph::FromCode(code, objects_[code & ~GlyphCode::ObjectFlag]);
}

} // namespace Text

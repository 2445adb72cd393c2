// SPDX-License-Identifier: MIT
#pragma once
// Glyphs: one per character or inline object of a story. A `Glyph` is a small value handle; only
// object glyphs (pins, anchors, cross references, image bullets, range-note marks) are objects.

#include "host/foundation/Counted.h"
#include "host/foundation/StringT.h"
#include "host/raster/DynamicBitmap.h"
#include "host/text/PinnedObject.h"

#include <cstdint>

namespace Text {

class AnchorData;
class Note;
class RangeNote;
class TableFrame;
class AnchoredFrame;

// Kind of break a character glyph makes. Line breaks stay inside their paragraph; every kind from
// Paragraph up ends the paragraph; Page to Section also start a new page.
enum class BreakKind : uint8_t {
    None = 0,
    Line = 1,
    Paragraph = 2,
    Frame = 3,
    Column = 4,
    Page = 5,
    OddPage = 6,
    EvenPage = 7,
    Section = 8,
    Cell = 9, // ends a table cell
};

enum class GlyphType : uint8_t {
    Char,
    Pin,
    Anchor,
    CrossReference,
    ImageBullet,
    RangeNoteReference,
    RangeNoteBody,
};

// How stories and glyph strings store a glyph in 32 bits: a code point with its break kind and
// special role, or (top bit set) an index into a table of object glyphs.
namespace GlyphCode {
inline constexpr uint32_t ObjectFlag = 0x80000000u;
inline constexpr uint32_t CharMask = 0x1FFFFFu;
inline constexpr int BreakShift = 21;
inline constexpr uint32_t BreakMask = 0xFu;
inline constexpr int SpecialShift = 25;
inline constexpr uint32_t SpecialMask = 0x3u;
inline constexpr uint32_t IndentToHere = 1, RightIndentTab = 2; // special roles

constexpr uint32_t MakeChar(char32_t c, BreakKind kind = BreakKind::None, uint32_t special = 0) {
    return (static_cast<uint32_t>(c) & CharMask) | (static_cast<uint32_t>(kind) << BreakShift) |
           (special << SpecialShift);
}
constexpr bool IsObject(uint32_t code) {
    return (code & ObjectFlag) != 0;
}
constexpr BreakKind GetBreak(uint32_t code) {
    return IsObject(code) ? BreakKind::None
                          : static_cast<BreakKind>((code >> BreakShift) & BreakMask);
}
constexpr bool IsParagraphBreak(uint32_t code) {
    return !IsObject(code) && ((code >> BreakShift) & BreakMask) >= 2;
}
} // namespace GlyphCode

inline constexpr char32_t kObjectReplacement = U'\uFFFC';

class ObjectGlyph : public Foundation::Countable {
public:
    virtual GlyphType GetType() const = 0;
    // Equal object glyphs make equal glyph strings (bullet strings, note marks).
    virtual bool Equals(const ObjectGlyph& other) const { return this == &other; }
};

class Glyph {
public:
    // The character U+0000, which writes nothing.
    Glyph() noexcept = default;
    // Throws std::invalid_argument for a value beyond U+10FFFF.
    static Glyph Char(char32_t c);
    // A break of that kind: U+2028 for a line break, U+2029 for the rest.
    static Glyph Break(BreakKind kind);
    static Glyph Object(Counted<const ObjectGlyph> object);
    // A stored code; `object` goes with codes that have the object flag.
    static Glyph FromCode(uint32_t code, Counted<const ObjectGlyph> object) noexcept {
        Glyph g;
        g.code_ = object ? GlyphCode::ObjectFlag : code;
        g.object_ = std::move(object);
        return g;
    }

    bool IsObject() const noexcept { return object_ != nullptr; }
    bool IsChar() const noexcept { return !IsObject(); }
    GlyphType GetType() const { return object_ ? object_->GetType() : GlyphType::Char; }
    // The character; U+FFFC for object glyphs, U+0009 for the two tab glyphs.
    char32_t GetChar32() const noexcept {
        return IsObject() ? kObjectReplacement : static_cast<char32_t>(code_ & GlyphCode::CharMask);
    }
    BreakKind GetBreakKind() const noexcept { return GlyphCode::GetBreak(code_); }
    bool IsParagraphBreak() const noexcept { return GlyphCode::IsParagraphBreak(code_); }
    bool IsLineBreak() const noexcept { return GetBreakKind() == BreakKind::Line; }
    bool IsHardBreak(BreakKind kind) const noexcept { return GetBreakKind() == kind; }
    bool IsPageLevelBreak() const noexcept {
        const BreakKind k = GetBreakKind();
        return k >= BreakKind::Page && k <= BreakKind::Section;
    }
    bool IsIndentToHere() const noexcept { return Special() == GlyphCode::IndentToHere; }
    bool IsRightIndentTab() const noexcept { return Special() == GlyphCode::RightIndentTab; }

    const Counted<const ObjectGlyph>& GetObject() const noexcept { return object_; }
    template <class T> const T* As() const noexcept {
        return dynamic_cast<const T*>(object_.get());
    }
    template <class T> Counted<const T> Get() const { return Counted<const T>(As<T>()); }
    uint32_t GetCode() const noexcept { return code_; }

    friend bool operator==(const Glyph& a, const Glyph& b);

private:
    uint32_t Special() const noexcept {
        return IsObject() ? 0 : (code_ >> GlyphCode::SpecialShift) & GlyphCode::SpecialMask;
    }

    uint32_t code_ = 0;
    Counted<const ObjectGlyph> object_;
};

// The glyphs that are characters with a special role.
struct GlyphFactory {
    // A tab that also sets the left indent of the following lines.
    static Glyph GetIndentToHere() noexcept {
        return Glyph::FromCode(GlyphCode::MakeChar(U'\t', BreakKind::None, GlyphCode::IndentToHere),
                               nullptr);
    }
    // A tab aligned to the right indent.
    static Glyph GetRightIndentTab() noexcept {
        return Glyph::FromCode(
            GlyphCode::MakeChar(U'\t', BreakKind::None, GlyphCode::RightIndentTab), nullptr);
    }
};

// Anchors a frame, a table or a note at its place in the text.
class PinGlyph final : public ObjectGlyph {
public:
    static Counted<const PinGlyph> Make(Counted<const PinnedObject> pinned);
    explicit PinGlyph(Counted<const PinnedObject> pinned);
    ~PinGlyph() override;

    GlyphType GetType() const override { return GlyphType::Pin; }
    const Counted<const PinnedObject>& GetPinned() const noexcept { return pinned_; }
    bool IsNote() const noexcept;
    bool IsTable() const noexcept;
    // Null when the pin holds something else.
    const Note* GetNote() const noexcept;
    const TableFrame* GetTableFrame() const noexcept;
    const AnchoredFrame* GetFrame() const noexcept;

private:
    Counted<const PinnedObject> pinned_;
};

class AnchorGlyph final : public ObjectGlyph {
public:
    static Counted<const AnchorGlyph> Make(Counted<const AnchorData> anchor);
    explicit AnchorGlyph(Counted<const AnchorData> anchor);
    ~AnchorGlyph() override;

    GlyphType GetType() const override { return GlyphType::Anchor; }
    const Counted<const AnchorData>& GetAnchor() const noexcept { return anchor_; }

private:
    Counted<const AnchorData> anchor_;
};

// Text generated from an anchor (its page number, its paragraph's text); the host supplies the
// text.
class CrossReferenceGlyph final : public ObjectGlyph {
public:
    static Counted<const CrossReferenceGlyph> Make(Counted<const AnchorData> target,
                                                   int32_t format = 0);
    CrossReferenceGlyph(Counted<const AnchorData> target, int32_t format);
    ~CrossReferenceGlyph() override;

    GlyphType GetType() const override { return GlyphType::CrossReference; }
    const Counted<const AnchorData>& GetAnchorData() const noexcept { return target_; }
    int32_t GetFormat() const noexcept { return format_; }

private:
    Counted<const AnchorData> target_;
    int32_t format_;
};

struct ImageBounds {
    double x = 0, y = 0, width = 0, height = 0;
    friend bool operator==(const ImageBounds&, const ImageBounds&) = default;
};

// The picture of an image bullet. Geometry is in ems: multiply by the font size.
class BulletImage final : public Foundation::Countable {
public:
    static Counted<const BulletImage> Make(ImageBounds bounds, double baselineOffset,
                                           Counted<const Raster::DynamicBitmap> bitmap,
                                           StringT path = {});
    BulletImage(ImageBounds bounds, double baselineOffset,
                Counted<const Raster::DynamicBitmap> bitmap, StringT path)
        : bounds_(bounds), baselineOffset_(baselineOffset), bitmap_(std::move(bitmap)),
          path_(std::move(path)) {}

    const ImageBounds& GetBounds() const noexcept { return bounds_; }
    // Distance from the text baseline to the picture's bottom edge, positive upwards.
    double GetBaselineOffset() const noexcept { return baselineOffset_; }
    // The picture's pixels; drawn scaled to the bounds.
    const Counted<const Raster::DynamicBitmap>& GetBitmap() const noexcept { return bitmap_; }
    const StringT& GetPath() const noexcept { return path_; }

private:
    ImageBounds bounds_;
    double baselineOffset_;
    Counted<const Raster::DynamicBitmap> bitmap_;
    StringT path_;
};

class ImageBulletGlyph final : public ObjectGlyph {
public:
    static Counted<const ImageBulletGlyph> Make(Counted<const BulletImage> image);
    explicit ImageBulletGlyph(Counted<const BulletImage> image) : image_(std::move(image)) {}

    GlyphType GetType() const override { return GlyphType::ImageBullet; }
    const Counted<const BulletImage>& GetImage() const noexcept { return image_; }
    bool Equals(const ObjectGlyph& other) const override;

private:
    Counted<const BulletImage> image_;
};

// The reference mark of a note whose body is a range of the main text.
class RangeNoteReferenceGlyph final : public ObjectGlyph {
public:
    static Counted<const RangeNoteReferenceGlyph> Make(Counted<const RangeNote> note);
    explicit RangeNoteReferenceGlyph(Counted<const RangeNote> note);
    ~RangeNoteReferenceGlyph() override;

    GlyphType GetType() const override { return GlyphType::RangeNoteReference; }
    const Counted<const RangeNote>& GetNote() const noexcept { return note_; }

private:
    Counted<const RangeNote> note_;
};

// Starts the body of a range note; the body runs to the end of the glyph's paragraph.
class RangeNoteBodyGlyph final : public ObjectGlyph {
public:
    static Counted<const RangeNoteBodyGlyph> Make(Counted<const RangeNote> note);
    explicit RangeNoteBodyGlyph(Counted<const RangeNote> note);
    ~RangeNoteBodyGlyph() override;

    GlyphType GetType() const override { return GlyphType::RangeNoteBody; }
    const Counted<const RangeNote>& GetNote() const noexcept { return note_; }

private:
    Counted<const RangeNote> note_;
};

} // namespace Text

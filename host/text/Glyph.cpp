// SPDX-License-Identifier: MIT
#include "host/text/Glyph.h"

#include "host/text/AnchorData.h"
#include "host/text/AnchoredFrame.h"
#include "host/text/NoteAtt.h"
#include "host/text/Table.h"

#include <stdexcept>

namespace Text {

namespace {

template <class T> void Require(const Counted<T>& p, const char* what) {
    if (!p)
        throw std::invalid_argument(what);
}

} // namespace

Glyph Glyph::Char(char32_t c) {
    if (c > 0x10FFFF)
        throw std::invalid_argument("not a Unicode code point");
    return FromCode(GlyphCode::MakeChar(c), nullptr);
}

Glyph Glyph::Break(BreakKind kind) {
    if (kind == BreakKind::None || kind > BreakKind::Cell)
        throw std::invalid_argument("not a break kind");
    const char32_t c = kind == BreakKind::Line ? U'\u2028' : U'\u2029';
    return FromCode(GlyphCode::MakeChar(c, kind), nullptr);
}

Glyph Glyph::Object(Counted<const ObjectGlyph> object) {
    Require(object, "an object glyph needs its object");
    return FromCode(GlyphCode::ObjectFlag, std::move(object));
}

bool operator==(const Glyph& a, const Glyph& b) {
    if (a.code_ != b.code_)
        return false;
    if (a.object_ == b.object_)
        return true;
    return a.object_ && b.object_ && a.object_->GetType() == b.object_->GetType() &&
           a.object_->Equals(*b.object_);
}

Counted<const PinGlyph> PinGlyph::Make(Counted<const PinnedObject> pinned) {
    return Foundation::MakeCounted<const PinGlyph>(std::move(pinned));
}

PinGlyph::PinGlyph(Counted<const PinnedObject> pinned) : pinned_(std::move(pinned)) {
    Require(pinned_, "a pin glyph needs the object it pins");
}

PinGlyph::~PinGlyph() = default;

bool PinGlyph::IsNote() const noexcept {
    return pinned_->GetPinnedKind() == PinnedKind::Note;
}

bool PinGlyph::IsTable() const noexcept {
    return pinned_->GetPinnedKind() == PinnedKind::Table;
}

const Note* PinGlyph::GetNote() const noexcept {
    return dynamic_cast<const Note*>(pinned_.get());
}

const TableFrame* PinGlyph::GetTableFrame() const noexcept {
    return dynamic_cast<const TableFrame*>(pinned_.get());
}

const AnchoredFrame* PinGlyph::GetFrame() const noexcept {
    return dynamic_cast<const AnchoredFrame*>(pinned_.get());
}

Counted<const AnchorGlyph> AnchorGlyph::Make(Counted<const AnchorData> anchor) {
    return Foundation::MakeCounted<const AnchorGlyph>(std::move(anchor));
}

AnchorGlyph::AnchorGlyph(Counted<const AnchorData> anchor) : anchor_(std::move(anchor)) {
    Require(anchor_, "an anchor glyph needs its anchor");
}

AnchorGlyph::~AnchorGlyph() = default;

Counted<const CrossReferenceGlyph> CrossReferenceGlyph::Make(Counted<const AnchorData> target,
                                                             int32_t format) {
    return Foundation::MakeCounted<const CrossReferenceGlyph>(std::move(target), format);
}

CrossReferenceGlyph::CrossReferenceGlyph(Counted<const AnchorData> target, int32_t format)
    : target_(std::move(target)), format_(format) {
    Require(target_, "a cross reference needs its target");
}

CrossReferenceGlyph::~CrossReferenceGlyph() = default;

Counted<const BulletImage> BulletImage::Make(ImageBounds bounds, double baselineOffset,
                                             Counted<const Raster::DynamicBitmap> bitmap,
                                             StringT path) {
    return Foundation::MakeCounted<const BulletImage>(bounds, baselineOffset, std::move(bitmap),
                                                      std::move(path));
}

Counted<const ImageBulletGlyph> ImageBulletGlyph::Make(Counted<const BulletImage> image) {
    Require(image, "an image bullet needs its image");
    return Foundation::MakeCounted<const ImageBulletGlyph>(std::move(image));
}

bool ImageBulletGlyph::Equals(const ObjectGlyph& other) const {
    return image_ == static_cast<const ImageBulletGlyph&>(other).image_;
}

Counted<const RangeNoteReferenceGlyph>
RangeNoteReferenceGlyph::Make(Counted<const RangeNote> note) {
    return Foundation::MakeCounted<const RangeNoteReferenceGlyph>(std::move(note));
}

RangeNoteReferenceGlyph::RangeNoteReferenceGlyph(Counted<const RangeNote> note)
    : note_(std::move(note)) {
    Require(note_, "a range-note reference needs its note");
}

RangeNoteReferenceGlyph::~RangeNoteReferenceGlyph() = default;

Counted<const RangeNoteBodyGlyph> RangeNoteBodyGlyph::Make(Counted<const RangeNote> note) {
    return Foundation::MakeCounted<const RangeNoteBodyGlyph>(std::move(note));
}

RangeNoteBodyGlyph::RangeNoteBodyGlyph(Counted<const RangeNote> note) : note_(std::move(note)) {
    Require(note_, "a range-note body needs its note");
}

RangeNoteBodyGlyph::~RangeNoteBodyGlyph() = default;

} // namespace Text

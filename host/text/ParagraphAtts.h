// SPDX-License-Identifier: MIT
#pragma once
// The attributes of one paragraph: a full, immutable set, consolidated like GlyphAtts.

#include "host/text/AttributeObjects.h"
#include "host/text/AttsBase.h"
#include "host/text/ListAtt.h"

namespace Text {

class ParagraphAtts final : public AttsBase {
public:
    ParagraphAtts() : AttsBase(AttCategory::Paragraph, {}) {}
    explicit ParagraphAtts(AttributeSet set) : AttsBase(AttCategory::Paragraph, std::move(set)) {}

    ParagraphAtts With(const AttributeSet& delta) const;
    ParagraphAtts With(AttId id, AttValue value) const;
    // A copy for a frame scaled by (x, y): indents, tab stops and drop-cap distance follow x,
    // paragraph spacing and absolute leading follow y. `scaleText` is accepted for symmetry with
    // GlyphAtts; paragraph geometry always scales.
    ParagraphAtts GetScaled(double x, double y, bool scaleText = true) const;

    const StringT& GetStyleName() const { return GetString(ParaStr::StyleName); }
    int32_t GetAlignment() const { return GetInt(ParaInt::Alignment); }
    int32_t GetStartPosition() const { return GetInt(ParaInt::StartPosition); }
    // Null when unset.
    Counted<const ListAtt> GetList() const { return GetObjectAs<ListAtt>(ParaObject::List); }
    Counted<const DecorationsAtt> GetDecorations() const {
        return GetObjectAs<DecorationsAtt>(ParaObject::Decorations);
    }
    Counted<const DropCapAtt> GetDropCap() const {
        return GetObjectAs<DropCapAtt>(ParaObject::DropCap);
    }
    Counted<const AutoFormatAtt> GetAutoFormat() const {
        return GetObjectAs<AutoFormatAtt>(ParaObject::AutoFormat);
    }
    Counted<const TabStopsAtt> GetTabStops() const {
        return GetObjectAs<TabStopsAtt>(ParaObject::TabStops);
    }
    Counted<const TocAtt> GetToc() const {
        return GetObjectAs<TocAtt>(ParaObject::TableOfContents);
    }

    friend bool operator==(const ParagraphAtts& a, const ParagraphAtts& b) {
        return a.set_ == b.set_;
    }
};

} // namespace Text

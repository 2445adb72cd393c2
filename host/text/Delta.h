// SPDX-License-Identifier: MIT
#pragma once
// Deltas: sparse attribute changes, a paragraph part and a glyph part. A delta made against a base
// holds only what differs from that base. Iterating a delta visits its paragraph attributes, then
// its glyph attributes, each in (kind, identifier) order.

#include "host/foundation/Counted.h"
#include "host/text/FontSpec.h"
#include "host/text/GlyphAtts.h"
#include "host/text/ParagraphAtts.h"

#include <iterator>

namespace Text {

struct DeltaEntry {
    AttCategory category;
    const AttEntry& att;

    AttKind kind() const { return att.kind(); }
    AttId id() const { return att.id; }
    const AttValue& value() const { return att.value; }
};

class Delta : public Foundation::Countable {
public:
    class Iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = DeltaEntry;
        using difference_type = std::ptrdiff_t;

        Iterator() = default;
        DeltaEntry operator*() const;
        Iterator& operator++() {
            ++i_;
            return *this;
        }
        Iterator operator++(int) {
            Iterator old = *this;
            ++i_;
            return old;
        }
        friend bool operator==(const Iterator& a, const Iterator& b) { return a.i_ == b.i_; }

    private:
        friend class Delta;
        Iterator(const Delta* d, size_t i) : d_(d), i_(i) {}
        const Delta* d_ = nullptr;
        size_t i_ = 0;
    };

    Delta() = default;
    Delta(AttributeSet paragraph, AttributeSet glyph)
        : paragraph_(std::move(paragraph)), glyph_(std::move(glyph)) {}

    // A delta setting one attribute; the kind follows the value.
    static Counted<const Delta> Make(AttCategory category, AttId id, AttValue value);

    const AttributeSet& GetParagraph() const noexcept { return paragraph_; }
    const AttributeSet& GetGlyph() const noexcept { return glyph_; }
    const AttributeSet& Get(AttCategory category) const noexcept {
        return category == AttCategory::Paragraph ? paragraph_ : glyph_;
    }
    const AttValue* Find(AttCategory category, AttKind kind, AttId id) const {
        return Get(category).Find(kind, id);
    }
    bool Has(AttCategory category, AttKind kind, AttId id) const {
        return Find(category, kind, id) != nullptr;
    }

    size_t size() const noexcept { return paragraph_.size() + glyph_.size(); }
    bool empty() const noexcept { return size() == 0; }
    Iterator begin() const noexcept { return Iterator(this, 0); }
    Iterator end() const noexcept { return Iterator(this, size()); }

    friend bool operator==(const Delta& a, const Delta& b) {
        return a.paragraph_ == b.paragraph_ && a.glyph_ == b.glyph_;
    }

protected:
    AttributeSet paragraph_;
    AttributeSet glyph_;
};

// Several deltas laid over one another; a later delta wins where they overlap.
class CompositeDelta final : public Delta {
public:
    CompositeDelta() = default;
    explicit CompositeDelta(const Delta& first) : Delta(first) {}

    CompositeDelta& Add(const Delta& later);
    CompositeDelta& Add(const Counted<const Delta>& later) { return later ? Add(*later) : *this; }
};

// The attributes in which `atts` differs from `base`, as a delta over the base.
Counted<const Delta> MakeDelta(const GlyphAtts& atts, const GlyphAtts& base);
Counted<const Delta> MakeDelta(const ParagraphAtts& atts, const ParagraphAtts& base);

struct FontDelta {
    // Sets family, weight, style and stretch.
    static Counted<const Delta> Make(const FontSpec& font);
};

} // namespace Text

// SPDX-License-Identifier: MIT
#pragma once
// The glyph codes of a story, stored as narrow as the text allows: one byte per glyph while every
// character is below U+00FF, two below U+FFFF, four otherwise. Codes that do not fit the width
// (breaks, tabs with a role, object glyphs, the odd wider character) stand aside in a table
// sorted by index, behind an escape value. Most text is Latin, so a story costs about a byte per
// character instead of four.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace Text {

class GlyphCodes {
public:
    uint32_t size() const noexcept { return size_; }
    bool empty() const noexcept { return size_ == 0; }
    // Bytes per glyph: 1, 2 or 4.
    uint32_t Width() const noexcept { return width_; }

    uint32_t operator[](uint32_t i) const noexcept {
        uint32_t code;
        if (width_ == 1) {
            code = bytes_[i];
            if (code != kEscape1)
                return code;
        } else if (width_ == 2) {
            uint16_t narrow;
            std::memcpy(&narrow, bytes_.data() + size_t{i} * 2, 2);
            if (narrow != kEscape2)
                return narrow;
        } else {
            std::memcpy(&code, bytes_.data() + size_t{i} * 4, 4);
            return code;
        }
        return Aside(i);
    }

    // Inserts `n` codes before index `at` (at most size()).
    void Insert(uint32_t at, const uint32_t* codes, uint32_t n);
    void Append(uint32_t code) { Insert(size_, &code, 1); }
    void Clear() noexcept;
    void ShrinkToFit() {
        bytes_.shrink_to_fit();
        aside_.shrink_to_fit();
    }

    // The first index in [from, to) whose code satisfies `pred`, or `to`. `pred` must be false for
    // every code below U+FFFF without break, role or object bits: narrow storage then only looks
    // at the codes standing aside.
    template <class P> uint32_t FindMarked(uint32_t from, uint32_t to, P pred) const {
        if (width_ == 4) {
            for (; from < to; ++from)
                if (pred((*this)[from]))
                    return from;
            return to;
        }
        for (auto it = LowerBound(from); it != aside_.end() && it->index < to; ++it)
            if (pred(it->code))
                return it->index;
        return to;
    }
    // The last index in [from, to) whose code satisfies `pred` (the same kind as for FindMarked),
    // or `to`.
    template <class P> uint32_t FindMarkedBackward(uint32_t from, uint32_t to, P pred) const {
        if (width_ == 4) {
            for (uint32_t i = to; i > from; --i)
                if (pred((*this)[i - 1]))
                    return i - 1;
            return to;
        }
        for (auto it = LowerBound(to); it != aside_.begin();) {
            --it;
            if (it->index < from)
                break;
            if (pred(it->code))
                return it->index;
        }
        return to;
    }

private:
    struct AsideCode {
        uint32_t index;
        uint32_t code;
    };
    static constexpr uint32_t kEscape1 = 0xFF;
    static constexpr uint32_t kEscape2 = 0xFFFF;

    uint32_t Aside(uint32_t i) const noexcept { return LowerBound(i)->code; }
    std::vector<AsideCode>::const_iterator LowerBound(uint32_t i) const noexcept {
        return std::lower_bound(aside_.begin(), aside_.end(), i,
                                [](const AsideCode& a, uint32_t k) { return a.index < k; });
    }
    uint32_t Escape() const noexcept { return width_ == 1 ? kEscape1 : kEscape2; }
    // The width a code would want to be stored directly; codes with break, role or object bits
    // never are, except at width 4.
    static uint32_t WidthFor(uint32_t code) noexcept {
        return code < kEscape1 ? 1 : code < kEscape2 ? 2 : 4;
    }
    void Widen(uint32_t width);
    void Store(uint32_t i, uint32_t code) noexcept;

    std::vector<uint8_t> bytes_;
    std::vector<AsideCode> aside_; // by index; empty at width 4
    uint32_t size_ = 0;
    uint32_t width_ = 1;
    uint32_t wideAside_ = 0; // characters among aside_, as opposed to breaks and objects
};

} // namespace Text

// SPDX-License-Identifier: MIT
#include "host/text/GlyphCodes.h"

#include "host/text/Glyph.h"

namespace Text {

namespace {

// A character without break, role or object bits: one that a wider store would hold directly.
bool IsPlain(uint32_t code) noexcept {
    return code <= GlyphCode::CharMask;
}

} // namespace

void GlyphCodes::Insert(uint32_t at, const uint32_t* codes, uint32_t n) {
    if (n == 0)
        return;
    uint32_t aside = 0; // codes that will not fit the width
    if (width_ < 4) {
        const uint32_t escape = Escape();
        for (uint32_t k = 0; k < n; ++k)
            aside += codes[k] >= escape ? 1 : 0;
    }
    if (aside > 0) {
        uint32_t wide = 0;
        uint32_t widest = 0; // those that need four bytes
        for (uint32_t k = 0; k < n; ++k)
            if (IsPlain(codes[k]) && WidthFor(codes[k]) > width_) {
                ++wide;
                widest += WidthFor(codes[k]) == 4 ? 1 : 0;
            }
        // Widening costs a copy; a few wide characters aside cost less than doubling the store.
        const auto many = [&](uint64_t count) { return count * 16 > uint64_t{size_} + n; };
        if (wide && many(uint64_t{wideAside_} + wide)) {
            Widen(width_ == 1 && !many(widest) ? 2 : 4);
            aside = 0;
            if (width_ < 4)
                for (uint32_t k = 0; k < n; ++k)
                    aside += codes[k] >= Escape() ? 1 : 0;
        }
    }
    bytes_.insert(bytes_.begin() + static_cast<std::ptrdiff_t>(size_t{at} * width_),
                  size_t{n} * width_, uint8_t{0});
    if (width_ < 4) {
        const auto first =
            std::lower_bound(aside_.begin(), aside_.end(), at,
                             [](const AsideCode& a, uint32_t k) { return a.index < k; });
        for (auto it = first; it != aside_.end(); ++it)
            it->index += n;
        const uint32_t escape = Escape();
        if (aside > 0) {
            const auto from = aside_.insert(first, aside, AsideCode{});
            auto to = from;
            for (uint32_t k = 0; k < n; ++k)
                if (codes[k] >= escape) {
                    *to++ = {at + k, codes[k]};
                    wideAside_ += IsPlain(codes[k]) ? 1 : 0;
                }
        }
    }
    size_ += n;
    uint8_t* out = bytes_.data() + size_t{at} * width_;
    if (width_ == 1) {
        for (uint32_t k = 0; k < n; ++k)
            out[k] = static_cast<uint8_t>(std::min(codes[k], kEscape1));
    } else if (width_ == 2) {
        for (uint32_t k = 0; k < n; ++k)
            Store(at + k, codes[k]);
    } else {
        std::memcpy(out, codes, size_t{n} * 4);
    }
}

void GlyphCodes::Clear() noexcept {
    bytes_.clear();
    aside_.clear();
    size_ = 0;
    width_ = 1;
    wideAside_ = 0;
}

void GlyphCodes::Widen(uint32_t width) {
    std::vector<uint32_t> codes(size_);
    for (uint32_t i = 0; i < size_; ++i)
        codes[i] = (*this)[i];
    Clear();
    width_ = width;
    bytes_.reserve(codes.size() * width);
    Insert(0, codes.data(), static_cast<uint32_t>(codes.size()));
}

void GlyphCodes::Store(uint32_t i, uint32_t code) noexcept {
    const auto narrow = static_cast<uint16_t>(std::min(code, kEscape2));
    std::memcpy(bytes_.data() + size_t{i} * 2, &narrow, 2);
}

} // namespace Text

// SPDX-License-Identifier: MIT
#pragma once
// The characters a publication's content documents show, so embedded fonts can be cut down to
// them. Also holds what a reading system may draw with those fonts on its own: list markers,
// hyphens it inserts, the other case of letters the style sheet transforms.

#include <cstdint>
#include <string_view>
#include <vector>

namespace EPub {

class UsedCharacters {
public:
    UsedCharacters();

    // `c` and its simple upper and lower case forms (text-transform, small capitals).
    void Add(char32_t c);
    // UTF-8 text; invalid sequences are skipped.
    void AddText(std::string_view utf8);
    // The character data of XHTML markup: text and character references, not tags, attribute
    // values or comments.
    void AddMarkup(std::string_view xhtml);

    bool Contains(char32_t c) const noexcept;
    // In code point order.
    std::vector<char32_t> Sorted() const;

private:
    void AddOne(char32_t c) noexcept;
    // Decodes the character reference at `text[i]` ('&'); returns the index after it.
    size_t AddReference(std::string_view text, size_t i);
    // The index after the tag whose name starts at `i`, quoted attribute values included.
    static size_t SkipTag(std::string_view xhtml, size_t i);

    std::vector<uint64_t> bits_;
    std::vector<uint64_t> added_; // passed to Add, so their case forms are in bits_ already
};

} // namespace EPub

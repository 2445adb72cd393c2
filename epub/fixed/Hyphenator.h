// SPDX-License-Identifier: MIT
#pragma once
// Where words may be hyphenated, from the hyphenation dictionaries of libhyphen (Debian's
// hyphen-* packages), one per language, loaded on first use.

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct _HyphenDict;

namespace EPub {

// As a paragraph asks for it; lengths in characters, 0 consecutive lines for no limit.
struct HyphenationRules {
    bool enabled = true;
    int minWordLength = 6;
    int minPrefix = 2;
    int minSuffix = 2;
    int maxConsecutive = 0;
};

class Hyphenator {
public:
    // `folder` holds the hyph_LL_CC.dic files.
    explicit Hyphenator(std::string folder = "/usr/share/hyphen");
    ~Hyphenator();
    Hyphenator(const Hyphenator&) = delete;
    Hyphenator& operator=(const Hyphenator&) = delete;

    // Byte offsets into `word` where a hyphen may break it, ascending; none when the language
    // (a tag such as "en-GB") has no dictionary or the word is too short for `rules`.
    std::vector<size_t> Points(std::string_view word, std::string_view language,
                               const HyphenationRules& rules);

    // The letters of text[begin, end) without the punctuation around them, or an empty range
    // when anything else (digits, hyphens) is inside: such words are not hyphenated.
    static std::pair<size_t, size_t> WordCore(std::string_view text, size_t begin, size_t end);
    // Whether text[0, end) ends with a soft hyphen (U+00AD).
    static bool EndsWithSoftHyphen(std::string_view text, size_t end) {
        return end >= 2 && text.substr(end - 2, 2) == "\xC2\xAD";
    }

private:
    struct Free {
        void operator()(_HyphenDict* dict) const;
    };
    _HyphenDict* Dictionary(std::string_view language);

    std::string folder_;
    std::map<std::string, std::unique_ptr<_HyphenDict, Free>, std::less<>> dictionaries_;
};

} // namespace EPub

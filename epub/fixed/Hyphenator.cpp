// SPDX-License-Identifier: MIT
#include "epub/fixed/Hyphenator.h"

#include <hyphen.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>

namespace EPub {

namespace {

bool IsContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

int CharacterCount(std::string_view text) {
    return static_cast<int>(
        std::count_if(text.begin(), text.end(), [](char c) { return !IsContinuation(c); }));
}

// "en-us" -> ("en", "US").
std::pair<std::string, std::string> Subtags(std::string_view language) {
    std::string primary, region;
    const size_t dash = language.find_first_of("-_");
    for (const char c : language.substr(0, dash))
        primary += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (dash != std::string_view::npos)
        for (const char c : language.substr(dash + 1, 2))
            region += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return {primary, region};
}

} // namespace

void Hyphenator::Free::operator()(_HyphenDict* dict) const {
    hnj_hyphen_free(dict);
}

Hyphenator::Hyphenator(std::string folder) : folder_(std::move(folder)) {}

Hyphenator::~Hyphenator() = default;

_HyphenDict* Hyphenator::Dictionary(std::string_view language) {
    if (const auto it = dictionaries_.find(language); it != dictionaries_.end())
        return it->second.get();
    const auto [primary, region] = Subtags(language);
    // The region's own dictionary, the language's plain one, its home country's, then any.
    std::vector<std::string> names;
    if (!region.empty())
        names.push_back("hyph_" + primary + "_" + region + ".dic");
    names.push_back("hyph_" + primary + ".dic");
    std::string home = primary;
    for (char& c : home)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    names.push_back("hyph_" + primary + "_" + home + ".dic");
    std::error_code ec;
    std::vector<std::string> others;
    for (const auto& entry : std::filesystem::directory_iterator(folder_, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("hyph_" + primary + "_") && name.ends_with(".dic"))
            others.push_back(name);
    }
    std::sort(others.begin(), others.end());
    names.insert(names.end(), others.begin(), others.end());
    std::unique_ptr<_HyphenDict, Free> dict;
    for (const std::string& name : names)
        if (std::filesystem::is_regular_file(folder_ + "/" + name, ec) &&
            (dict.reset(hnj_hyphen_load((folder_ + "/" + name).c_str())), dict))
            break;
    return dictionaries_.emplace(std::string(language), std::move(dict)).first->second.get();
}

std::pair<size_t, size_t> Hyphenator::WordCore(std::string_view text, size_t begin, size_t end) {
    // Soft hyphens and no-break spaces (C2 AD, C2 A0) are not letters; other UTF-8 is.
    auto letter = [&](size_t i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80)
            return std::isalpha(c) != 0;
        const bool lead =
            c == 0xC2 && i + 1 < end && (text[i + 1] == '\xAD' || text[i + 1] == '\xA0');
        const bool trail = (c == 0xAD || c == 0xA0) && i > begin && text[i - 1] == '\xC2';
        return !lead && !trail;
    };
    auto punctuation = [&](size_t i) {
        return std::string_view(" \t\n.,;:!?\"'()[]").find(text[i]) != std::string_view::npos;
    };
    while (begin < end && punctuation(begin))
        ++begin;
    while (end > begin && punctuation(end - 1))
        --end;
    for (size_t i = begin; i < end; ++i)
        if (!letter(i))
            return {begin, begin};
    return {begin, end};
}

std::vector<size_t> Hyphenator::Points(std::string_view word, std::string_view language,
                                       const HyphenationRules& rules) {
    std::vector<size_t> points;
    if (!rules.enabled || language.empty() || CharacterCount(word) < rules.minWordLength)
        return points;
    _HyphenDict* dict = Dictionary(language);
    if (!dict)
        return points;
    // The patterns are lower case.
    std::string lower(word);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::vector<char> hyphens(lower.size() + 5);
    char** rep = nullptr;
    int* pos = nullptr;
    int* cut = nullptr;
    const int failed = hnj_hyphen_hyphenate3(
        dict, lower.data(), static_cast<int>(lower.size()), hyphens.data(), nullptr, &rep, &pos,
        &cut, std::max(1, rules.minPrefix), std::max(1, rules.minSuffix), 1, 1);
    if (rep) {
        // Spelling changes at a break (older German "ck" -> "k-k") are not made: those
        // points are left out.
        for (size_t i = 0; i < lower.size(); ++i)
            if (rep[i]) {
                hyphens[i] = '0';
                std::free(rep[i]);
            }
        std::free(rep);
        std::free(pos);
        std::free(cut);
    }
    if (failed)
        return points;
    for (size_t i = 0; i + 1 < lower.size(); ++i)
        if ((hyphens[i] & 1) && !IsContinuation(lower[i + 1]))
            points.push_back(i + 1);
    return points;
}

} // namespace EPub

// SPDX-License-Identifier: MIT
#include "host/text/Language.h"

#include <cctype>
#include <mutex>
#include <unordered_map>

namespace Text {

Language::Language(Key, StringT id) : id_(std::move(id)), none_(id_ == GetNoneId()) {}

size_t Language::Hash() const {
    return std::hash<std::string_view>{}(id_.view());
}

StringT Language::Normalise(std::string_view id) {
    // BCP 47 casing: primary subtag lower case, two-letter regions upper case, four-letter scripts
    // title case, everything else lower case.
    std::string out;
    out.reserve(id.size());
    size_t subtag = 0;
    size_t start = 0;
    for (size_t i = 0; i <= id.size(); ++i) {
        if (i < id.size() && id[i] != '-' && id[i] != '_')
            continue;
        const std::string_view part = id.substr(start, i - start);
        start = i + 1;
        if (part.empty())
            continue;
        if (!out.empty())
            out += '-';
        for (size_t k = 0; k < part.size(); ++k) {
            const auto c = static_cast<unsigned char>(part[k]);
            const bool upper = subtag > 0 && (part.size() == 2 || (part.size() == 4 && k == 0));
            out += static_cast<char>(upper ? std::toupper(c) : std::tolower(c));
        }
        ++subtag;
    }
    return out.empty() ? GetNoneId() : StringT(std::move(out));
}

const Counted<const Language>& Language::None() {
    static const Counted<const Language> none = Make(GetNoneId());
    return none;
}

Counted<const Language> Language::Make(std::string_view id) {
    // The one process-wide table of the text model: append-only and guarded, it only ever hands
    // out the same immutable object for the same tag.
    static std::mutex mutex;
    static std::unordered_map<StringT, Counted<const Language>> table;
    StringT key = Normalise(id);
    std::lock_guard lock(mutex);
    auto [it, inserted] = table.try_emplace(key);
    if (inserted)
        it->second = Foundation::MakeCounted<const Language>(Key(), key);
    return it->second;
}

} // namespace Text

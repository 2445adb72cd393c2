// SPDX-License-Identifier: MIT
#include "epub/fixed/Page.h"

#include <algorithm>
#include <cstddef>

namespace EPub {

PageElement& Page::Add(std::string_view tag) {
    PageElement& e = elements_.emplace_back();
    e.tag = tag;
    e.depth = depth_;
    return e;
}

PageElement& Page::Insert(size_t index, int depth, std::string_view tag) {
    index = std::min(index, elements_.size());
    PageElement& e = *elements_.emplace(elements_.begin() + static_cast<std::ptrdiff_t>(index));
    e.tag = tag;
    e.depth = depth;
    return e;
}

int32_t Page::UseLanguage(const StringT& language, uint32_t characters) {
    for (size_t i = 0; i < languages_.size(); ++i) {
        if (languages_[i].first == language) {
            languages_[i].second += characters;
            return static_cast<int32_t>(i);
        }
    }
    languages_.emplace_back(language, characters);
    return static_cast<int32_t>(languages_.size() - 1);
}

StringT Page::GetMainLanguage() const {
    const std::pair<StringT, uint32_t>* best = nullptr;
    for (const auto& entry : languages_)
        if (!best || entry.second > best->second)
            best = &entry;
    return best ? best->first : StringT();
}

int32_t Page::AddDescription(StringT label, StringT title) {
    descriptions_.emplace_back(std::move(label), std::move(title));
    return static_cast<int32_t>(descriptions_.size());
}

StringT Page::AddRule(std::string declarations) {
    const std::string name = "style" + std::to_string(++ruleCounter_);
    css_ += "." + name + " { " + declarations + " }\n";
    return StringT(name);
}

} // namespace EPub

// SPDX-License-Identifier: MIT
#include "cli/AnchorBook.h"

namespace Cli {

using Foundation::StringT;

AnchorBook::Entry& AnchorBook::Get(const std::string& name) {
    Entry& entry = entries_[name];
    if (!entry.anchor)
        entry.anchor = document_->MakeAnchor(StringT(name));
    return entry;
}

Foundation::Counted<Text::AnchorData> AnchorBook::Define(const JsonInput& input, const Node& node) {
    input.Expect(node, JsonValue::value_t::string, "an anchor name");
    const std::string name = node.value.get<std::string>();
    if (name.empty())
        input.Fail(node, "an anchor needs a name");
    Entry& entry = Get(name);
    if (entry.defined)
        input.Fail(node, "anchor \"" + name + "\" is defined twice");
    entry.defined = true;
    return entry.anchor;
}

Foundation::Counted<const Text::AnchorData> AnchorBook::Use(const JsonInput& input,
                                                            const Node& node) {
    input.Expect(node, JsonValue::value_t::string, "an anchor name");
    Entry& entry = Get(node.value.get<std::string>());
    if (entry.firstUse.empty()) {
        entry.firstUse = node.Path();
        entry.firstUseAt = input.Offset(node);
    }
    return entry.anchor;
}

Foundation::Counted<Text::AnchorData> AnchorBook::MakeHidden(const std::string& name) const {
    // Never entered in the book, so it cannot clash with a named anchor.
    return document_->MakeAnchor(StringT(name));
}

int32_t AnchorBook::PageNumber(const JsonInput& input, const Node& node, int32_t chapter,
                               int32_t page) const {
    int total = 0;
    for (const int n : pagesPerStory_)
        total += n;
    if (chapter == 0) {
        if (page > total)
            input.Fail(node, "there is no page " + std::to_string(page) + ": the document has " +
                                 std::to_string(total) + " page(s)");
        return page;
    }
    if (static_cast<size_t>(chapter) > pagesPerStory_.size())
        input.Fail(node, "there is no story " + std::to_string(chapter) + ": the document has " +
                             std::to_string(pagesPerStory_.size()));
    const int inStory = pagesPerStory_[static_cast<size_t>(chapter) - 1];
    if (page > inStory)
        input.Fail(node, "story " + std::to_string(chapter) + " has no page " +
                             std::to_string(page) + ": " + std::to_string(inStory) +
                             " page(s) start in it");
    int before = 0;
    for (int32_t i = 0; i + 1 < chapter; ++i)
        before += pagesPerStory_[static_cast<size_t>(i)];
    return before + page;
}

void AnchorBook::CheckAllDefined(const JsonInput& input) const {
    for (const auto& [name, entry] : entries_)
        if (!entry.defined)
            input.FailAt(entry.firstUseAt, entry.firstUse, "unknown anchor \"" + name + "\"");
}

} // namespace Cli

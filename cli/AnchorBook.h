// SPDX-License-Identifier: MIT
#pragma once
// The document's named anchors. Links and cross references may name an anchor defined later, so
// a name gets its anchor object on first mention and must be defined by the end of the input.

#include "cli/JsonInput.h"
#include "host/text/AnchorData.h"
#include "host/text/TextDocument.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace Cli {

class AnchorBook {
public:
    explicit AnchorBook(Foundation::Counted<const Text::TextDocument> document)
        : document_(std::move(document)) {}

    // The anchor that `node` defines; a second definition of a name is an error.
    Foundation::Counted<Text::AnchorData> Define(const JsonInput& input, const Node& node);
    // The anchor `node` refers to.
    Foundation::Counted<const Text::AnchorData> Use(const JsonInput& input, const Node& node);
    // An anchor nobody can name, such as the start of a story.
    Foundation::Counted<Text::AnchorData> MakeHidden(const std::string& name) const;
    // Fails on the first reference to a name that was never defined.
    void CheckAllDefined(const JsonInput& input) const;

    // How many pages start in each story, in the order of "stories".
    void SetPages(std::vector<int> pagesPerStory) { pagesPerStory_ = std::move(pagesPerStory); }
    // The number in the page list of page `page` (from 1) of story `chapter` (from 1), or of the
    // whole document when `chapter` is 0; fails when there is no such page.
    int32_t PageNumber(const JsonInput& input, const Node& node, int32_t chapter,
                       int32_t page) const;

private:
    struct Entry {
        Foundation::Counted<Text::AnchorData> anchor;
        bool defined = false;
        std::string firstUse; // the path of the first reference, and where it is
        std::optional<size_t> firstUseAt;
    };

    Entry& Get(const std::string& name);

    Foundation::Counted<const Text::TextDocument> document_;
    std::map<std::string, Entry> entries_;
    std::vector<int> pagesPerStory_;
};

} // namespace Cli

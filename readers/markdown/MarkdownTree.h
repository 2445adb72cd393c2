// SPDX-License-Identifier: MIT
#pragma once
// A parsed Markdown document: cmark-gfm's tree with the GitHub extensions (tables,
// strikethrough, task lists, autolinks) and footnotes, freed with its owner.

#include <memory>
#include <string_view>

struct cmark_node;

namespace Readers::Markdown {

class MarkdownTree {
public:
    explicit MarkdownTree(std::string_view text);

    cmark_node* Root() const noexcept { return root_.get(); }

private:
    struct Free {
        void operator()(cmark_node* node) const;
    };
    std::unique_ptr<cmark_node, Free> root_;
};

} // namespace Readers::Markdown

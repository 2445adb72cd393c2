// SPDX-License-Identifier: MIT
#include "readers/markdown/MarkdownTree.h"

#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm.h>

#include <new>

namespace Readers::Markdown {

namespace {

struct ParserFree {
    void operator()(cmark_parser* parser) const { cmark_parser_free(parser); }
};

} // namespace

void MarkdownTree::Free::operator()(cmark_node* node) const {
    cmark_node_free(node);
}

MarkdownTree::MarkdownTree(std::string_view text) {
    // Registration is idempotent and guarded by the library.
    cmark_gfm_core_extensions_ensure_registered();
    // Raw HTML is kept in the tree: the reader decides what of it to carry.
    const int options = CMARK_OPT_FOOTNOTES | CMARK_OPT_UNSAFE | CMARK_OPT_SOURCEPOS;
    std::unique_ptr<cmark_parser, ParserFree> parser(cmark_parser_new(options));
    if (!parser)
        throw std::bad_alloc();
    for (const char* name : {"table", "strikethrough", "tasklist", "autolink"})
        if (cmark_syntax_extension* extension = cmark_find_syntax_extension(name))
            cmark_parser_attach_syntax_extension(parser.get(), extension);
    cmark_parser_feed(parser.get(), text.data(), text.size());
    root_.reset(cmark_parser_finish(parser.get()));
    if (!root_)
        throw std::bad_alloc();
}

} // namespace Readers::Markdown

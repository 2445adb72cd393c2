// SPDX-License-Identifier: MIT
#pragma once
// The flow of paragraphs that block content (tables, figures, notes) interrupts: what those
// writers need of the content writer, so that they do not depend on it.

#include "epub/content/ElementStream.h"
#include "epub/content/StoryChunk.h"
#include "host/foundation/Stream.h"
#include "host/text/Story.h"

#include <string>
#include <vector>

namespace EPub {

// The paragraph that block content interrupts, with where it is written.
struct BlockContext {
    Foundation::OutStream* out = nullptr;
    StringT fileName;
    const StoryChunk* chunk = nullptr;
    Text::StoryPos pos;
    StringT paragraphElement;                      // empty outside a paragraph
    std::vector<ElementStream::Element> suspended; // closed around block content
};

class BlockFlow {
public:
    // The innermost block context; null outside block content.
    virtual const BlockContext* CurrentBlock() const = 0;
    // Closes (true) or reopens (false) the paragraph around block content such as figures.
    virtual void BreakIntoParagraph(bool close) = 0;
    // Writes a chunk of another story (a note, a table cell) into `out`.
    virtual bool ExportStoryChunk(const Counted<const Text::Story>& story, const StoryChunk& chunk,
                                  Foundation::OutStream& out, const StringT& fileName,
                                  bool nested) = 0;
    // Written right after the opening tag of the next paragraph (a note's number).
    virtual void SetParagraphPrefix(std::string prefix) = 0;
    virtual std::string TakeParagraphPrefix() = 0;

protected:
    BlockFlow() = default;
    BlockFlow(const BlockFlow&) = delete;
    BlockFlow& operator=(const BlockFlow&) = delete;
    ~BlockFlow() = default;
};

} // namespace EPub

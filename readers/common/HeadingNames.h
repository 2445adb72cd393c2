// SPDX-License-Identifier: MIT
#pragma once
// What the headings of a word-processor text tell its reader: the book's title of last resort
// (a Title paragraph, else the first heading), each story's contents entry (its opening chapter
// heading) and the section headings listed below it.

#include "readers/common/ReaderDocument.h"

#include <optional>
#include <string>

namespace Readers {

class HeadingNames {
public:
    // A story starts: its opening heading may name its entry again.
    void StartStory() noexcept { entryNamed_ = false; }

    // A paragraph of `text`; `level` 1 for a chapter heading, 2 for a section; `opening` when it
    // starts the story; `anchor` marks a heading for the contents, and `marks` is null outside
    // the main text.
    void Note(const std::string& text, bool title, std::optional<int> level, bool opening,
              const Counted<Text::AnchorData>& anchor, StoryEntry& entry, StoryMarks* marks) {
        if (title && firstTitle_.empty())
            firstTitle_ = text;
        else if (level && firstHeading_.empty())
            firstHeading_ = text;
        if (!marks || text.empty() || !level || *level > 2)
            return;
        if (*level == 1 && !entryNamed_ && opening) {
            entry.tocText = StringT(text);
            entry.title = StringT(text);
            entryNamed_ = true;
        } else if (anchor) {
            marks->toc.push_back({anchor, StringT(text)});
        }
    }

    // The text of the first Title paragraph, else of the first heading.
    const std::string& Title() const noexcept {
        return firstTitle_.empty() ? firstHeading_ : firstTitle_;
    }

private:
    std::string firstTitle_, firstHeading_;
    bool entryNamed_ = false;
};

} // namespace Readers

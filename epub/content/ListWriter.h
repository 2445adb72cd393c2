// SPDX-License-Identifier: MIT
#pragma once
// Opens and closes list and item elements as paragraphs move between list levels.

#include "epub/css/StyleSheet.h"
#include "host/foundation/Stream.h"
#include "host/foundation/StringT.h"

#include <deque>

namespace EPub {

using Foundation::StringT;

class ListWriter {
public:
    // Moves the nesting to `level` of a list of `element` ("ol" or "ul"; level 0 closes every
    // list). A list paragraph written next is the item of the innermost list.
    void MoveTo(Foundation::OutStream& out, const StringT& element, int level);
    void CloseAll(Foundation::OutStream& out) { MoveTo(out, {}, 0); }
    // Marks the item a list paragraph is written in as open, with the registry's answer for it.
    void OpenItem(Counted<ParaParams> item);
    // The innermost open item holding the list the next item goes in: what that item inherits.
    const ParaParams* OuterItem() const;
    bool IsOpen() const noexcept { return !stack_.empty(); }
    int Level() const noexcept { return stack_.empty() ? 0 : stack_.back().level; }

private:
    struct Entry {
        int level = 0;
        StringT element;
        bool itemOpen = false;
        Counted<ParaParams> item; // the open item's formatting; null for an unmarked holder
    };
    void CloseItem(Foundation::OutStream& out);

    std::deque<Entry> stack_; // back = innermost
};

} // namespace EPub

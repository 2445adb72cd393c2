// SPDX-License-Identifier: MIT
#pragma once
// The stream a paragraph is written through. Opening tags wait until something is written inside
// them, so an element that block content (a table, a figure) interrupts at its end, or a link
// closed around a note reference, leaves no empty element behind.

#include "host/foundation/Stream.h"

#include <string>
#include <vector>

namespace EPub {

class ElementStream final : public Foundation::OutStream {
public:
    struct Element {
        std::string open;
        std::string close;
        bool link = false; // an <a> that nothing link-like may nest in
        bool written = false;
    };

    explicit ElementStream(Foundation::OutStream& target) : target_(target) {}

    size_t Write(const void* data, size_t size) override;
    bool Flush() override { return target_.Flush(); }

    void Push(Element element);
    // Closes the innermost element; one never written is dropped instead.
    void Pop();
    bool HasOpen() const noexcept { return !open_.empty(); }
    bool AnyWritten() const noexcept;
    // Whether any opening tag was ever written, however often elements were suspended.
    bool EverWritten() const noexcept { return everWritten_; }

    // Closes every open element (from `depth` up) and returns them, to reopen with Resume; those
    // already written come back without their id, which only the first part may carry.
    std::vector<Element> Suspend(size_t depth = 0);
    void Resume(std::vector<Element> elements);
    // Closes the links among the open elements and what they hold, for content that may not
    // sit in a link; Resume reopens them.
    std::vector<Element> SuspendLinks();
    size_t Depth() const noexcept { return open_.size(); }

    // Writes the opening tags still waiting.
    void WriteOpenTags();

private:
    Foundation::OutStream& target_;
    std::vector<Element> open_;
    bool everWritten_ = false;
};

} // namespace EPub

// SPDX-License-Identifier: MIT
#include "epub/content/ListWriter.h"

#include <utility>

namespace EPub {

void ListWriter::CloseItem(Foundation::OutStream& out) {
    if (std::exchange(stack_.back().itemOpen, false))
        out << "</li>\n";
}

void ListWriter::MoveTo(Foundation::OutStream& out, const StringT& element, int level) {
    while (level < Level()) {
        CloseItem(out);
        out << "</" << stack_.back().element.view() << ">\n";
        stack_.pop_back();
    }
    if (level > 0 && level == Level()) {
        CloseItem(out);
        if (stack_.back().element != element) {
            out << "</" << stack_.back().element.view() << ">\n";
            stack_.pop_back();
        }
    }
    while (Level() < level) {
        if (stack_.empty()) {
            out << "<" << element.view() << ">\n";
        } else {
            // A list may only nest inside an item; a jump of several levels gets an unmarked one.
            if (!stack_.back().itemOpen) {
                out << "<li style=\"list-style-type:none\">\n";
                stack_.back().itemOpen = true;
            }
            out << "<" << element.view() << ">\n";
        }
        stack_.push_back({Level() + 1, element, false, {}});
    }
}

void ListWriter::OpenItem(Counted<ParaParams> item) {
    if (stack_.empty())
        return;
    stack_.back().itemOpen = true;
    stack_.back().item = std::move(item);
}

const ParaParams* ListWriter::OuterItem() const {
    // The innermost list holds the new item; the items around it are in the lists below.
    for (size_t i = stack_.size(); i-- > 1;)
        if (stack_[i - 1].itemOpen && stack_[i - 1].item)
            return stack_[i - 1].item.get();
    return nullptr;
}

} // namespace EPub

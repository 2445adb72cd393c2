// SPDX-License-Identifier: MIT
#include "epub/content/ListWriter.h"

#include "epub/xml/XmlWriter.h"

#include <utility>

namespace EPub {

namespace {

void Start(Foundation::OutStream& out, const StringT& element) {
    XmlWriter().Open(element.view()).Close().Space("\n").Flush(out);
}

void End(Foundation::OutStream& out, std::string_view element) {
    XmlWriter().End(element).Space("\n").Flush(out);
}

} // namespace

void ListWriter::CloseItem(Foundation::OutStream& out) {
    if (std::exchange(stack_.back().itemOpen, false))
        End(out, "li");
}

void ListWriter::MoveTo(Foundation::OutStream& out, const StringT& element, int level) {
    while (level < Level()) {
        CloseItem(out);
        End(out, stack_.back().element.view());
        stack_.pop_back();
    }
    if (level > 0 && level == Level()) {
        CloseItem(out);
        if (stack_.back().element != element) {
            End(out, stack_.back().element.view());
            stack_.pop_back();
        }
    }
    while (Level() < level) {
        if (stack_.empty()) {
            Start(out, element);
        } else {
            // A list may only nest inside an item; a jump of several levels gets an unmarked one.
            if (!stack_.back().itemOpen) {
                XmlWriter item;
                item.Open("li").Attribute("style", "list-style-type:none").Close().Space("\n");
                item.Flush(out);
                stack_.back().itemOpen = true;
            }
            Start(out, element);
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

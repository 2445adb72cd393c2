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
            // Item classes size text against the body size; a nested list must not compound
            // them with its parent item's.
            out << "<" << element.view() << " style=\"font-size:1rem\">\n";
        }
        stack_.push_back({Level() + 1, element, false});
    }
}

void ListWriter::OpenItem(Foundation::OutStream&) {
    if (!stack_.empty())
        stack_.back().itemOpen = true;
}

} // namespace EPub

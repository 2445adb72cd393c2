// SPDX-License-Identifier: MIT
#include "epub/content/ElementStream.h"

#include <algorithm>

namespace EPub {

namespace {

// An element reopened after block content continues the first one: the id stays with the first.
std::string WithoutId(std::string open) {
    const size_t at = open.find(" id=\"");
    if (at == std::string::npos)
        return open;
    const size_t end = open.find('"', at + 5);
    return end == std::string::npos ? open : open.erase(at, end + 1 - at);
}

} // namespace

void ElementStream::WriteOpenTags() {
    for (Element& element : open_)
        if (!element.written) {
            target_ << element.open;
            element.written = true;
            everWritten_ = true;
        }
}

size_t ElementStream::Write(const void* data, size_t size) {
    if (size == 0)
        return 0;
    WriteOpenTags();
    return target_.Write(data, size);
}

void ElementStream::Push(Element element) {
    element.written = false;
    open_.push_back(std::move(element));
}

void ElementStream::Pop() {
    if (open_.empty())
        return;
    if (open_.back().written)
        target_ << open_.back().close;
    open_.pop_back();
}

bool ElementStream::AnyWritten() const noexcept {
    return std::ranges::any_of(open_, [](const Element& e) { return e.written; });
}

std::vector<ElementStream::Element> ElementStream::Suspend(size_t depth) {
    std::vector<Element> closed;
    while (open_.size() > depth) {
        Element element = open_.back();
        if (element.written)
            element.open = WithoutId(std::move(element.open));
        closed.insert(closed.begin(), std::move(element));
        Pop();
    }
    return closed;
}

void ElementStream::Resume(std::vector<Element> elements) {
    for (Element& element : elements)
        Push(std::move(element));
}

std::vector<ElementStream::Element> ElementStream::SuspendLinks() {
    const auto link = std::ranges::find_if(open_, [](const Element& e) { return e.link; });
    return Suspend(static_cast<size_t>(link - open_.begin()));
}

} // namespace EPub

// SPDX-License-Identifier: MIT
#pragma once
// One fixed-layout page while it is filled: its size, languages, described groups and the tree
// of elements that the page document writer turns into XHTML.

#include "host/foundation/StringT.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace EPub {

using Foundation::StringT;

class Publication;

struct PageElement {
    std::string_view tag = "div"; // one of the page vocabulary's tag names
    int depth = 0;
    uint32_t id = 0;         // 0: no id
    StringT classes[2];      // up to two class names
    int32_t description = 0; // 1-based description pair; negative: aria-hidden as well
    int32_t language = -1;   // index into the page's languages; -1: inherit
    // Links: a URL, or a target page (with an optional anchor on it). An anchor without a target
    // page makes the element that anchor.
    StringT url;
    uint32_t targetPage = 0;
    uint32_t anchorNumber = 0;
    // Images: path relative to the content root, and the alternative text.
    StringT src;
    bool hasAlt = false;
    StringT alt;
    bool blank = false; // the publication's shared blank image
    std::string text;   // character content (spans)
    // Text read right to left: dir="rtl".
    bool rightToLeft = false;
};

class Page {
public:
    Page(Publication& publication, uint64_t number, int32_t width, int32_t height)
        : publication_(publication), number_(number), width_(width), height_(height) {}

    Publication& GetPublication() const noexcept { return publication_; }
    uint64_t GetNumber() const noexcept { return number_; }
    int32_t GetWidth() const noexcept { return width_; }
    int32_t GetHeight() const noexcept { return height_; }

    // Appends an element at the current depth and returns it.
    PageElement& Add(std::string_view tag);
    // Inserts an element before the element at `index`, at `depth`.
    PageElement& Insert(size_t index, int depth, std::string_view tag);
    size_t ElementCount() const noexcept { return elements_.size(); }
    // Elements added until the matching Close nest inside the last element added.
    void Open() { ++depth_; }
    void Close() {
        if (depth_ > 0)
            --depth_;
    }
    int Depth() const noexcept { return depth_; }
    // The next element number for ids of the kind ("span12-5"): counted per page.
    uint32_t NextElementNumber() noexcept { return ++elementCounter_; }

    // Registers `characters` of text in `language` and returns its index.
    int32_t UseLanguage(const StringT& language, uint32_t characters = 1);
    const std::vector<std::pair<StringT, uint32_t>>& GetLanguages() const noexcept {
        return languages_;
    }
    // The language of most of the text; the earlier on a tie; empty when none.
    StringT GetMainLanguage() const;

    // A (label, title) pair for a described group; returns its 1-based index.
    int32_t AddDescription(StringT label, StringT title);
    const std::vector<std::pair<StringT, StringT>>& GetDescriptions() const noexcept {
        return descriptions_;
    }

    // A rule of the page's own style sheet; returns its class name ("styleN").
    StringT AddRule(std::string declarations);
    const std::string& GetStyleSheet() const noexcept { return css_; }

    // Semantic tags ("epub:toc") that set landmarks when the page is added.
    void AddTag(StringT tag) { tags_.push_back(std::move(tag)); }
    const std::vector<StringT>& GetTags() const noexcept { return tags_; }

    const std::vector<PageElement>& GetElements() const noexcept { return elements_; }

private:
    Publication& publication_;
    uint64_t number_;
    int32_t width_;
    int32_t height_;
    int depth_ = 0;
    uint32_t elementCounter_ = 0;
    uint32_t ruleCounter_ = 0;
    std::vector<std::pair<StringT, uint32_t>> languages_;
    std::vector<std::pair<StringT, StringT>> descriptions_;
    std::vector<PageElement> elements_;
    std::vector<StringT> tags_;
    std::string css_;
};

} // namespace EPub

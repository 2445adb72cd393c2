// SPDX-License-Identifier: MIT
#pragma once
// The main document part, read one block of the body at a time: the text is inflated once and
// each paragraph or table is parsed on its own, so a long document never holds the tree of
// all its markup at once.

#include "readers/common/ZipPackage.h"
#include "readers/docx/XmlPart.h"

#include <functional>
#include <set>
#include <vector>

namespace Readers::Docx {

class BodyStream final : public PartText {
public:
    // Reads the part and its root element; throws InputError.
    BodyStream(Package& package, std::string part);

    // The root element alone, with its attributes (namespace declarations), without content.
    pugi::xml_node Root() const { return root_.document_element(); }
    const std::string& Name() const noexcept override { return part_; }
    std::string Where(pugi::xml_node node) const override;

    // Every value of attribute `attribute` on elements `element` anywhere in the part (local
    // names). Call before ForEachBlock, which parses the text in place.
    std::set<std::string, std::less<>> Values(std::string_view element,
                                              std::string_view attribute) const;
    // How each section starts (w:type: "nextPage", "oddPage", "continuous"...), in the order
    // of the sections. Call before ForEachBlock.
    std::vector<std::string> SectionStarts() const;
    // Calls `visit` with each element of the body in turn; false when there is no body.
    // Throws InputError for malformed XML.
    bool ForEachBlock(const std::function<void(pugi::xml_node)>& visit);

private:
    // The line of byte `at`, counted from 1.
    size_t Line(size_t at) const;
    // Gives back the text before `end`, once nothing points into it.
    void Release(size_t end);

    Package& package_;
    std::string part_;
    PageBuffer pages_;
    std::string converted_; // UTF-16 parts, as UTF-8
    std::string_view text_;
    size_t released_ = 0;    // text before this is given back
    size_t linesBefore_ = 0; // line breaks in it
    size_t rootEnd_ = 0;     // where the root's start tag ends
    pugi::xml_document root_;
    size_t blockStart_ = 0; // of the block being visited
};

} // namespace Readers::Docx

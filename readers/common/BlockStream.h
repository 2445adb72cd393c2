// SPDX-License-Identifier: MIT
#pragma once
// A long XML part read one block at a time: the text is inflated once, and each child of the
// container that holds the document's text (a paragraph, a table) is parsed on its own, so a long
// document never holds the tree of all its markup at once. Pages already read are given back.

#include "readers/common/SafeXml.h"
#include "readers/common/ZipPackage.h"

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace Readers {

// Scanning markup without parsing it, for what is needed before the blocks are parsed.
namespace XmlScan {

enum class TagKind { Open, Close, Empty, Other, End };

struct Tag {
    TagKind kind = TagKind::End;
    size_t start = 0;
    size_t end = 0; // past the '>'
};

// The next markup token from `at`: a tag, or a comment, processing instruction or CDATA section
// (Other). End when the text has no more; a token cut short is End with start set.
Tag NextTag(std::string_view text, size_t at);
std::string_view TagLocalName(std::string_view text, const Tag& tag);
// Whether `text` at `at` holds the element name `name` itself: "<w:name ", "</name>".
bool IsElementName(std::string_view text, size_t at, std::string_view name);
// The value of `attribute` (any prefix) inside one start tag.
std::optional<std::string> AttributeIn(std::string_view inside, std::string_view attribute);

} // namespace XmlScan

class BlockStream : public PartText {
public:
    // Reads `part` of the package and its root element; throws InputError.
    BlockStream(Package& package, std::string part);
    // The same for text already in memory (a flat file, `part` empty).
    BlockStream(std::string_view source, std::string part, std::string text);
    BlockStream(const BlockStream&) = delete;
    BlockStream& operator=(const BlockStream&) = delete;

    // The root element alone, with its attributes (namespace declarations), without content.
    pugi::xml_node Root() const { return root_.document_element(); }
    const std::string& Name() const noexcept override { return part_; }
    std::string Where(pugi::xml_node node) const override;
    // The whole text; call before ForEachBlock, which parses it in place.
    std::string_view Text() const noexcept { return text_; }

    // Every value of attribute `attribute` on elements `element` anywhere in the part (local
    // names). Call before ForEachBlock.
    std::set<std::string, std::less<>> Values(std::string_view element,
                                              std::string_view attribute) const;
    // Calls `visit` with each child of the container that `path` (local names from the root's
    // children down, "body" or "body", "text") leads to, in turn; `head`, when given, with
    // each other child of the root before the container. False when there is no container.
    // Throws InputError for malformed XML.
    bool ForEachBlock(const std::vector<std::string_view>& path,
                      const std::function<void(pugi::xml_node)>& visit,
                      const std::function<void(pugi::xml_node)>& head = {});

private:
    void ReadRoot();
    // The line of byte `at`, counted from 1.
    size_t Line(size_t at) const;
    // Gives back the text before `end`, once nothing points into it.
    void Release(size_t end);
    [[noreturn]] void Fail(size_t at, std::string_view problem) const;

    std::string source_;
    std::string part_;
    PageBuffer pages_;
    std::string owned_; // UTF-16 parts as UTF-8, or text handed over
    std::string_view text_;
    size_t released_ = 0;    // text before this is given back
    size_t linesBefore_ = 0; // line breaks in it
    size_t rootEnd_ = 0;     // where the root's start tag ends
    pugi::xml_document root_;
    size_t blockStart_ = 0; // of the block being visited
};

} // namespace Readers

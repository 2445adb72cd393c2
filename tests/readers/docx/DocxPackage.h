// SPDX-License-Identifier: MIT
#pragma once
// Word packages built in memory for the reader's tests: the parts are written here as XML and
// zipped, stored or deflated.

#include "host/text/Glyph.h"
#include "readers/docx/DocxReader.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace DocxTest {

// A zip archive of `files` (name, bytes), in order.
std::string Zip(const std::vector<std::pair<std::string, std::string>>& files,
                bool deflate = false);

// A package around a body: the usual content types and relationships, and whichever optional
// parts are set.
struct Parts {
    std::string body; // the content of <w:body>
    std::string styles, numbering, footnotes, endnotes, comments, core, settings;
    std::vector<std::pair<std::string, std::string>> extraFiles; // (name, bytes)
    std::string extraRelationships; // <Relationship .../> of the main document
    std::string Build(bool deflate = false) const;
};

// The main document part around a body.
std::string DocumentXml(const std::string& body);
// "<w:p><w:r><w:t>text</w:t></w:r></w:p>", with a paragraph style when given.
std::string Para(const std::string& text, const std::string& style = {});

Readers::Document Read(const Parts& parts, const Readers::Docx::DocxOptions& options = {});
// The InputError message reading `bytes` gives; empty when it reads.
std::string ErrorOf(const std::string& bytes, const Readers::Docx::DocxOptions& options = {});

// The text of a story without its object glyphs (anchors, notes, frames).
std::string Plain(const Foundation::Counted<const Text::Story>& story);
// Where `text` first starts in the story; a null position when it does not occur.
Text::StoryPos Find(const Foundation::Counted<const Text::Story>& story, std::string_view text);
// The objects of a kind (notes, frames, tables) pinned in the story, in order.
template <class T>
std::vector<const T*> Pinned(const Foundation::Counted<const Text::Story>& story) {
    std::vector<const T*> out;
    for (uint32_t i = 0; i < story->size(); ++i)
        if (const auto* pin = story->GetGlyph(i).As<Text::PinGlyph>())
            if (const auto* object = dynamic_cast<const T*>(pin->GetPinned().get()))
                out.push_back(object);
    return out;
}
// All the stories' text, one after the other.
std::string Plain(const Readers::Document& doc);

} // namespace DocxTest

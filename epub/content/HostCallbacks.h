// SPDX-License-Identifier: MIT
#pragma once
// The host's share of an export: what only the application embedding the exporter can answer.

#include "epub/content/StoryError.h"
#include "host/foundation/StringT.h"
#include "host/text/AnchoredFrame.h"
#include "host/text/Glyph.h"
#include "host/text/ListAtt.h"
#include "host/text/Story.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace EPub {

using Foundation::Counted;
using Foundation::StringT;

// What the exporter asks of the host. An exporter starts with every callback set to its default
// (DefaultCallbacks.h; docs/library.md lists them); replace those the application answers
// differently. One left or set empty means its default, never a skipped question.
struct HostCallbacks {
    // Writes an anchored frame (usually through HtmlExporter::ExportFrame).
    std::function<void(const Text::PinGlyph&, const Text::StoryPos&)> writeFrame;
    // Whether a pinned object becomes an image in the content.
    std::function<bool(const Text::PinnedObject&)> isFrameImage;
    // Writes an article item, and whether an item is an image.
    std::function<void(int32_t item)> writeItem;
    std::function<bool(int32_t item)> isItemImage;
    // Validates an anchored frame met in a story.
    std::function<void(const Text::AnchoredFrame&, const Text::StoryPos&, std::vector<StoryError>&)>
        validateFrame;
    // The displayed number of a note, given its glyph and original position.
    std::function<StringT(const Text::Glyph&, const Text::StoryPos&)> noteNumber;
    // A list numberer positioned at a story position.
    std::function<Counted<Text::Numberer>(const Text::StoryPos&)> numberer;
    // The text of a cross reference.
    std::function<std::u32string(const Text::CrossReferenceGlyph&, const Text::StoryPos&)>
        crossReferenceText;
    // (key, language, text) -> the text to show: `text` is the library's own, already in
    // `language` when its table knows it (GeneratedTexts.h).
    std::function<StringT(const StringT&, const Text::Language*, const StringT&)> localise;
};

} // namespace EPub

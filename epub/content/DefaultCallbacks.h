// SPDX-License-Identifier: MIT
#pragma once
// What the exporter does for a host callback the application leaves unset: each question
// (note numbers, list numbering, cross-reference texts, localised texts, anchored frames)
// answered from the document alone. The export tool relies on these too.

#include "epub/content/HostCallbacks.h"
#include "host/foundation/DataSource.h"
#include "host/raster/FileType.h"
#include "host/raster/ImageFile.h"

#include <optional>

#include <map>
#include <memory>
#include <utility>

namespace EPub {

class FrameExporter;

class DefaultCallbacks {
public:
    // Every callback, writing frames through `exporter`; this object must outlive their use.
    // `resolution`: document units per inch, for pictures whose frame has no size.
    HostCallbacks Make(FrameExporter& exporter, double resolution);

    // A picture frame: no text of its own, and a JPEG, PNG, GIF or SVG file as its content.
    bool IsPictureFrame(const Text::AnchoredFrame& frame);
    // Forgets what was kept about a story that is written and will not be asked about again.
    void Forget(const Text::Story& story);

private:
    struct Picture {
        Raster::FileType type = Raster::FileType::Unknown;
        std::optional<Raster::ImageSize> pixels; // JPEG, PNG and GIF only
    };

    // Read once per file: the chunker asks about every frame before it is written.
    const Picture& LookAt(const Text::AnchoredFrame& frame);
    // The picture's bytes: held by the frame (a reader's in-memory picture) or a file.
    static Foundation::Counted<const Foundation::DataSource>
    SourceOf(const Text::AnchoredFrame& frame);
    void WriteFrame(FrameExporter& exporter, double resolution, const Text::PinGlyph& pin);
    void WritePicture(FrameExporter& exporter, double resolution, const Text::AnchoredFrame& frame);
    Foundation::StringT NoteNumber(const Text::Glyph& glyph, const Text::StoryPos& pos);
    Foundation::Counted<Text::Numberer> NumbererAt(const Text::StoryPos& pos);

    // Notes keep the number they got when first asked, so a note asked about twice (reference
    // and body) shows one number. Every kind shares one sequence, so a footnote and an endnote
    // on the same page never show the same number.
    std::map<std::pair<const void*, int64_t>, int> noteNumbers_;
    // The stories numbered, kept alive while their addresses are keys above: a story freed and
    // another made in its place must not inherit its numbers.
    std::map<const void*, Foundation::Counted<const Text::Story>> numbered_;
    int notesSeen_ = 0;
    std::map<Foundation::StringT, Picture> pictures_;
    // List numbers are carried forward from the last position asked about: the writer asks once
    // per chunk and per table cell, in story order, and walking from the story's start each time
    // made a table of 40,000 cells take a minute.
    struct ListWalk {
        Text::StoryPos asked;
        Text::StoryPos next; // the first paragraph not yet counted
        Foundation::Counted<Text::Numberer> numbers;
    } lists_;
};

} // namespace EPub

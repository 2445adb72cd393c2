// SPDX-License-Identifier: MIT
#include "epub/content/DefaultCallbacks.h"

#include <cstdint>

#include "epub/content/FrameExporter.h"
#include "epub/package/EntryName.h"

#include "host/foundation/DataSource.h"
#include "host/text/NoteAtt.h"

#include <cmath>

namespace EPub {

using Foundation::StringT;

namespace {

// Enough of a file for its type and, for JPEG, the frame header behind the metadata.
constexpr size_t kHeaderBytes = 256 * 1024;

bool IsPicture(Raster::FileType type) {
    using Raster::FileType;
    return type == FileType::JPEG || type == FileType::PNG || type == FileType::GIF ||
           type == FileType::SVG;
}

} // namespace

HostCallbacks DefaultCallbacks::Make(FrameExporter& exporter, double resolution) {
    HostCallbacks c;
    c.writeFrame = [this, &exporter, resolution](const Text::PinGlyph& pin, const Text::StoryPos&) {
        WriteFrame(exporter, resolution, pin);
    };
    c.isFrameImage = [this](const Text::PinnedObject& pinned) {
        const auto* frame = dynamic_cast<const Text::AnchoredFrame*>(&pinned);
        return frame && IsPictureFrame(*frame);
    };
    c.writeItem = [](int32_t) {};
    c.isItemImage = [](int32_t) { return false; };
    // Frames are checked with the formatting the text model gives them.
    c.validateFrame = [&exporter](const Text::AnchoredFrame& frame, const Text::StoryPos& pos,
                                  std::vector<StoryError>& errors) {
        exporter.ValidateFrame(frame, pos, pos.GetStory(), errors, frame.GetBackground(),
                               frame.GetStrokeFill(), frame.GetStroke());
    };
    c.noteNumber = [this](const Text::Glyph& glyph, const Text::StoryPos& pos) {
        return NoteNumber(glyph, pos);
    };
    c.numberer = [this](const Text::StoryPos& pos) { return NumbererAt(pos); };
    c.crossReferenceText = [](const Text::CrossReferenceGlyph& glyph, const Text::StoryPos&) {
        const auto& target = glyph.GetAnchorData();
        return target ? target->GetName().ToUTF32() : std::u32string();
    };
    // The library's own table (GeneratedTexts.h) has already chosen the text.
    c.localise = [](const StringT&, const Text::Language*, const StringT& text) { return text; };
    return c;
}

Foundation::Counted<Text::Numberer> DefaultCallbacks::NumbererAt(const Text::StoryPos& pos) {
    if (pos.IsNull())
        return Text::Numberer::Make();
    if (!lists_.numbers || lists_.asked.GetStory() != pos.GetStory() || pos < lists_.asked) {
        lists_.numbers = Text::Numberer::Make();
        lists_.next = pos.GetStory()->gbegin();
    }
    for (; lists_.next < pos; lists_.next = lists_.next.GetParagraphEnd())
        if (const auto list = lists_.next.GetParagraphAtts()->GetList())
            lists_.numbers->Advance(*list);
    lists_.asked = pos;
    // The writer advances its copy as it goes.
    return lists_.numbers->Clone();
}

StringT DefaultCallbacks::NoteNumber(const Text::Glyph&, const Text::StoryPos& pos) {
    const auto* story = static_cast<const void*>(pos.GetStory().get());
    auto [it, added] = noteNumbers_.try_emplace(std::make_pair(story, pos.GetIndex()), 0);
    if (added) {
        it->second = ++notesSeen_;
        numbered_.try_emplace(story, pos.GetStory());
    }
    return StringT(std::to_string(it->second));
}

void DefaultCallbacks::Forget(const Text::Story& story) {
    const auto* key = static_cast<const void*>(&story);
    noteNumbers_.erase(noteNumbers_.lower_bound({key, INT64_MIN}),
                       noteNumbers_.upper_bound({key, INT64_MAX}));
    numbered_.erase(key);
}

} // namespace EPub

namespace EPub {

Foundation::Counted<const Foundation::DataSource>
DefaultCallbacks::SourceOf(const Text::AnchoredFrame& frame) {
    if (auto held = Foundation::CountedCast<const Foundation::DataSource>(frame.GetContent()))
        return held;
    return Foundation::MakeCounted<Foundation::FileDataSource>(frame.GetContentPath());
}

const DefaultCallbacks::Picture& DefaultCallbacks::LookAt(const Text::AnchoredFrame& frame) {
    const StringT& path = frame.GetContentPath();
    if (const auto found = pictures_.find(path); found != pictures_.end())
        return found->second;
    Picture picture;
    if (const auto in = SourceOf(frame)->Open()) {
        std::string head(kHeaderBytes, '\0');
        head.resize(in->Read(head.data(), head.size()));
        picture.type = Raster::DetectFileType(head);
        picture.pixels = Raster::ReadImageSize(head);
    }
    return pictures_.emplace(path, picture).first->second;
}

bool DefaultCallbacks::IsPictureFrame(const Text::AnchoredFrame& frame) {
    return !frame.GetStory() && !frame.GetContentPath().empty() && IsPicture(LookAt(frame).type);
}

void DefaultCallbacks::WriteFrame(FrameExporter& exporter, double resolution,
                                  const Text::PinGlyph& pin) {
    // Tables and notes are the content writer's own.
    const Text::AnchoredFrame* frame = pin.GetFrame();
    if (!frame)
        return;
    if (frame->GetStory())
        exporter.ExportFrame(*frame);
    else if (IsPictureFrame(*frame))
        WritePicture(exporter, resolution, *frame);
}

void DefaultCallbacks::WritePicture(FrameExporter& exporter, double resolution,
                                    const Text::AnchoredFrame& frame) {
    const StringT& path = frame.GetContentPath();
    const Picture& picture = LookAt(frame);
    Foundation::SizeT<double> size{frame.GetWidth(), frame.GetHeight()};
    // A frame without a size shows its picture at one point per pixel.
    if (!(size.width > 0 && size.height > 0) && picture.pixels)
        size = {picture.pixels->width * resolution / 72.0,
                picture.pixels->height * resolution / 72.0};
    const StringT name = frame.GetName().empty() ? FileStem(path.view()) : frame.GetName();
    exporter.ExportPicture(SourceOf(frame), picture.type, name, size, frame.GetTags());
}

} // namespace EPub

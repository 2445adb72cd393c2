// SPDX-License-Identifier: MIT
#pragma once
// A frame anchored in the text and flowing with it: a text frame or a picture.

#include "host/render/Fill.h"
#include "host/render/LineStyle.h"
#include "host/render/RenderTags.h"
#include "host/text/PinnedObject.h"
#include "host/text/Story.h"

namespace Text {

struct FrameSettings {
    StringT name;
    double width = 0; // document units
    double height = 0;
    Counted<const Story> story; // the frame's text, null for a picture frame
    Counted<const Render::FillDescriptor> background;
    Counted<const Render::FillDescriptor> strokeFill;
    Counted<const Render::LineStyleDescriptor> stroke;
    // What the host draws in the frame (a picture, artwork); opaque to the text model.
    Counted<const Foundation::Countable> content;
    StringT contentPath; // the picture's file, when it has one
    // Alternative text and description of a picture; null for a decorative one.
    Counted<const Render::RenderTags> tags;
};

class AnchoredFrame final : public PinnedObject {
public:
    static Counted<const AnchoredFrame> Make(FrameSettings settings);
    explicit AnchoredFrame(FrameSettings settings);

    PinnedKind GetPinnedKind() const override { return PinnedKind::Frame; }
    const StringT& GetName() const noexcept { return s_.name; }
    double GetWidth() const noexcept { return s_.width; }
    double GetHeight() const noexcept { return s_.height; }
    const Counted<const Story>& GetStory() const noexcept { return s_.story; }
    const Counted<const Render::FillDescriptor>& GetBackground() const noexcept {
        return s_.background;
    }
    const Counted<const Render::FillDescriptor>& GetStrokeFill() const noexcept {
        return s_.strokeFill;
    }
    const Counted<const Render::LineStyleDescriptor>& GetStroke() const noexcept {
        return s_.stroke;
    }
    const Counted<const Foundation::Countable>& GetContent() const noexcept { return s_.content; }
    const StringT& GetContentPath() const noexcept { return s_.contentPath; }
    const Counted<const Render::RenderTags>& GetTags() const noexcept { return s_.tags; }

private:
    FrameSettings s_;
};

} // namespace Text

// SPDX-License-Identifier: MIT
#pragma once
// What the default frame callbacks ask of the exporter: writing a frame's story or a picture
// where it is pinned, and checking a frame's formatting.

#include "epub/content/StoryError.h"
#include "host/foundation/DataSource.h"
#include "host/foundation/Geometry.h"
#include "host/raster/FileType.h"
#include "host/render/RenderTags.h"
#include "host/text/AnchoredFrame.h"

#include <vector>

namespace EPub {

class FrameExporter {
public:
    // A frame with a story of its own.
    virtual bool ExportFrame(const Text::AnchoredFrame& frame) = 0;
    // A picture file (JPEG, PNG, GIF or SVG) inline in its paragraph; `size` in document units.
    virtual bool ExportPicture(const Foundation::Counted<const Foundation::DataSource>& source,
                               Raster::FileType type, const Foundation::StringT& name,
                               Foundation::SizeT<double> size,
                               const Foundation::Counted<const Render::RenderTags>& tags) = 0;
    // Fill and stroke of a frame pinned at `pin`.
    virtual void
    ValidateFrame(const Text::AnchoredFrame& frame, const Text::StoryPos& pin,
                  const Foundation::Counted<const Text::Story>& story,
                  std::vector<StoryError>& errors,
                  const Foundation::Counted<const Render::FillDescriptor>& background,
                  const Foundation::Counted<const Render::FillDescriptor>& strokeFill,
                  const Foundation::Counted<const Render::LineStyleDescriptor>& stroke) = 0;

protected:
    FrameExporter() = default;
    FrameExporter(const FrameExporter&) = delete;
    FrameExporter& operator=(const FrameExporter&) = delete;
    ~FrameExporter() = default;
};

} // namespace EPub

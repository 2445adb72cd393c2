// SPDX-License-Identifier: MIT
#include "hostimpl/raster/Codecs.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace Raster::Codecs {

namespace {

struct Reader {
    std::string_view data;
    size_t at = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* out, int size) {
    auto* reader = static_cast<Reader*>(gif->UserData);
    const size_t n = std::min(size_t(std::max(size, 0)), reader->data.size() - reader->at);
    std::memcpy(out, reader->data.data() + reader->at, n);
    reader->at += n;
    return int(n);
}

struct GifCloser {
    void operator()(GifFileType* gif) const noexcept {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};
using GifFile = std::unique_ptr<GifFileType, GifCloser>;

// `reader` must outlive the file.
GifFile Open(Reader& reader) {
    int error = 0;
    return GifFile(reader.data.empty() ? nullptr : DGifOpen(&reader, ReadFromMemory, &error));
}

// Draws the frame's opaque pixels onto the canvas, clipped to it.
void Paint(DynamicBitmap& canvas, const SavedImage& frame, const ColorMapObject& colours,
           int transparent) {
    const GifImageDesc& desc = frame.ImageDesc;
    const int right = std::min<int>(desc.Left + desc.Width, int(canvas.Width()));
    const int bottom = std::min<int>(desc.Top + desc.Height, int(canvas.Height()));
    for (int y = std::max(desc.Top, 0); y < bottom; ++y) {
        const GifByteType* src = frame.RasterBits + size_t(y - desc.Top) * desc.Width;
        uint8_t* dst = canvas.Row(uint32_t(y));
        for (int x = std::max(desc.Left, 0); x < right; ++x) {
            const int index = src[x - desc.Left];
            if (index == transparent || index >= colours.ColorCount)
                continue;
            const GifColorType& c = colours.Colors[index];
            uint8_t* px = dst + size_t(x) * 4;
            px[0] = c.Red;
            px[1] = c.Green;
            px[2] = c.Blue;
            px[3] = 255;
        }
    }
}

} // namespace

std::optional<ImageSize> ReadGIFSize(std::string_view data) {
    Reader reader{data};
    const GifFile gif = Open(reader);
    if (!gif)
        return std::nullopt;
    return ImageSize{uint32_t(gif->SWidth), uint32_t(gif->SHeight)};
}

Foundation::Counted<DynamicBitmap> DecodeGIF(std::string_view data) {
    Reader reader{data};
    const GifFile gif = Open(reader);
    if (!gif || !IsAcceptableSize(uint32_t(gif->SWidth), uint32_t(gif->SHeight)))
        return nullptr;
    // A damaged later frame still leaves the first one usable; a damaged first one does not.
    const bool complete = DGifSlurp(gif.get()) == GIF_OK;
    if (gif->ImageCount < (complete ? 1 : 2) || !gif->SavedImages ||
        !gif->SavedImages[0].RasterBits)
        return nullptr;
    const SavedImage& frame = gif->SavedImages[0];
    const ColorMapObject* colours =
        frame.ImageDesc.ColorMap ? frame.ImageDesc.ColorMap : gif->SColorMap;
    if (!colours)
        return nullptr;
    GraphicsControlBlock control{};
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    DGifSavedExtensionToGCB(gif.get(), 0, &control);

    // Pixels the first frame leaves uncovered stay transparent.
    auto canvas = DynamicBitmap::Create(uint32_t(gif->SWidth), uint32_t(gif->SHeight));
    Paint(*canvas, frame, *colours, control.TransparentColor);
    return canvas;
}

} // namespace Raster::Codecs

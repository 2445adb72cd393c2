// Cover images for fixed-layout publications: kept as they are when the format allows, else
// scaled down or re-encoded.

#include "epub/fixed/RenderTarget.h"

#include "host/raster/BitmapDrawing.h"
#include "host/raster/ImageEncoder.h"
#include "host/raster/ImageFile.h"

#include <algorithm>
#include <cmath>

namespace EPub {

namespace {

struct Source {
    std::string data;
    Counted<Foundation::InStreamSeekable> stream;
};

std::optional<Source> Read(const Foundation::DataSource& source) {
    auto stream = source.Open();
    if (!stream)
        return std::nullopt;
    stream->Rewind();
    Source s{Foundation::ReadAll(*stream), stream};
    stream->Rewind();
    return s;
}

bool IsVector(const std::string& data) {
    return Raster::DetectFileType(data) == Raster::FileType::SVG;
}

// A raster image the raster library can open.
bool IsRaster(const std::string& data) {
    return Raster::ReadImageSize(data).has_value();
}

} // namespace

Foundation::SizeT<uint32_t> CoverSize(uint32_t width, uint32_t height, uint32_t limit) {
    const uint32_t larger = std::max(width, height);
    if (larger <= limit || larger == 0)
        return {width, height};
    const double factor = double(limit) / larger;
    auto side = [factor](uint32_t v) {
        return std::max<uint32_t>(1, static_cast<uint32_t>(std::lround(v * factor)));
    };
    return {side(width), side(height)};
}

bool RenderTarget::IsCover(const Foundation::DataSource& source) {
    const auto s = Read(source);
    if (!s)
        return false;
    if (GetMediaType(source.GetFilename().view()) == MediaType::SVG && IsVector(s->data))
        return true;
    return IsRaster(s->data) || IsVector(s->data);
}

bool RenderTarget::AddCover(Publication& publication, const Foundation::DataSource& source,
                            uint8_t quality, ResamplerType, const CoverRenderCallback& callback,
                            bool* result) {
    const auto s = Read(source);
    if (!s)
        return false;
    const StringT name = source.GetFilename();
    const bool svgName = GetMediaType(name.view()) == MediaType::SVG;
    const bool raster = IsRaster(s->data);
    if ((svgName && IsVector(s->data)) || (!raster && IsVector(s->data))) {
        auto img = publication.StoreImage(name, MediaType::SVG, true, source.GetModifiedTime());
        const bool written = img.out && img.out->Write(s->data);
        bool drawn = true;
        if (callback) {
            Render::BitmapRenderTarget target(1024, 1024, 1.0, false);
            drawn = callback(*s->stream, target);
        }
        if (result)
            *result = written && drawn;
        return true;
    }
    if (!raster)
        return false;
    const auto type = Raster::DetectFileType(s->data);
    const auto pixels = *Raster::ReadImageSize(s->data);
    MediaType media = MediaType::PNG;
    uint32_t limit = kPNGMaxDimension;
    if (type == Raster::FileType::JPEG) {
        media = MediaType::JPEG;
        limit = kJPEGMaxDimension;
    } else if (type == Raster::FileType::GIF) {
        media = MediaType::GIF;
    }
    const auto size = CoverSize(pixels.width, pixels.height, limit);
    const bool fits = size.width == pixels.width && size.height == pixels.height;
    std::string bytes;
    if (fits && (type == Raster::FileType::JPEG || type == Raster::FileType::PNG ||
                 type == Raster::FileType::GIF)) {
        bytes = s->data;
    } else {
        auto bitmap = Raster::DecodeImage(s->data);
        if (bitmap && !fits)
            bitmap = Raster::ScaleBitmap(*bitmap, size.width, size.height);
        if (!bitmap)
            return false;
        // There is no GIF encoder: a scaled GIF becomes a PNG.
        if (media == MediaType::GIF)
            media = MediaType::PNG;
        Foundation::MemoryOutStream out;
        const bool ok = media == MediaType::JPEG ? Raster::WriteJPEG(*bitmap, out, quality)
                                                 : Raster::WritePNG(*bitmap, out);
        if (!ok) {
            if (result)
                *result = false;
            return true;
        }
        bytes = out.TakeData();
    }
    auto img = publication.StoreImage(name, media, true, source.GetModifiedTime());
    const bool written = img.out && img.out->Write(bytes);
    if (result)
        *result = written;
    return true;
}

} // namespace EPub

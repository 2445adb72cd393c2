// SPDX-License-Identifier: MIT
// Cover images for fixed-layout publications: kept as they are when the format allows, else
// scaled down or re-encoded.

#include "epub/fixed/PageRenderTarget.h"

#include "epub/package/CoverImage.h"
#include "host/raster/ImageFile.h"

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
    const auto cover = PrepareCover(s->data, quality);
    if (!cover)
        return false;
    const MediaType media = cover->type == Raster::FileType::JPEG  ? MediaType::JPEG
                            : cover->type == Raster::FileType::GIF ? MediaType::GIF
                                                                   : MediaType::PNG;
    const std::string& bytes = cover->bytes;
    auto img = publication.StoreImage(name, media, true, source.GetModifiedTime());
    const bool written = img.out && img.out->Write(bytes);
    if (result)
        *result = written;
    return true;
}

} // namespace EPub

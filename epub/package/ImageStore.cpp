// SPDX-License-Identifier: MIT
#include "epub/package/ImageStore.h"

#include <cctype>

#include "host/raster/ImageEncoder.h"
#include "host/raster/ImageFile.h"

namespace EPub {

namespace {

bool IsKeptAsIs(Raster::FileType type) {
    using Raster::FileType;
    return type == FileType::JPEG || type == FileType::PNG || type == FileType::GIF ||
           type == FileType::SVG;
}

} // namespace

StringT SafeFileName(std::string_view name) {
    StringT safe;
    for (const char c : name) {
        const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                        (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
        safe += ok ? c : '_';
    }
    return safe;
}

namespace {

// Zip readers on case-insensitive file systems see "Cover.png" and "cover.png" as one entry.
std::string Folded(const StringT& path) {
    std::string folded(path.view());
    for (char& c : folded)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return folded;
}

} // namespace

bool ImageStore::Claim(const StringT& path) {
    return paths_.insert(Folded(path)).second;
}

StringT ImageStore::MakePath(const StringT& name, Raster::FileType type) {
    const std::string_view ext = Raster::FileExtension(type);
    const StringT prefix = GetImagePath();
    if (name.empty()) {
        StringT path;
        do
            path = StringT::Format("%1img%2.%3", prefix, unnamedCounter_++, ext);
        while (!Claim(path));
        return path;
    }
    const StringT safe = SafeFileName(name.view());
    StringT path = StringT::Format("%1%2.%3", prefix, safe, ext);
    for (int n = 1; !Claim(path); ++n)
        path = StringT::Format("%1%2_%3.%4", prefix, safe, n, ext);
    return path;
}

StringT ImageStore::StoreEncoded(std::string_view data, const StringT& name) {
    const Raster::FileType type = Raster::DetectFileType(data);
    if (!IsKeptAsIs(type))
        return {};
    const StringT path = MakePath(name, type);
    const Counted<Foundation::OutStream> out = output_.BeginImage(path, type);
    if (!out || !out->Write(data))
        return {};
    return path;
}

StringT ImageStore::StoreBitmap(const Raster::DynamicBitmap& bitmap, const StringT& name) {
    const StringT path = MakePath(name, Raster::FileType::PNG);
    const Counted<Foundation::OutStream> out = output_.BeginImage(path, Raster::FileType::PNG);
    if (!out || !Raster::WritePNG(bitmap, *out))
        return {};
    return path;
}

StringT ImageStore::StoreImage(const Counted<const Raster::DynamicBitmap>& bitmap,
                               const Counted<const Foundation::DataSource>& source,
                               const StringT& name) {
    if (source) {
        const StringT key = source->GetFileSystemRepresentation();
        if (const auto it = storedSources_.find(key); !key.empty() && it != storedSources_.end())
            return it->second;
        if (const auto in = source->Open()) {
            const std::string data = Foundation::ReadAll(*in);
            if (IsKeptAsIs(Raster::DetectFileType(data))) {
                StringT path = StoreEncoded(data, name);
                if (!path.empty() && !key.empty())
                    storedSources_[key] = path;
                return path;
            }
        }
    }
    return bitmap ? StoreBitmap(*bitmap, name) : StringT();
}

} // namespace EPub

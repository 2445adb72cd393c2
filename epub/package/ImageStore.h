// SPDX-License-Identifier: MIT
#pragma once
// Stores pictures as container entries under unique names.

#include "host/foundation/DataSource.h"
#include "host/foundation/Stream.h"
#include "host/foundation/StringT.h"
#include "host/raster/DynamicBitmap.h"
#include "host/raster/FileType.h"

#include <map>
#include <set>

namespace EPub {

using Foundation::Counted;
using Foundation::StringT;

// Where stored pictures go: a container entry or a file beside the document.
class ImageOutput {
public:
    virtual Counted<Foundation::OutStream> BeginImage(const StringT& name,
                                                      Raster::FileType type) = 0;
    // The folder pictures are linked from, relative to the documents; empty for the default.
    virtual StringT GetImagePath() const = 0;

protected:
    ~ImageOutput() = default;
};

class ImageStore {
public:
    explicit ImageStore(ImageOutput& output) : output_(output) {}
    ImageStore(const ImageStore&) = delete;
    ImageStore& operator=(const ImageStore&) = delete;

    // Stores a picture and returns its path relative to the content root ("images/Cover.jpg"), or
    // an empty path when it could not be written. JPEG, PNG, GIF and SVG data read from `source`
    // is kept as it is; anything else is encoded from `bitmap` as PNG. The same source stored
    // twice is written once. `name` may be empty: the picture is then numbered ("img1.png").
    StringT StoreImage(const Counted<const Raster::DynamicBitmap>& bitmap,
                       const Counted<const Foundation::DataSource>& source, const StringT& name);
    // Stores a bitmap as PNG.
    StringT StoreBitmap(const Raster::DynamicBitmap& bitmap, const StringT& name);
    // Stores encoded image data (JPEG, PNG, GIF or SVG) as it is.
    StringT StoreEncoded(std::string_view data, const StringT& name);

    StringT GetImagePath() const { return output_.GetImagePath(); }

private:
    StringT MakePath(const StringT& name, Raster::FileType type);
    // False when the path, ignoring case, is taken.
    bool Claim(const StringT& path);

    ImageOutput& output_;
    std::set<std::string> paths_; // case-folded
    std::map<StringT, StringT> storedSources_;
    int unnamedCounter_ = 1;
};

// A name usable in a container path and a URL: bytes outside A-Z, a-z, 0-9, "-", "_" and "."
// become "_".
StringT SafeFileName(std::string_view name);

} // namespace EPub

// SPDX-License-Identifier: MIT
#pragma once
// What the reflowable exporter has written into the container, in opening order: the record
// the package document's manifest and spine are made from.

#include "host/foundation/StringT.h"

#include <cstdint>
#include <set>
#include <vector>

namespace EPub {

using Foundation::StringT;

// The kinds of document an exporter opens.
enum class StreamType : int32_t {
    Content = 0,
    Cover = 1,
    FurtherDocument = 2,
    StyleSheet = 3,
    JPEG = 4,
    PNG = 5,
    GIF = 6,
    SVG = 7,
};

struct ManifestImage {
    StringT name; // relative to the content root, e.g. "images/Cover.jpg"
    StreamType type = StreamType::PNG;
};

struct PublicationManifest {
    StringT coverDocument; // empty until a cover document is opened
    bool hasCover = false;
    std::vector<StringT> contentDocuments;
    std::vector<StringT> furtherDocuments;
    std::vector<StringT> styleSheets;
    std::vector<ManifestImage> images;
    StringT coverImageName;
    StringT coverImageId;
    std::set<StringT> mathDocuments; // content documents holding MathML

    // Records a document opened under `name`; false for a type it does not know.
    bool Record(const StringT& name, StreamType type);
    // The first content document, or the first further document when there is none.
    StringT FirstDocument() const;
};

// The media type written in the manifest for an image stream type; empty for other types.
std::string_view ImageMediaType(StreamType type);

// The stem of a document name: its last path component without extension ("css/styles.css"
// gives "styles").
StringT DocumentStem(std::string_view name);
// The last path component, extension kept.
StringT LastPathComponent(std::string_view name);

} // namespace EPub

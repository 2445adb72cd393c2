// SPDX-License-Identifier: MIT
#include "epub/package/PublicationManifest.h"

#include "epub/package/MediaType.h"

namespace EPub {

bool PublicationManifest::Record(const StringT& name, StreamType type) {
    switch (type) {
    case StreamType::Content:
        contentDocuments.push_back(name);
        return true;
    case StreamType::Cover:
        coverDocument = name;
        hasCover = true;
        return true;
    case StreamType::FurtherDocument:
        furtherDocuments.push_back(name);
        return true;
    case StreamType::StyleSheet:
        styleSheets.push_back(name);
        return true;
    case StreamType::JPEG:
    case StreamType::PNG:
    case StreamType::GIF:
    case StreamType::SVG:
        images.push_back({name, type});
        return true;
    }
    return false;
}

StringT PublicationManifest::FirstDocument() const {
    if (!contentDocuments.empty())
        return contentDocuments.front();
    return furtherDocuments.empty() ? StringT() : furtherDocuments.front();
}

std::string_view ImageMediaType(StreamType type) {
    switch (type) {
    case StreamType::JPEG:
        return MediaTypeName(MediaType::JPEG);
    case StreamType::PNG:
        return MediaTypeName(MediaType::PNG);
    case StreamType::GIF:
        return MediaTypeName(MediaType::GIF);
    case StreamType::SVG:
        return MediaTypeName(MediaType::SVG);
    default:
        return {};
    }
}

StringT LastPathComponent(std::string_view name) {
    const size_t slash = name.find_last_of("/\\");
    return StringT(slash == std::string_view::npos ? name : name.substr(slash + 1));
}

StringT DocumentStem(std::string_view name) {
    const StringT last = LastPathComponent(name);
    const size_t dot = last.RFind('.');
    return dot == StringT::npos ? last : last.Substr(0, dot);
}

} // namespace EPub

// SPDX-License-Identifier: MIT
#include "host/raster/ImageFile.h"

namespace Raster {

namespace {

bool IsXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The position just after `token` found from `from`; npos when it is not there.
size_t After(std::string_view d, size_t from, std::string_view token) {
    const size_t at = d.find(token, from);
    return at == d.npos ? at : at + token.size();
}

// Skips what may precede an XML root: white space, declarations, comments and the document type
// (with its internal subset).
size_t SkipProlog(std::string_view d) {
    size_t at = d.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    while (at < d.size()) {
        while (at < d.size() && IsXmlSpace(d[at]))
            ++at;
        const std::string_view rest = d.substr(at);
        if (rest.starts_with("<?")) {
            at = After(d, at, "?>");
        } else if (rest.starts_with("<!--")) {
            at = After(d, at, "-->");
        } else if (rest.starts_with("<!DOCTYPE")) {
            const size_t subset = d.find('[', at);
            const size_t close = d.find('>', at);
            at = subset < close ? After(d, subset, "]") : at;
            at = at == d.npos ? at : After(d, at, ">");
        } else {
            return at;
        }
    }
    return d.size();
}

bool IsSvg(std::string_view d) {
    const size_t at = SkipProlog(d);
    if (at >= d.size() || d[at] != '<')
        return false;
    // The root element, possibly with a namespace prefix ("svg:svg").
    size_t nameEnd = at + 1;
    while (nameEnd < d.size() && !IsXmlSpace(d[nameEnd]) && d[nameEnd] != '>' && d[nameEnd] != '/')
        ++nameEnd;
    std::string_view name = d.substr(at + 1, nameEnd - at - 1);
    if (const size_t colon = name.find(':'); colon != name.npos)
        name = name.substr(colon + 1);
    return name == "svg";
}

} // namespace

FileType DetectFileType(std::string_view d) {
    if (d.starts_with("\xFF\xD8\xFF"))
        return FileType::JPEG;
    if (d.starts_with("\x89PNG\r\n\x1A\n"))
        return FileType::PNG;
    if (d.starts_with("GIF87a") || d.starts_with("GIF89a"))
        return FileType::GIF;
    if (d.starts_with(std::string_view("II*\0", 4)) || d.starts_with(std::string_view("MM\0*", 4)))
        return FileType::TIFF;
    if (d.starts_with("BM") && d.size() >= 14)
        return FileType::BMP;
    if (IsSvg(d))
        return FileType::SVG;
    return FileType::Unknown;
}

std::string_view FileExtension(FileType type) {
    switch (type) {
    case FileType::JPEG:
        return "jpg";
    case FileType::PNG:
        return "png";
    case FileType::GIF:
        return "gif";
    case FileType::SVG:
        return "svg";
    case FileType::TIFF:
        return "tif";
    case FileType::BMP:
        return "bmp";
    default:
        return {};
    }
}

std::string_view MediaType(FileType type) {
    switch (type) {
    case FileType::JPEG:
        return "image/jpeg";
    case FileType::PNG:
        return "image/png";
    case FileType::GIF:
        return "image/gif";
    case FileType::SVG:
        return "image/svg+xml";
    case FileType::TIFF:
        return "image/tiff";
    case FileType::BMP:
        return "image/bmp";
    default:
        return {};
    }
}

} // namespace Raster

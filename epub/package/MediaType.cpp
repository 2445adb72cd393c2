// SPDX-License-Identifier: MIT
#include "epub/package/MediaType.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace EPub {

namespace {

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

MediaType GetMediaType(std::string_view fileName) {
    const size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos)
        return MediaType::Other;
    const std::string_view ext = fileName.substr(dot);
    static constexpr std::pair<std::string_view, MediaType> table[] = {
        {".gif", MediaType::GIF},   {".jpg", MediaType::JPEG}, {".jpeg", MediaType::JPEG},
        {".png", MediaType::PNG},   {".svg", MediaType::SVG},  {".xhtml", MediaType::XHTML},
        {".ttf", MediaType::TTF},   {".otf", MediaType::OTF},  {".woff", MediaType::WOFF},
        {".smil", MediaType::SMIL}, {".pls", MediaType::PLS},  {".css", MediaType::CSS},
        {".js", MediaType::JS}};
    for (const auto& [e, type] : table)
        if (EqualsNoCase(ext, e))
            return type;
    // The digits of the audio and video extensions compare exactly.
    if (EqualsNoCase(ext.substr(0, 3), ".mp") && ext.size() == 4) {
        if (ext[3] == '3')
            return MediaType::MP3;
        if (ext[3] == '4')
            return MediaType::MP4;
    }
    return MediaType::Other;
}

std::string_view MediaTypeName(MediaType type) {
    switch (type) {
    case MediaType::GIF:
        return "image/gif";
    case MediaType::JPEG:
        return "image/jpeg";
    case MediaType::PNG:
        return "image/png";
    case MediaType::SVG:
        return "image/svg+xml";
    case MediaType::XHTML:
        return "application/xhtml+xml";
    case MediaType::TTF:
    case MediaType::OTF:
        return "application/font-sfnt";
    case MediaType::WOFF:
        return "application/font-woff";
    case MediaType::CSS:
        return "text/css";
    case MediaType::JS:
        return "application/javascript";
    case MediaType::SMIL:
        return "application/smil+xml";
    case MediaType::PLS:
        return "application/pls+xml";
    case MediaType::MP3:
        return "audio/mpeg";
    case MediaType::MP4:
        return "video/mp4";
    case MediaType::Other:
        break;
    }
    return "application/octet-stream";
}

} // namespace EPub

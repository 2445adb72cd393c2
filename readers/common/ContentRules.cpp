// SPDX-License-Identifier: MIT
#include "readers/common/ContentRules.h"

#include "host/raster/ImageFile.h"
#include "hostimpl/raster/Codecs.h"

#include <algorithm>
#include <cctype>

namespace Readers {

namespace {

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](char c) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    });
    return out;
}

bool HasExtension(std::string_view name, std::string_view ext) {
    return name.size() > ext.size() &&
           std::equal(ext.rbegin(), ext.rend(), name.rbegin(), [](char a, char b) {
               return a == std::tolower(static_cast<unsigned char>(b));
           });
}

} // namespace

std::string FollowableUrl(std::string_view target) {
    while (!target.empty() && std::isspace(static_cast<unsigned char>(target.front())))
        target.remove_prefix(1);
    while (!target.empty() && std::isspace(static_cast<unsigned char>(target.back())))
        target.remove_suffix(1);
    const std::string lower = Lower(target.substr(0, 10));
    std::string prefix;
    if (lower.starts_with("www."))
        prefix = "http://";
    else if (!(lower.starts_with("http://") || lower.starts_with("https://") ||
               lower.starts_with("ftp://") || lower.starts_with("mailto:")))
        return {};
    std::string out = prefix;
    static constexpr char hex[] = "0123456789ABCDEF";
    for (size_t i = 0; i < target.size(); ++i) {
        const auto c = static_cast<unsigned char>(target[i]);
        const bool escapeOk = c == '%' && i + 2 < target.size() + 0 &&
                              std::isxdigit(static_cast<unsigned char>(target[i + 1])) &&
                              std::isxdigit(static_cast<unsigned char>(target[i + 2]));
        if (c <= 0x20 || c >= 0x7F ||
            std::string_view("\"<>\\^`{|}").find(static_cast<char>(c)) != std::string_view::npos ||
            (c == '%' && !escapeOk)) {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    // Nothing after the scheme is no address.
    const size_t colon = out.find(':');
    if (colon == std::string::npos || out.find_first_not_of('/', colon + 1) == std::string::npos)
        return {};
    return out;
}

bool IsHarmlessSvg(std::string_view svg) {
    const std::string lower = Lower(svg);
    if (lower.find("<script") != std::string::npos ||
        lower.find("javascript:") != std::string::npos ||
        lower.find("<!doctype") != std::string::npos ||
        lower.find("<!entity") != std::string::npos ||
        lower.find("<foreignobject") != std::string::npos)
        return false;
    // Event handlers: an attribute starting "on" after white space.
    for (size_t at = lower.find("on"); at != std::string::npos; at = lower.find("on", at + 2)) {
        if (at == 0 || !std::isspace(static_cast<unsigned char>(lower[at - 1])))
            continue;
        size_t end = at + 2;
        while (end < lower.size() && std::isalpha(static_cast<unsigned char>(lower[end])))
            ++end;
        while (end < lower.size() && std::isspace(static_cast<unsigned char>(lower[end])))
            ++end;
        if (end > at + 2 && end < lower.size() && lower[end] == '=')
            return false;
    }
    return true;
}

std::string Publishable(std::string data) {
    const Raster::FileType type = Raster::DetectFileType(data);
    if (type != Raster::FileType::TIFF && type != Raster::FileType::BMP)
        return data;
    const auto bitmap = type == Raster::FileType::TIFF ? Raster::Codecs::DecodeTIFF(data)
                                                       : Raster::Codecs::DecodeBMP(data);
    if (!bitmap)
        return data;
    return Raster::Codecs::EncodePNG(*bitmap).value_or(std::move(data));
}

std::string PictureProblem(const std::string& data, std::string_view name) {
    const Raster::FileType type = Raster::DetectFileType(data);
    const bool bitmap = type == Raster::FileType::JPEG || type == Raster::FileType::PNG ||
                        type == Raster::FileType::GIF;
    // A header can be whole while the data behind it is cut short: decode it all.
    if (bitmap && (!Raster::ReadImageSize(data) || !Raster::DecodeImage(data)))
        return "a damaged picture was skipped";
    if (type == Raster::FileType::SVG && !IsHarmlessSvg(data))
        return "an SVG picture with scripts was skipped";
    if (bitmap || type == Raster::FileType::SVG)
        return {};
    if (HasExtension(name, ".png") || HasExtension(name, ".jpg") || HasExtension(name, ".jpeg") ||
        HasExtension(name, ".gif"))
        return "a damaged picture was skipped";
    const std::string kind = type == Raster::FileType::TIFF                             ? "TIFF"
                             : type == Raster::FileType::BMP                            ? "BMP"
                             : HasExtension(name, ".emf")                               ? "EMF"
                             : HasExtension(name, ".wmf")                               ? "WMF"
                             : HasExtension(name, ".svm") || data.starts_with("VCLMTF") ? "SVM"
                                                                                        : "unknown";
    return "a picture in " + kind + " format without a bitmap fallback was skipped";
}

} // namespace Readers

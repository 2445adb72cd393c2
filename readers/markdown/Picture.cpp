// SPDX-License-Identifier: MIT
#include "readers/markdown/Picture.h"

#include "host/raster/ImageFile.h"
#include "host/render/RenderTags.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace Readers::Markdown {

namespace fs = std::filesystem;

namespace {

// A picture is never larger than this (bytes), nor wider than a page (points).
constexpr std::uintmax_t kMaxPictureBytes = 64u << 20;
constexpr double kPageWidth = 432;
// CSS pixels to points.
constexpr double kPointsPerPixel = 0.75;

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string PercentDecoded(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
            HexDigit(text[i + 2]) >= 0) {
            out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

bool HasScheme(std::string_view url) {
    const size_t colon = url.find(':');
    return colon != std::string_view::npos && url.find_first_of("/?#") > colon;
}

// A length attribute of an SVG root ("120", "120px", "90pt"), in points; 0 when unusable.
double SvgLength(const char* text) {
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (end == text || !(value > 0) || value > 100000)
        return 0;
    const std::string_view unit(end);
    if (unit.empty() || unit == "px")
        return value * kPointsPerPixel;
    if (unit == "pt")
        return value;
    return 0;
}

// Reading systems parse SVG as XML and must not run anything in it, nor fetch anything.
std::string SvgProblem(const std::string& data, double& width, double& height) {
    pugi::xml_document doc;
    if (!doc.load_buffer(data.data(), data.size(), pugi::parse_default))
        return "the SVG drawing is not well-formed XML";
    const pugi::xml_node root = doc.document_element();
    if (std::string_view(root.name()) != "svg")
        return "the file is not an SVG drawing";
    for (const pugi::xpath_node& hit :
         doc.select_nodes("//*[local-name()='script' or local-name()='foreignObject']"))
        return std::string("the SVG drawing holds a <") + hit.node().name() + "> element";
    for (const pugi::xpath_node& hit : doc.select_nodes("//@*[local-name()='href']")) {
        const std::string_view target = hit.attribute().value();
        if (!target.starts_with('#') && !target.starts_with("data:"))
            return "the SVG drawing refers to another file";
    }
    width = SvgLength(root.attribute("width").value());
    height = SvgLength(root.attribute("height").value());
    if (width > 0 && height > 0)
        return {};
    std::istringstream box(root.attribute("viewBox").value());
    double x = 0, y = 0, w = 0, h = 0;
    if (box >> x >> y >> w >> h && w > 0 && h > 0 && w < 100000 && h < 100000) {
        width = w * kPointsPerPixel;
        height = h * kPointsPerPixel;
    } else {
        width = 300 * kPointsPerPixel;
        height = 150 * kPointsPerPixel;
    }
    return {};
}

} // namespace

std::string ReadLocalFile(const fs::path& baseDir, std::string_view url, fs::path& path,
                          std::string& problem) {
    if (HasScheme(url) || url.starts_with("//")) {
        problem = "\"" + std::string(url) + "\" is not a local file; only local pictures go in";
        return {};
    }
    const std::string name = PercentDecoded(url.substr(0, url.find_first_of("?#")));
    if (name.empty() || name.find('\0') != std::string::npos) {
        problem = "the picture has no file name";
        return {};
    }
    const fs::path relative(name);
    if (relative.is_absolute()) {
        problem =
            "\"" + name + "\" is an absolute path; pictures are named relative to the document";
        return {};
    }
    path = baseDir / relative;
    std::error_code error;
    const auto size = fs::file_size(path, error);
    if (error || !fs::is_regular_file(path, error)) {
        problem = "\"" + name + "\" cannot be read";
        return {};
    }
    if (size > kMaxPictureBytes) {
        problem =
            "\"" + name + "\" is larger than " + std::to_string(kMaxPictureBytes >> 20) + " MB";
        return {};
    }
    std::ifstream in(path, std::ios::binary);
    std::ostringstream data;
    data << in.rdbuf();
    if (!in) {
        problem = "\"" + name + "\" cannot be read";
        return {};
    }
    return std::move(data).str();
}

std::variant<Text::FrameSettings, std::string>
LoadPicture(const fs::path& baseDir, std::string_view url, const std::string& altText) {
    fs::path path;
    std::string problem;
    const std::string data = ReadLocalFile(baseDir, url, path, problem);
    if (!problem.empty())
        return problem;
    Text::FrameSettings frame;
    const std::string shown = path.filename().string();
    if (Raster::DetectFileType(data) == Raster::FileType::SVG) {
        problem = SvgProblem(data, frame.width, frame.height);
        if (!problem.empty())
            return "\"" + shown + "\": " + problem;
    } else {
        const auto size = Raster::ReadImageSize(data);
        if (!size || size->width == 0 || size->height == 0 || !Raster::DecodeImage(data))
            return "\"" + shown + "\" is not a JPEG, PNG, GIF or SVG picture";
        frame.width = size->width * kPointsPerPixel;
        frame.height = size->height * kPointsPerPixel;
    }
    if (frame.width > kPageWidth) {
        frame.height *= kPageWidth / frame.width;
        frame.width = kPageWidth;
    }
    frame.height = std::max(frame.height, 1.0);
    frame.name = Foundation::StringT(path.stem().string());
    frame.contentPath = Foundation::StringT(path.string());
    Render::RenderTags::Fields tags;
    tags.altText = Foundation::StringT(altText);
    frame.tags = Render::RenderTags::Make(std::move(tags));
    return frame;
}

} // namespace Readers::Markdown

// SPDX-License-Identifier: MIT
// Both layouts name media types from one table: an image is the same type in either manifest.

#include "epub/package/MediaType.h"
#include "epub/package/PublicationManifest.h"

#include <gtest/gtest.h>

namespace {

using EPub::MediaType;

TEST(MediaType, ImageStreamsAndFileNamesAgree) {
    const std::pair<EPub::StreamType, std::string_view> images[] = {
        {EPub::StreamType::JPEG, "a.JPG"},
        {EPub::StreamType::PNG, "b.png"},
        {EPub::StreamType::GIF, "c.gif"},
        {EPub::StreamType::SVG, "d.Svg"}};
    for (const auto& [stream, file] : images)
        EXPECT_EQ(EPub::ImageMediaType(stream), MediaTypeName(EPub::GetMediaType(file))) << file;
    EXPECT_EQ(EPub::ImageMediaType(EPub::StreamType::Content), "");
    EXPECT_EQ(MediaTypeName(EPub::GetMediaType("x.xhtml")), "application/xhtml+xml");
    EXPECT_EQ(MediaTypeName(EPub::GetMediaType("f.otf")), "application/font-sfnt");
    EXPECT_EQ(MediaTypeName(EPub::GetMediaType("no-extension")), "application/octet-stream");
}

} // namespace

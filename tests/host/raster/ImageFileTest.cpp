// SPDX-License-Identifier: MIT
#include "host/raster/ImageFile.h"

#include <gtest/gtest.h>

using namespace Raster;

TEST(ImageFileTest, DetectsRasterFormatsBySignature) {
    EXPECT_EQ(DetectFileType("\xFF\xD8\xFF\xE0rest"), FileType::JPEG);
    EXPECT_EQ(DetectFileType("\x89PNG\r\n\x1A\n...."), FileType::PNG);
    EXPECT_EQ(DetectFileType("GIF87a...."), FileType::GIF);
    EXPECT_EQ(DetectFileType("GIF89a...."), FileType::GIF);
    EXPECT_EQ(DetectFileType(std::string_view("II*\0....", 8)), FileType::TIFF);
    EXPECT_EQ(DetectFileType(std::string_view("MM\0*....", 8)), FileType::TIFF);
    EXPECT_EQ(DetectFileType("BM" + std::string(20, '\0')), FileType::BMP);
    // Near misses.
    EXPECT_EQ(DetectFileType("\xFF\xD8"), FileType::Unknown);
    EXPECT_EQ(DetectFileType("GIF90a"), FileType::Unknown);
    EXPECT_EQ(DetectFileType(""), FileType::Unknown);
}

TEST(ImageFileTest, RecognisesSvgAfterAnyProlog) {
    EXPECT_EQ(DetectFileType("<svg xmlns=\"http://www.w3.org/2000/svg\"/>"), FileType::SVG);
    EXPECT_EQ(DetectFileType("\xEF\xBB\xBF\n  <?xml version=\"1.0\"?>\n<!-- made by hand -->\n"
                             "<!DOCTYPE svg PUBLIC \"-//W3C//DTD SVG 1.1//EN\" "
                             "\"http://www.w3.org/Graphics/SVG/1.1/DTD/svg11.dtd\">\n<svg>"),
              FileType::SVG);
    EXPECT_EQ(DetectFileType("<!DOCTYPE svg [ <!ENTITY a \"<b>\"> ]><svg:svg>"), FileType::SVG);
    EXPECT_EQ(DetectFileType("<svgx/>"), FileType::Unknown);
    EXPECT_EQ(DetectFileType("<html><svg/></html>"), FileType::Unknown);
    EXPECT_EQ(DetectFileType("<?xml version=\"1.0\"?>"), FileType::Unknown);
    EXPECT_EQ(DetectFileType("<!-- unterminated <svg>"), FileType::Unknown);
    EXPECT_EQ(DetectFileType("<!DOCTYPE svg [ <svg>"), FileType::Unknown);
}

TEST(ImageFileTest, NamesExtensionsAndMediaTypes) {
    EXPECT_EQ(FileExtension(FileType::JPEG), "jpg");
    EXPECT_EQ(FileExtension(FileType::SVG), "svg");
    EXPECT_EQ(FileExtension(FileType::Unknown), "");
    EXPECT_EQ(MediaType(FileType::PNG), "image/png");
    EXPECT_EQ(MediaType(FileType::GIF), "image/gif");
    EXPECT_EQ(MediaType(FileType::SVG), "image/svg+xml");
    EXPECT_EQ(MediaType(FileType::Unknown), "");
}

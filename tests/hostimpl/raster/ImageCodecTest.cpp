// SPDX-License-Identifier: MIT
#include "host/foundation/Stream.h"
#include "host/raster/ImageEncoder.h"
#include "host/raster/ImageFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>
#include <zlib.h>

using namespace Raster;
using Foundation::Counted;
using Foundation::MemoryOutStream;

namespace {

Counted<DynamicBitmap> Gradient(uint32_t w, uint32_t h, bool translucent) {
    auto bmp = DynamicBitmap::Create(w, h);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t* px = bmp->Row(y) + x * 4;
            px[0] = uint8_t(x * 255 / (w - 1));
            px[1] = uint8_t(y * 255 / (h - 1));
            px[2] = uint8_t((x + y) * 3);
            px[3] = translucent ? uint8_t((x * 7 + y * 13) & 0xFF) : 255;
        }
    return bmp;
}

std::string Encode(bool png, const DynamicBitmap& bmp, int quality = 90) {
    MemoryOutStream out;
    EXPECT_TRUE(png ? WritePNG(bmp, out) : WriteJPEG(bmp, out, quality));
    return out.TakeData();
}

// Decoded independently of the code under test, straight through libpng.
std::vector<uint8_t> LibpngRGBA(const std::string& data, png_uint_32& w, png_uint_32& h) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    EXPECT_TRUE(png_image_begin_read_from_memory(&image, data.data(), data.size()));
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    EXPECT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr));
    w = image.width;
    h = image.height;
    return pixels;
}

uint8_t PngColourType(const std::string& png) {
    return uint8_t(png.at(25)); // IHDR: 8 signature, 8 chunk header, 9 bytes in
}

// A PNG signature and an IHDR chunk claiming the given size, with a valid CRC.
std::string PngHeader(uint32_t w, uint32_t h) {
    std::string chunk = "IHDR";
    for (uint32_t v : {w, h})
        for (int s = 24; s >= 0; s -= 8)
            chunk += char(v >> s);
    chunk += std::string("\x08\x06\x00\x00\x00", 5);
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(chunk.data()), uInt(chunk.size()));
    std::string out = "\x89PNG\r\n\x1A\n" + std::string("\0\0\0\x0D", 4) + chunk;
    for (int s = 24; s >= 0; s -= 8)
        out += char(crc >> s);
    // An empty IDAT ends the header chunks that readers look at before the pixels.
    return out + std::string("\0\0\0\0IDAT\x35\xAF\x06\x1E", 12);
}

struct GifWriter {
    std::string data;
    static int Put(GifFileType* gif, const GifByteType* bytes, int n) {
        static_cast<GifWriter*>(gif->UserData)
            ->data.append(reinterpret_cast<const char*>(bytes), size_t(n));
        return n;
    }
};

// 4×3 screen; a 2×2 frame at (1,1) with palette red, green, blue, and index 1 transparent.
std::string MakeGif() {
    GifWriter writer;
    int error = 0;
    GifFileType* gif = EGifOpen(&writer, GifWriter::Put, &error);
    EXPECT_NE(gif, nullptr);
    GifColorType colours[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {0, 0, 0}};
    ColorMapObject* map = GifMakeMapObject(4, colours);
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, 4, 3, 2, 0, map);
    GraphicsControlBlock gcb{};
    gcb.TransparentColor = 1;
    GifByteType ext[4];
    const size_t extLen = EGifGCBToExtension(&gcb, ext);
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(extLen), ext);
    EGifPutImageDesc(gif, 1, 1, 2, 2, false, nullptr);
    GifPixelType row0[2] = {0, 1}, row1[2] = {2, 0};
    EGifPutLine(gif, row0, 2);
    EGifPutLine(gif, row1, 2);
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return writer.data;
}

// A CMYK JPEG in Adobe's inverted convention, as Photoshop writes it.
std::string MakeInvertedCMYKJpeg(const uint8_t cmyk[4], uint32_t side) {
    jpeg_compress_struct info{};
    jpeg_error_mgr err{};
    info.err = jpeg_std_error(&err);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = side;
    info.image_height = side;
    info.input_components = 4;
    info.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row(side * 4);
    for (uint32_t x = 0; x < side; ++x)
        for (int c = 0; c < 4; ++c)
            row[x * 4 + c] = uint8_t(255 - cmyk[c]);
    while (info.next_scanline < side) {
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&info, &r, 1);
    }
    jpeg_finish_compress(&info);
    std::string out(reinterpret_cast<char*>(buffer), size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return out;
}

} // namespace

TEST(PngEncoderTest, RoundTripsBitExactWithAndWithoutAlpha) {
    for (const bool translucent : {true, false}) {
        SCOPED_TRACE(translucent ? "RGBA" : "RGB");
        const auto bmp = Gradient(37, 21, translucent);
        const std::string png = Encode(true, *bmp);
        EXPECT_EQ(DetectFileType(png), FileType::PNG);
        EXPECT_EQ(PngColourType(png), translucent ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB);
        png_uint_32 w = 0, h = 0;
        const auto pixels = LibpngRGBA(png, w, h);
        EXPECT_EQ(w, 37u);
        EXPECT_EQ(h, 21u);
        EXPECT_TRUE(
            std::equal(pixels.begin(), pixels.end(), bmp->Pixels().begin(), bmp->Pixels().end()));

        const auto decoded = DecodeImage(png);
        ASSERT_TRUE(decoded);
        EXPECT_TRUE(std::ranges::equal(decoded->Pixels(), bmp->Pixels()));
        EXPECT_EQ(ReadImageSize(png), (ImageSize{37, 21}));
    }
}

TEST(PngEncoderTest, RefusesEmptyBitmapsAndFailingStreams) {
    MemoryOutStream out;
    EXPECT_FALSE(WritePNG(DynamicBitmap(0, 5), out));
    EXPECT_FALSE(WriteJPEG(DynamicBitmap(5, 0), out));
    EXPECT_TRUE(out.Data().empty());

    struct Broken : Foundation::OutStream {
        size_t Write(const void*, size_t) override { return 0; }
    } broken;
    EXPECT_FALSE(WritePNG(*Gradient(4, 4, false), broken));
    EXPECT_FALSE(WriteJPEG(*Gradient(4, 4, false), broken));
}

TEST(JpegEncoderTest, DecodesBackToTheSameSizeAndNearlyTheSamePixels) {
    const auto bmp = Gradient(64, 48, false);
    const std::string jpeg = Encode(false, *bmp, 95);
    EXPECT_EQ(DetectFileType(jpeg), FileType::JPEG);
    EXPECT_EQ(ReadImageSize(jpeg), (ImageSize{64, 48}));

    const auto decoded = DecodeImage(jpeg);
    ASSERT_TRUE(decoded);
    ASSERT_EQ(decoded->Width(), 64u);
    ASSERT_EQ(decoded->Height(), 48u);
    double error = 0;
    for (size_t i = 0; i < bmp->Pixels().size(); ++i) {
        if (i % 4 == 3)
            EXPECT_EQ(decoded->Pixels()[i], 255);
        else
            error += std::abs(int(decoded->Pixels()[i]) - int(bmp->Pixels()[i]));
    }
    EXPECT_LT(error / (64 * 48 * 3), 3.0);

    // Quality is honoured: lower quality, smaller file.
    EXPECT_LT(Encode(false, *bmp, 10).size(), jpeg.size());
    // Out-of-range quality is clamped rather than rejected.
    EXPECT_FALSE(Encode(false, *bmp, 0).empty());
    EXPECT_FALSE(Encode(false, *bmp, 400).empty());
}

TEST(JpegEncoderTest, CompositesTranslucentPixelsOverWhite) {
    auto bmp = DynamicBitmap::Create(16, 16); // all zeros: transparent black
    const auto decoded = DecodeImage(Encode(false, *bmp));
    ASSERT_TRUE(decoded);
    for (size_t i = 0; i < decoded->Pixels().size(); ++i)
        EXPECT_GE(decoded->Pixels()[i], 250) << i;
}

TEST(JpegDecoderTest, ConvertsAdobeCMYK) {
    const uint8_t cyan[4] = {255, 0, 0, 0};
    const auto decoded = DecodeImage(MakeInvertedCMYKJpeg(cyan, 8));
    ASSERT_TRUE(decoded);
    const uint8_t* px = decoded->Row(4) + 16;
    EXPECT_LE(px[0], 3);
    EXPECT_GE(px[1], 252);
    EXPECT_GE(px[2], 252);
    EXPECT_EQ(px[3], 255);
}

TEST(GifDecoderTest, DecodesTheFirstFrameOntoItsScreen) {
    const std::string gif = MakeGif();
    EXPECT_EQ(DetectFileType(gif), FileType::GIF);
    EXPECT_EQ(ReadImageSize(gif), (ImageSize{4, 3}));
    const auto bmp = DecodeImage(gif);
    ASSERT_TRUE(bmp);
    ASSERT_EQ(bmp->Width(), 4u);
    ASSERT_EQ(bmp->Height(), 3u);
    const auto at = [&](uint32_t x, uint32_t y) {
        const uint8_t* p = bmp->Row(y) + x * 4;
        return std::array<uint8_t, 4>{p[0], p[1], p[2], p[3]};
    };
    using P = std::array<uint8_t, 4>;
    EXPECT_EQ(at(0, 0), (P{0, 0, 0, 0})); // outside the frame
    EXPECT_EQ(at(1, 1), (P{255, 0, 0, 255}));
    EXPECT_EQ(at(2, 1), (P{0, 0, 0, 0})); // transparent index
    EXPECT_EQ(at(1, 2), (P{0, 0, 255, 255}));
    EXPECT_EQ(at(2, 2), (P{255, 0, 0, 255}));
    EXPECT_EQ(at(3, 2), (P{0, 0, 0, 0}));
}

TEST(ImageDecoderTest, DamagedOrForeignDataGivesNothing) {
    const std::string png = Encode(true, *Gradient(8, 8, true));
    const std::string jpeg = Encode(false, *Gradient(8, 8, false));
    const std::string gif = MakeGif();
    EXPECT_FALSE(DecodeImage(png.substr(0, png.size() / 2)));
    EXPECT_FALSE(DecodeImage(gif.substr(0, gif.size() - 8)));
    EXPECT_FALSE(DecodeImage(gif.substr(0, 8)));
    EXPECT_FALSE(ReadImageSize(gif.substr(0, 8)));
    EXPECT_FALSE(DecodeImage(jpeg.substr(0, 4)));
    EXPECT_FALSE(ReadImageSize(jpeg.substr(0, 4)));
    EXPECT_FALSE(DecodeImage("\xFF\xD8\xFF garbage that is no JPEG at all"));
    EXPECT_FALSE(DecodeImage("<svg/>"));
    EXPECT_FALSE(ReadImageSize("<svg/>"));
    EXPECT_FALSE(DecodeImage(""));

    // A header may claim any size; it is reported but not allocated.
    const std::string huge = PngHeader(900000, 900000);
    EXPECT_EQ(ReadImageSize(huge), (ImageSize{900000, 900000}));
    EXPECT_FALSE(DecodeImage(huge));
}

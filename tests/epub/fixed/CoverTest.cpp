// SPDX-License-Identifier: MIT
#include "epub/fixed/PageRenderTarget.h"

#include "host/raster/ImageEncoder.h"
#include "host/raster/ImageFile.h"
#include "support/FakeZipArchive.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <tuple>

namespace {

namespace fs = std::filesystem;
using Foundation::MakeCounted;

class CoverTest : public testing::Test {
protected:
    fs::path dir;
    Foundation::Counted<Testing::FakeZipArchive> zip = MakeCounted<Testing::FakeZipArchive>();
    EPub::Publication publication{"OEBPS", "b", "id", "t", "en"};

    CoverTest() {
        std::string pattern = (fs::temp_directory_path() / "epubcover-XXXXXX").string();
        dir = ::mkdtemp(pattern.data());
        publication.SetArchive(zip);
    }
    ~CoverTest() override { fs::remove_all(dir); }

    Foundation::FileDataSource File(const std::string& name, const std::string& bytes) {
        std::ofstream(dir / name, std::ios::binary) << bytes;
        return Foundation::FileDataSource(Foundation::StringT((dir / name).string()));
    }
    static std::string Png(uint32_t w, uint32_t h) {
        Foundation::MemoryOutStream out;
        Raster::WritePNG(*Raster::DynamicBitmap::Create(w, h), out);
        return out.TakeData();
    }
    bool Add(const Foundation::DataSource& source, bool* result) {
        return EPub::RenderTarget::AddCover(publication, source, 90, EPub::ResamplerType::Bilinear,
                                            nullptr, result);
    }
};

TEST_F(CoverTest, PicturesWithinTheLimitAreCopiedUnchanged) {
    const std::string bytes = Png(40, 30);
    const auto source = File("front.png", bytes);
    EXPECT_TRUE(EPub::RenderTarget::IsCover(source));
    bool result = false;
    ASSERT_TRUE(Add(source, &result));
    EXPECT_TRUE(result);
    const auto* entry = zip->Find("OEBPS/image/front.png");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->data, bytes);
    EXPECT_EQ(publication.GetCoverImage(), 0u);
}

TEST_F(CoverTest, LargePicturesAreScaledToTheLimit) {
    const auto source = File("wide.png", Png(EPub::kPNGMaxDimension * 2, 10));
    bool result = false;
    ASSERT_TRUE(Add(source, &result));
    const auto* entry = zip->Find("OEBPS/image/wide.png");
    ASSERT_NE(entry, nullptr);
    const auto size = Raster::ReadImageSize(entry->data);
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, EPub::kPNGMaxDimension);
    EXPECT_EQ(size->height, 5u);
}

TEST_F(CoverTest, SvgIsStoredAsItIsAndOtherFilesAreRefused) {
    const std::string svg =
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\"></svg>";
    bool result = false;
    ASSERT_TRUE(Add(File("front.svg", svg), &result));
    ASSERT_NE(zip->Find("OEBPS/image/front.svg"), nullptr);
    EXPECT_EQ(zip->Find("OEBPS/image/front.svg")->data, svg);
    const auto junk = File("notes.txt", "just text");
    EXPECT_FALSE(EPub::RenderTarget::IsCover(junk));
    EXPECT_FALSE(Add(junk, &result));
}

// Little-endian helpers for hand-made TIFF and BMP files.
void Put(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// The test picture: pixel (x, y) is (40x, 90y, 200).
uint8_t Channel(uint32_t x, uint32_t y, int c) {
    return uint8_t(c == 0 ? 40 * x : c == 1 ? 90 * y : 200);
}

// An uncompressed RGB TIFF.
std::string Tiff(uint32_t w, uint32_t h) {
    std::string t = "II*";
    t += '\0';
    Put(t, 8, 4);
    const uint32_t entries = 10, bps = 8 + 2 + entries * 12 + 4, data = bps + 6;
    Put(t, entries, 2);
    auto entry = [&](uint32_t tag, uint32_t type, uint32_t count, uint32_t value) {
        Put(t, tag, 2);
        Put(t, type, 2);
        Put(t, count, 4);
        Put(t, value, 4);
    };
    entry(256, 4, 1, w);
    entry(257, 4, 1, h);
    entry(258, 3, 3, bps);
    entry(259, 3, 1, 1);
    entry(262, 3, 1, 2);
    entry(273, 4, 1, data);
    entry(277, 3, 1, 3);
    entry(278, 4, 1, h);
    entry(279, 4, 1, w * h * 3);
    entry(284, 3, 1, 1);
    Put(t, 0, 4);
    for (int i = 0; i < 3; ++i)
        Put(t, 8, 2);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c)
                t += static_cast<char>(Channel(x, y, c));
    return t;
}

// A 24-bit BMP: rows bottom up, in BGR order, padded to four bytes.
std::string Bmp(uint32_t w, uint32_t h) {
    const uint32_t row = (w * 3 + 3) / 4 * 4;
    std::string b = "BM";
    Put(b, 54 + row * h, 4);
    Put(b, 0, 4);
    Put(b, 54, 4);
    Put(b, 40, 4);
    Put(b, w, 4);
    Put(b, h, 4);
    Put(b, 1, 2);
    Put(b, 24, 2);
    for (int i = 0; i < 6; ++i)
        Put(b, 0, 4);
    for (uint32_t y = h; y-- > 0;) {
        for (uint32_t x = 0; x < w; ++x)
            for (int c = 2; c >= 0; --c)
                b += static_cast<char>(Channel(x, y, c));
        b.append(row - w * 3, '\0');
    }
    return b;
}

TEST_F(CoverTest, TiffAndBmpAreStoredAsPngWithTheirPixels) {
    for (const auto& [name, bytes, stored] :
         {std::tuple{"front.tif", Tiff(3, 2), "OEBPS/image/front.png"},
          std::tuple{"back.bmp", Bmp(3, 2), "OEBPS/image/back.png"}}) {
        SCOPED_TRACE(name);
        const auto source = File(name, bytes);
        EXPECT_TRUE(EPub::RenderTarget::IsCover(source));
        bool result = false;
        ASSERT_TRUE(Add(source, &result));
        EXPECT_TRUE(result);
        const auto* entry = zip->Find(stored);
        ASSERT_NE(entry, nullptr);
        const auto bitmap = Raster::DecodeImage(entry->data);
        ASSERT_TRUE(bitmap);
        ASSERT_EQ(bitmap->Width(), 3u);
        ASSERT_EQ(bitmap->Height(), 2u);
        for (uint32_t y = 0; y < 2; ++y)
            for (uint32_t x = 0; x < 3; ++x)
                for (int c = 0; c < 3; ++c)
                    EXPECT_EQ(bitmap->Row(y)[x * 4 + c], Channel(x, y, c)) << x << "," << y;
    }
    // Past the limit they are scaled like any other picture.
    bool result = false;
    ASSERT_TRUE(Add(File("wide.tif", Tiff(EPub::kPNGMaxDimension + 100, 3)), &result));
    const auto* wide = zip->Find("OEBPS/image/wide.png");
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(Raster::ReadImageSize(wide->data)->width, EPub::kPNGMaxDimension);
    // A file that only starts like one is no picture.
    const auto broken = File("broken.bmp", "BM" + std::string(40, '\x7f'));
    EXPECT_FALSE(EPub::RenderTarget::IsCover(broken));
    EXPECT_FALSE(Add(broken, &result));
    // Headers claiming a 4 GB header or a picture of 2^30 pixels a side are refused unread (the
    // fuzz seed corpus holds the first: the loader used to allocate what it claimed).
    const std::string huge =
        "BM" + std::string(12, '\0') + "\xF7\xF7\xF7\xF7" + std::string(40, '\0');
    EXPECT_FALSE(EPub::RenderTarget::IsCover(File("huge-header.bmp", huge)));
    std::string giant = "BM" + std::string(12, '\0') + std::string("\x28\0\0\0", 4) +
                        std::string("\0\0\0\x40", 4) + std::string("\0\0\0\x40", 4) +
                        std::string(40, '\0');
    EXPECT_FALSE(EPub::RenderTarget::IsCover(File("huge-picture.bmp", giant)));
}

} // namespace

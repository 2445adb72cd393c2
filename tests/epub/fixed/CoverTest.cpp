#include "epub/fixed/RenderTarget.h"

#include "host/raster/ImageEncoder.h"
#include "host/raster/ImageFile.h"
#include "support/FakeZipArchive.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

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

} // namespace

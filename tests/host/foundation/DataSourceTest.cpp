// SPDX-License-Identifier: MIT
#include "host/foundation/DataSource.h"
#include "host/foundation/FileStore.h"
#include "host/foundation/Serialiser.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

using namespace Foundation;
namespace fs = std::filesystem;

namespace {

class DataSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("datasource-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    StringT Write(const std::string& name, const std::string& content) {
        const fs::path path = folder_ / name;
        std::ofstream(path, std::ios::binary) << content;
        return StringT(path.string());
    }

    fs::path folder_;
};

} // namespace

TEST_F(DataSourceTest, DescribesAndReadsAFile) {
    const StringT path = Write("style.css", "body { margin: 0 }");
    const FileDataSource source(path);
    EXPECT_TRUE(source.Exists());
    EXPECT_EQ(source.GetFilename(), "style.css");
    EXPECT_EQ(source.GetDisplayPath(), path);
    EXPECT_EQ(source.GetFileSystemRepresentation(), path);
    EXPECT_FALSE(source.IsHostResource());
    ASSERT_TRUE(source.GetModifiedTime());
    EXPECT_GT(source.GetModifiedTime()->Seconds(), 0);

    const Counted<InStreamSeekable> in = source.Open();
    ASSERT_TRUE(in);
    EXPECT_EQ(in->GetSize(), 18u);
    EXPECT_EQ(ReadAll(*in), "body { margin: 0 }");
    EXPECT_TRUE(in->Seek(5));
    EXPECT_EQ(ReadAll(*in), "{ margin: 0 }");
    EXPECT_FALSE(in->Seek(19));
}

TEST_F(DataSourceTest, MissingFileOrFolderGivesNothingToRead) {
    const FileDataSource missing(StringT((folder_ / "gone.css").string()));
    EXPECT_FALSE(missing.Exists());
    EXPECT_FALSE(missing.GetModifiedTime());
    EXPECT_FALSE(missing.Open());
    EXPECT_FALSE(FileDataSource(StringT(folder_.string())).Open());
    EXPECT_FALSE(FileDataSource().Open());
}

TEST_F(DataSourceTest, RoundTripsWithRelativePathsResolvedAgainstTheStore) {
    const StringT path = Write("cover.png", "png");
    FileStore store(StringT(folder_.string()));

    const Counted<FileDataSource> loaded = CountedCast<FileDataSource>(
        DeserialiseObject(SerialiseObject(FileDataSource(path)), store));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->GetPath(), path);

    const Counted<FileDataSource> relative = CountedCast<FileDataSource>(
        DeserialiseObject(SerialiseObject(FileDataSource("cover.png")), store));
    ASSERT_TRUE(relative);
    EXPECT_EQ(relative->GetPath(), path);
    EXPECT_TRUE(relative->Exists());
}

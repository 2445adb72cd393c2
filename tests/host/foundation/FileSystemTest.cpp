// SPDX-License-Identifier: MIT
#include "host/foundation/FileSystem.h"

#include "host/foundation/ResourceInterface.h"
#include "tests/hostimpl/foundation/ZipTestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Foundation;
using namespace FoundationTest;

namespace {

TEST(FileSystemTest, ExistsAndModifiedTime) {
    ScratchDir dir;
    const std::string file = dir / "style.css";
    WriteFileBytes(file, "p {}");
    // 2020-01-02T03:04:05.678901Z
    const timespec times[2] = {{1577934245, 678901000}, {1577934245, 678901000}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);

    EXPECT_TRUE(FileSystem::Exists(file));
    EXPECT_TRUE(FileSystem::Exists(dir / ""));
    EXPECT_FALSE(FileSystem::Exists(dir / "gone.css"));
    EXPECT_FALSE(FileSystem::Exists(""));

    EXPECT_EQ(FileSystem::GetModifiedTime(file), TimeStamp::FromMicroseconds(1577934245678901));
    EXPECT_EQ(FileSystem::GetModifiedTime(dir / "gone.css"), std::nullopt);
}

TEST(FileSystemTest, GetFilename) {
    EXPECT_EQ(FileSystem::GetFilename("/a/b/c.css"), "c.css");
    EXPECT_EQ(FileSystem::GetFilename("C:\\Styles\\main.css"), "main.css");
    EXPECT_EQ(FileSystem::GetFilename("mixed/dir\\name.css"), "name.css");
    EXPECT_EQ(FileSystem::GetFilename("plain.css"), "plain.css");
    EXPECT_EQ(FileSystem::GetFilename("folder/"), "");
    EXPECT_EQ(FileSystem::GetFilename(""), "");
}

TEST(FileSystemTest, LoadTextFile) {
    ScratchDir dir;
    WriteFileBytes(dir / "bom.css", "\xEF\xBB\xBFh1 { color: red; }");
    WriteFileBytes(dir / "plain.css", "caf\xC3\xA9");
    WriteFileBytes(dir / "empty.css", "");
    const std::string big(200000, 'x');
    WriteFileBytes(dir / "big.css", big);

    EXPECT_EQ(FileSystem::LoadTextFile(dir / "bom.css"), StringT("h1 { color: red; }"));
    EXPECT_EQ(FileSystem::LoadTextFile(dir / "plain.css"), StringT("caf\xC3\xA9"));
    EXPECT_EQ(FileSystem::LoadTextFile(dir / "empty.css"), StringT(""));
    EXPECT_EQ(FileSystem::LoadTextFile(dir / "big.css"), StringT(big));
    EXPECT_EQ(FileSystem::LoadTextFile(dir / "gone.css"), std::nullopt);
    EXPECT_EQ(FileSystem::LoadTextFile(dir / ""), std::nullopt) << "a folder";
}

TEST(ResourceInterfaceTest, TestFileAccess) {
    ScratchDir dir;
    const std::string file = dir / "linked.css";
    WriteFileBytes(file, "p {}");
    EXPECT_EQ(ResourceInterface::TestFileAccess(file), int(ResourceStatus::Ok));
    EXPECT_EQ(ResourceInterface::TestFileAccess(dir / "gone.css"), int(ResourceStatus::Missing));
    EXPECT_EQ(ResourceInterface::TestFileAccess(""), int(ResourceStatus::Missing));

    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    ASSERT_EQ(::chmod(file.c_str(), 0), 0);
    EXPECT_EQ(ResourceInterface::TestFileAccess(file), int(ResourceStatus::AccessDenied));
}

} // namespace

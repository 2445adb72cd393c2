// SPDX-License-Identifier: MIT
// An input file that changes on disk while it is read: no crash, and the reader is told.

#include "cli/MappedInput.h"
#include "cli/DocumentReader.h"
#include "cli/JsonInput.h"
#include "hostimpl/foundation/ZipTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Cli::MappedInput;

void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

TEST(MappedInput, APageCutOffReadsAsZerosAndCountsAsAChange) {
    const FoundationTest::ScratchDir dir;
    const auto page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    Write(dir / "in.json", std::string(3 * page, 'a'));
    MappedInput input(dir / "in.json");
    ASSERT_TRUE(input.Mapped());
    EXPECT_FALSE(input.Changed());
    input.Drop(0, 3 * page);
    ASSERT_EQ(::truncate((dir / "in.json").c_str(), static_cast<off_t>(page)), 0);
    // Past the new end: SIGBUS without the guard.
    EXPECT_EQ(input.View()[2 * page + 5], '\0');
    EXPECT_EQ(input.View()[5], 'a');
    EXPECT_TRUE(input.Changed());
}

TEST(MappedInput, ARewriteOfTheSameSizeCountsAsAChange) {
    const FoundationTest::ScratchDir dir;
    Write(dir / "in.json", "{\"a\": 1}");
    MappedInput input(dir / "in.json");
    ASSERT_TRUE(input.Mapped());
    const timespec later[2] = {{0, UTIME_OMIT}, {2000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (dir / "in.json").c_str(), later, 0), 0);
    EXPECT_TRUE(input.Changed());
}

TEST(MappedInput, OnlyRegularNonEmptyFilesAreMapped) {
    const FoundationTest::ScratchDir dir;
    Write(dir / "empty.json", "");
    EXPECT_FALSE(MappedInput(dir / "empty.json").Mapped());
    EXPECT_FALSE(MappedInput(dir / "missing.json").Mapped());
    EXPECT_FALSE(MappedInput(dir / "").Mapped()); // a folder
}

// Parsed, then cut short before its stories are read: the reader refuses it instead of reading
// zeros or crashing.
TEST(MappedInput, ADocumentCutShortWhileReadIsRefused) {
    const FoundationTest::ScratchDir dir;
    std::string json = "{\"stories\": [";
    for (int i = 0; i < 40; ++i)
        json += (i ? ", " : "") + std::string("{\"file\": \"s") + std::to_string(i) +
                ".xhtml\", \"paragraphs\": [\"" + std::string(8000, 'x') + "\"]}";
    json += "]}";
    const std::string path = dir / "book.json";
    Write(path, json);
    Cli::JsonDocument tree = Cli::LoadJson(path);
    ASSERT_EQ(::truncate(path.c_str(), 100), 0);
    try {
        Cli::ReadDocument(tree, path);
        FAIL() << "a document cut short was read";
    } catch (const Cli::InputError& e) {
        EXPECT_NE(std::string(e.what()).find("book.json: the file changed while it was being read"),
                  std::string::npos)
            << e.what();
    }
}

} // namespace

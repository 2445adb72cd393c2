// SPDX-License-Identifier: MIT
#include "host/foundation/FileStream.h"

#include "tests/hostimpl/foundation/ZipTestSupport.h"

#include <gtest/gtest.h>

#include <random>

using namespace Foundation;
using namespace FoundationTest;

namespace {

std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>('a' + (i * 7 + i / 13) % 26);
    return bytes;
}

class FileStreamTest : public ::testing::TestWithParam<size_t> {
protected:
    ScratchDir dir_;
    std::string path_ = dir_ / "data.bin";
};

// Buffer sizes around the piece sizes below: unbuffered, tiny, and larger than most pieces.
INSTANTIATE_TEST_SUITE_P(BufferSizes, FileStreamTest, ::testing::Values(0, 1, 7, 64, 4096));

TEST_P(FileStreamTest, WritesInPiecesAndReadsBack) {
    const std::string data = Pattern(20000);
    {
        auto out = FastFileOutStream::Create(path_, GetParam());
        ASSERT_TRUE(out);
        std::mt19937 random(GetParam());
        for (size_t at = 0; at < data.size();) {
            const size_t n = std::min<size_t>(random() % 300, data.size() - at);
            ASSERT_EQ(out->Write(data.data() + at, n), n);
            at += n;
            ASSERT_EQ(out->Tell(), at);
        }
    }
    EXPECT_EQ(ReadFileBytes(path_), data);

    auto in = FastFileInStream::Open(path_, GetParam());
    ASSERT_TRUE(in);
    EXPECT_EQ(in->GetSize(), data.size());
    std::string back;
    std::mt19937 random(GetParam() + 1);
    char piece[700];
    for (size_t n; (n = in->Read(piece, random() % sizeof piece + 1)) != 0;)
        back.append(piece, n);
    EXPECT_EQ(back, data);
    EXPECT_EQ(in->Tell(), data.size());
}

TEST_P(FileStreamTest, SeekingBackPatchesEarlierBytes) {
    // The zip writer's pattern: write a header, data, then step back and fix the header.
    {
        auto out = FastFileOutStream::Create(path_, GetParam());
        ASSERT_TRUE(out);
        out->Write("HEADER--");
        out->Write(Pattern(100));
        ASSERT_TRUE(out->Seek(6));
        out->Write("OK");
        ASSERT_TRUE(out->Seek(108));
        out->Write("END");
        ASSERT_TRUE(out->Seek(0));
        out->Write("h");
        // Past the end leaves a hole of zeros.
        ASSERT_TRUE(out->Seek(120));
        out->Write("!");
        EXPECT_EQ(out->Tell(), 121u);
    }
    const std::string bytes = ReadFileBytes(path_);
    ASSERT_EQ(bytes.size(), 121u);
    EXPECT_EQ(bytes.substr(0, 8), "hEADEROK");
    EXPECT_EQ(bytes.substr(8, 100), Pattern(100));
    EXPECT_EQ(bytes.substr(108, 3), "END");
    EXPECT_EQ(bytes.substr(111, 9), std::string(9, '\0'));
    EXPECT_EQ(bytes[120], '!');
}

TEST_P(FileStreamTest, InStreamSeeks) {
    WriteFileBytes(path_, Pattern(5000));
    auto in = FastFileInStream::Open(path_, GetParam());
    ASSERT_TRUE(in);
    char c = 0;
    ASSERT_TRUE(in->Seek(4321));
    ASSERT_EQ(in->Read(&c, 1), 1u);
    EXPECT_EQ(c, Pattern(5000)[4321]);
    ASSERT_TRUE(in->Seek(10));
    ASSERT_EQ(in->Read(&c, 1), 1u);
    EXPECT_EQ(c, Pattern(5000)[10]);
    EXPECT_TRUE(in->Seek(5000));
    EXPECT_EQ(in->Read(&c, 1), 0u);
    EXPECT_FALSE(in->Seek(5001));
    EXPECT_TRUE(in->Rewind());
    EXPECT_EQ(ReadAll(*in), Pattern(5000));
}

TEST(FileStreamOpenTest, OpeningFiles) {
    ScratchDir dir;
    WriteFileBytes(dir / "f", "old contents");
    FileOutStream::Create(dir / "f")->Write("new");
    EXPECT_EQ(ReadFileBytes(dir / "f"), "new") << "truncated";

    EXPECT_FALSE(FastFileInStream::Open(dir / "missing", 100));
    EXPECT_FALSE(FastFileInStream::Open(dir / "", 100)) << "a folder";
    EXPECT_FALSE(FastFileInStream::Open("", 100));
    EXPECT_FALSE(FileOutStream::Create(dir / "no/such/folder/file"));
    EXPECT_FALSE(FileOutStream::Create(StringT(std::string("a\0b", 3))));
}

TEST(FileStreamFailureTest, FullDiskShowsAsShortWrites) {
    auto out = FastFileOutStream::Create("/dev/full", 16);
    if (!out)
        GTEST_SKIP() << "/dev/full not available";
    const std::string data = Pattern(100);
    EXPECT_LT(out->Write(data.data(), data.size()), data.size());
    EXPECT_EQ(out->Write("x", 1), 0u) << "a failed stream writes nothing more";
    EXPECT_FALSE(out->Flush());
    EXPECT_FALSE(out->Seek(0));

    // Small enough to sit in the buffer: the failure shows at flush, and destruction is quiet.
    auto buffered = FileOutStream::Create("/dev/full");
    ASSERT_TRUE(buffered);
    EXPECT_EQ(buffered->Write("abc", 3), 3u);
    EXPECT_FALSE(buffered->Flush());
}

} // namespace

#include "hostimpl/foundation/OrderedZipArchive.h"

#include "host/foundation/FileStream.h"
#include "tests/hostimpl/foundation/ZipTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

using namespace Foundation;
using namespace FoundationTest;
using ::testing::ElementsAre;

namespace {

constexpr uint32_t kRegularFile = 0x81B6;

std::string Noise(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random());
    return bytes;
}

// A tiny threshold sends every held-back entry through a temporary file.
TEST(OrderedZipArchiveTest, HeldBackEntriesSpillAndComeOutInOrder) {
    ScratchDir dir;
    std::exception_ptr failure;
    const std::string big = Noise(300000, 1);
    {
        auto zip = CreateOrderedZipArchive(FileOutStream::Create(dir / "a.zip"), failure, 16);
        auto front = zip->Add("front.txt", true, std::nullopt, kRegularFile);
        auto second = zip->Add("second.bin", true, std::nullopt, kRegularFile);
        zip->Add("small.txt", true, std::nullopt, kRegularFile)->Write("tiny");
        zip->Add("big.bin", false, std::nullopt, kRegularFile)->Write(big);
        for (size_t at = 0; at < big.size(); at += 1000)
            second->Write(big.data() + at, 1000);
        front->Write("front");
        second.Reset(); // done, but still behind the front
        front->Write(" again");
    }
    const auto records = ReadZip(dir / "a.zip");
    ASSERT_FALSE(failure) << FailureMessage(failure);
    ASSERT_THAT(Names(records), ElementsAre("front.txt", "second.bin", "small.txt", "big.bin"));
    EXPECT_EQ(records[0].data, "front again");
    EXPECT_EQ(records[1].data, big);
    EXPECT_EQ(records[2].data, "tiny");
    EXPECT_EQ(records[3].data, big);
    EXPECT_EQ(records[3].info.compression_method, 0u);
}

} // namespace

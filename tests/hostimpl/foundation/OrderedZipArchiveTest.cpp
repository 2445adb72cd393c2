// SPDX-License-Identifier: MIT
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

// More than the writer's queue holds: the producer waits for deflate, nothing is lost or
// reordered, and text entries come out deflated and smaller.
TEST(OrderedZipArchiveTest, ManyDocumentsKeepOrderAndAreDeflated) {
    ScratchDir dir;
    std::exception_ptr failure;
    std::vector<std::string> texts;
    for (unsigned i = 0; i < 40; ++i) {
        std::string text;
        while (text.size() < 400000)
            text +=
                "<p class=\"Body\">paragraph " + std::to_string(text.size() * (i + 1)) + "</p>\n";
        texts.push_back(std::move(text));
    }
    {
        auto zip = CreateOrderedZipArchive(FileOutStream::Create(dir / "b.zip"), failure);
        zip->Add("mimetype", true, std::nullopt, kRegularFile)->Write("application/epub+zip");
        // Every other document stays open until the end, so later ones queue up behind it.
        std::vector<Counted<OutStream>> open;
        for (size_t i = 0; i < texts.size(); ++i) {
            auto entry = zip->Add("doc" + std::to_string(i), true, std::nullopt, kRegularFile);
            for (size_t at = 0; at < texts[i].size(); at += 4096)
                entry->Write(texts[i].data() + at, std::min<size_t>(4096, texts[i].size() - at));
            if (i % 2 == 0)
                open.push_back(entry);
        }
    }
    ASSERT_FALSE(failure) << FailureMessage(failure);
    const auto records = ReadZip(dir / "b.zip");
    ASSERT_EQ(records.size(), texts.size() + 1);
    EXPECT_EQ(records[0].name, "mimetype");
    EXPECT_EQ(records[0].info.compression_method, 0u);
    for (size_t i = 0; i < texts.size(); ++i) {
        const auto& record = records[i + 1];
        EXPECT_EQ(record.name, "doc" + std::to_string(i));
        EXPECT_EQ(record.data, texts[i]) << record.name;
        EXPECT_EQ(record.info.compression_method, 8u) << record.name;
        EXPECT_LT(record.info.compressed_size * 4, record.info.uncompressed_size) << record.name;
    }
}

} // namespace

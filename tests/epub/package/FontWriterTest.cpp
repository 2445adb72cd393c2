// SPDX-License-Identifier: MIT
#include "epub/package/FontWriter.h"

#include "tests/support/FakeZipArchive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

using EPub::EmbeddedFonts;
using EPub::FontKey;
using Foundation::MemoryInStream;
using Foundation::TimeStamp;

namespace {

std::string FontBytes(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(i * 7);
    return bytes;
}

std::string Deobfuscate(std::string bytes, const FontKey& key) {
    for (size_t i = 0; i < std::min<size_t>(bytes.size(), 1040); ++i)
        bytes[i] = static_cast<char>(bytes[i] ^ key[i % 20]);
    return bytes;
}

// Hands out at most `chunk` bytes per read and, like a file that breaks, may stop early.
class TrickleStream final : public Foundation::InStream {
public:
    TrickleStream(std::string data, size_t chunk, size_t stopAt = std::string::npos)
        : data_(std::move(data)), chunk_(chunk), stopAt_(std::min(stopAt, data_.size())) {}
    size_t Read(void* out, size_t size) override {
        const size_t n = std::min({size, chunk_, stopAt_ - at_});
        std::copy_n(data_.data() + at_, n, static_cast<char*>(out));
        at_ += n;
        return n;
    }
    uint64_t Tell() const override { return at_; }
    uint64_t GetSize() const override { return data_.size(); }

private:
    std::string data_;
    size_t chunk_, stopAt_, at_ = 0;
};

class FontWriterTest : public ::testing::Test {
protected:
    FontWriterTest() {
        EPub::AddEntry(*zip, "mimetype");
        EPub::AddEntry(*zip, "OEBPS/Story1.xhtml");
    }
    size_t Write(const std::string& name, Foundation::InStream& data,
                 std::optional<TimeStamp> modified = {}, std::optional<uint32_t> attributes = {}) {
        return EPub::WriteFontFile(*zip, "OEBPS", {name, data, modified, attributes}, key, records);
    }
    size_t Write(const std::string& name, size_t size) {
        MemoryInStream in(FontBytes(size));
        return Write(name, in);
    }

    Foundation::Counted<Testing::FakeZipArchive> zip =
        Foundation::MakeCounted<Testing::FakeZipArchive>();
    FontKey key = EPub::MakeFontKey("urn:uuid:5d1c7a3e-0f2b-4e8a-b6c9-3a7d2e1f0c4b");
    EmbeddedFonts records;
};

} // namespace

TEST_F(FontWriterTest, StoresAnObfuscatedFontWithItsFileDetails) {
    MemoryInStream in(FontBytes(5000));
    const auto modified = TimeStamp::FromMicroseconds(1'700'000'000'000'000);
    ASSERT_EQ(Write("Name.ttf", in, modified, 0x81A4u), 1u);
    ASSERT_EQ(records, (EmbeddedFonts{{"Name.ttf", 2}}));

    const auto& entry = zip->Entries()[2];
    EXPECT_EQ(entry.path, "OEBPS/font/Name.ttf");
    EXPECT_TRUE(entry.compress);
    EXPECT_EQ(entry.modified, modified);
    EXPECT_EQ(entry.attributes, 0x81A4u);
    EXPECT_TRUE(entry.complete);
    EXPECT_NE(entry.data.substr(0, 1040), FontBytes(1040));
    EXPECT_EQ(Deobfuscate(entry.data, key), FontBytes(5000));
}

TEST_F(FontWriterTest, ShortFontInSmallReadsFromMemory) {
    TrickleStream in(FontBytes(300), 7);
    ASSERT_EQ(Write("Tiny.ttf", in), 1u);
    const auto& entry = zip->Entries().back();
    EXPECT_FALSE(entry.modified.has_value());
    EXPECT_EQ(entry.attributes, 0x81B6u);
    ASSERT_EQ(entry.data.size(), 300u);
    EXPECT_NE(entry.data.back(), FontBytes(300).back());
    EXPECT_EQ(Deobfuscate(entry.data, key), FontBytes(300));
}

TEST_F(FontWriterTest, ClashingNamesGetNumberedBeforeTheExtension) {
    for (const char* name : {"Name.ttf", "Name.ttf", "Name.ttf", "Open-Sans.ttf", "Open-Sans.ttf"})
        Write(name, 50);
    const char* expected[] = {"OEBPS/font/Name.ttf", "OEBPS/font/Name-1.ttf",
                              "OEBPS/font/Name-2.ttf", "OEBPS/font/Open-Sans.ttf",
                              "OEBPS/font/Open-Sans-1.ttf"};
    ASSERT_EQ(records.size(), 5u);
    for (size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(records[i].entryIndex, i + 2);
        EXPECT_EQ(zip->Path(records[i].entryIndex), expected[i]);
    }

    for (const char* path : {"OEBPS/font/My.Font.otf", "OEBPS/font/Plain"})
        EPub::AddEntry(*zip, path);
    EXPECT_EQ(EPub::UniqueFontEntryPath(*zip, "OEBPS", "My.Font.otf"), "OEBPS/font/My.Font-1.otf");
    EXPECT_EQ(EPub::UniqueFontEntryPath(*zip, "OEBPS/", "Plain"), "OEBPS/font/Plain-1");
    // Entry names hold no spaces and differ in more than case.
    EXPECT_EQ(EPub::UniqueFontEntryPath(*zip, "OEBPS", "NAME.TTF"), "OEBPS/font/NAME-3.TTF");
    EXPECT_EQ(EPub::UniqueFontEntryPath(*zip, "OEBPS", "9 Mono & Co.ttf"),
              "OEBPS/font/9_Mono_&_Co.ttf");
}

TEST_F(FontWriterTest, FailuresGiveNoRecordAndLeaveTheEntry) {
    EXPECT_EQ(Write("Empty.ttf", 0), 0u);
    EXPECT_TRUE(zip->Exists("OEBPS/font/Empty.ttf"));
    TrickleStream broken(FontBytes(3000), 512, 2000);
    EXPECT_EQ(Write("Broken.ttf", broken), 0u);
    EXPECT_EQ(Write("", 100), 0u);

    zip->SetWriteLimit(500);
    EXPECT_EQ(Write("Head.ttf", 3000), 0u);
    zip->SetWriteLimit(1500);
    EXPECT_EQ(Write("Tail.ttf", 3000), 0u);
    zip->SetWriteLimit(std::numeric_limits<size_t>::max());
    zip->RefuseAdd(true);
    EXPECT_EQ(Write("Refused.ttf", 100), 0u);
    zip->RefuseAdd(false);
    EXPECT_TRUE(records.empty());

    // The failed entry keeps its name, so the next font of that name moves aside.
    EXPECT_EQ(Write("Empty.ttf", 10), 1u);
    EXPECT_EQ(zip->Path(records[0].entryIndex), "OEBPS/font/Empty-1.ttf");
}

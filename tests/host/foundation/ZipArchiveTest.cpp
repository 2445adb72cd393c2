// SPDX-License-Identifier: MIT
#include "host/foundation/ZipArchive.h"

#include "host/foundation/FileStream.h"
#include "tests/hostimpl/foundation/ZipTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <random>

using namespace Foundation;
using namespace FoundationTest;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

constexpr uint32_t kRegularFile = 0x81B6;
constexpr std::string_view kMimeType = "application/epub+zip";

uint16_t Read16(const std::string& bytes, size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                 static_cast<unsigned char>(bytes[at + 1]) << 8);
}

std::string RandomBytes(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random());
    return bytes;
}

class ZipArchiveTest : public ::testing::Test {
protected:
    // Archive on a file stream; released (and so finished) by Finish().
    Counted<ZipArchive> Open() {
        auto out = FileOutStream::Create(path_);
        EXPECT_TRUE(out);
        return ZipArchive::Create(out, failure_);
    }
    Counted<OutStream> Add(ZipArchive& zip, const StringT& name) {
        return zip.Add(name, true, std::nullopt, kRegularFile);
    }
    std::vector<ZipRecord> Finish(Counted<ZipArchive>& zip) {
        zip.Reset();
        return ReadZip(path_);
    }

    ScratchDir dir_;
    std::string path_ = dir_ / "book.epub";
    std::exception_ptr failure_;
};

TEST_F(ZipArchiveTest, WritesAnOcfContainer) {
    auto zip = Open();
    EXPECT_TRUE(Add(*zip, "mimetype")->Write(kMimeType));
    EXPECT_TRUE(Add(*zip, "META-INF/container.xml")->Write("<container/>"));
    const std::string page(5000, 'p');
    EXPECT_TRUE(Add(*zip, "OEBPS/Story1.xhtml")->Write(page));
    Add(*zip, "OEBPS/Caf\xC3\xA9.xhtml");

    EXPECT_EQ(zip->size(), 4u);
    EXPECT_EQ(zip->Path(0), "mimetype");
    EXPECT_EQ(zip->Path(2), "OEBPS/Story1.xhtml");
    EXPECT_EQ(zip->Path(4), "");
    EXPECT_TRUE(zip->Exists("META-INF/container.xml"));
    EXPECT_FALSE(zip->Exists("container.xml"));

    const auto records = Finish(zip);
    ASSERT_FALSE(failure_) << FailureMessage(failure_);
    ASSERT_THAT(Names(records), ElementsAre("mimetype", "META-INF/container.xml",
                                            "OEBPS/Story1.xhtml", "OEBPS/Caf\xC3\xA9.xhtml"));
    EXPECT_EQ(records[0].data, kMimeType);
    EXPECT_EQ(records[2].data, page);
    EXPECT_EQ(records[3].data, "");
    EXPECT_NE(records[3].info.flag & 0x800, 0u) << "UTF-8 name flag";
    EXPECT_EQ(records[2].info.flag & 0x800, 0u);

    EXPECT_EQ(records[0].info.compression_method, 0u);
    EXPECT_EQ(records[0].info.flag & 0x8, 0u) << "no data descriptor";
    for (size_t i = 1; i < records.size(); ++i)
        EXPECT_EQ(records[i].info.compression_method, static_cast<uLong>(Z_DEFLATED));
    EXPECT_LT(records[2].info.compressed_size, page.size());
    for (const auto& r : records) {
        EXPECT_EQ(r.info.version >> 8, 3u) << "made on Unix: " << r.name;
        EXPECT_EQ(r.info.external_fa, uLong(kRegularFile) << 16) << r.name;
    }

    // Readers sniff the media type at a fixed offset, so the local header must be bare.
    const std::string raw = ReadFileBytes(path_);
    ASSERT_GT(raw.size(), 58u);
    EXPECT_EQ(raw.substr(0, 4), std::string("PK\3\4", 4));
    EXPECT_EQ(Read16(raw, 8), 0) << "stored";
    EXPECT_EQ(Read16(raw, 26), 8) << "name length";
    EXPECT_EQ(Read16(raw, 28), 0) << "extra field length";
    EXPECT_EQ(raw.substr(30, 28), "mimetypeapplication/epub+zip");

    EXPECT_EQ(std::system(("unzip -tqq '" + path_ + "'").c_str()), 0) << "unzip -t";
    if (std::system("python3 -c '' 2>/dev/null") != 0)
        GTEST_SKIP() << "python3 not available";
    const std::string check = "python3 -c 'import sys, zipfile; "
                              "sys.exit(zipfile.ZipFile(sys.argv[1]).testzip() is not None)' '" +
                              path_ + "'";
    EXPECT_EQ(std::system(check.c_str()), 0) << "python zipfile";
}

TEST_F(ZipArchiveTest, KeepsAddOrderWhateverTheReleaseOrder) {
    // As the style sheet stays open while the fonts it declares are added and written.
    auto zip = Open();
    auto css = Add(*zip, "css.css");
    auto b = Add(*zip, "b.txt");
    const std::string font = RandomBytes(100000, 1);
    zip->Add("font.ttf", true, std::nullopt, 0x8124)->Write(font);
    for (int round = 0; round < 3; ++round) {
        b->Write(StringT::Format("b%1;", round));
        css->Write(StringT::Format("a%1;", round));
    }
    css.Reset();
    auto d = Add(*zip, "d.txt"); // added after the front entry is done, before b is
    d->Write("d");
    d.Reset();
    b->Write("b-last");
    b.Reset();

    const auto records = Finish(zip);
    ASSERT_FALSE(failure_) << FailureMessage(failure_);
    ASSERT_THAT(Names(records), ElementsAre("css.css", "b.txt", "font.ttf", "d.txt"));
    EXPECT_EQ(records[0].data, "a0;a1;a2;");
    EXPECT_EQ(records[1].data, "b0;b1;b2;b-last");
    EXPECT_EQ(records[2].data, font);
    EXPECT_EQ(records[2].info.external_fa, uLong(0x8124) << 16);
    EXPECT_EQ(records[3].data, "d");
}

std::time_t LocalTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    parts.tm_isdst = -1;
    return std::mktime(&parts);
}

// Zip times are local, in two-second steps.
std::time_t ToTime(const tm_unz& t) {
    return LocalTime(int(t.tm_year), int(t.tm_mon) + 1, int(t.tm_mday), int(t.tm_hour),
                     int(t.tm_min), int(t.tm_sec));
}

TEST_F(ZipArchiveTest, StorageAndTimeStamps) {
    auto zip = Open();
    zip->Add("stored.bin", false, std::nullopt, kRegularFile)->Write("stored");
    const std::time_t given = LocalTime(2021, 6, 15, 10, 20, 30);
    zip->Add("dated.txt", true, TimeStamp::FromMicroseconds(int64_t(given) * 1000000),
             kRegularFile);
    zip->Add("ancient.txt", true, TimeStamp::FromMicroseconds(-1000000), kRegularFile);
    zip->Add("now.txt", true, std::nullopt, kRegularFile);
    const std::time_t now = std::time(nullptr);

    const auto records = Finish(zip);
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].info.compression_method, 0u);
    EXPECT_EQ(records[0].data, "stored");
    EXPECT_EQ(ToTime(records[1].info.tmu_date), given);
    // Times before zip's epoch are clamped to it rather than wrapped.
    EXPECT_EQ(records[2].info.tmu_date.tm_year, 1980u);
    EXPECT_NEAR(double(ToTime(records[3].info.tmu_date)), double(now), 60);
}

// A publication of many pages has more entries than the classic directory counts (65,535): the
// archive needs its zip64 records, or readers see a truncated or broken directory.
TEST_F(ZipArchiveTest, MoreEntriesThanTheClassicDirectoryCounts) {
    constexpr size_t kEntries = 70000;
    auto zip = Open();
    for (size_t i = 0; i < kEntries; ++i)
        zip->Add(StringT("p/" + std::to_string(i)), false, std::nullopt, kRegularFile)->Write("x");
    zip.Reset();
    ASSERT_FALSE(failure_);
    const std::string command = "unzip -tqq '" + path_ + "' >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0);
    const auto records = ReadZip(path_);
    ASSERT_EQ(records.size(), kEntries);
    EXPECT_EQ(records.back().name, "p/69999");
    EXPECT_EQ(records.back().data, "x");
}

TEST_F(ZipArchiveTest, DuplicateNameIsAFailureButNotACrash) {
    auto zip = Open();
    Add(*zip, "a.txt")->Write("first");
    auto again = Add(*zip, "a.txt");
    ASSERT_TRUE(again);
    EXPECT_TRUE(again->Write("second")); // swallowed
    EXPECT_EQ(zip->size(), 1u);
    ASSERT_TRUE(failure_);
    EXPECT_THAT(FailureMessage(failure_), HasSubstr("\"a.txt\""));
    EXPECT_THAT(FailureMessage(failure_), HasSubstr("already exists"));

    Add(*zip, "b.txt")->Write("b");
    const auto records = Finish(zip);
    ASSERT_THAT(Names(records), ElementsAre("a.txt", "b.txt"));
    EXPECT_EQ(records[0].data, "first");
}

// Each budget makes the stream give out at a different point: in a local header, in deflated
// data, while a header is patched, in the central directory.
TEST(ZipArchiveFailureTest, StreamFailingPartWayIsCaptured) {
    const std::string big = RandomBytes(40000, 4);
    size_t fullSize = 0;
    for (uint64_t budget : {0, 1, 29, 30, 45, 58, 100, 500, 5000, 30000, 45000, 60000, 1000000}) {
        std::exception_ptr failure;
        auto stream = MakeCounted<FailingStream>(budget);
        {
            auto zip = ZipArchive::Create(stream, failure);
            zip->Add("mimetype", true, std::nullopt, kRegularFile)->Write(kMimeType);
            auto open = zip->Add("OEBPS/open.xhtml", true, std::nullopt, kRegularFile);
            zip->Add("OEBPS/queued.bin", true, std::nullopt, kRegularFile)->Write(big);
            open->Write(big.substr(0, 1000));
            open.Reset();
            zip->Add("OEBPS/last.bin", true, std::nullopt, kRegularFile)->Write(big);
        }
        if (!failure) {
            fullSize = stream->Data().size();
            EXPECT_GE(budget, fullSize);
            continue;
        }
        EXPECT_THAT(FailureMessage(failure), HasSubstr("output stream failed")) << budget;
        EXPECT_LE(stream->Data().size(), budget);
    }
    EXPECT_GT(fullSize, 0u) << "the largest budget should have sufficed";
}

TEST(ZipArchiveFailureTest, NoOutputStream) {
    std::exception_ptr failure;
    auto zip = ZipArchive::Create(nullptr, failure);
    ASSERT_TRUE(zip);
    auto entry = zip->Add("mimetype", true, std::nullopt, kRegularFile);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->Write("x", 1), 0u);
    EXPECT_EQ(zip->size(), 1u);
    zip->Add("mimetype", true, std::nullopt, kRegularFile);
    EXPECT_THAT(FailureMessage(failure), HasSubstr("no output stream")) << "the first one is kept";
}

TEST(ZipArchiveFailureTest, EntryOutlivingTheArchive) {
    ScratchDir dir;
    std::exception_ptr failure;
    Counted<OutStream> straggler;
    {
        auto zip = ZipArchive::Create(FileOutStream::Create(dir / "a.zip"), failure);
        zip->Add("done.txt", true, std::nullopt, kRegularFile)->Write("done");
        straggler = zip->Add("open.txt", true, std::nullopt, kRegularFile);
        straggler->Write("kept");
    }
    // The archive is complete on release; the entry holds what it had.
    const auto records = ReadZip(dir / "a.zip");
    ASSERT_THAT(Names(records), ElementsAre("done.txt", "open.txt"));
    EXPECT_EQ(records[1].data, "kept");
    EXPECT_FALSE(failure);

    EXPECT_EQ(straggler->Write("lost", 4), 0u);
    EXPECT_THAT(FailureMessage(failure), HasSubstr("after the archive was finished"));
}

} // namespace

// SPDX-License-Identifier: MIT
#include "epub/options/CSSFile.h"
#include "host/foundation/HashAccumulator.h"
#include "host/foundation/ResourceInterface.h"

#include <gtest/gtest.h>

#include "epub/options/OptionsTestSupport.h"

#include <filesystem>
#include <fstream>

#include <unistd.h>

using namespace OptionsTest;
using EPub::CSSFile;
namespace fs = std::filesystem;

namespace {

// A style sheet the host keeps inside its document.
class HostResource final : public DataSource {
public:
    bool exists = true;
    bool modified = false;
    std::optional<TimeStamp> time = TimeStamp::FromMicroseconds(5);

    StringT GetDisplayPath() const override { return "embedded"; }
    StringT GetFilename() const override { return "embedded.css"; }
    StringT GetFileSystemRepresentation() const override { return {}; }
    std::optional<TimeStamp> GetModifiedTime() const override { return time; }
    bool Exists() const override { return exists; }
    bool IsHostResource() const override { return true; }
    bool IsHostResourceModified() const override { return modified; }
    Counted<InStreamSeekable> Open() const override { return nullptr; }
    void AccumulateHash(HashAccumulator&) const override {}
    void Save(OutSerialiser&) const override {}
    bool Load(const InSerialiser&, FileStore&, uint32_t) override { return true; }
    const ClassProperties& GetObjectSharedClassProperties() const override {
        static const ClassProperties properties{FourCC("tHRs"), 1, nullptr, nullptr, {}};
        return properties;
    }
};

int Code(ResourceStatus status) {
    return static_cast<int>(status);
}

class CSSFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("cssfile-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    Counted<const DataSource> Write(const std::string& name, const std::string& content) {
        const fs::path path = folder_ / name;
        std::ofstream(path, std::ios::binary) << content;
        return MakeCounted<FileDataSource>(StringT(path.string()));
    }
    // Linked to the file as it is now.
    static CSSFile Linked(const Counted<const DataSource>& source) {
        return CSSFile(source, *source->GetModifiedTime(), {});
    }
    static void Touch(const Counted<const DataSource>& source, int secondsLater) {
        const fs::path path(source->GetFileSystemRepresentation().str());
        fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(secondsLater));
    }

    fs::path folder_;
};

} // namespace

TEST_F(CSSFileTest, HeldTextIsValidEvenWhenTheFileIsGone) {
    const auto source = Write("book.css", "p { }");
    const CSSFile file(source, TimeStamp::FromMicroseconds(1), "h1 { color: red }");
    fs::remove(source->GetFileSystemRepresentation().str());
    EXPECT_TRUE(file.IsValid());
    EXPECT_FALSE(file.IsLinked());
    EXPECT_TRUE(file.IsResourceUptoDate());
    EXPECT_EQ(file.GetResourceStatus(), Code(ResourceStatus::Missing));
    EXPECT_EQ(file.GetFilename(), "book.css");
}

TEST_F(CSSFileTest, LinkedFileIsValidWhenItHasText) {
    const CSSFile linked = Linked(Write("a.css", "\xEF\xBB\xBF"
                                                 "body {}"));
    EXPECT_TRUE(linked.IsLinked());
    EXPECT_TRUE(linked.IsValid());
    EXPECT_TRUE(linked.IsResourceUptoDate());
    EXPECT_EQ(linked.GetResourceStatus(), Code(ResourceStatus::Ok));

    EXPECT_FALSE(Linked(Write("bom-only.css", "\xEF\xBB\xBF")).IsValid());
    EXPECT_FALSE(CSSFile().IsValid());
    EXPECT_EQ(CSSFile().GetResourceStatus(), Code(ResourceStatus::Missing));
}

TEST_F(CSSFileTest, ChangedFileIsModifiedAndNotUpToDate) {
    const auto source = Write("b.css", "p {}");
    const CSSFile file = Linked(source);
    Touch(source, 10);
    EXPECT_FALSE(file.IsResourceUptoDate());
    EXPECT_EQ(file.GetResourceStatus(), Code(ResourceStatus::Modified));
}

TEST_F(CSSFileTest, HostResourcesReportTheirOwnState) {
    const auto resource = MakeCounted<HostResource>();
    const CSSFile file(resource, TimeStamp::FromMicroseconds(5), {});
    EXPECT_EQ(file.GetResourceStatus(), Code(ResourceStatus::Ok));
    resource->time = TimeStamp::FromMicroseconds(6);
    EXPECT_EQ(file.GetResourceStatus(), Code(ResourceStatus::Modified));
    resource->time.reset();
    EXPECT_EQ(file.GetResourceStatus(), Code(ResourceStatus::Modified));
    resource->modified = true;
    EXPECT_EQ(file.GetResourceStatus(), Code(ResourceStatus::HostResourceModified));
    resource->modified = false;
    resource->exists = false;
    EXPECT_EQ(file.GetResourceStatus(), Code(ResourceStatus::Missing));
    EXPECT_TRUE(file.IsResourceUptoDate());
}

TEST_F(CSSFileTest, NewSourcesBringTheirModificationTime) {
    const auto first = Write("one.css", "a {}");
    const auto second = Write("two.css", "b {}");
    Touch(second, 100);
    CSSFile file(first, TimeStamp::FromMicroseconds(1), "held text");

    const Counted<CSSFile> clone = file.CloneWithNewDataSource(second);
    EXPECT_EQ(clone->GetContent(), "held text");
    EXPECT_EQ(clone->GetDataSource(), second);
    EXPECT_EQ(clone->GetModifiedTime(), *second->GetModifiedTime());
    EXPECT_EQ(file.GetDataSource(), first);

    const auto timeless = MakeCounted<HostResource>();
    timeless->time.reset();
    EXPECT_EQ(file.CloneWithNewDataSource(timeless)->GetModifiedTime(),
              TimeStamp::FromMicroseconds(1));

    file.SetDataSource(second);
    EXPECT_EQ(file.GetModifiedTime(), *second->GetModifiedTime());
    EXPECT_TRUE(file.IsResourceUptoDate());
}

TEST_F(CSSFileTest, RoundTripsSourceTimeAndContent) {
    const auto source = Write("c.css", "x {}");
    const CSSFile original(source, TimeStamp::FromMicroseconds(-1234567), "em { }");
    const std::string data = SerialiseObject(original);
    EXPECT_TRUE(TagsInOrder(data, {"FSSC", "ruos", "fdom", "tnoc"}));

    const auto loaded = LoadStream<CSSFile>(data);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->GetContent(), "em { }");
    EXPECT_EQ(loaded->GetModifiedTime(), TimeStamp::FromMicroseconds(-1234567));
    EXPECT_EQ(loaded->GetFileSystemRepresentation(), source->GetFileSystemRepresentation());

    CSSFile kept = original;
    LoadMembers(kept, [](OutSerialiser& out) { out.SaveType(FourCC("cont"), "new"); });
    EXPECT_EQ(kept.GetContent(), "new");
    EXPECT_EQ(kept.GetDataSource(), source);
    EXPECT_EQ(kept.GetModifiedTime(), TimeStamp::FromMicroseconds(-1234567));
}

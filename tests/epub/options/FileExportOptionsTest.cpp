// SPDX-License-Identifier: MIT
#include "epub/options/FileExportOptions.h"
#include "epub/options/AccessibilityMetadata.h"
#include "epub/options/FlowingEPubOptions.h"

#include <gtest/gtest.h>

#include "epub/options/OptionsTestSupport.h"

using namespace OptionsTest;
using EPub::FileExportOptions;
using CoverPage = FileExportOptions::CoverPage;
using Preset = Render::FileExportOptionsVector::Preset;
using Changes = Render::FileExportOptionsChanges2;

namespace {

Counted<const DataSource> File(const char* path) {
    return MakeCounted<FileDataSource>(path);
}

FileExportOptions AllChanged() {
    FileExportOptions o(Preset::Standard);
    o.SetCoverPage(CoverPage::ImageFile);
    o.SetCoverPageNum(12);
    o.SetCoverPageFile(File("/images/cover.jpg"));
    o.SetPageDPI(96);
    o.SetTextDPI(600);
    o.SetIncludeBleed(true);
    o.SetIsUseRasteriseDpi(true);
    o.SetRasteriseDpi(300);
    return o;
}

} // namespace

TEST(FixedLayoutOptions, DefaultsDependOnThePresetOnlyForPageResolution) {
    const FileExportOptions standard(Preset::Standard);
    EXPECT_EQ(standard.GetCoverPage(), CoverPage::DocumentPage);
    EXPECT_EQ(standard.GetCoverPageNum(), 1u);
    EXPECT_FALSE(standard.GetCoverPageFile());
    EXPECT_EQ(standard.GetPageDPI(), 72.0);
    EXPECT_EQ(standard.GetTextDPI(), 1440.0);

    const FileExportOptions none(Preset::None);
    EXPECT_EQ(none.GetPageDPI(), 0.0);
    EXPECT_EQ(none.GetCoverPage(), CoverPage::DocumentPage);
    EXPECT_EQ(none.GetTextDPI(), 1440.0);

    EXPECT_EQ(standard.GetUID(), "com.corvo.quorvane.epub.export");
    EXPECT_EQ(standard.GetDisplayString(), "EPUB");
    EXPECT_EQ(standard.GetFileTypeAsString(), "epub");
    EXPECT_EQ(static_cast<int>(standard.GetExportFileType()), 14);
    EXPECT_TRUE(standard.IsTagging());
    EXPECT_TRUE(standard.SupportsMultipage());
    EXPECT_FALSE(standard.CanApplyMatte());
    EXPECT_FALSE(standard.CanEmbedICCProfile());
    EXPECT_FALSE(standard.CanIncludeBleed());
    EXPECT_EQ(standard.GetClassTag(), 0x454F4550u);
    EXPECT_EQ(FileExportOptions::CreateObject()->GetPageDPI(), 72.0);
}

TEST(FixedLayoutOptions, RoundTripsEveryMember) {
    const FileExportOptions original = AllChanged();
    const std::string data = SerialiseObject(original);
    EXPECT_TRUE(TagsInOrder(data, {"PEOE", "egap", "ongp", "ifgp", "ipdp", "ipdt"}));

    const auto loaded = LoadStream<FileExportOptions>(data);
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(loaded->IsEqual(original));
    EXPECT_EQ(loaded->GetHash(), original.GetHash());
    EXPECT_EQ(loaded->GetCoverPage(), CoverPage::ImageFile);
    ASSERT_TRUE(loaded->GetCoverPageFile());
    EXPECT_EQ(loaded->GetCoverPageFile()->GetFileSystemRepresentation(), "/images/cover.jpg");

    const auto defaults = RoundTrip(FileExportOptions(Preset::Standard));
    ASSERT_TRUE(defaults);
    EXPECT_TRUE(defaults->IsEqual(FileExportOptions(Preset::Standard)));
    EXPECT_FALSE(defaults->GetCoverPageFile());

    const auto clone = CountedCast<FileExportOptions>(original.Clone());
    ASSERT_TRUE(clone);
    EXPECT_NE(clone.get(), &original);
    EXPECT_TRUE(clone->IsEqual(original));
    EXPECT_EQ(clone->GetCoverPageFile(), original.GetCoverPageFile());
}

TEST(FixedLayoutOptions, LoadingKeepsWhatIsMissingAndEmptiesAForeignCoverFile) {
    const auto empty = LoadStream<FileExportOptions>(StreamOf(FourCC("EOEP"), [](auto&) {}));
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->IsEqual(FileExportOptions(Preset::Standard)));

    FileExportOptions o = AllChanged();
    const AnyValue any;
    LoadMembers(o, [&](OutSerialiser& out) {
        out.SaveEnumI(FourCC("page"), 3, any);
        out.SaveType(FourCC("pgno"), -4); // does not fit the unsigned page number
        out.SaveObject(FourCC("pgfi"), MakeCounted<EPub::AccessibilityMetadata>());
    });
    EXPECT_EQ(o.GetCoverPage(), CoverPage::ImageFile);
    EXPECT_EQ(o.GetCoverPageNum(), 12u);
    EXPECT_FALSE(o.GetCoverPageFile());

    o.SetCoverPageFile(File("/a.png"));
    LoadMembers(o, [](OutSerialiser& out) { out.SaveObject(FourCC("pgfi"), nullptr); });
    EXPECT_FALSE(o.GetCoverPageFile());
}

TEST(FixedLayoutOptions, ComparisonIgnoresTheCoverFileButTheHashDoesNot) {
    const FileExportOptions base = AllChanged();
    const std::vector<std::pair<const char*, std::function<void(FileExportOptions&)>>> changes = {
        {"page", [](auto& o) { o.SetCoverPage(CoverPage::None); }},
        {"pgno", [](auto& o) { o.SetCoverPageNum(13); }},
        {"pdpi", [](auto& o) { o.SetPageDPI(97); }},
        {"tdpi", [](auto& o) { o.SetTextDPI(601); }},
        {"base", [](auto& o) { o.SetRasteriseDpi(301); }},
    };
    for (const auto& [name, change] : changes) {
        FileExportOptions changed = base;
        change(changed);
        EXPECT_FALSE(changed.IsEqual(base)) << name;
        EXPECT_NE(changed.GetHash(), base.GetHash()) << name;
    }

    FileExportOptions otherFile = base;
    otherFile.SetCoverPageFile(File("/images/other.jpg"));
    EXPECT_TRUE(otherFile.IsEqual(base));
    EXPECT_NE(otherFile.GetHash(), base.GetHash());
    FileExportOptions noFile = base;
    noFile.SetCoverPageFile(nullptr);
    EXPECT_NE(noFile.GetHash(), base.GetHash());

    FileExportOptions positive(Preset::Standard), negative(Preset::Standard);
    positive.SetPageDPI(0.0);
    negative.SetPageDPI(-0.0);
    positive.SetTextDPI(0.0);
    negative.SetTextDPI(-0.0);
    EXPECT_TRUE(positive.IsEqual(negative));
    EXPECT_EQ(positive.GetHash(), negative.GetHash());
}

TEST(FixedLayoutOptions, ApplyChangesCopiesExactlyTheFlaggedFields) {
    const FileExportOptions source = AllChanged();
    const FileExportOptions fresh(Preset::Standard);

    // Flag false: the fields whose bits are clear (here the cover page number, the page
    // resolution and the base's rasterise resolution) are copied, the others stay.
    FileExportOptions target(Preset::Standard);
    Changes changes(~uint64_t{0});
    changes.Set(FileExportOptions::kCoverPageNumBit, false)
        .Set(FileExportOptions::kPageDPIBit, false)
        .Set(Changes::RasteriseDpi, false);
    target.ApplyChanges(source, changes, false);
    EXPECT_EQ(target.GetCoverPageNum(), 12u);
    EXPECT_EQ(target.GetPageDPI(), 96.0);
    EXPECT_EQ(target.GetRasteriseDpi(), 300.0);
    EXPECT_EQ(target.GetCoverPage(), fresh.GetCoverPage());
    EXPECT_FALSE(target.GetCoverPageFile());
    EXPECT_EQ(target.GetTextDPI(), fresh.GetTextDPI());
    EXPECT_EQ(target.IsUseRasteriseDpi(), fresh.IsUseRasteriseDpi());
    EXPECT_EQ(target.IsIncludeBleed(), fresh.IsIncludeBleed());

    FileExportOptions all(Preset::Standard);
    all.ApplyChanges(source, Changes(~uint64_t{0}), true);
    EXPECT_TRUE(all.IsEqual(source));
    EXPECT_EQ(all.GetCoverPageFile(), source.GetCoverPageFile());

    FileExportOptions fromFlowing(Preset::Standard);
    EPub::FlowingEPubOptions flowing(Preset::Standard);
    flowing.SetCoverPageType(EPub::CoverPageType::Image);
    fromFlowing.ApplyChanges(flowing, Changes(~uint64_t{0}), true);
    EXPECT_EQ(fromFlowing.GetCoverPage(), CoverPage::DocumentPage);
}

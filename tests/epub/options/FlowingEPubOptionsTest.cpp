// SPDX-License-Identifier: MIT
#include "epub/options/FlowingEPubOptions.h"
#include "epub/options/FileExportOptions.h"
#include "host/foundation/HashAccumulator.h"

#include <gtest/gtest.h>

#include "epub/options/OptionsTestSupport.h"

using namespace EPub;
using namespace OptionsTest;
using Preset = Render::FileExportOptionsVector::Preset;
using Changes = Render::FileExportOptionsChanges2;

namespace {

FlowingEPubOptions AllChanged() {
    FlowingEPubOptions o(Preset::Standard);
    o.SetConvertNumberedListsToText(true);
    o.SetConvertBulletListsToText(true);
    o.SetRemoveLineBreaks(false);
    o.SetGenerateCSS(false);
    o.SetPreserveLocalOverrides(false);
    o.SetExcludeTocPageNumbers(true);
    o.SetCoverPageType(CoverPageType::Image);
    o.SetCoverPageAltText("A <cover> & more");
    o.SetPaginationSourceType(PaginationSourceType::ISBN);
    o.SetPaginationSource("978-3-16-148410-0");
    o.SetIncludeBleed(true);
    o.SetEmbedICCProfile(false);
    o.SetIsUseRasteriseDpi(true);
    o.SetRasteriseDpi(220);
    o.SetMinimumTextContrast(7);
    return o;
}

using Mutation = std::function<void(FlowingEPubOptions&)>;
const std::vector<std::pair<const char*, Mutation>>& OneMemberChanges() {
    static const std::vector<std::pair<const char*, Mutation>> changes = {
        {"cvnm", [](auto& o) { o.SetConvertNumberedListsToText(true); }},
        {"cvbl", [](auto& o) { o.SetConvertBulletListsToText(true); }},
        {"rlbk", [](auto& o) { o.SetRemoveLineBreaks(false); }},
        {"gcss", [](auto& o) { o.SetGenerateCSS(false); }},
        {"plov", [](auto& o) { o.SetPreserveLocalOverrides(false); }},
        {"etpn", [](auto& o) { o.SetExcludeTocPageNumbers(true); }},
        {"mtcr", [](auto& o) { o.SetMinimumTextContrast(0); }},
        {"page", [](auto& o) { o.SetCoverPageType(CoverPageType::FirstPage); }},
        {"cval", [](auto& o) { o.SetCoverPageAltText("x"); }},
        {"psty", [](auto& o) { o.SetPaginationSourceType(PaginationSourceType::Other); }},
        {"psrc", [](auto& o) { o.SetPaginationSource("x"); }},
        {"bleed", [](auto& o) { o.SetIncludeBleed(true); }},
        {"icc", [](auto& o) { o.SetEmbedICCProfile(false); }},
        {"use dpi", [](auto& o) { o.SetIsUseRasteriseDpi(true); }},
        {"dpi", [](auto& o) { o.SetRasteriseDpi(151); }},
    };
    return changes;
}

} // namespace

TEST(FlowingEPubOptions, DefaultsAndConstantAnswers) {
    const FlowingEPubOptions o(Preset::Standard);
    EXPECT_FALSE(o.IsConvertNumberedListsToText());
    EXPECT_FALSE(o.IsConvertBulletListsToText());
    EXPECT_TRUE(o.IsRemoveLineBreaks());
    EXPECT_TRUE(o.IsGenerateCSS());
    EXPECT_TRUE(o.IsPreserveLocalOverrides());
    EXPECT_FALSE(o.IsExcludeTocPageNumbers());
    EXPECT_EQ(o.GetCoverPageType(), CoverPageType::None);
    EXPECT_EQ(o.GetPaginationSourceType(), PaginationSourceType::None);
    EXPECT_TRUE(o.GetCoverPageAltText().empty());
    EXPECT_TRUE(o.GetPaginationSource().empty());
    EXPECT_FALSE(o.IsUseRasteriseDpi());

    EXPECT_EQ(o.GetUID(), "com.corvo.quorvane.epuf.export");
    EXPECT_EQ(o.GetDisplayString(), "FlowingEPub");
    EXPECT_EQ(o.GetFileTypeAsString(), "epub");
    EXPECT_EQ(static_cast<int>(o.GetExportFileType()), 17);
    EXPECT_TRUE(o.IsTagging());
    EXPECT_FALSE(o.CanApplyMatte());
    EXPECT_FALSE(o.CanEmbedICCProfile());
    EXPECT_FALSE(o.CanIncludeBleed());
    EXPECT_TRUE(o.SupportsMultipage());

    EXPECT_EQ(o.GetClassTag(), 0x46454F50u);
    EXPECT_EQ(FlowingEPubOptions::GetTypeSharedClassProperties().version, 1u);
    EXPECT_TRUE(FlowingEPubOptions::GetTypeSharedClassProperties().IsKindOf(
        Render::FileExportOptionsVector::GetTypeSharedClassProperties()));
    const auto created = CountedCast<FlowingEPubOptions>(
        Foundation::ClassRegistry::Instance().Create(FourCC("FEOP")));
    ASSERT_TRUE(created);
    EXPECT_TRUE(created->IsEqual(o));
}

TEST(FlowingEPubOptions, RoundTripsEveryMemberInSaveOrder) {
    const FlowingEPubOptions original = AllChanged();
    const std::string data = SerialiseObject(original);
    EXPECT_TRUE(TagsInOrder(data, {"POEF", "mnvc", "lbvc", "egap", "kblr", "lavc", "sscg", "volp",
                                   "ytsp", "crsp", "npte", "rctm"}));

    const auto loaded = LoadStream<FlowingEPubOptions>(data);
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(loaded->IsEqual(original));
    EXPECT_EQ(loaded->GetCoverPageAltText(), "A <cover> & more");
    EXPECT_EQ(loaded->GetPaginationSourceType(), PaginationSourceType::ISBN);
    EXPECT_DOUBLE_EQ(loaded->GetRasteriseDpi(), 220);

    const auto clone = CountedCast<FlowingEPubOptions>(original.Clone());
    ASSERT_TRUE(clone);
    EXPECT_NE(clone.get(), &original);
    EXPECT_TRUE(clone->IsEqual(original));
}

TEST(FlowingEPubOptions, AbsentTagsAndRefusedEnumerationsKeepValues) {
    FlowingEPubOptions o = AllChanged();
    LoadMembers(o, [](OutSerialiser&) {});
    EXPECT_TRUE(o.IsEqual(AllChanged()));

    // An older writer without "etpn".
    const auto old =
        LoadStream<FlowingEPubOptions>(StreamOf(FourCC("FEOP"), [](OutSerialiser& out) {
            out.SaveType(FourCC("cvnm"), true);
            out.SaveType(FourCC("psrc"), "src");
        }));
    ASSERT_TRUE(old);
    EXPECT_TRUE(old->IsConvertNumberedListsToText());
    EXPECT_EQ(old->GetPaginationSource(), "src");
    EXPECT_FALSE(old->IsExcludeTocPageNumbers());

    const AnyValue any;
    LoadMembers(o, [&](OutSerialiser& out) {
        out.SaveEnumI(FourCC("page"), 3, any);
        out.SaveEnumI(FourCC("psty"), -1, any);
    });
    EXPECT_EQ(o.GetCoverPageType(), CoverPageType::Image);
    EXPECT_EQ(o.GetPaginationSourceType(), PaginationSourceType::ISBN);
    LoadMembers(o, [&](OutSerialiser& out) { out.SaveEnumI(FourCC("page"), 0, any); });
    EXPECT_EQ(o.GetCoverPageType(), CoverPageType::None);
}

TEST(FlowingEPubOptions, EveryMemberTakesPartInComparisonAndHash) {
    const FlowingEPubOptions base(Preset::Standard);
    for (const auto& [name, change] : OneMemberChanges()) {
        FlowingEPubOptions changed = base;
        change(changed);
        EXPECT_FALSE(changed.IsEqual(base)) << name;
        EXPECT_NE(changed.GetHash(), base.GetHash()) << name;
    }
    EXPECT_TRUE(FlowingEPubOptions(base).IsEqual(base));
    EXPECT_EQ(FlowingEPubOptions(base).GetHash(), base.GetHash());
    EXPECT_FALSE(base.IsEqual(EPub::FileExportOptions(Preset::Standard)));
}

TEST(FlowingEPubOptions, HashFollowsTheDocumentedOrder) {
    const FlowingEPubOptions o = AllChanged();
    Foundation::HashAccumulator expected;
    expected.AddToHash(true);  // bleed
    expected.AddToHash(false); // ICC profile
    expected.AddToHash(true);  // own rasterise resolution
    expected.AddToHash(220.0); // rasterise resolution
    expected.AddToHash(true);  // bullets
    expected.AddToHash(true);  // numbered
    expected.AddToHash(false); // line breaks
    expected.AddToHash(int32_t{2});
    expected.AddToHash(StringT("A <cover> & more"));
    expected.AddToHash(false);
    expected.AddToHash(false);
    expected.AddToHash(int32_t{1});
    expected.AddToHash(StringT("978-3-16-148410-0"));
    expected.AddToHash(true);
    expected.AddToHash(7.0); // minimum text contrast
    Foundation::HashAccumulator actual;
    o.AccumulateHash(actual);
    EXPECT_EQ(actual.GetHash(), expected.GetHash());
}

TEST(FlowingEPubOptions, ApplyChangesTakesOnlyTheMergeableMembers) {
    const FlowingEPubOptions source = AllChanged();

    FlowingEPubOptions target(Preset::Standard);
    Changes own;
    for (unsigned bit : {25u, 26u, 27u, 32u, 33u})
        own.Set(bit);
    target.ApplyChanges(source, own, true);
    EXPECT_TRUE(target.IsConvertBulletListsToText());
    EXPECT_TRUE(target.IsConvertNumberedListsToText());
    EXPECT_EQ(target.GetCoverPageType(), CoverPageType::Image);
    EXPECT_EQ(target.GetPaginationSourceType(), PaginationSourceType::ISBN);
    EXPECT_EQ(target.GetPaginationSource(), "978-3-16-148410-0");
    EXPECT_TRUE(target.IsRemoveLineBreaks());
    EXPECT_FALSE(target.IsIncludeBleed());

    // Every bit set: the five members that are never merged stay.
    FlowingEPubOptions all(Preset::Standard);
    all.ApplyChanges(source, Changes(~uint64_t{0}), true);
    EXPECT_TRUE(all.IsRemoveLineBreaks());
    EXPECT_TRUE(all.IsGenerateCSS());
    EXPECT_TRUE(all.IsPreserveLocalOverrides());
    EXPECT_FALSE(all.IsExcludeTocPageNumbers());
    EXPECT_TRUE(all.GetCoverPageAltText().empty());
    EXPECT_TRUE(all.IsIncludeBleed());
    EXPECT_DOUBLE_EQ(all.GetRasteriseDpi(), 220);

    // Flag false: bits that are clear are taken.
    FlowingEPubOptions cleared(Preset::Standard);
    cleared.ApplyChanges(source, Changes().Set(26).Set(Changes::RasteriseDpi), false);
    EXPECT_TRUE(cleared.IsConvertBulletListsToText());
    EXPECT_FALSE(cleared.IsConvertNumberedListsToText());
    EXPECT_TRUE(cleared.IsUseRasteriseDpi());
    EXPECT_DOUBLE_EQ(cleared.GetRasteriseDpi(), 150);
}

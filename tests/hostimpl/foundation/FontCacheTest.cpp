// SPDX-License-Identifier: MIT
#include "host/foundation/FontCache.h"
#include "host/foundation/FontHandle.h"
#include "host/foundation/Stream.h"

#include "tests/hostimpl/foundation/FontTestSupport.h"

#include <gtest/gtest.h>

#include <set>

using namespace Foundation;

TEST(FontValueTest, OrdersByFamilyFirst) {
    // The font list keys on this order, so a family's faces sit together.
    const std::set<Font> fonts = {Font("B", "", 100), Font("A", "", 900), Font("A", "", 400)};
    EXPECT_EQ(std::vector<Font>(fonts.begin(), fonts.end()),
              (std::vector<Font>{Font("A", "", 400), Font("A", "", 900), Font("B", "", 100)}));
    EXPECT_NE(Font("A"), Font("A", "", 400, FontSlant::Upright, 87));
    EXPECT_NE(Font("A"), Font("a"));
}

TEST(FontCacheTest, BestMatchFindsInstalledFacesByStyle) {
    const auto cache = FontCache::Create();
    const auto regular = cache->GetBestFontMatch(Font("DejaVu Sans"));
    ASSERT_TRUE(regular);
    EXPECT_EQ(regular->GetFamilyName(), "DejaVu Sans");
    EXPECT_EQ(regular->GetWeight(), 400);
    EXPECT_EQ(regular->GetSlant(), FontSlant::Upright);
    EXPECT_EQ(regular->GetStretch(), 100);

    const auto boldItalic =
        cache->GetBestFontMatch(Font("dejavu serif", "", 700, FontSlant::Italic));
    ASSERT_TRUE(boldItalic);
    EXPECT_EQ(boldItalic->GetFamilyName(), "DejaVu Serif"); // spelled as the font spells it
    EXPECT_EQ(boldItalic->GetWeight(), 700);
    EXPECT_EQ(boldItalic->GetSlant(), FontSlant::Italic);
    EXPECT_EQ(boldItalic->GetStyleName(), "Bold Italic");

    // Sans only has obliques; they stand in for italic.
    const auto oblique = cache->GetBestFontMatch(Font("DejaVu Sans", "", 400, FontSlant::Italic));
    ASSERT_TRUE(oblique);
    EXPECT_EQ(oblique->GetSlant(), FontSlant::Oblique);
}

TEST(FontCacheTest, MissingFamilyHasNoBestMatchButAClosestFont) {
    const auto cache = FontCache::Create();
    const Font missing("No Such Family 7f3a");
    EXPECT_FALSE(cache->GetBestFontMatch(missing));
    EXPECT_FALSE(cache->MakeHandle(missing));
    EXPECT_FALSE(FontHandle::Make(missing));
    const Font closest = cache->GetClosestAvailableFont(missing);
    EXPECT_FALSE(closest.IsEmpty());
    EXPECT_NE(closest.GetFamilyName(), missing.GetFamilyName());
    EXPECT_FALSE(cache->GetBestFontMatch(Font()));
    EXPECT_TRUE(cache->GetClosestAvailableFont(Font()).IsEmpty());
}

TEST(FontHandleTest, InstalledFaceGivesItsFileAndTables) {
    const auto handle = FontHandle::Make(Font("DejaVu Sans"));
    ASSERT_TRUE(handle);
    EXPECT_EQ(handle->GetFilePath(), FontTest::kDejaVuSans);
    EXPECT_EQ(handle->GetFileName(), "DejaVuSans.ttf");
    EXPECT_EQ(handle->GetFaceIndex(), 0u);
    EXPECT_FALSE(handle->IsInMemory());
    EXPECT_FALSE(handle->IsCollection());
    EXPECT_TRUE(handle->GetModifiedTime());
    EXPECT_EQ(handle->GetLicenceType(), 0); // DejaVu is freely embeddable
    EXPECT_TRUE(handle->CanEmbed());
    EXPECT_EQ(handle->GetNameTable().GetFamilyName(), "DejaVu Sans");
    EXPECT_EQ(handle->GetFont(), *FontCache::Create()->GetBestFontMatch(Font("DejaVu Sans")));

    const auto data = handle->OpenData();
    ASSERT_TRUE(data);
    EXPECT_EQ(ReadAll(*data), FontTest::ReadFile(FontTest::kDejaVuSans));
}

TEST(FontHandleTest, PanoseGivesTheGenericFamilies) {
    struct Case {
        const char* family;
        bool serif;
        bool mono;
    };
    for (const Case c : {Case{"DejaVu Sans", false, false}, Case{"DejaVu Serif", true, false},
                         Case{"DejaVu Sans Mono", false, true}}) {
        SCOPED_TRACE(c.family);
        const auto handle = FontHandle::Make(Font(c.family));
        ASSERT_TRUE(handle);
        const Panose& panose = handle->GetPanose();
        EXPECT_EQ(panose.GetFamilyKind(), Panose::kLatinText);
        EXPECT_EQ(panose.IsSerif(), c.serif);
        EXPECT_EQ(panose.IsMonospaced(), c.mono);
    }
}

TEST(FontHandleTest, CollectionFaceKeepsItsIndex) {
    const auto handle = FontHandle::Make(Font("WenQuanYi Zen Hei Mono"));
    ASSERT_TRUE(handle);
    EXPECT_EQ(handle->GetFilePath(), FontTest::kZenHei);
    EXPECT_EQ(handle->GetFaceIndex(), 1u);
    EXPECT_TRUE(handle->IsCollection());
    EXPECT_EQ(handle->GetNameTable().GetFamilyName(), "WenQuanYi Zen Hei Mono");
}

TEST(FontHandleTest, UnreadableFilesGiveNoHandle) {
    EXPECT_FALSE(FontHandle::MakeFromFile("/nonexistent/font.ttf"));
    EXPECT_FALSE(FontHandle::MakeFromFile(FontTest::kDejaVuSans, 5));
    const auto byPath = FontHandle::MakeFromFile(FontTest::kDejaVuSerif);
    ASSERT_TRUE(byPath);
    EXPECT_EQ(byPath->GetFont().GetFamilyName(), "DejaVu Serif");
    EXPECT_EQ(byPath->GetFont().GetStyleName(), "Book");
    EXPECT_EQ(byPath->GetFont().GetWeight(), 400);
}

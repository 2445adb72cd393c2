// SPDX-License-Identifier: MIT
#include "host/foundation/FontCache.h"
#include "host/foundation/FontHandle.h"
#include "host/foundation/MemoryFont.h"

#include "tests/hostimpl/foundation/FontTestSupport.h"

#include <gtest/gtest.h>

using namespace Foundation;

namespace {
constexpr const char* kDocFamily = "DejaVu Serif";

Counted<MemoryFontRegistry> RegistryWith(const char* path, const char* name) {
    auto registry = MakeCounted<MemoryFontRegistry>();
    EXPECT_EQ(registry->Register(name, FontTest::ReadFile(path)), 1u);
    return registry;
}
} // namespace

TEST(MemoryFontTest, RegisteredFontIsFoundByFamilyAndStyle) {
    auto registry = RegistryWith(FontTest::kDejaVuSerif, "Doc.ttf");
    const auto found = MemoryFont::FindRegisteredFont(*registry, Font("dejavu SERIF", "", 700));
    ASSERT_TRUE(found);
    EXPECT_EQ(found->GetFont().GetFamilyName(), kDocFamily);
    EXPECT_EQ(found->GetFileName(), "Doc.ttf");
    EXPECT_FALSE(registry->FindRegisteredFont(Font("DejaVu Sans")));

    // With the bold face registered too, the nearer weight wins.
    registry->Register("DocBold.ttf",
                       FontTest::ReadFile("/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf"));
    EXPECT_EQ(registry->FindRegisteredFont(Font(kDocFamily, "", 700))->GetFileName(),
              "DocBold.ttf");
    EXPECT_EQ(registry->FindRegisteredFont(Font(kDocFamily, "", 400))->GetFileName(), "Doc.ttf");
}

TEST(MemoryFontTest, RegistrationRejectsNonFontsAndSplitsCollections) {
    MemoryFontRegistry registry;
    EXPECT_EQ(registry.Register("junk.ttf", "not a font at all"), 0u);
    EXPECT_EQ(registry.Register("empty.ttf", ""), 0u);
    EXPECT_EQ(registry.Register("zenhei.ttc", FontTest::ReadFile(FontTest::kZenHei)), 3u);
    const auto sharp = registry.FindRegisteredFont(Font("WenQuanYi Zen Hei Sharp"));
    ASSERT_TRUE(sharp);
    EXPECT_EQ(sharp->GetFaceIndex(), 2u);
}

TEST(MemoryFontTest, MemoryFontsTakePrecedenceInTheCache) {
    const auto registry = RegistryWith(FontTest::kDejaVuSerif, "Doc.ttf");
    const auto cache = FontCache::Create(registry);
    const auto handle = cache->MakeHandle(Font(kDocFamily));
    ASSERT_TRUE(handle);
    EXPECT_TRUE(handle->IsInMemory());
    EXPECT_EQ(handle->GetFileName(), "Doc.ttf");
    EXPECT_TRUE(handle->GetFilePath().empty());
    EXPECT_FALSE(handle->GetModifiedTime());
    EXPECT_TRUE(handle->GetPanose().IsSerif());
    const auto data = handle->OpenData();
    ASSERT_TRUE(data);
    EXPECT_EQ(ReadAll(*data), FontTest::ReadFile(FontTest::kDejaVuSerif));

    // Families not registered still come from the system.
    const auto installed = cache->MakeHandle(Font("DejaVu Sans"));
    ASSERT_TRUE(installed);
    EXPECT_FALSE(installed->IsInMemory());
}

TEST(MemoryFontTest, RestrictedLicenceForbidsEmbedding) {
    std::string bytes = FontTest::ReadFile(FontTest::kDejaVuSans);
    const size_t os2 = FontTest::FindTable(bytes, "OS/2");
    ASSERT_NE(os2, 0u);
    bytes[os2 + 8] = 0x02; // fsType, big-endian: 0x0200 bitmap embedding only
    MemoryFontRegistry registry;
    ASSERT_EQ(registry.Register("Restricted.ttf", bytes), 1u);
    const auto handle = FontHandle::Make(Font("DejaVu Sans"), &registry);
    ASSERT_TRUE(handle);
    EXPECT_TRUE(handle->IsInMemory());
    EXPECT_EQ(handle->GetLicenceType(), 0x0200);
    EXPECT_FALSE(handle->CanEmbed());

    bytes[os2 + 8] = 0x00;
    bytes[os2 + 9] = 0x02; // 0x0002 restricted licence
    MemoryFontRegistry restricted;
    ASSERT_EQ(restricted.Register("Restricted.ttf", bytes), 1u);
    EXPECT_FALSE(FontHandle::Make(Font("DejaVu Sans"), &restricted)->CanEmbed());
}

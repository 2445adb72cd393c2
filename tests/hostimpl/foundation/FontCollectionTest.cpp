// SPDX-License-Identifier: MIT
#include "host/foundation/FontCollection.h"
#include "host/foundation/FontNameTable.h"

#include "hostimpl/foundation/FontFreeType.h"
#include "tests/hostimpl/foundation/FontTestSupport.h"

#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_TRUETYPE_TABLES_H

using namespace Foundation;
using FontTest::ReadU16;
using FontTest::ReadU32;

namespace {

const std::string& ZenHei() {
    static const std::string data = FontTest::ReadFile(FontTest::kZenHei);
    return data;
}

uint32_t Checksum(std::string_view d) {
    uint32_t sum = 0;
    for (size_t i = 0; i < d.size(); i += 4) {
        uint32_t word = 0;
        for (size_t k = 0; k < 4; ++k)
            word = word << 8 | (i + k < d.size() ? uint8_t(d[i + k]) : 0);
        sum += word;
    }
    return sum;
}

} // namespace

TEST(FontCollectionTest, FindsFacesByFamily) {
    ASSERT_TRUE(IsFontCollection(ZenHei()));
    EXPECT_EQ(FindCollectionFace(ZenHei(), "WenQuanYi Zen Hei"), 0u);
    EXPECT_EQ(FindCollectionFace(ZenHei(), "wenquanyi zen hei sharp"), 2u);
    EXPECT_FALSE(FindCollectionFace(ZenHei(), "DejaVu Sans"));
    EXPECT_FALSE(FindCollectionFace(FontTest::ReadFile(FontTest::kDejaVuSans), "DejaVu Sans"));
}

TEST(FontCollectionTest, ExtractedFaceIsAStandaloneFont) {
    const auto face = ExtractCollectionFace(ZenHei(), 1);
    ASSERT_TRUE(face);
    const std::string& sfnt = *face;
    EXPECT_FALSE(IsFontCollection(sfnt));
    EXPECT_EQ(sfnt.size() % 4, 0u);

    // Directory: sorted tags, aligned offsets inside the file, checksums that match.
    const uint16_t count = ReadU16(sfnt, 4);
    ASSERT_GT(count, 5);
    EXPECT_EQ(ReadU16(sfnt, 6), 16 * (1u << ReadU16(sfnt, 8)));
    EXPECT_EQ(ReadU16(sfnt, 6) + ReadU16(sfnt, 10), 16u * count);
    uint32_t previousTag = 0;
    for (size_t i = 0; i < count; ++i) {
        const size_t entry = 12 + 16 * i;
        const uint32_t tag = ReadU32(sfnt, entry);
        const uint32_t offset = ReadU32(sfnt, entry + 8);
        const uint32_t length = ReadU32(sfnt, entry + 12);
        EXPECT_GT(tag, previousTag);
        previousTag = tag;
        EXPECT_EQ(offset % 4, 0u);
        ASSERT_LE(size_t(offset) + length, sfnt.size());
        std::string table = sfnt.substr(offset, length);
        if (tag == 0x68656164) // 'head' is summed with its adjustment zeroed
            table.replace(8, 4, 4, '\0');
        EXPECT_EQ(ReadU32(sfnt, entry + 4), Checksum(table)) << "table " << i;
    }
    EXPECT_EQ(Checksum(sfnt), 0xB1B0AFBAu);

    // FreeType opens it as one face of the right family, with every table readable.
    const auto lib = FreeType::OpenLibrary();
    const auto ft = FreeType::OpenMemoryFace(lib, sfnt, 0);
    ASSERT_TRUE(ft);
    EXPECT_EQ(ft->num_faces, 1);
    EXPECT_EQ(FreeType::ReadNameTable(ft.get()).GetFamilyName(), "WenQuanYi Zen Hei Mono");
    FT_ULong tables = 0;
    ASSERT_EQ(FT_Sfnt_Table_Info(ft.get(), 0, nullptr, &tables), 0);
    EXPECT_EQ(tables, count);
    for (FT_UInt i = 0; i < tables; ++i) {
        FT_ULong tag = 0, length = 0;
        ASSERT_EQ(FT_Sfnt_Table_Info(ft.get(), i, &tag, &length), 0);
        std::string buffer(length, '\0');
        EXPECT_EQ(FT_Load_Sfnt_Table(ft.get(), tag, 0, reinterpret_cast<FT_Byte*>(buffer.data()),
                                     &length),
                  0);
    }
    EXPECT_EQ(FT_Load_Glyph(ft.get(), FT_Get_Char_Index(ft.get(), 0x6587), FT_LOAD_NO_SCALE), 0);
}

TEST(FontCollectionTest, ExtractionRejectsBadInput) {
    EXPECT_FALSE(ExtractCollectionFace(ZenHei(), 3));
    EXPECT_FALSE(ExtractCollectionFace(FontTest::ReadFile(FontTest::kDejaVuSans), 0));
    EXPECT_FALSE(ExtractCollectionFace("", 0));
    EXPECT_FALSE(ExtractCollectionFace("ttcf", 0));
    // Header claims many faces but the offsets are cut off.
    std::string header("ttcf\0\1\0\0\0\0\0\x40", 12);
    EXPECT_FALSE(ExtractCollectionFace(header, 0));
    // Offset tables survive but the table data is gone.
    EXPECT_FALSE(ExtractCollectionFace(std::string_view(ZenHei()).substr(0, 4096), 0));
}

TEST(FontNameTableTest, PrefersWindowsEnglishThenOtherPlatforms) {
    using R = FontNameTable::Record;
    const FontNameTable names({
        R{1, 0, 0, 1, "Mac Name"},
        R{3, 1, 0x0407, 1, "German Name"},
        R{0, 3, 0, 1, "Unicode Name"},
        R{3, 1, 0x0409, 1, "English Name"},
        R{1, 0, 0, 2, "Mac Style"},
        R{3, 1, 0x0409, 2, ""},
    });
    EXPECT_EQ(names.GetFamilyName(), "English Name");
    EXPECT_EQ(names.GetName(FontNameTable::kSubfamily), "Mac Style");
    EXPECT_EQ(names.GetName(FontNameTable::kPostScriptName), "");
    EXPECT_TRUE(names.HasName(1, "german NAME"));
    EXPECT_FALSE(names.HasName(2, "German Name"));
    EXPECT_EQ(FontNameTable({R{3, 1, 0x0407, 1, "German"}, R{0, 3, 0, 1, "Uni"}}).GetFamilyName(),
              "German");
}

TEST(FontNameTableTest, DecodesTheEncodingsFontsUse) {
    using FreeType::DecodeName;
    const std::string utf16("\0A\0\xE9\xD8\x3D\xDE\x00", 8); // "Aé😀"
    EXPECT_EQ(DecodeName(3, 1, utf16), "A\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_EQ(DecodeName(0, 3, utf16), "A\xC3\xA9\xF0\x9F\x98\x80");
    // A lone surrogate and an odd trailing byte do not derail decoding.
    EXPECT_EQ(DecodeName(3, 1, std::string("\xD8\x00\0B\0", 5)), "\xEF\xBF\xBD"
                                                                 "B");
    EXPECT_EQ(DecodeName(1, 0, "Caf\x8E \xA5"), "Caf\xC3\xA9 \xE2\x80\xA2"); // é, bullet
    EXPECT_EQ(DecodeName(1, 1, "\x82\xA0"), "");                             // Mac Japanese
    EXPECT_EQ(DecodeName(3, 2, "\x82\xA0"), "");                             // Windows ShiftJIS
}

TEST(FontNameTableTest, ReadsFromFontData) {
    EXPECT_EQ(FontNameTable::Read(ZenHei(), 2).GetFamilyName(), "WenQuanYi Zen Hei Sharp");
    EXPECT_TRUE(FontNameTable::Read("garbage").empty());
    const auto sans = FontNameTable::Read(FontTest::ReadFile(FontTest::kDejaVuSans));
    EXPECT_EQ(sans.GetName(FontNameTable::kPostScriptName), "DejaVuSans");
}

TEST(PanoseTest, ClassifiesByFamilyKind) {
    using D = std::array<uint8_t, 10>;
    EXPECT_TRUE(Panose(D{2, 2, 6, 3}).IsSerif());   // cove
    EXPECT_TRUE(Panose(D{2, 10, 6, 3}).IsSerif());  // triangle
    EXPECT_FALSE(Panose(D{2, 11, 6, 3}).IsSerif()); // normal sans
    EXPECT_FALSE(Panose(D{2, 14, 6, 3}).IsSerif()); // flared
    EXPECT_FALSE(Panose(D{3, 2, 6, 3}).IsSerif());  // digit 2 is a tool kind here
    EXPECT_TRUE(Panose(D{2, 2, 6, 9}).IsMonospaced());
    EXPECT_FALSE(Panose(D{2, 2, 6, 3}).IsMonospaced());
    EXPECT_TRUE(Panose(D{3, 2, 6, 3}).IsMonospaced()); // hand-written spacing
    EXPECT_TRUE(Panose(D{5, 2, 6, 3}).IsMonospaced());
    EXPECT_FALSE(Panose(D{4, 2, 6, 3}).IsMonospaced()); // decorative digit 4 is aspect
    EXPECT_TRUE(Panose().IsUnknown());
    EXPECT_FALSE(Panose().IsSerif());
    EXPECT_FALSE(Panose().IsMonospaced());
}

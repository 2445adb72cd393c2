// SPDX-License-Identifier: MIT
#include "hostimpl/foundation/FontFreeType.h"

#include <ft2build.h>
#include FT_SFNT_NAMES_H
#include FT_TRUETYPE_TABLES_H
#include FT_TRUETYPE_IDS_H

#include <array>
#include <cstring>

namespace Foundation::FreeType {

namespace {

// Upper half of Mac OS Roman; the lower half is ASCII.
constexpr std::array<char16_t, 128> kMacRoman = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1, 0x00E0, 0x00E2, 0x00E4, 0x00E3,
    0x00E5, 0x00E7, 0x00E9, 0x00E8, 0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC, 0x2020, 0x00B0, 0x00A2, 0x00A3,
    0x00A7, 0x2022, 0x00B6, 0x00DF, 0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211, 0x220F, 0x03C0, 0x222B, 0x00AA,
    0x00BA, 0x03A9, 0x00E6, 0x00F8, 0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB,
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153, 0x2013, 0x2014, 0x201C, 0x201D,
    0x2018, 0x2019, 0x00F7, 0x25CA, 0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1, 0x00CB, 0x00C8, 0x00CD, 0x00CE,
    0x00CF, 0x00CC, 0x00D3, 0x00D4, 0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,
};

constexpr char32_t kReplacement = 0xFFFD;

StringT DecodeUTF16BE(std::string_view bytes) {
    StringT out;
    const auto unit = [&](size_t i) {
        return char32_t((uint8_t(bytes[i]) << 8) | uint8_t(bytes[i + 1]));
    };
    const size_t n = bytes.size() & ~size_t(1);
    for (size_t i = 0; i < n; i += 2) {
        const char32_t u = unit(i);
        if (u >= 0xD800 && u < 0xDC00 && i + 3 < n) {
            const char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                out.AppendCodePoint(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        out.AppendCodePoint(u >= 0xD800 && u < 0xE000 ? kReplacement : u);
    }
    return out;
}

StringT DecodeMacRoman(std::string_view bytes) {
    StringT out;
    for (const char c : bytes) {
        const auto b = uint8_t(c);
        out.AppendCodePoint(b < 0x80 ? char32_t(b) : char32_t(kMacRoman[b - 0x80]));
    }
    return out;
}

// usWidthClass 1 to 9 as percentages, rounded as the system font configuration rounds them.
int StretchFromWidthClass(uint16_t widthClass) {
    constexpr std::array<int, 9> kStretch = {50, 63, 75, 87, 100, 113, 125, 150, 200};
    return widthClass >= 1 && widthClass <= 9 ? kStretch[widthClass - 1] : Font::kNormalStretch;
}

constexpr uint16_t kSelectionItalic = 0x0001;
constexpr uint16_t kSelectionOblique = 0x0200;

} // namespace

Library OpenLibrary() {
    FT_Library lib = nullptr;
    if (FT_Init_FreeType(&lib) != 0)
        return nullptr;
    return Library(lib);
}

Face OpenMemoryFace(const Library& lib, std::string_view data, long faceIndex) {
    FT_Face face = nullptr;
    if (!lib || data.empty() || faceIndex < 0)
        return nullptr;
    if (FT_New_Memory_Face(lib.get(), reinterpret_cast<const FT_Byte*>(data.data()),
                           FT_Long(data.size()), faceIndex, &face) != 0)
        return nullptr;
    return Face(face);
}

Face OpenFileFace(const Library& lib, const char* path, long faceIndex) {
    FT_Face face = nullptr;
    if (!lib || faceIndex < 0 || FT_New_Face(lib.get(), path, faceIndex, &face) != 0)
        return nullptr;
    return Face(face);
}

long CountFaces(const Library& lib, std::string_view data) {
    FT_Face face = nullptr;
    if (!lib || data.empty())
        return 0;
    // Index -1 only probes the file: the face reports how many faces there are.
    if (FT_New_Memory_Face(lib.get(), reinterpret_cast<const FT_Byte*>(data.data()),
                           FT_Long(data.size()), -1, &face) != 0)
        return 0;
    const Face owned(face);
    return face->num_faces;
}

StringT DecodeName(uint16_t platformId, uint16_t encodingId, std::string_view bytes) {
    switch (platformId) {
    case TT_PLATFORM_APPLE_UNICODE:
        return DecodeUTF16BE(bytes);
    case TT_PLATFORM_MICROSOFT:
        if (encodingId == TT_MS_ID_SYMBOL_CS || encodingId == TT_MS_ID_UNICODE_CS ||
            encodingId == TT_MS_ID_UCS_4)
            return DecodeUTF16BE(bytes);
        return {};
    case TT_PLATFORM_MACINTOSH:
        return encodingId == TT_MAC_ID_ROMAN ? DecodeMacRoman(bytes) : StringT();
    default:
        return {};
    }
}

FontNameTable ReadNameTable(FT_Face face) {
    std::vector<FontNameTable::Record> records;
    if (!face || !FT_IS_SFNT(face))
        return {};
    const FT_UInt count = FT_Get_Sfnt_Name_Count(face);
    records.reserve(count);
    for (FT_UInt i = 0; i < count; ++i) {
        FT_SfntName name{};
        if (FT_Get_Sfnt_Name(face, i, &name) != 0)
            continue;
        const std::string_view bytes(reinterpret_cast<const char*>(name.string), name.string_len);
        StringT text = DecodeName(name.platform_id, name.encoding_id, bytes);
        if (text.empty())
            continue;
        records.push_back(
            {name.platform_id, name.encoding_id, name.language_id, name.name_id, std::move(text)});
    }
    return FontNameTable(std::move(records));
}

Panose ReadPanose(FT_Face face) {
    const auto* os2 =
        face ? static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)) : nullptr;
    if (!os2)
        return {};
    std::array<uint8_t, 10> digits{};
    std::memcpy(digits.data(), os2->panose, digits.size());
    return Panose(digits);
}

uint16_t ReadLicenceType(FT_Face face) {
    return face ? FT_Get_FSType_Flags(face) : 0;
}

bool IsCollectionFile(FT_Face face) {
    if (!face || !FT_IS_SFNT(face))
        return false;
    // Tag 0 addresses the file itself, so this reads its first four bytes.
    std::array<FT_Byte, 4> head{};
    FT_ULong length = head.size();
    if (FT_Load_Sfnt_Table(face, 0, 0, head.data(), &length) != 0)
        return false;
    return std::memcmp(head.data(), "ttcf", 4) == 0;
}

Font DescribeFace(FT_Face face, const FontNameTable& names) {
    StringT family = names.GetFamilyName();
    if (family.empty() && face->family_name)
        family = face->family_name;
    StringT style = names.GetName(FontNameTable::kSubfamily);
    if (style.empty() && face->style_name)
        style = face->style_name;

    const bool bold = (face->style_flags & FT_STYLE_FLAG_BOLD) != 0;
    int weight = bold ? Font::kBoldWeight : Font::kRegularWeight;
    FontSlant slant =
        (face->style_flags & FT_STYLE_FLAG_ITALIC) ? FontSlant::Italic : FontSlant::Upright;
    int stretch = Font::kNormalStretch;
    if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2))) {
        // Some old fonts give the weight class in hundreds.
        if (os2->usWeightClass >= 1 && os2->usWeightClass <= 9)
            weight = os2->usWeightClass * 100;
        else if (os2->usWeightClass >= 10 && os2->usWeightClass <= 1000)
            weight = os2->usWeightClass;
        if (os2->fsSelection & kSelectionOblique)
            slant = FontSlant::Oblique;
        else if (os2->fsSelection & kSelectionItalic)
            slant = FontSlant::Italic;
        stretch = StretchFromWidthClass(os2->usWidthClass);
    }
    return Font(std::move(family), std::move(style), weight, slant, stretch);
}

} // namespace Foundation::FreeType

namespace Foundation {

FontNameTable FontNameTable::Read(std::string_view fontData, uint32_t faceIndex) {
    const auto lib = FreeType::OpenLibrary();
    const auto face = FreeType::OpenMemoryFace(lib, fontData, long(faceIndex));
    return face ? FreeType::ReadNameTable(face.get()) : FontNameTable();
}

} // namespace Foundation

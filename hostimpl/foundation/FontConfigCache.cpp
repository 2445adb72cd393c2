// SPDX-License-Identifier: MIT
// Installed fonts through fontconfig; registered memory fonts take precedence.
#include "host/foundation/FontCache.h"
#include "host/foundation/FontHandle.h"

#include "hostimpl/foundation/FontFreeType.h"

#include <fontconfig/fontconfig.h>
#include FT_ADVANCES_H

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <memory>
#include <vector>

namespace Foundation {

namespace {

struct PatternDeleter {
    void operator()(FcPattern* p) const noexcept { FcPatternDestroy(p); }
};
using Pattern = std::unique_ptr<FcPattern, PatternDeleter>;

struct ConfigDeleter {
    void operator()(FcConfig* c) const noexcept { FcConfigDestroy(c); }
};
// A reference on the process's current configuration, which fontconfig builds once.
using Config = std::unique_ptr<FcConfig, ConfigDeleter>;

Config CurrentConfig() {
    return Config(FcConfigReference(nullptr));
}

// A face that fontconfig chose, with what the face itself says of its style.
struct Match {
    Font font;
    StringT path;
    uint32_t faceIndex = 0;
};

const FcChar8* Utf8(const StringT& s) {
    return reinterpret_cast<const FcChar8*>(s.c_str());
}

StringT GetString(const FcPattern* p, const char* object, int n = 0) {
    FcChar8* value = nullptr;
    if (FcPatternGetString(p, object, n, &value) != FcResultMatch || !value)
        return {};
    return StringT(reinterpret_cast<const char*>(value));
}

double GetDouble(const FcPattern* p, const char* object, double fallback) {
    double value = 0;
    return FcPatternGetDouble(p, object, 0, &value) == FcResultMatch ? value : fallback;
}

int FcSlantOf(FontSlant slant) {
    switch (slant) {
    case FontSlant::Italic:
        return FC_SLANT_ITALIC;
    case FontSlant::Oblique:
        return FC_SLANT_OBLIQUE;
    default:
        return FC_SLANT_ROMAN;
    }
}

FontSlant SlantOf(int fcSlant) {
    if (fcSlant >= FC_SLANT_OBLIQUE)
        return FontSlant::Oblique;
    return fcSlant >= FC_SLANT_ITALIC ? FontSlant::Italic : FontSlant::Upright;
}

Pattern MakeQuery(const Font& font) {
    Pattern p(FcPatternCreate());
    if (!p)
        return nullptr;
    FcPatternAddString(p.get(), FC_FAMILY, Utf8(font.GetFamilyName()));
    if (!font.GetStyleName().empty())
        FcPatternAddString(p.get(), FC_STYLE, Utf8(font.GetStyleName()));
    FcPatternAddDouble(p.get(), FC_WEIGHT, FcWeightFromOpenTypeDouble(font.GetWeight()));
    FcPatternAddInteger(p.get(), FC_SLANT, FcSlantOf(font.GetSlant()));
    FcPatternAddDouble(p.get(), FC_WIDTH, font.GetStretch());
    return p;
}

// The family spelled as the face spells it: the requested one when the face has it (fontconfig
// lists localised and typographic names too), else the face's first.
StringT MatchedFamily(const FcPattern* match, const StringT& wanted, bool& hasWanted) {
    hasWanted = false;
    for (int i = 0;; ++i) {
        StringT family = GetString(match, FC_FAMILY, i);
        if (family.empty())
            break;
        if (family.EqualsNoCase(wanted)) {
            hasWanted = true;
            return family;
        }
    }
    return GetString(match, FC_FAMILY);
}

// `requireFamily` refuses the configuration's substitutes for a missing family.
std::optional<Match> MatchInstalled(FcConfig* config, const Font& font, bool requireFamily) {
    if (!config || font.GetFamilyName().empty())
        return std::nullopt;
    Pattern query = MakeQuery(font);
    if (!query)
        return std::nullopt;
    FcConfigSubstitute(config, query.get(), FcMatchPattern);
    FcDefaultSubstitute(query.get());
    FcResult result = FcResultNoMatch;
    const Pattern match(FcFontMatch(config, query.get(), &result));
    if (!match || result != FcResultMatch)
        return std::nullopt;

    bool hasFamily = false;
    StringT family = MatchedFamily(match.get(), font.GetFamilyName(), hasFamily);
    StringT path = GetString(match.get(), FC_FILE);
    if ((requireFamily && !hasFamily) || family.empty() || path.empty())
        return std::nullopt;

    int slant = FC_SLANT_ROMAN;
    FcPatternGetInteger(match.get(), FC_SLANT, 0, &slant);
    int index = 0;
    FcPatternGetInteger(match.get(), FC_INDEX, 0, &index);
    const double weight = GetDouble(match.get(), FC_WEIGHT, FC_WEIGHT_REGULAR);
    const double width = GetDouble(match.get(), FC_WIDTH, FC_WIDTH_NORMAL);
    Font described(std::move(family), GetString(match.get(), FC_STYLE),
                   int(std::lround(FcWeightToOpenTypeDouble(weight))), SlantOf(slant),
                   int(std::lround(width)));
    // The upper half of the index selects a named instance of a variable font.
    return Match{std::move(described), std::move(path), uint32_t(index) & 0xFFFF};
}

struct CharSetDeleter {
    void operator()(FcCharSet* c) const noexcept { FcCharSetDestroy(c); }
};
struct FontSetDeleter {
    void operator()(FcFontSet* s) const noexcept { FcFontSetDestroy(s); }
};

bool HasAll(const FcPattern* face, std::u32string_view characters) {
    FcCharSet* charset = nullptr;
    if (FcPatternGetCharSet(face, FC_CHARSET, 0, &charset) != FcResultMatch || !charset)
        return false;
    return std::all_of(characters.begin(), characters.end(),
                       [&](char32_t c) { return FcCharSetHasChar(charset, c); });
}

// Faces with every character, nearest in style first (coverage ranks before family in
// fontconfig's sort), then those with the first character alone.
std::vector<Match> FallbackCandidates(FcConfig* config, const Font& font,
                                      std::u32string_view characters, const StringT& language) {
    Pattern query = MakeQuery(font);
    const std::unique_ptr<FcCharSet, CharSetDeleter> wanted(FcCharSetCreate());
    if (!config || !query || !wanted || characters.empty())
        return {};
    for (const char32_t c : characters)
        FcCharSetAddChar(wanted.get(), c);
    FcPatternAddCharSet(query.get(), FC_CHARSET, wanted.get());
    if (!language.empty())
        FcPatternAddString(query.get(), FC_LANG, Utf8(language));
    FcConfigSubstitute(config, query.get(), FcMatchPattern);
    FcDefaultSubstitute(query.get());
    FcResult result = FcResultNoMatch;
    const std::unique_ptr<FcFontSet, FontSetDeleter> sorted(
        FcFontSort(config, query.get(), FcFalse, nullptr, &result));
    std::vector<Match> candidates;
    if (!sorted)
        return candidates;
    for (const std::u32string_view needed : {characters, characters.substr(0, 1)})
        for (int i = 0; i < sorted->nfont; ++i) {
            const FcPattern* face = sorted->fonts[i];
            StringT path = GetString(face, FC_FILE);
            if (path.empty() || !HasAll(face, needed))
                continue;
            int index = 0;
            FcPatternGetInteger(face, FC_INDEX, 0, &index);
            candidates.push_back(Match{Font(), std::move(path), uint32_t(index) & 0xFFFF});
        }
    return candidates;
}

std::optional<TimeStamp> ModifiedTime(const StringT& path) {
    std::error_code error;
    const auto written = std::filesystem::last_write_time(path.str(), error);
    if (error)
        return std::nullopt;
    const auto sinceEpoch = std::chrono::file_clock::to_sys(written).time_since_epoch();
    return TimeStamp::FromMicroseconds(
        std::chrono::duration_cast<std::chrono::microseconds>(sinceEpoch).count());
}

Counted<FontHandle> HandleForFile(Font described, const StringT& path, uint32_t faceIndex) {
    const auto lib = FreeType::OpenLibrary();
    const auto face = FreeType::OpenFileFace(lib, path.c_str(), long(faceIndex));
    if (!face)
        return nullptr;
    FontHandle::Description d;
    d.names = FreeType::ReadNameTable(face.get());
    d.font =
        described.IsEmpty() ? FreeType::DescribeFace(face.get(), d.names) : std::move(described);
    d.path = path;
    d.faceIndex = faceIndex;
    d.licenceType = FreeType::ReadLicenceType(face.get());
    d.panose = FreeType::ReadPanose(face.get());
    d.modified = ModifiedTime(path);
    d.isCollection = FreeType::IsCollectionFile(face.get());
    return MakeCounted<FontHandle>(std::move(d));
}

Counted<FontHandle> HandleForMemoryFont(Counted<const MemoryFont> memory) {
    const auto lib = FreeType::OpenLibrary();
    const auto face = FreeType::OpenMemoryFace(lib, memory->GetData(), memory->GetFaceIndex());
    if (!face)
        return nullptr;
    FontHandle::Description d;
    d.font = memory->GetFont();
    d.names = memory->GetNameTable();
    d.faceIndex = memory->GetFaceIndex();
    d.licenceType = FreeType::ReadLicenceType(face.get());
    d.panose = FreeType::ReadPanose(face.get());
    d.isCollection = FreeType::IsCollectionFile(face.get());
    d.memoryFont = std::move(memory);
    return MakeCounted<FontHandle>(std::move(d));
}

Counted<FontHandle> MakeHandle(FcConfig* config, const Font& font,
                               const MemoryFontRegistry* memoryFonts) {
    if (memoryFonts)
        if (auto memory = memoryFonts->FindRegisteredFont(font))
            return HandleForMemoryFont(std::move(memory));
    auto match = MatchInstalled(config, font, true);
    if (!match)
        return nullptr;
    return HandleForFile(std::move(match->font), match->path, match->faceIndex);
}

class FontConfigCache final : public FontCache {
public:
    explicit FontConfigCache(Counted<const MemoryFontRegistry> memoryFonts)
        : memoryFonts_(std::move(memoryFonts)), config_(CurrentConfig()) {}

    std::optional<Font> GetBestFontMatch(const Font& font) const override {
        if (auto memory = FindMemoryFont(font))
            return memory->GetFont();
        auto match = MatchInstalled(config_.get(), font, true);
        if (!match)
            return std::nullopt;
        return std::move(match->font);
    }

    Font GetClosestAvailableFont(const Font& font) const override {
        if (auto memory = FindMemoryFont(font))
            return memory->GetFont();
        auto match = MatchInstalled(config_.get(), font, false);
        return match ? std::move(match->font) : Font();
    }

    Counted<FontHandle> MakeHandle(const Font& font) const override {
        return Foundation::MakeHandle(config_.get(), font, memoryFonts_.get());
    }

private:
    Counted<const MemoryFont> FindMemoryFont(const Font& font) const {
        return memoryFonts_ ? memoryFonts_->FindRegisteredFont(font) : nullptr;
    }

    Counted<const MemoryFontRegistry> memoryFonts_;
    Config config_;
};

} // namespace

Counted<FontCache> FontCache::Create(Counted<const MemoryFontRegistry> memoryFonts) {
    return MakeCounted<FontConfigCache>(std::move(memoryFonts));
}

Counted<FontHandle> FontHandle::Make(const Font& font, const MemoryFontRegistry* memoryFonts) {
    const Config config = CurrentConfig();
    return Foundation::MakeHandle(config.get(), font, memoryFonts);
}

namespace {

// Whether each of `characters` advances down a vertical line in the face: one without vertical
// metrics gets them made up by the shaper, but some faces carry a table that gives most glyphs
// no advance at all, and their ideographs would pile up on one another.
bool AdvancesDown(const Match& match, std::u32string_view characters) {
    const auto lib = FreeType::OpenLibrary();
    const auto face = FreeType::OpenFileFace(lib, match.path.c_str(), long(match.faceIndex));
    if (!face)
        return false;
    if (!FT_HAS_VERTICAL(face.get()))
        return true;
    for (const char32_t c : characters) {
        const FT_UInt glyph = FT_Get_Char_Index(face.get(), c);
        FT_Fixed advance = 0;
        if (glyph != 0 &&
            FT_Get_Advance(face.get(), glyph, FT_LOAD_NO_SCALE | FT_LOAD_VERTICAL_LAYOUT,
                           &advance) == 0 &&
            advance == 0)
            return false;
    }
    return true;
}

} // namespace

Counted<FontHandle> FontHandle::MakeFallback(const Font& font, std::u32string_view characters,
                                             const StringT& language, bool upright) {
    const Config config = CurrentConfig();
    Counted<FontHandle> first;
    // A face whose licence forbids embedding would leave the page to the reader's own fonts.
    for (auto& match : FallbackCandidates(config.get(), font, characters, language)) {
        if (upright && !AdvancesDown(match, characters))
            continue;
        auto handle = HandleForFile(Font(), match.path, match.faceIndex);
        if (handle && handle->CanEmbed())
            return handle;
        if (!first)
            first = std::move(handle);
    }
    return first;
}

Counted<FontHandle> FontHandle::MakeFromFile(const StringT& path, uint32_t faceIndex) {
    return HandleForFile(Font(), path, faceIndex);
}

} // namespace Foundation

// SPDX-License-Identifier: MIT
// Embedded fonts as a reading system loads them: de-obfuscated, every character the text shows
// still has its glyph, and the file is a fraction of the installed one.

#include "cli/ToolFixture.h"
#include "epub/package/FontObfuscation.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <filesystem>
#include <memory>
#include <regex>
#include <string_view>

namespace {

namespace fs = std::filesystem;
using ToolTest::Tool;

constexpr const char* kSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr const char* kSansBold = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
constexpr const char* kZenHei = "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc";
constexpr const char* kId = "urn:uuid:0d6f1c9e-5b8a-4c1e-9a57-3f2b4f4b1a77";

// A font file's characters, read with FreeType as a reading system would.
class Face {
public:
    explicit Face(std::string data) : data_(std::move(data)) {
        FT_Init_FreeType(&library_);
        if (FT_New_Memory_Face(library_, reinterpret_cast<const FT_Byte*>(data_.data()),
                               static_cast<FT_Long>(data_.size()), 0, &face_) != 0)
            face_ = nullptr;
    }
    ~Face() {
        if (face_)
            FT_Done_Face(face_);
        FT_Done_FreeType(library_);
    }
    Face(const Face&) = delete;
    Face& operator=(const Face&) = delete;

    bool Ok() const { return face_ != nullptr; }
    bool Has(char32_t c) const { return face_ && FT_Get_Char_Index(face_, c) != 0; }
    long Glyphs() const { return face_ ? face_->num_glyphs : 0; }
    std::string Family() const { return face_ && face_->family_name ? face_->family_name : ""; }

private:
    std::string data_;
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
};

std::u32string Utf32(const std::string& utf8) {
    std::u32string out;
    for (size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        const size_t n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        char32_t c = n == 1 ? b : b & (0x7F >> n);
        for (size_t k = 1; k < n; ++k)
            c = c << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        out += c;
        i += n;
    }
    return out;
}

class FontSubset : public Tool {
protected:
    void SetUp() override {
        Tool::SetUp();
        if (!fs::exists(kSans) || !fs::exists(kSansBold) || !fs::exists(kZenHei))
            GTEST_SKIP() << "fonts-dejavu-core and fonts-wqy-zenhei are needed";
    }

    std::map<std::string, std::string> ExportOk(const std::string& json) {
        const auto r = Export(json);
        EXPECT_EQ(r.status, 0) << r.err;
        return r.status == 0 ? Entries(dir_ / "out.epub") : std::map<std::string, std::string>{};
    }

    static std::string Plain(std::string data) {
        EPub::ObfuscateFont(std::span(reinterpret_cast<uint8_t*>(data.data()), data.size()),
                            EPub::MakeFontKey(kId));
        return data;
    }

    // The embedded font files, de-obfuscated, by entry name.
    static std::map<std::string, std::string> Fonts(const std::map<std::string, std::string>& e) {
        std::map<std::string, std::string> fonts;
        for (const auto& [name, data] : e)
            if (name.starts_with("OEBPS/font/"))
                fonts.emplace(name.substr(11), Plain(data));
        return fonts;
    }

    std::string Document(const std::string& options, const std::string& text,
                         const std::string& extraStyles = "") {
        fs::copy_file(kSans, dir_ / "sans.ttf", fs::copy_options::overwrite_existing);
        fs::copy_file(kSansBold, dir_ / "sans-bold.ttf", fs::copy_options::overwrite_existing);
        return R"({"metadata": {"identifier": ")" + std::string(kId) + R"("}, "options": {)" +
               options + R"(}, "fonts": ["sans.ttf", "sans-bold.ttf"],
            "styles": [{"name": "S", "character": {"fontFamily": "DejaVu Sans"}},
                       {"name": "B", "character": {"fontFamily": "DejaVu Sans", "fontWeight": 700}})" +
               extraStyles + R"(],
            "stories": [{"file": "a.xhtml", "paragraphs": [
                {"style": "S", "text": ")" +
               text + R"("},
                {"style": "B", "text": "bold"}]}]})";
    }
};

// Text in several scripts, with notes and entities: each character keeps its glyph, and so does
// its other case (a style sheet may transform it) and what reading systems draw themselves.
TEST_F(FontSubset, EveryShownCharacterKeepsItsGlyph) {
    const std::string text = "Grüße aus Zürich — Ἀθῆναι, Москва, ﬁne & <ok> “quoted” ½ ∑";
    const auto fonts = Fonts(ExportOk(Document("", text)));
    ASSERT_TRUE(fonts.contains("sans.ttf")) << "no regular face";
    const Face face(fonts.at("sans.ttf"));
    ASSERT_TRUE(face.Ok()) << "the subset is not a font FreeType opens";
    const Face whole(Read(kSans));
    EXPECT_EQ(face.Family(), "DejaVu Sans");
    for (const char32_t c : Utf32(text))
        EXPECT_TRUE(face.Has(c)) << "U+" << std::hex << static_cast<uint32_t>(c);
    for (const char32_t c : std::u32string_view(U"ÜSSẞΘΝΑΙмосква•–\u00a0"))
        if (whole.Has(c)) {
            EXPECT_TRUE(face.Has(c)) << "U+" << std::hex << static_cast<uint32_t>(c);
        }
    // What the text does not use is gone.
    for (const char32_t c : std::u32string_view(U"ЖЯ∫☃"))
        EXPECT_FALSE(face.Has(c)) << "U+" << std::hex << static_cast<uint32_t>(c);
    EXPECT_LT(face.Glyphs() * 5, whole.Glyphs());
    EXPECT_LT(fonts.at("sans.ttf").size() * 5, fs::file_size(kSans));
}

// Bold text gets the bold face's own file, described by its weight, not the regular one.
TEST_F(FontSubset, BoldIsEmbeddedAsItsOwnFace) {
    const auto e = ExportOk(Document("", "regular"));
    const auto fonts = Fonts(e);
    ASSERT_TRUE(fonts.contains("sans-bold.ttf")) << "bold face not embedded";
    const Face bold(fonts.at("sans-bold.ttf"));
    EXPECT_TRUE(bold.Has(U'b'));
    std::string css;
    for (const auto& [name, data] : e)
        if (name.ends_with(".css"))
            css += data;
    const std::regex boldFace(R"(@font-face \{[^}]*font-weight: 700;[^}]*sans-bold\.ttf)");
    EXPECT_TRUE(std::regex_search(css, boldFace)) << css;
}

// Switched off, the installed file is embedded byte for byte.
TEST_F(FontSubset, CanBeSwitchedOff) {
    const auto fonts = Fonts(ExportOk(Document(R"("subsetFonts": false)", "text")));
    ASSERT_TRUE(fonts.contains("sans.ttf"));
    EXPECT_TRUE(fonts.at("sans.ttf") == Read(kSans));
}

// A collection's face comes out as a small plain font with the characters in use.
TEST_F(FontSubset, ACollectionFaceIsCutToTheCharactersUsed) {
    fs::copy_file(kZenHei, dir_ / "zh.ttc");
    const auto e =
        ExportOk(R"({"fonts": ["zh.ttc"], "metadata": {"identifier": ")" + std::string(kId) + R"("},
        "styles": [{"name": "Z", "character": {"fontFamily": "WenQuanYi Zen Hei"}}],
        "stories": [{"file": "a.xhtml", "paragraphs": [{"style": "Z", "text": "中文书"}]}]})");
    const auto fonts = Fonts(e);
    ASSERT_TRUE(fonts.contains("zh.ttf")) << "no plain font entry";
    const Face face(fonts.at("zh.ttf"));
    ASSERT_TRUE(face.Ok());
    for (const char32_t c : std::u32string_view(U"中文书"))
        EXPECT_TRUE(face.Has(c));
    EXPECT_FALSE(face.Has(U'国'));
    EXPECT_LT(fonts.at("zh.ttf").size(), fs::file_size(kZenHei) / 50);
}

// Fixed-layout pages embed the installed face their text names, cut the same way: a page with
// two Chinese characters no longer carries the whole collection.
TEST_F(FontSubset, FixedLayoutPagesEmbedOnlyTheGlyphsTheyShow) {
    const auto e = ExportOk(R"({"layout": "fixed", "options": {"cover": false},
      "metadata": {"title": "Pages", "language": "zh", "identifier": ")" +
                            std::string(kId) + R"("},
      "pages": [{"width": 200, "height": 300, "items": [
        {"type": "text", "character": {"fontFamily": "WenQuanYi Zen Hei", "size": 14},
         "lines": [{"x": 20, "y": 40, "text": "中文"}]}]}]})");
    const auto fonts = Fonts(e);
    ASSERT_EQ(fonts.size(), 1u);
    const auto& [name, data] = *fonts.begin();
    EXPECT_TRUE(name.ends_with(".ttf")) << name;
    const Face face(data);
    ASSERT_TRUE(face.Ok()) << name << " is not a font FreeType opens";
    EXPECT_TRUE(face.Has(U'中') && face.Has(U'文'));
    EXPECT_FALSE(face.Has(U'书'));
    EXPECT_LT(data.size(), fs::file_size(kZenHei) / 50);
}

} // namespace

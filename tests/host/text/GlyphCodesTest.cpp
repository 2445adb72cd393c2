// SPDX-License-Identifier: MIT
#include "host/text/GlyphCodes.h"

#include "host/text/Glyph.h"
#include "host/text/GlyphString.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace Text;

namespace {

const uint32_t kParagraph = GlyphCode::MakeChar(U'\u2029', BreakKind::Paragraph);
const uint32_t kCell = GlyphCode::MakeChar(U'\u2029', BreakKind::Cell);

void ExpectSame(const GlyphCodes& codes, const std::vector<uint32_t>& model) {
    ASSERT_EQ(codes.size(), model.size());
    for (uint32_t i = 0; i < model.size(); ++i)
        ASSERT_EQ(codes[i], model[i]) << "at " << i << ", width " << codes.Width();
}

// Random inserts of a mix of codes, checked against a plain vector after each; `expectWidth` 0
// leaves the width to the store.
void InsertRandomly(uint32_t seed, const std::vector<uint32_t>& alphabet, uint32_t expectWidth) {
    std::mt19937 random(seed);
    GlyphCodes codes;
    std::vector<uint32_t> model;
    for (int round = 0; round < 300; ++round) {
        std::vector<uint32_t> piece(random() % 12);
        for (uint32_t& code : piece)
            code = alphabet[random() % alphabet.size()];
        const auto at = static_cast<uint32_t>(random() % (model.size() + 1));
        codes.Insert(at, piece.data(), static_cast<uint32_t>(piece.size()));
        model.insert(model.begin() + at, piece.begin(), piece.end());
        ExpectSame(codes, model);
    }
    if (expectWidth) {
        EXPECT_EQ(codes.Width(), expectWidth);
    }
}

TEST(GlyphCodesTest, HoldsEveryCodeWhateverTheWidth) {
    const uint32_t object = GlyphCode::ObjectFlag | 7;
    // Latin-1 text with breaks, objects, a tab with a role and U+00FF, which is the narrow escape.
    InsertRandomly(1,
                   {'a', 'b', ' ', 0xE9, 0xFF, kParagraph, kCell, object,
                    GlyphCode::MakeChar(U'\t', BreakKind::None, GlyphCode::IndentToHere)},
                   0);
    // Greek is wide enough to need two bytes.
    InsertRandomly(2, {0x3B1, 0x3B2, ' ', kParagraph, object}, 2);
    // Astral characters in bulk need four bytes.
    InsertRandomly(3, {0x1F600, 0x1F601, 'a', kParagraph, object}, 4);
}

TEST(GlyphCodesTest, StaysNarrowForARareWideCharacter) {
    GlyphCodes codes;
    std::vector<uint32_t> model(1000, 'x');
    model[500] = 0x2019; // a curly apostrophe in plain English
    codes.Insert(0, model.data(), static_cast<uint32_t>(model.size()));
    EXPECT_EQ(codes.Width(), 1u);
    ExpectSame(codes, model);
    // Greek with one U+FFFF, the escape value at two bytes, and one astral character.
    GlyphCodes greek;
    std::vector<uint32_t> text(1000, 0x3B1);
    text[300] = 0xFFFF;
    text[600] = 0x1F600;
    greek.Insert(0, text.data(), static_cast<uint32_t>(text.size()));
    EXPECT_EQ(greek.Width(), 2u);
    ExpectSame(greek, text);
}

TEST(GlyphCodesTest, FindsBreaksForwardAndBackward) {
    for (const uint32_t wide : {uint32_t{'a'}, uint32_t{0x3B1}, uint32_t{0x1F600}}) {
        GlyphCodes codes;
        std::vector<uint32_t> model(40, wide);
        model[10] = kParagraph;
        model[25] = kCell;
        model[39] = kParagraph;
        codes.Insert(0, model.data(), static_cast<uint32_t>(model.size()));
        const auto isBreak = [](uint32_t code) { return GlyphCode::IsParagraphBreak(code); };
        EXPECT_EQ(codes.FindMarked(0, 40, isBreak), 10u);
        EXPECT_EQ(codes.FindMarked(11, 40, isBreak), 25u);
        EXPECT_EQ(codes.FindMarked(11, 20, isBreak), 20u) << "none before the limit";
        EXPECT_EQ(codes.FindMarkedBackward(0, 25, isBreak), 10u);
        EXPECT_EQ(codes.FindMarkedBackward(0, 26, isBreak), 25u);
        EXPECT_EQ(codes.FindMarkedBackward(11, 25, isBreak), 25u) << "none after the start";
    }
}

TEST(GlyphCodesTest, TextMapsToCodesAsGlyphStringsDo) {
    const std::string text =
        "a\r\nb\rc\nd\v\xE2\x80\xA8\xE2\x80\xA9\xC3\xA9\xFF\xF0\x9F\x98\x80z\x80";
    std::vector<uint32_t> codes;
    AppendTextCodes(text, codes);
    GlyphString glyphs;
    glyphs.AppendText(Foundation::StringT(text).ToUTF32());
    ASSERT_EQ(codes.size(), glyphs.size());
    for (size_t i = 0; i < codes.size(); ++i)
        EXPECT_EQ(codes[i], glyphs[i].GetCode()) << "at " << i;
    // "\r\n" is one break; malformed bytes are U+FFFD each.
    EXPECT_EQ(codes[1], kParagraph);
    EXPECT_EQ(codes[2], uint32_t{'b'});
    EXPECT_EQ(codes.back(), uint32_t{0xFFFD});
}

} // namespace

// SPDX-License-Identifier: MIT
// Which characters of a content document count as shown.

#include "epub/css/UsedCharacters.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using EPub::UsedCharacters;

TEST(UsedCharacters, TextAndReferencesCountButNotTagsOrAttributes) {
    UsedCharacters used;
    used.AddMarkup(R"(<p title="Ωmega" class='ж'>é&#x4E2D;&#25991; <img alt="Я>"/>x</p>)");
    EXPECT_TRUE(used.Contains(U'é'));
    EXPECT_TRUE(used.Contains(U'中'));
    EXPECT_TRUE(used.Contains(U'文'));
    EXPECT_FALSE(used.Contains(U'Ω'));
    EXPECT_FALSE(used.Contains(U'ж'));
    EXPECT_FALSE(used.Contains(U'Я'));
}

TEST(UsedCharacters, OtherCaseAndWhatReadingSystemsDrawAreKept) {
    UsedCharacters used;
    used.AddText("ßé");
    EXPECT_TRUE(used.Contains(U'É'));
    EXPECT_TRUE(used.Contains(U'ẞ'));
    EXPECT_TRUE(used.Contains(U'•'));
    EXPECT_TRUE(used.Contains(U'‐'));
    EXPECT_TRUE(used.Contains(U'Z'));
}

// Text is skipped eight bytes at a time: a tag or a letter at any offset within those bytes, and
// one of them at the very end, must still be seen.
TEST(UsedCharacters, TagsAndLettersAreSeenAtEveryOffset) {
    for (size_t pad = 0; pad < 17; ++pad) {
        UsedCharacters used;
        const std::string filler(pad, 'a');
        used.AddMarkup(filler + "<b title=\"\u00e0\">x</b>" + filler + "\u00e9" + filler);
        EXPECT_FALSE(used.Contains(U'\u00e0')) << pad;
        EXPECT_TRUE(used.Contains(U'\u00e9')) << pad;
        used.AddMarkup(filler + "&#x4E2D;");
        EXPECT_TRUE(used.Contains(U'\u4e2d')) << pad;
    }
}

// A letter first met as another's case form still brings its own: final sigma's capital is
// sigma's, whose small form must be kept when a capital sigma is lowercased.
TEST(UsedCharacters, ALetterMetAsACaseFormStillAddsItsOwn) {
    UsedCharacters used;
    used.AddText("\u03c2");
    ASSERT_TRUE(used.Contains(U'\u03a3'));
    EXPECT_FALSE(used.Contains(U'\u03c3'));
    used.AddText("\u03a3");
    EXPECT_TRUE(used.Contains(U'\u03c3'));
}

TEST(UsedCharacters, BrokenInputIsSkipped) {
    UsedCharacters used;
    used.AddMarkup("\xC3 \xF5\x80\x80\x80 &#x110000; &#xD800; &#99999999999; &amp; &# <unclosed");
    used.AddText("\xE2\x82");
    const auto sorted = used.Sorted();
    ASSERT_FALSE(sorted.empty());
    EXPECT_LE(sorted.back(), U'\U0010FFFF');
    EXPECT_FALSE(used.Contains(char32_t{0x110000}));
    EXPECT_FALSE(used.Contains(char32_t{0xD800}));
}

} // namespace

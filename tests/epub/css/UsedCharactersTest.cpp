// SPDX-License-Identifier: MIT
// Which characters of a content document count as shown.

#include "epub/css/UsedCharacters.h"

#include <gtest/gtest.h>

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

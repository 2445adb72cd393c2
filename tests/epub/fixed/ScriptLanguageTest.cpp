// SPDX-License-Identifier: MIT
#include "epub/fixed/ScriptLanguage.h"

#include <gtest/gtest.h>

namespace {

using EPub::LanguageOfText;

std::string Of(std::string_view text, const char* marked) {
    return LanguageOfText(text, marked).str();
}

TEST(LanguageOfText, TheMarkStandsUnlessTheLettersCannotBeInIt) {
    EXPECT_EQ(Of("Hello, world", "en-GB"), "en-GB");
    EXPECT_EQ(Of("Straße", "en"), "en"); // Latin is shared: the mark is all there is
    EXPECT_EQ(Of("Привет", "en"), "en");
    EXPECT_EQ(Of("١٢٣ ... !", "en"), "en"); // digits and punctuation say nothing
    EXPECT_EQ(Of("مرحبا بكم", "en"), "ar");
    EXPECT_EQ(Of("سلام دنیا", "fa-IR"), "fa-IR"); // Persian is written in Arabic letters
    EXPECT_EQ(Of("שלום", "EN"), "he");
    EXPECT_EQ(Of("नमस्ते", "en"), "hi");
    EXPECT_EQ(Of("नमस्कार", "mr"), "mr");
    EXPECT_EQ(Of("Ελλάδα", "de"), "el");
    EXPECT_EQ(Of("한국어", "ja"), "ko");
}

TEST(LanguageOfText, IdeographsTakeTheLanguageOfTheKanaOrHangulBesideThem) {
    EXPECT_EQ(Of("日本語", "en"), "zh");
    EXPECT_EQ(Of("日本語", "ja"), "ja");
    EXPECT_EQ(Of("日本語の本", "en"), "ja"); // more ideographs than kana, still Japanese
    EXPECT_EQ(Of("カタカナ", "zh-Hant"), "ja");
    EXPECT_EQ(Of("漢字 한국어", "en"), "ko");
    EXPECT_EQ(Of("漢字", "ko"), "ko");
}

TEST(LanguageOfText, MostLettersDecide) {
    EXPECT_EQ(Of("EPUB 3 مرحبا بكم", "en"), "ar");
    EXPECT_EQ(Of("Welcome, مرحبا", "en"), "en");
    EXPECT_EQ(Of("", "fr"), "fr");
    EXPECT_EQ(Of("مرحبا", ""), "ar"); // unmarked text gets what its letters say
}

} // namespace

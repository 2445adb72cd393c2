// SPDX-License-Identifier: MIT
// Language tags and heading styles as the accessibility findings judge them.

#include "epub/content/AccessibilityValidator.h"
#include "host/text/TextDocument.h"

#include <gtest/gtest.h>

using namespace EPub;

TEST(AccessibilityValidator, KnownLanguagesAreWellFormedIsoCodes) {
    for (const char* tag : {"en", "de-CH", "EN-us", "zh-Hant-TW", "sr-Latn", "grc", "x-klingon"})
        EXPECT_EQ(IsKnownLanguage(tag), std::string_view(tag) != "x-klingon") << tag;
    for (const char* tag :
         {"", "e", "qq", "english", "und", "en--GB", "en-", "en_GB", "de-toolongsubtag"})
        EXPECT_FALSE(IsKnownLanguage(tag)) << tag;
    EXPECT_EQ(PublicationLanguageMessage("fr"), "");
    EXPECT_NE(PublicationLanguageMessage(""), PublicationLanguageMessage("qq"));
}

TEST(AccessibilityValidator, HeadingElementsFollowTheStyleChain) {
    auto sheet = Text::StyleSheet::Make(Text::TextDocument::Make());
    const auto tag = [](const char* element) {
        return Text::EPubTag::Make(Text::EPubTag::ElementSet, element, "", true, true);
    };
    const auto add = [&](const char* name, const char* base, Counted<const Text::EPubTag> t) {
        sheet->AddStyle(Text::Style::Make(name, Text::StyleKind::Paragraph, base,
                                          Foundation::MakeCounted<Text::Delta>(), std::move(t)));
    };
    add("Heading", "", tag("h2"));
    add("Chapter", "Heading", nullptr);
    add("Lead", "Heading", tag("p"));
    add("Body", "", nullptr);
    EXPECT_EQ(ParagraphElementOf(*sheet, "Chapter"), "h2");
    EXPECT_EQ(ParagraphElementOf(*sheet, "Lead"), "p");
    EXPECT_EQ(ParagraphElementOf(*sheet, "Body"), "p");
    EXPECT_EQ(ParagraphElementOf(*sheet, "Missing"), "p");
    EXPECT_TRUE(IsHeadingElement("h6"));
    EXPECT_FALSE(IsHeadingElement("h7"));
    EXPECT_FALSE(IsHeadingElement("header"));
}

// SPDX-License-Identifier: MIT
// The library's own texts: every language complete, tags matched by their primary subtag.

#include "epub/package/GeneratedTexts.h"

#include "epub/package/Landmark.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using EPub::GeneratedText;

TEST(GeneratedTexts, LanguageTagsMatchByPrimarySubtag) {
    EXPECT_EQ(GeneratedText(EPub::TextKey::kTableOfContents, "fr"), "Table des matières");
    EXPECT_EQ(GeneratedText(EPub::TextKey::kTableOfContents, "fr-CA"), "Table des matières");
    EXPECT_EQ(GeneratedText(EPub::TextKey::kTableOfContents, "FR"), "Table des matières");
    EXPECT_EQ(GeneratedText(EPub::TextKey::kTableOfContents, "de-CH-1996"), "Inhaltsverzeichnis");
    EXPECT_EQ(GeneratedText(EPub::TextKey::kTableOfContents, "zh-Hant-TW"), "目录");
    // Unknown or missing languages, and near misses, fall back to English.
    for (const char* tag : {"", "tlh", "fra", "f", "-fr", "x-fr"})
        EXPECT_EQ(GeneratedText(EPub::TextKey::kTableOfContents, tag), "Table of Contents") << tag;
    EXPECT_TRUE(GeneratedText("EPUB:No such text", "fr").empty());
}

// A key missing in one language would silently write English into that language's books.
TEST(GeneratedTexts, EveryLanguageHasEveryText) {
    std::set<std::string> keys = {std::string(EPub::TextKey::kTableOfContents),
                                  std::string(EPub::TextKey::kPageList),
                                  std::string(EPub::TextKey::kLandmarks),
                                  std::string(EPub::TextKey::kCoverTitle),
                                  std::string(EPub::TextKey::kCoverAltText),
                                  std::string(EPub::TextKey::kDescription),
                                  std::string(EPub::TextKey::kSummaryChecked),
                                  std::string(EPub::TextKey::kSummaryConformance),
                                  std::string(EPub::TextKey::kSummaryHeadings),
                                  std::string(EPub::TextKey::kSummaryNoHazards)};
    for (const EPub::LandmarkInfo& info : EPub::LandmarkTable())
        keys.insert(std::string(info.styleName));
    const auto languages = EPub::GeneratedTextLanguages();
    ASSERT_GE(languages.size(), 15u);
    for (const std::string_view language :
         {"en", "fr", "de", "es", "it", "pt", "nl", "sv", "pl", "ru", "ja", "zh", "ko", "ar", "he"})
        EXPECT_NE(std::find(languages.begin(), languages.end(), language), languages.end())
            << language;
    for (const std::string& key : keys) {
        const auto english = GeneratedText(key, "en");
        ASSERT_FALSE(english.empty()) << key;
        for (const std::string_view language : languages) {
            const auto text = GeneratedText(key, language);
            EXPECT_FALSE(text.empty()) << key << " " << language;
            if (key == EPub::TextKey::kSummaryConformance) {
                EXPECT_NE(text.Find("%1"), Foundation::StringT::npos) << language;
            }
        }
    }
    // Whole sentences are translated, not left in English.
    for (const std::string_view language : languages)
        if (language != "en") {
            EXPECT_NE(GeneratedText(EPub::TextKey::kSummaryChecked, language),
                      GeneratedText(EPub::TextKey::kSummaryChecked, "en"))
                << language;
        }
}

} // namespace

// SPDX-License-Identifier: MIT
#include "epub/options/AccessibilityMetadata.h"

#include <gtest/gtest.h>

#include "epub/options/OptionsTestSupport.h"

#include <sstream>

using namespace EPub;
using namespace OptionsTest;

namespace {

AccessibilityMetadata Populated() {
    AccessibilityMetadata m;
    m.Set(AccessibilityFeature::TableOfContents, true);
    m.Set(AccessibilityFeature::AlternativeText, true);
    m.Set(AccessibilityFeature::WithoutAdditionalWordSegmentation, true);
    m.Set(AccessibilityHazard::NoFlashingHazard, true);
    m.Set(AccessibilityHazard::None, true);
    m.Set(AccessMode::Visual, true);
    m.Set(AccessMode::Textual, true);
    m.Set(AccessModeSufficient::Visual, true);
    m.Set(AccessModeSufficient::Textual, true);
    m.SetSummary("Tables & <figures> described");
    m.SetConformance(AccessibilityConformance::WCAG21AA);
    m.SetCertifiedBy("Lab \"A\"");
    m.SetCredentials("DAISY <Ace>");
    m.SetReportLink("https://example.org/r?a=1&b=2");
    return m;
}

std::vector<std::string> Lines(const AccessibilityMetadata& m, std::string_view indent) {
    MemoryOutStream out;
    EXPECT_TRUE(m.Describe(indent, out));
    std::vector<std::string> lines;
    std::istringstream text(out.Data());
    for (std::string line; std::getline(text, line);)
        lines.push_back(line);
    if (!out.Data().empty()) {
        EXPECT_EQ(out.Data().back(), '\n');
    }
    return lines;
}

} // namespace

TEST(AccessibilityMetadata, DescribesEveryMemberInPackageOrder) {
    const std::vector<std::string> expected = {
        "  <meta property=\"dcterms:conformsTo\">EPUB Accessibility 1.1 - WCAG 2.1 Level "
        "AA</meta>",
        "  <meta property=\"a11y:certifiedBy\">Lab &quot;A&quot;</meta>",
        "  <meta property=\"a11y:certifierCredential\">DAISY &lt;Ace&gt;</meta>",
        "  <link rel=\"a11y:certifierReport\" href=\"https://example.org/r?a=1&amp;b=2\" />",
        "  <meta property=\"schema:accessibilityFeature\">alternativeText</meta>",
        "  <meta property=\"schema:accessibilityFeature\">tableOfContents</meta>",
        "  <meta property=\"schema:accessibilityFeature\">WithoutAdditionalWordSegmentation</meta>",
        "  <meta property=\"schema:accessibilityHazard\">none</meta>",
        "  <meta property=\"schema:accessibilityHazard\">noFlashingHazard</meta>",
        "  <meta property=\"schema:accessMode\">textual</meta>",
        "  <meta property=\"schema:accessMode\">visual</meta>",
        "  <meta property=\"schema:accessModeSufficient\">textual</meta>",
        "  <meta property=\"schema:accessModeSufficient\">visual</meta>",
        "  <meta property=\"schema:accessibilitySummary\">Tables &amp; &lt;figures&gt; "
        "described</meta>",
    };
    const std::vector<std::string> actual = Lines(Populated(), "  ");
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(actual[i], expected[i]) << "line " << i;
}

TEST(AccessibilityMetadata, CertificationIsWrittenOnlyWithAClaim) {
    AccessibilityMetadata m = Populated();
    m.SetConformance(AccessibilityConformance::None);
    for (const std::string& line : Lines(m, ""))
        EXPECT_EQ(line.find("a11y:"), std::string::npos) << line;
}

// An empty meta element is not valid package metadata.
TEST(AccessibilityMetadata, NothingIsWrittenForUnknownOrBlankValues) {
    EXPECT_TRUE(Lines(AccessibilityMetadata(), "\t").empty());

    AccessibilityMetadata m;
    m.Set(static_cast<AccessMode>(42), true);
    m.SetSummary("\x01\x02 \x1f");
    m.SetConformance(AccessibilityConformance::WCAG21AA);
    m.SetCertifiedBy(" ");
    m.SetReportLink("\x01");
    EXPECT_EQ(Lines(m, ""),
              std::vector<std::string>{"<meta property=\"dcterms:conformsTo\">EPUB "
                                       "Accessibility 1.1 - WCAG 2.1 Level AA</meta>"});
}

TEST(AccessibilityMetadata, VocabulariesKeepTheirIrregularSpellings) {
    EXPECT_EQ(GetVocabularyText(AccessibilityFeature::ChemML), "ChemML");
    EXPECT_EQ(GetVocabularyText(AccessibilityFeature::LatexChemistry), "latex-chemistry");
    EXPECT_EQ(GetVocabularyText(AccessibilityFeature::MathMLChemistry), "MathML-chemistry");
    EXPECT_EQ(GetVocabularyText(AccessibilityFeature::Unknown), "unknown");
    EXPECT_EQ(GetVocabularyText(AccessibilityFeature::PrintPageNumbers), "printPageNumbers");
    EXPECT_EQ(GetVocabularyText(static_cast<AccessibilityFeature>(41)), "");
    EXPECT_EQ(GetVocabularyText(AccessibilityHazard::Unknown), "unknown");
    EXPECT_EQ(GetVocabularyText(AccessibilityConformance::WCAG20A),
              "EPUB Accessibility 1.1 - WCAG 2.0 Level A");
    EXPECT_EQ(GetVocabularyText(static_cast<AccessibilityConformance>(-1)), "");
}

TEST(AccessibilityMetadata, SetsAndPredicates) {
    AccessibilityMetadata m;
    EXPECT_TRUE(m.IsFeatureEmptyOrNone());
    EXPECT_TRUE(m.IsFeatureEmptyOrUnknown());
    EXPECT_FALSE(m.IsFeatureNoneOrUnknown());
    EXPECT_TRUE(m.IsHazardEmpty());
    EXPECT_FALSE(m.IsAnyAccessModeSet());

    m.Set(AccessibilityFeature::Index, true);
    m.Set(AccessibilityFeature::Index, true);
    EXPECT_EQ(m.GetFeatures().size(), 1u);
    m.Set(AccessibilityFeature::Braille, false);
    EXPECT_TRUE(m.IsSet(AccessibilityFeature::Index));
    EXPECT_FALSE(m.IsFeatureEmptyOrNone());
    m.Set(AccessibilityFeature::Unknown, true);
    EXPECT_TRUE(m.IsFeatureEmptyOrUnknown());
    EXPECT_TRUE(m.IsFeatureNoneOrUnknown());
    m.Set(AccessibilityFeature::Index, false);
    EXPECT_FALSE(m.IsSet(AccessibilityFeature::Index));

    m.Set(AccessibilityHazard::SoundHazard, true);
    EXPECT_FALSE(m.IsAnyOf({}));
    EXPECT_FALSE(m.IsAnyOf({AccessibilityHazard::FlashingHazard}));
    EXPECT_TRUE(m.IsAnyOf({AccessibilityHazard::FlashingHazard, AccessibilityHazard::SoundHazard}));

    m.Set(AccessModeSufficient::Auditory, true);
    EXPECT_TRUE(m.IsAnyAccessModeSufficientSet());
    EXPECT_FALSE(m.IsAnyAccessModeSet());
}

TEST(AccessibilityMetadata, RoundTripsAndEveryMemberTakesPartInMatches) {
    const AccessibilityMetadata original = Populated();
    const std::string data = SerialiseObject(original);
    EXPECT_TRUE(TagsInOrder(data, {"McAE", "taef", "dzah", "doma", "sdma", "msca", "mfnc", "dfnc",
                                   "ybfc", "dcfc", "lrfc"}));
    const auto loaded = LoadStream<AccessibilityMetadata>(data);
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(loaded->Matches(original));
    EXPECT_TRUE(original.Clone()->Matches(original));

    const std::vector<std::function<void(AccessibilityMetadata&)>> changes = {
        [](auto& m) { m.Set(AccessibilityFeature::Index, true); },
        [](auto& m) { m.Set(AccessibilityHazard::None, false); },
        [](auto& m) { m.Set(AccessMode::Auditory, true); },
        [](auto& m) { m.Set(AccessModeSufficient::Visual, false); },
        [](auto& m) { m.SetSummary(m.GetSummary() + " "); },
        [](auto& m) { m.SetConformance(AccessibilityConformance::WCAG21A); },
        [](auto& m) { m.SetConformanceDerived(true); },
        [](auto& m) { m.SetCertifiedBy("Lab \"B\""); },
        [](auto& m) { m.SetCredentials(""); },
        [](auto& m) { m.SetReportLink("https://example.org/"); },
    };
    for (size_t i = 0; i < changes.size(); ++i) {
        AccessibilityMetadata changed = original;
        changes[i](changed);
        EXPECT_FALSE(changed.Matches(original)) << "change " << i;
    }
}

TEST(AccessibilityMetadata, LoadKeepsAbsentMembersAndRefusesUnknownValues) {
    AccessibilityMetadata m = Populated();
    const AnyValue any;
    LoadMembers(m, [&](OutSerialiser& out) {
        out.SaveEnumI(FourCC("cnfm"), 7, any);
        out.SaveEnumsI(FourCC("feat"), std::vector<int>{41, 2, -1}, any);
        out.SaveEnumsI(FourCC("hazd"), std::vector<int>{}, any);
    });
    EXPECT_EQ(m.GetConformance(), AccessibilityConformance::WCAG21AA);
    EXPECT_EQ(m.GetFeatures(), std::set<AccessibilityFeature>{AccessibilityFeature::Annotations});
    EXPECT_TRUE(m.IsHazardEmpty());
    EXPECT_EQ(m.GetSummary(), "Tables & <figures> described");
    EXPECT_EQ(m.GetAccessModes().size(), 2u);
}

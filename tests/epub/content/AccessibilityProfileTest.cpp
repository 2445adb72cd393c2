// SPDX-License-Identifier: MIT
// The accessibility metadata derived from what the content writer recorded.

#include "epub/content/AccessibilityProfile.h"
#include "epub/package/GeneratedTexts.h"
#include "host/render/Fill.h"
#include "host/text/AttributeObjects.h"
#include "host/text/TextDocument.h"

#include <gtest/gtest.h>

using namespace EPub;

namespace {

AccessibilityProfile::Publication Complete() {
    return {.tableOfContents = true, .pageList = true, .pageSource = true, .languageKnown = true};
}

Counted<const Render::RenderTags> Tags(const char* alt, const char* description = "") {
    Render::RenderTags::Fields fields;
    fields.altText = alt;
    fields.description = description;
    return Render::RenderTags::Make(std::move(fields));
}

TEST(AccessibilityProfile, EachBarrierWithholdsConformance) {
    AccessibilityProfile profile;
    profile.AddHeading();
    profile.AddPicture(Tags("A boat").get());
    profile.AddPicture(nullptr); // decorative
    EXPECT_TRUE(profile.AllowsConformance(Complete()));

    auto without = Complete();
    without.pageSource = false;
    EXPECT_FALSE(profile.AllowsConformance(without));
    without = Complete();
    without.languageKnown = false;
    EXPECT_FALSE(profile.AllowsConformance(without));
    // A page source matters only with a page list.
    without = Complete();
    without.pageList = without.pageSource = false;
    EXPECT_TRUE(profile.AllowsConformance(without));

    AccessibilityProfile noHeadings;
    EXPECT_FALSE(noHeadings.AllowsConformance(Complete()));

    AccessibilityProfile unnamed = profile;
    unnamed.AddPicture(Tags("").get());
    EXPECT_EQ(unnamed.PicturesWithoutText(), 1);
    EXPECT_FALSE(unnamed.AllowsConformance(Complete()));
}

TEST(AccessibilityProfile, FaintTextWithholdsConformanceAndIsJudgedOncePerFormat) {
    auto document = Text::TextDocument::Make();
    const auto faint = document->Consolidate(document->GetDefaultGlyphAtts()->With(
        Text::GlyphObject::TextFill,
        Counted<const Text::AttObject>(Text::FillAtt::Make(
            Render::FillDescriptor::MakeSolid(Render::Colour::MakeRGB(0xaa, 0xaa, 0xaa))))));
    AccessibilityProfile profile;
    profile.AddHeading();
    profile.AddText(document->GetDefaultGlyphAtts(), {});
    EXPECT_TRUE(profile.AllowsConformance(Complete()));
    profile.AddText(faint, {});
    profile.AddText(faint, {});
    EXPECT_EQ(profile.LowContrastTexts(), 1);
    EXPECT_FALSE(profile.AllowsConformance(Complete()));
}

TEST(AccessibilityProfile, GivenPartsWinAndTheRestIsDerived) {
    AccessibilityProfile profile;
    profile.AddHeading();
    profile.AddPicture(Tags("Map", "Roads.").get());

    AccessibilityMetadata given;
    given.Set(AccessibilityHazard::FlashingHazard, true);
    given.SetCertifiedBy("Checkers Ltd");
    given.SetConformanceDerived(true);
    const auto derived = profile.Derive(&given, Complete());
    EXPECT_EQ(derived->GetHazards(), std::set{AccessibilityHazard::FlashingHazard});
    EXPECT_EQ(derived->GetCertifiedBy(), "Checkers Ltd");
    EXPECT_EQ(derived->GetAccessModes(), (std::set{AccessMode::Textual, AccessMode::Visual}));
    EXPECT_TRUE(derived->IsSet(AccessibilityFeature::LongDescription));
    EXPECT_TRUE(derived->IsSet(AccessibilityFeature::PrintPageNumbers));
    EXPECT_EQ(derived->GetConformance(), AccessibilityConformance::WCAG21AA);
    // The summary tells what was derived, and keeps quiet about hazards it was not told about.
    const std::string summary = derived->GetSummary().str();
    EXPECT_NE(summary.find("long descriptions"), std::string::npos) << summary;
    EXPECT_EQ(summary.find("no known hazards"), std::string::npos) << summary;
    EXPECT_NE(summary.find("WCAG 2.1 Level AA"), std::string::npos) << summary;
    // The host's object is left as it was.
    EXPECT_TRUE(given.GetFeatures().empty());

    EXPECT_FALSE(derived->IsConformanceDerived());

    const auto fromNothing = profile.Derive(nullptr, Complete());
    EXPECT_EQ(fromNothing->GetHazards(), std::set{AccessibilityHazard::None});
    EXPECT_TRUE(fromNothing->GetCertifiedBy().empty());
}

TEST(AccessibilityProfile, ConformanceIsClaimedOnlyWhenLeftToTheExporter) {
    AccessibilityProfile clean;
    clean.AddHeading();
    ASSERT_TRUE(clean.AllowsConformance(Complete()));
    // Not asked: no claim, however clean the content.
    EXPECT_EQ(clean.Derive(nullptr, Complete())->GetConformance(), AccessibilityConformance::None);
    AccessibilityMetadata none;
    none.SetCertifiedBy("Checkers Ltd");
    EXPECT_EQ(clean.Derive(&none, Complete())->GetConformance(), AccessibilityConformance::None);
    // A level the host states is kept as it is, even where the checks would not allow it.
    AccessibilityMetadata stated;
    stated.SetConformance(AccessibilityConformance::WCAG20A);
    AccessibilityProfile barred;
    EXPECT_EQ(barred.Derive(&stated, Complete())->GetConformance(),
              AccessibilityConformance::WCAG20A);
    // Left to the exporter: what the checks allow.
    AccessibilityMetadata derive;
    derive.SetConformanceDerived(true);
    EXPECT_EQ(clean.Derive(&derive, Complete())->GetConformance(),
              AccessibilityConformance::WCAG21AA);
    EXPECT_EQ(barred.Derive(&derive, Complete())->GetConformance(), AccessibilityConformance::None);
}

TEST(AccessibilityProfile, SummaryIsWrittenInTheLanguageItIsGivenAndNamesTheChecks) {
    AccessibilityProfile profile;
    profile.AddHeading();
    profile.AddPicture(Tags("A boat").get());
    profile.AddPicture(Tags("").get());
    AccessibilityMetadata derive;
    derive.SetConformanceDerived(true);
    const auto english = profile.Derive(&derive, Complete())->GetSummary().str();
    EXPECT_NE(english.find("Checked automatically"), std::string::npos) << english;
    // A picture without text: the summary says so and does not claim the opposite.
    EXPECT_NE(english.find("Some pictures have no text alternative."), std::string::npos);
    EXPECT_EQ(english.find("Pictures have text alternatives."), std::string::npos) << english;

    const auto french = profile
                            .Derive(&derive, Complete(),
                                    [](std::string_view key) { return GeneratedText(key, "fr"); })
                            ->GetSummary()
                            .str();
    EXPECT_NE(french.find("Vérifié automatiquement"), std::string::npos) << french;
    EXPECT_EQ(french.find("Checked"), std::string::npos) << french;
}

} // namespace

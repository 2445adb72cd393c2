// SPDX-License-Identifier: MIT
#include "epub/content/AccessibilityProfile.h"

#include "epub/css/TextContrast.h"
#include "epub/package/GeneratedTexts.h"

#include <string>

namespace EPub {

void AccessibilityProfile::AddPicture(const Render::RenderTags* tags) {
    if (!tags)
        return; // decorative: no content of its own
    ++pictures_;
    if (tags->GetAltText().empty())
        ++withoutText_;
    else
        ++withText_;
    if (tags->HasDescription())
        ++described_;
}

void AccessibilityProfile::AddText(const Foundation::Consolidated<Text::GlyphAtts>& atts,
                                   const Raster::ICCProfileSet& profiles, double minimumContrast) {
    if (!atts || !judged_.insert(atts).second)
        return;
    if (minimumContrast > 0) {
        const auto judged = JudgeTextColours(*atts, profiles, minimumContrast);
        if (judged && judged->contrast < judged->required)
            ++lowContrast_;
        return;
    }
    const auto ratio = TextContrast(*atts, profiles);
    if (ratio && *ratio < kMinimumTextContrast)
        ++lowContrast_;
}

bool AccessibilityProfile::AllowsConformance(const Publication& publication) const {
    return withoutText_ == 0 && lowContrast_ == 0 && headings_ > 0 && publication.languageKnown &&
           (!publication.pageList || publication.pageSource);
}

Counted<AccessibilityMetadata> AccessibilityProfile::Derive(const AccessibilityMetadata* given,
                                                            const Publication& publication,
                                                            const Sentences& sentences) const {
    auto out = given ? given->Clone() : Foundation::MakeCounted<AccessibilityMetadata>();
    if (!out->IsAnyAccessModeSet()) {
        out->Set(AccessMode::Textual, true);
        out->Set(AccessMode::Visual, pictures_ > 0);
    }
    if (!out->IsAnyAccessModeSufficientSet() && withoutText_ == 0)
        out->Set(AccessModeSufficient::Textual, true);
    if (out->GetFeatures().empty()) {
        using F = AccessibilityFeature;
        out->Set(F::StructuralNavigation, headings_ > 0);
        out->Set(F::TableOfContents, publication.tableOfContents);
        out->Set(F::PageNavigation, publication.pageList);
        out->Set(F::PrintPageNumbers, publication.pageList);
        out->Set(F::AlternativeText, withText_ > 0);
        out->Set(F::LongDescription, described_ > 0);
        out->Set(F::ReadingOrder, true);
        out->Set(F::DisplayTransformability, true);
    }
    // MathML is a fact of the content, whoever listed the other features.
    if (equations_ > 0 && !out->IsSet(AccessibilityFeature::None))
        out->Set(AccessibilityFeature::MathML, true);
    if (out->IsHazardEmpty())
        out->Set(AccessibilityHazard::None, true);
    if (out->IsConformanceDerived()) {
        out->SetConformance(AllowsConformance(publication) ? AccessibilityConformance::WCAG21AA
                                                           : AccessibilityConformance::None);
        out->SetConformanceDerived(false);
    }
    if (out->GetSummary().empty())
        out->SetSummary(Summary(*out, sentences));
    return out;
}

StringT AccessibilityProfile::Summary(const AccessibilityMetadata& metadata,
                                      const Sentences& sentences) const {
    using F = AccessibilityFeature;
    StringT text;
    const auto add = [&](std::string_view key) {
        const StringT sentence = sentences ? sentences(key) : GeneratedText(key, "en");
        if (sentence.empty())
            return;
        if (!text.empty())
            text += ' ';
        text += sentence;
    };
    if (metadata.IsSet(F::TableOfContents))
        add(TextKey::kSummaryTableOfContents);
    if (metadata.IsSet(F::StructuralNavigation))
        add(TextKey::kSummaryHeadings);
    if (metadata.IsSet(F::PageNavigation))
        add(TextKey::kSummaryPageNumbers);
    if (metadata.IsSet(F::AlternativeText) && withoutText_ == 0)
        add(TextKey::kSummaryAltText);
    if (metadata.IsSet(F::LongDescription))
        add(TextKey::kSummaryLongDescriptions);
    if (metadata.IsSet(F::ReadingOrder) || metadata.IsSet(F::DisplayTransformability))
        add(TextKey::kSummaryReadingOrder);
    if (withoutText_ > 0)
        add(TextKey::kSummaryMissingAltText);
    if (metadata.GetHazards() == std::set{AccessibilityHazard::None})
        add(TextKey::kSummaryNoHazards);
    if (metadata.GetConformance() != AccessibilityConformance::None) {
        const std::string_view key = TextKey::kSummaryConformance;
        const StringT sentence = sentences ? sentences(key) : GeneratedText(key, "en");
        if (!text.empty())
            text += ' ';
        text += StringT::Format(sentence.view(), GetVocabularyText(metadata.GetConformance()));
    }
    add(TextKey::kSummaryChecked);
    return text;
}

} // namespace EPub

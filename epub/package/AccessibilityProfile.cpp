#include "epub/package/AccessibilityProfile.h"

#include "epub/css/TextContrast.h"

#include <string>
#include <vector>

namespace EPub {

namespace {

std::string JoinPhrases(const std::vector<std::string>& phrases) {
    std::string out;
    for (size_t i = 0; i < phrases.size(); ++i) {
        if (i > 0)
            out += i + 1 == phrases.size() ? (phrases.size() > 2 ? ", and " : " and ") : ", ";
        out += phrases[i];
    }
    return out;
}

} // namespace

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
                                   const Raster::ICCProfileSet& profiles) {
    if (!atts || !judged_.insert(atts).second)
        return;
    const auto ratio = TextContrast(*atts, profiles);
    if (ratio && *ratio < kMinimumTextContrast)
        ++lowContrast_;
}

bool AccessibilityProfile::AllowsConformance(const Publication& publication) const {
    return withoutText_ == 0 && lowContrast_ == 0 && headings_ > 0 && publication.languageKnown &&
           (!publication.pageList || publication.pageSource);
}

Counted<AccessibilityMetadata> AccessibilityProfile::Derive(const AccessibilityMetadata* given,
                                                            const Publication& publication) const {
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
    if (out->IsHazardEmpty())
        out->Set(AccessibilityHazard::None, true);
    if (out->GetConformance() == AccessibilityConformance::None && AllowsConformance(publication))
        out->SetConformance(AccessibilityConformance::WCAG21AA);
    if (out->GetSummary().empty())
        out->SetSummary(Summary(*out));
    return out;
}

StringT AccessibilityProfile::Summary(const AccessibilityMetadata& metadata) const {
    using F = AccessibilityFeature;
    std::vector<std::string> has;
    if (metadata.IsSet(F::TableOfContents))
        has.emplace_back("a table of contents");
    if (metadata.IsSet(F::StructuralNavigation))
        has.emplace_back("headings to navigate by");
    if (metadata.IsSet(F::PageNavigation))
        has.emplace_back("the page numbers of the print edition");
    if (metadata.IsSet(F::AlternativeText))
        has.emplace_back("text alternatives for its pictures");
    if (metadata.IsSet(F::LongDescription))
        has.emplace_back("long descriptions of complex pictures");
    std::string text;
    if (!has.empty())
        text = "This publication has " + JoinPhrases(has) + ". ";
    if (metadata.IsSet(F::ReadingOrder) || metadata.IsSet(F::DisplayTransformability))
        text += "Its text follows a logical reading order and can be resized and restyled. ";
    if (withoutText_ > 0)
        text += "Some pictures have no text alternative. ";
    if (metadata.GetHazards() == std::set{AccessibilityHazard::None})
        text += "It has no known hazards. ";
    if (metadata.GetConformance() != AccessibilityConformance::None)
        text += "It is meant to meet " + std::string(GetVocabularyText(metadata.GetConformance())) +
                ".";
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return StringT(text);
}

} // namespace EPub

// SPDX-License-Identifier: MIT
#include "epub/content/AccessibilityCheck.h"

#include "epub/content/HtmlExporter.h"

#include <algorithm>

namespace EPub {

namespace {

// The whole text of a story: where a publication-wide problem is shown.
Text::StoryRange WholeStory(const Counted<const Text::Story>& story) {
    return Text::StoryRange(story->gbegin(), story->GetTerminator());
}

Text::StoryRange At(const Text::StoryPos& pos) {
    return pos.HasGlyph() ? Text::StoryRange(pos, pos + 1) : Text::StoryRange(pos, pos);
}

} // namespace

AccessibilityCheck::AccessibilityCheck(const HtmlExporter& exporter, const Text::StyleSheet& styles,
                                       std::vector<CheckedStory> stories)
    : exporter_(exporter), stories_(std::move(stories)),
      validator_(*exporter.GetSettings(), exporter.Callbacks().isFrameImage,
                 exporter.GetOptions()->GetMinimumTextContrast()) {
    if (exporter.GetSettings()->reportAccessibility && !stories_.empty())
        FindPublicationProblems(styles);
}

void AccessibilityCheck::FindPublicationProblems(const Text::StyleSheet& styles) {
    const ExportSettings& settings = *exporter_.GetSettings();
    const Counted<const Text::Story>& first = stories_.front().story;
    if (const StringT message = PublicationLanguageMessage(settings.language); !message.empty())
        publication_.push_back({0, {{message}, WholeStory(first), {}}});

    const bool headings = std::ranges::any_of(
        stories_, [&](const CheckedStory& s) { return HasTaggedHeading(*s.story, styles); });
    if (!headings)
        publication_.push_back({0, {{NoHeadingsMessage()}, WholeStory(first), {}}});

    const bool sourced = !exporter_.GetOptions()->GetPaginationSource().empty();
    if (!settings.includePageList || sourced)
        return;
    for (size_t i = 0; i < stories_.size(); ++i) {
        const CheckedStory& s = stories_[i];
        if (!s.hasPages)
            continue;
        publication_.push_back({i,
                                {{PageListWithoutSourceMessage()},
                                 s.firstPage.IsNull() ? WholeStory(s.story) : At(s.firstPage),
                                 {}}});
        return;
    }
}

void AccessibilityCheck::AddFindings(size_t index, std::vector<StoryError>& errors) const {
    if (!exporter_.GetSettings()->reportAccessibility || index >= stories_.size())
        return;
    for (const Finding& finding : publication_)
        if (finding.story == index)
            errors.push_back(finding.error);
    validator_.ValidateStory(stories_[index].story, errors);
}

} // namespace EPub

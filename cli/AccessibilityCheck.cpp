#include "cli/AccessibilityCheck.h"

#include <algorithm>

namespace Cli {

namespace {

// The whole text of a story: where a publication-wide problem is shown.
Text::StoryRange WholeStory(const Counted<const Text::Story>& story) {
    return Text::StoryRange(story->gbegin(), story->GetTerminator());
}

Text::StoryRange At(const Text::StoryPos& pos) {
    return pos.HasGlyph() ? Text::StoryRange(pos, pos + 1) : Text::StoryRange(pos, pos);
}

} // namespace

AccessibilityCheck::AccessibilityCheck(const Document& doc, const EPub::HtmlExporter& exporter)
    : doc_(doc), validator_(*doc.settings, exporter.Callbacks().isFrameImage) {
    if (doc.settings->reportAccessibility && !doc.stories.empty())
        FindPublicationProblems();
}

void AccessibilityCheck::FindPublicationProblems() {
    const Counted<const Text::Story>& first = doc_.stories.front().story;
    if (const StringT message = EPub::PublicationLanguageMessage(doc_.settings->language);
        !message.empty())
        publication_.push_back({0, {{message}, WholeStory(first), {}}});

    const bool headings = std::ranges::any_of(doc_.stories, [&](const StoryEntry& entry) {
        return EPub::HasTaggedHeading(*entry.story, *doc_.styles);
    });
    if (!headings)
        publication_.push_back({0, {{EPub::NoHeadingsMessage()}, WholeStory(first), {}}});

    const bool sourced = !doc_.options->GetPaginationSource().empty();
    if (!doc_.settings->includePageList || sourced)
        return;
    for (size_t i = 0; i < doc_.stories.size(); ++i) {
        const StoryEntry& entry = doc_.stories[i];
        if (entry.marks.pages.empty())
            continue;
        const Text::StoryPos pos = entry.marks.PositionOf(*entry.marks.pages.front().anchor);
        publication_.push_back({i,
                                {{EPub::PageListWithoutSourceMessage()},
                                 pos.IsNull() ? WholeStory(entry.story) : At(pos),
                                 {}}});
        return;
    }
}

void AccessibilityCheck::AddFindings(size_t index, std::vector<EPub::StoryError>& errors) const {
    if (!doc_.settings->reportAccessibility || index >= doc_.stories.size())
        return;
    for (const Finding& finding : publication_)
        if (finding.story == index)
            errors.push_back(finding.error);
    validator_.ValidateStory(doc_.stories[index].story, errors);
}

} // namespace Cli

// SPDX-License-Identifier: MIT
#pragma once
// The accessibility findings of a publication before it is written: per story (pictures,
// contrast, languages of text) and for the whole publication (headings, its language, the page
// list's print edition), each attached to the story it concerns so that a host reports it like
// any other validation finding.

#include "epub/content/AccessibilityValidator.h"
#include "epub/content/StoryError.h"
#include "host/text/Story.h"

#include <vector>

namespace Text {
class StyleSheet;
}

namespace EPub {

class HtmlExporter;

class AccessibilityCheck {
public:
    struct CheckedStory {
        Counted<const Text::Story> story;
        bool hasPages = false;    // print page starts are registered in it
        Text::StoryPos firstPage; // where the first one is; null: unknown
    };

    // The publication's stories in order, checked with `exporter`'s settings, options and
    // callbacks and the document's `styles`; the exporter must outlive this object.
    AccessibilityCheck(const HtmlExporter& exporter, const Text::StyleSheet& styles,
                       std::vector<CheckedStory> stories);

    // Appends the findings of story `index`; nothing when the settings' `reportAccessibility`
    // switch is off.
    void AddFindings(size_t index, std::vector<StoryError>& errors) const;

private:
    struct Finding {
        size_t story;
        StoryError error;
    };

    void FindPublicationProblems(const Text::StyleSheet& styles);

    const HtmlExporter& exporter_;
    std::vector<CheckedStory> stories_;
    AccessibilityValidator validator_;
    std::vector<Finding> publication_;
};

} // namespace EPub

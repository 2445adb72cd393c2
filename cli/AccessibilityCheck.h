#pragma once
// The accessibility findings of `--check`: per story (pictures, contrast, languages of text) and
// for the whole publication (headings, its language, the page list's print edition), each
// attached to the story it concerns so that it prints like any other finding.

#include "cli/DocumentReader.h"
#include "epub/content/AccessibilityValidator.h"
#include "epub/content/HtmlExporter.h"

#include <vector>

namespace Cli {

class AccessibilityCheck {
public:
    // `exporter` must have the host's callbacks installed; both must outlive this object.
    AccessibilityCheck(const Document& doc, const EPub::HtmlExporter& exporter);

    // Appends the findings of story `index`; nothing when the document's `accessibility`
    // validation switch is off.
    void AddFindings(size_t index, std::vector<EPub::StoryError>& errors) const;

private:
    struct Finding {
        size_t story;
        EPub::StoryError error;
    };

    void FindPublicationProblems();

    const Document& doc_;
    EPub::AccessibilityValidator validator_;
    std::vector<Finding> publication_;
};

} // namespace Cli

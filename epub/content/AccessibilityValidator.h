// SPDX-License-Identifier: MIT
#pragma once
// Finds what keeps a publication from being accessible: pictures without a text alternative,
// text too faint against its background, missing heading structure and unusable languages.
// Like the formatting validation it changes nothing and writes nothing.

#include "epub/content/StoryError.h"
#include "epub/options/ExportSettings.h"
#include "host/text/PinnedObject.h"
#include "host/text/Story.h"
#include "host/text/Style.h"

#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace EPub {

class AccessibilityValidator {
public:
    // `isPicture` says whether a frame without text becomes a picture; when empty, every such
    // frame is taken for one.
    // `minimumContrast`: text colours below it are made readable by the export, which is
    // reported instead (0: colours are kept, and text below 4.5:1 is a problem).
    AccessibilityValidator(const ExportSettings& settings,
                           std::function<bool(const Text::PinnedObject&)> isPicture,
                           double minimumContrast = 0);

    // Pictures without alternative text that are not decorative, text whose contrast is below
    // the minimum, text in an unknown language. Text of notes, tables and frames is checked with
    // its own story's ranges. Adjacent runs with the same problem make one StoryError.
    void ValidateStory(const Counted<const Text::Story>& story,
                       std::vector<StoryError>& errors) const;

private:
    void ValidateText(const Text::Story& story, std::vector<StoryError>& errors) const;
    void ValidatePictures(const Counted<const Text::Story>& story, std::vector<StoryError>& errors,
                          std::vector<Counted<const Text::Story>>& inner) const;

    const ExportSettings& settings_;
    std::function<bool(const Text::PinnedObject&)> isPicture_;
    double minimumContrast_ = 0;
};

// h1 to h6.
bool IsHeadingElement(std::string_view element);
// The element the paragraph style is written as, following its bases; "p" when none sets one.
StringT ParagraphElementOf(const Text::StyleSheet& styles, const StringT& styleName);
// Whether a paragraph of the story's main text is written as a heading.
bool HasTaggedHeading(const Text::Story& story, const Text::StyleSheet& styles);

// A well-formed language tag whose language is a known ISO 639 code ("und" is not).
bool IsKnownLanguage(std::string_view tag);

// The messages of the publication-wide findings.
StringT NoHeadingsMessage();
// Empty when the publication's language is usable.
StringT PublicationLanguageMessage(const StringT& tag);
StringT PageListWithoutSourceMessage();

} // namespace EPub

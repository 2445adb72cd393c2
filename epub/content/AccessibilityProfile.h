// SPDX-License-Identifier: MIT
#pragma once
// What the written content shows about its accessibility (pictures and their text alternatives,
// headings, text contrast), collected while the content is written, and the accessibility
// metadata derived from it for the package document.

#include "epub/options/AccessibilityMetadata.h"
#include "host/foundation/Consolidated.h"
#include "host/raster/ICCProfileSet.h"
#include "host/render/RenderTags.h"
#include "host/text/GlyphAtts.h"

#include <functional>
#include <set>
#include <string_view>

namespace EPub {

class AccessibilityProfile {
public:
    // Null tags: a decorative picture.
    void AddPicture(const Render::RenderTags* tags);
    void AddHeading() noexcept { ++headings_; }
    void AddEquation() noexcept { ++equations_; }
    // Judges the contrast of text written with `atts`; each attribute set is judged once.
    // `minimumContrast`: the options' minimum, under which colours are made readable (0: none).
    void AddText(const Foundation::Consolidated<Text::GlyphAtts>& atts,
                 const Raster::ICCProfileSet& profiles, double minimumContrast = 0);

    // What only the whole publication knows.
    struct Publication {
        bool tableOfContents = false;
        bool pageList = false;
        bool pageSource = false;
        bool languageKnown = true;
    };

    int Pictures() const noexcept { return pictures_; }
    int PicturesWithoutText() const noexcept { return withoutText_; }
    int Headings() const noexcept { return headings_; }
    int Equations() const noexcept { return equations_; }
    int LowContrastTexts() const noexcept { return lowContrast_; }

    // The summary's sentences by their keys (GeneratedTexts.h), in the publication's language.
    // Empty: English.
    using Sentences = std::function<StringT(std::string_view key)>;

    // Nothing stands in the way of WCAG 2.1 AA as far as the content can tell.
    bool AllowsConformance(const Publication& publication) const;
    // `given`, with each part it leaves empty derived from the content: access modes, sufficient
    // modes, features, hazards ("none") and summary. Conformance is claimed only when `given`
    // leaves it to the exporter (IsConformanceDerived) and the checks allow it; certification is
    // never made up. `given` may be null.
    Counted<AccessibilityMetadata> Derive(const AccessibilityMetadata* given,
                                          const Publication& publication,
                                          const Sentences& sentences = {}) const;
    // A few sentences naming the features and what was checked automatically, for readers
    // choosing a book.
    StringT Summary(const AccessibilityMetadata& metadata, const Sentences& sentences = {}) const;

private:
    int pictures_ = 0;
    int withText_ = 0;
    int withoutText_ = 0;
    int described_ = 0;
    int headings_ = 0;
    int equations_ = 0;
    int lowContrast_ = 0;
    std::set<Foundation::Consolidated<Text::GlyphAtts>> judged_;
};

} // namespace EPub

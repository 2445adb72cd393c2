// SPDX-License-Identifier: MIT
#pragma once
// The publication's description for one reflowable export: metadata, cover, resolution and the
// validation switches. The host fills the fields directly.

#include "host/foundation/Consolidated.h"
#include "host/foundation/Counted.h"
#include "host/foundation/Geometry.h"
#include "host/foundation/StringT.h"
#include "host/raster/ICCProfileSet.h"

#include <cstdint>
#include <vector>

namespace Foundation {
class DataSource;
}
namespace Raster {
class DynamicBitmap;
}
namespace Render {
class Colour;
}
namespace Text {
class StyleSheet;
class GlyphAtts;
} // namespace Text

namespace EPub {

using Foundation::Consolidated;
using Foundation::Counted;
using Foundation::StringT;

class AccessibilityMetadata;

// The document resolution in dots per inch; document units are 1/dpi inch.
class DocumentResolution final : public Foundation::Countable {
public:
    explicit DocumentResolution(double dpi) : dpi_(dpi) {}
    double GetResolution() const noexcept { return dpi_; }

private:
    double dpi_;
};

class ExportSettings final : public Foundation::Countable {
public:
    ExportSettings();
    // Shares every counted reference and colour object of `other`.
    ExportSettings(const ExportSettings& other);
    ExportSettings& operator=(const ExportSettings&) = delete;
    ~ExportSettings() override;

    Counted<ExportSettings> Clone() const;

    Raster::ICCProfileSet iccProfiles;
    Counted<Foundation::Countable> reserved1;
    Counted<const DocumentResolution> documentResolution;
    Counted<AccessibilityMetadata> accessibility;
    // Default text colours: a text fill using one of these objects writes no CSS colour.
    std::vector<Counted<const Render::Colour>> colours;
    Counted<Foundation::Countable> reserved2;
    Counted<Foundation::Countable> reserved3;
    // The cover: its file, or a picture drawn by the host. A JPEG, PNG or GIF file within the size
    // limit is stored byte for byte, a larger one scaled and re-encoded (a JPEG stays JPEG); a
    // bitmap is stored as PNG. The file wins when both are set.
    Counted<Raster::DynamicBitmap> coverImage;
    Counted<const Foundation::DataSource> coverSource;
    // The cover picture's entry name without extension ("images/<name>.jpg"); empty: the stem
    // of coverSource's file name, else "Cover".
    StringT coverImageName;
    Counted<Foundation::Countable> reserved4;
    bool splitStories = false;
    // Every footnote and endnote written where it is referenced, as an aside in the text, rather
    // than collected at the end of its document.
    bool allNotesInline = false;
    // Embedded fonts keep only the glyphs the publication shows (a face whose licence forbids
    // subsetting is embedded whole).
    bool subsetFonts = true;
    bool includePageList = true;
    StringT title;
    StringT author;
    StringT illustrator;
    StringT description;
    StringT rights;
    StringT subject;
    StringT publisher;
    StringT language;
    StringT identifier;
    // When the work was published, as "2024", "2024-05", "2024-05-17" or a full UTC time stamp
    // (IsPublicationDate); empty: the time of the export.
    StringT date;
    StringT iBooksVersion;
    uint32_t identifierType = 0; // 2: an ISBN

    bool reportKerning = true;
    bool reportScaleShear = true;
    bool reportLeading = true;
    bool reportFills = true;
    bool reportTransparency = true;
    bool reportOpticalAlignment = true;
    bool reportColourEffects = true;
    bool reportTabStops = true;
    bool reportSpacing = true;
    bool reportHyphenation = true;
    bool reportLastLineOutdent = true;
    bool reportKeepOptions = true;
    bool reportDecorations = true;
    bool reportClassNameClashes = true;
    // Pictures without text alternatives, faint text, missing headings and languages.
    bool reportAccessibility = true;

    // The document's text styles and its default character attributes, which the style
    // registry describes styles and local formatting against.
    Counted<const Text::StyleSheet> styles;
    Consolidated<Text::GlyphAtts> defaultGlyphAtts;

    double GetResolution() const noexcept {
        return documentResolution ? documentResolution->GetResolution() : 72.0;
    }
};

} // namespace EPub

// SPDX-License-Identifier: MIT
#pragma once
// What the content writers need from the exporter that owns them: the documents they write
// into, the registries they fill and the settings they follow. Through it they stay independent
// of HtmlExporter, which implements it.

#include "epub/content/AccessibilityProfile.h"
#include "epub/content/AnchorRegistry.h"
#include "epub/content/HostCallbacks.h"
#include "epub/css/StyleSheet.h"
#include "epub/options/ExportSettings.h"
#include "epub/options/FlowingEPubOptions.h"
#include "epub/package/ImageStore.h"
#include "epub/package/Landmark.h"
#include "epub/package/PublicationManifest.h"
#include "host/foundation/Stream.h"
#include "host/text/Language.h"

#include <cstdint>
#include <map>
#include <utility>

namespace EPub {

struct ExportState;

class DocumentHost {
public:
    using LanguageCounts = std::map<StringT, std::pair<Counted<const Text::Language>, int64_t>>;

    // The registries content is entered into while it is written.
    virtual StyleSheet& Styles() = 0;
    virtual AnchorRegistry& Anchors() = 0;
    virtual ImageStore& Images() = 0;
    virtual HostCallbacks& Callbacks() noexcept = 0;

    virtual const Counted<const ExportSettings>& GetSettings() const noexcept = 0;
    virtual const Counted<const FlowingEPubOptions>& GetOptions() const noexcept = 0;

    // Content documents and the sections within them.
    virtual Counted<Foundation::OutStream> StartChunk(const StringT& fileName, const StringT& title,
                                                      const Counted<const Text::Language>& language,
                                                      bool linkImageStyles, StreamType type) = 0;
    virtual bool EndChunk(const Counted<Foundation::OutStream>& stream) = 0;
    virtual void StartSection(Foundation::OutStream& stream, Landmark landmark) = 0;
    virtual void EndSection(Foundation::OutStream& stream) = 0;
    // The label id of the innermost section when its heading still needs it; marks it used.
    virtual StringT TakeSectionLabel() = 0;
    // Hands the label back: the paragraph that took it was never written.
    virtual void ReturnSectionLabel() = 0;
    virtual bool NeedsInferredLandmark(Landmark landmark) const = 0;
    // Called at every paragraph start and glyph: writes the markers of the pages due there.
    virtual void HandlePageAnchor(Foundation::OutStream& out, int source, const StringT& fileName,
                                  const Text::StoryPos& pos, ExportState& state) = 0;

    virtual int GetPaginationSource() const noexcept = 0;
    virtual void SetPaginationSource(int source) noexcept = 0;
    virtual int TakeFigureNumber() noexcept = 0;
    // What the content written so far shows about its accessibility.
    virtual AccessibilityProfile& GetAccessibilityProfile() noexcept = 0;
    // An equation was written as MathML into the document being written.
    virtual void AddEquation() = 0;
    virtual void AddLanguageCounts(const LanguageCounts& counts) = 0;
    virtual Counted<const Text::Language> GetPublicationLanguage() const = 0;
    virtual StringT Localise(const StringT& key, const StringT& defaultText) const = 0;
    // The class list of a named text style, registered for the style sheet; empty when there is
    // no such style or it keeps its class out of the content.
    virtual StringT RegisterTextStyleClass(const StringT& styleName) = 0;

protected:
    DocumentHost() = default;
    DocumentHost(const DocumentHost&) = delete;
    DocumentHost& operator=(const DocumentHost&) = delete;
    virtual ~DocumentHost() = default;
};

} // namespace EPub

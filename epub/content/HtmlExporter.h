// SPDX-License-Identifier: MIT
#pragma once
// Turns stories into XHTML content documents and style sheets. Used alone it writes plain files
// next to a root file; FlowingEPubExporter routes every document into an EPUB container.

#include "epub/content/AccessibilityProfile.h"
#include "epub/content/AnchorRegistry.h"
#include "epub/content/DocumentHost.h"
#include "epub/content/FrameExporter.h"
#include "epub/content/HostCallbacks.h"
#include "epub/content/StoryChunk.h"
#include "epub/content/StoryError.h"
#include "epub/css/StyleSheet.h"
#include "epub/options/ExportSettings.h"
#include "epub/options/FlowingEPubOptions.h"
#include "epub/package/ImageStore.h"
#include "epub/package/Landmark.h"
#include "epub/package/PublicationManifest.h"
#include "host/foundation/DataSource.h"
#include "host/foundation/Geometry.h"
#include "host/render/RenderTags.h"
#include "host/text/AnchoredFrame.h"
#include "host/text/Glyph.h"
#include "host/text/ListAtt.h"
#include "host/text/Story.h"

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace EPub {

class ContentWriter;
class DefaultCallbacks;
struct Article;
struct StoryError;
struct ExportState;

// Owns the registries it fills while writing (styles, anchors, pictures); the host reaches them
// through Styles(), Anchors() and Images().
class HtmlExporter : public DocumentHost, public ImageOutput, public FrameExporter {
public:
    using StreamType = EPub::StreamType;

    HtmlExporter(Counted<const ExportSettings> settings, Counted<const FlowingEPubOptions> options);
    ~HtmlExporter() override;

    StyleSheet& Styles() override { return styles_; }
    const StyleSheet& Styles() const noexcept { return styles_; }
    AnchorRegistry& Anchors() override { return anchors_; }
    const AnchorRegistry& Anchors() const noexcept { return anchors_; }
    ImageStore& Images() override { return images_; }
    HostCallbacks& Callbacks() noexcept override { return callbacks_; }
    const HostCallbacks& Callbacks() const noexcept { return callbacks_; }
    void SetRootFilename(const StringT& path) { rootFilename_ = path; }

    const Counted<const ExportSettings>& GetSettings() const noexcept override { return settings_; }
    const Counted<const FlowingEPubOptions>& GetOptions() const noexcept override {
        return options_;
    }

    Counted<Foundation::OutStream> BeginImage(const StringT& name, Raster::FileType type) override;
    StringT GetImagePath() const override { return {}; }
    virtual bool Start(const StringT& path, Counted<Foundation::OutStreamSeekable> stream);
    virtual bool End();
    virtual void Abort() {}
    // Lets go of a story that is written and will not be exported again: links into
    // `fileName` still lead where they did, but nothing here keeps the story's text alive.
    void ReleaseStory(const Text::Story& story, const StringT& fileName);
    // Plain XHTML: the file `name` beside the root file, subfolders created. Refuses (null, and
    // GetLastError says why) a name that leaves that folder, one the output writes itself and
    // one already written, ASCII case ignored.
    virtual Counted<Foundation::OutStream> BeginStream(const StringT& name, StreamType type);
    // Why the last document, picture or style sheet could not be written; empty when none failed.
    const StringT& GetLastError() const noexcept { return lastError_; }
    virtual StringT GetInternalCssPath() const { return "styles.css"; }
    virtual StringT GetImageCssPath() const { return "images.css"; }
    virtual std::vector<StringT> GetAllCssPaths() const { return {"styles.css", "images.css"}; }
    virtual StringT GetCssPath() const { return {}; }
    bool NeedsInferredLandmark(Landmark) const override { return false; }
    virtual bool WriteStyleSheet(const Counted<Foundation::OutStream>& stream);
    virtual bool WriteImageStyleSheet(const Counted<Foundation::OutStream>& stream);
    void HandlePageAnchor(Foundation::OutStream& out, int source, const StringT& fileName,
                          const Text::StoryPos& pos, ExportState& state) override;

    // Content documents.
    Counted<Foundation::OutStream> StartChunk(const StringT& fileName, const StringT& title,
                                              const Counted<const Text::Language>& language,
                                              bool linkImageStyles, StreamType type) override;
    bool EndChunk(const Counted<Foundation::OutStream>& stream) override;
    void StartSection(Foundation::OutStream& stream, Landmark landmark) override;
    void EndSection(Foundation::OutStream& stream) override;
    bool HasCurrentSection() const;
    StringT TakeSectionLabel() override;
    void ReturnSectionLabel() override;

    // Stories: cut into chunks and written one document per file name.
    bool ExportStory(const Counted<const Text::Story>& story, const Text::StoryPos& end,
                     const StringT& fileName, const StringT& title);
    bool ExportStory(const Counted<const Text::Story>& story, const StringT& fileName,
                     const StringT& title, const std::vector<StoryChunk>& chunks);
    void GetStoryChunks(const Counted<const Text::Story>& story, const Text::StoryPos& end,
                        const StringT& fileName, std::vector<StoryChunk>& chunks, int& chunkNumber,
                        const std::vector<FrameScale>& frameScales, bool countLeadingBreak);
    void RegisterArticle(const Article& article, const StringT& fileName);
    bool ExportArticle(const Article& article, const StringT& fileName, int paginationSource);

    // Languages counted over everything written, for the publication's language.
    const LanguageCounts& GetLanguageCounts() const noexcept { return languageCounts_; }
    void AddLanguageCounts(const LanguageCounts& counts) override;

    int GetPaginationSource() const noexcept override { return paginationSource_; }
    void SetPaginationSource(int source) noexcept override { paginationSource_ = source; }
    int TakeFigureNumber() noexcept override { return figureCounter_++; }
    // What the content written so far shows about its accessibility.
    AccessibilityProfile& GetAccessibilityProfile() noexcept override {
        return accessibilityProfile_;
    }
    const AccessibilityProfile& GetAccessibilityProfile() const noexcept {
        return accessibilityProfile_;
    }
    void AddEquation() override;
    // The documents that hold MathML, by name.
    const std::set<StringT>& GetMathDocuments() const noexcept { return mathDocuments_; }

    // Block content at the glyph being written, into the innermost open block. Each returns
    // false, having written nothing, when there is no such block or the data cannot be stored.
    // `size` is in document units.
    bool ExportImage(const Counted<const Raster::DynamicBitmap>& bitmap,
                     const Counted<const Foundation::DataSource>& source, const StringT& name,
                     Raster::FileType type, Foundation::SizeT<double> size,
                     const Counted<const Render::RenderTags>& tags, bool wrapInClassDiv,
                     const StringT& extraCss = {});
    // `svgSize` and `clip` in units of `resolution` dots per inch; an empty clip shows it all.
    bool ExportSVG(const Counted<const Foundation::DataSource>& svg,
                   Foundation::SizeT<double> svgSize, int resolution, const StringT& name,
                   Foundation::SizeT<double> size, Foundation::RectT<double> clip,
                   const Counted<const Render::RenderTags>& tags, bool wrapInClassDiv);
    bool ExportFrame(const Text::AnchoredFrame& frame) override;
    bool ExportPicture(const Counted<const Foundation::DataSource>& source, Raster::FileType type,
                       const StringT& name, Foundation::SizeT<double> size,
                       const Counted<const Render::RenderTags>& tags) override;
    bool ExportTable(const Counted<const Text::TableFrame>& frame,
                     const Counted<const Text::Story>& story);
    bool ExportTableCell(const Text::StoryRange& cell);
    Counted<Raster::DynamicBitmap>
    RasteriseImageBullet(const Counted<const Text::ImageBulletGlyph>& glyph,
                         const Consolidated<Text::GlyphAtts>& atts) const;
    StringT RegisterTextStyleClass(const StringT& styleName) override;

    // The library's text for `key` in the publication's language (or `language`'s), as the
    // host's localise callback, when set, changes it; `defaultText` for a key it does not know.
    StringT Localise(const StringT& key, const StringT& defaultText) const override;
    StringT LocaliseIn(const Text::Language* language, const StringT& key,
                       const StringT& defaultText) const;
    Counted<const Text::Language> GetPublicationLanguage() const override;

    // Validation: formatting of a story that the XHTML and CSS cannot express, appended to
    // `errors`. Changes nothing. Notes, tables and frames met in the text are validated with it,
    // each style once, bases first; `checkLocal` false leaves local formatting unchecked.
    void ValidateStory(const Counted<const Text::Story>& story, std::vector<StoryError>& errors,
                       bool checkLocal = true);
    // The same, skipping the styles in `validated` (for example those of earlier stories).
    void ValidateStory(const Counted<const Text::Story>& story, std::vector<StoryError>& errors,
                       bool checkLocal, std::vector<Counted<const Text::Style>>& validated);
    // The style and its bases not yet in `validated`; their problems get an empty range at
    // `where`.
    void ValidateStyles(const Counted<const Text::Style>& style, std::vector<StoryError>& errors,
                        std::vector<Counted<const Text::Style>>& validated,
                        const Text::StoryPos& where = {});
    // Cell fills and borders of a table pinned at `pin`; the cells' text is left to ValidateStory.
    void ValidateTable(const Text::TableFrame& table, const Text::StoryPos& pin,
                       const Counted<const Text::Story>& story, std::vector<StoryError>& errors);
    // Fill and stroke of a frame pinned at `pin`.
    void ValidateFrame(const Text::AnchoredFrame& frame, const Text::StoryPos& pin,
                       const Counted<const Text::Story>& story, std::vector<StoryError>& errors,
                       const Counted<const Render::FillDescriptor>& background,
                       const Counted<const Render::FillDescriptor>& strokeFill,
                       const Counted<const Render::LineStyleDescriptor>& stroke) override;

protected:
    ContentWriter& Writer();
    // The checks BeginStream applies to every name, for exporters that write elsewhere; false,
    // with the reason in GetLastError, for a name that may not be written.
    bool AcceptStreamName(const StringT& name, StreamType type);
    // Names the output writes itself, which a document of `type` may not take.
    virtual bool IsReservedName(std::string_view name, StreamType type) const;

    StringT lastError_;
    // Puts the default back into every callback the host left empty.
    void FillEmptyCallbacks();

    Counted<const ExportSettings> settings_;
    Counted<const FlowingEPubOptions> options_;

private:
    struct SectionEntry {
        StringT labelId;
        bool labelUsed = false;
        bool silent = false;
        Landmark landmark = Landmark::None;
    };

    StyleSheet styles_;
    AnchorRegistry anchors_;
    ImageStore images_{*this};
    std::unique_ptr<DefaultCallbacks> defaults_;
    HostCallbacks defaultCallbacks_;
    HostCallbacks callbacks_;
    StringT rootFilename_;
    std::deque<SectionEntry> sections_;
    int sectionCounter_ = 1;
    int figureCounter_ = 1;
    int paginationSource_ = 0;
    LanguageCounts languageCounts_;
    StringT currentDocument_;
    std::set<StringT> mathDocuments_;
    AccessibilityProfile accessibilityProfile_;
    std::unique_ptr<ContentWriter> writer_;
    std::set<std::string> streamNames_; // case-folded
};

} // namespace EPub

// SPDX-License-Identifier: MIT
#pragma once
// The reflowable EPUB exporter: every document goes into an OCF container, and the package,
// navigation, cover and encryption documents are written around them at End.

#include "epub/content/HtmlExporter.h"
#include "epub/options/CSSFile.h"
#include "epub/package/NameRules.h"
#include "epub/package/NavigationModel.h"
#include "epub/package/OcfContainer.h"

#include <exception>
#include <list>
#include <map>
#include <set>
#include <string>

namespace EPub {

class FlowingEPubExporter : public HtmlExporter {
public:
    struct TocEntry {
        Counted<const Text::AnchorData> anchor;
        StringT text;
        std::list<TocEntry> children;
    };

    // A settings object without an identifier gets a new "urn:uuid:" one, so the package is
    // valid and fonts are obfuscated with a real key.
    FlowingEPubExporter(Counted<const ExportSettings> settings,
                        Counted<const FlowingEPubOptions> options);
    ~FlowingEPubExporter() override;

    // Opens the container on `stream`, or on a new file at `path` when the stream is null.
    bool Start(const StringT& path, Counted<Foundation::OutStreamSeekable> stream = {}) override;
    // `title` is the documents' title; empty gives the publication's.
    bool ExportStory(const Counted<const Text::Story>& story, const Text::StoryPos& end,
                     const StringT& fileName, const StringT& title = {});
    bool ExportArticle(const Article& article, const StringT& fileName, int paginationSource) {
        return HtmlExporter::ExportArticle(article, fileName, paginationSource);
    }
    // Copies a user style sheet into the container; documents opened afterwards link it.
    bool AddCssFile(const Counted<const CSSFile>& file);
    // Two levels at most: `parent` must be a top-level entry's anchor.
    void AddTocEntry(Counted<const Text::AnchorData> anchor, StringT text,
                     const Counted<const Text::AnchorData>& parent);
    // Writes the package around the content and finishes the container; rethrows an error the
    // container met while writing.
    bool End() override;
    void Abort() override;

    // Why the last document or style sheet was refused; empty when none was.

    Counted<Foundation::OutStream> BeginStream(const StringT& name, StreamType type) override;
    bool IsReservedName(std::string_view name, StreamType type) const override;
    StringT GetImagePath() const override { return "images/"; }
    StringT GetInternalCssPath() const override { return "css/styles.css"; }
    StringT GetImageCssPath() const override { return "css/images.css"; }
    std::vector<StringT> GetAllCssPaths() const override { return linkedStyleSheets_; }
    StringT GetCssPath() const override { return "css/"; }
    bool NeedsInferredLandmark(Landmark landmark) const override;
    bool WriteStyleSheet(const Counted<Foundation::OutStream>& stream) override;
    // Notes which document each page marker went into, for the page list.
    void HandlePageAnchor(Foundation::OutStream& out, int source, const StringT& fileName,
                          const Text::StoryPos& pos, ExportState& state) override;

    // Records that a page's marker was written into `document`.
    void RecordPage(int source, int page, const StringT& document);
    bool HasValidLocsRecursive(const TocEntry& entry) const;
    const PublicationManifest& GetManifest() const noexcept { return manifest_; }

private:
    void ChooseDominantLanguage();
    StringT StoreCoverImage();
    // False when the cover was asked for but could not be stored (GetLastError says why).
    bool AddCover();
    void AddOpf();
    void AddToc();
    void AddContentsEntry(std::vector<NavigationEntry>& entries, const TocEntry& entry,
                          int level) const;
    NavigationList MakePageList() const;
    NavigationList MakeContents() const;
    NavigationList MakeLandmarks() const;
    PackageHref LocationHref(const AnchorLocation& location) const;
    StringT LocaliseDominant(const StringT& key, const StringT& defaultText) const;
    void Release();

    Counted<ZipArchive> container_;
    std::exception_ptr failure_;
    Counted<Foundation::OutStreamSeekable> output_;
    std::vector<StringT> linkedStyleSheets_;
    PublicationManifest manifest_;
    std::list<TocEntry> toc_;
    std::vector<std::map<int, StringT>> pageRegistry_;
    Counted<const Text::Language> dominantLanguage_;
    const StringT contentRoot_ = "OEBPS/";
    const StringT navigationName_ = "toc.xhtml";
    const StringT packageName_ = "package.opf";
};

} // namespace EPub

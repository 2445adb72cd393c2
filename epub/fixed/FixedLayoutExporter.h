// SPDX-License-Identifier: MIT
#pragma once
// Writes a fixed-layout EPUB from pages the host has built as render trees: each page is drawn
// into its page document as it is added; the cover, package and navigation documents and the
// shared style sheet follow at End.

#include "epub/fixed/FixedPackage.h"
#include "epub/fixed/Images.h"
#include "epub/fixed/Publication.h"
#include "epub/fixed/Schema.h"
#include "epub/options/ExportSettings.h"
#include "epub/options/FileExportOptions.h"
#include "epub/package/GeneratedTexts.h"
#include "host/foundation/Stream.h"
#include "host/foundation/StringT.h"
#include "host/render/RenderTree.h"

#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace EPub {

// A named place on a page that links can point at; numbered through the publication from 1.
struct FixedAnchor {
    uint32_t number = 0;
    StringT name;
};

struct FixedPage {
    double width = 0; // points
    double height = 0;
    StringT label; // the printed page number, empty for none
    PageSpread spread = PageSpread::Auto;
    uint32_t landmarks = 0; // bit per landmark slot (LandmarkSlot)
    Counted<Render::GroupNode> root;
    std::vector<FixedAnchor> anchors;
};

// CSS pixels per point of the pages: the options' page resolution over 72, 1 without one.
double FixedPageScale(const FileExportOptions& options);

class FixedLayoutExporter {
public:
    // Only reads `settings` and `options`: several exports may share them, one per thread.
    // `abortFlag`, when given, may be set by another thread to stop the page being drawn.
    FixedLayoutExporter(Counted<const ExportSettings> settings,
                        Counted<const FileExportOptions> options, const bool* abortFlag = nullptr);
    // An export neither ended nor aborted is abandoned: its container is finished as it stands.
    ~FixedLayoutExporter();
    FixedLayoutExporter(const FixedLayoutExporter&) = delete;
    FixedLayoutExporter& operator=(const FixedLayoutExporter&) = delete;

    // Opens the container at `path`, or on `stream` when given (`path` then names the document,
    // for a publication without a title). A cover image file chosen by the options is stored
    // now. False with GetLastError when it cannot start.
    bool Start(const StringT& path, Counted<Foundation::OutStreamSeekable> stream = {});

    // Between Start and End. A link can lead only to an anchor added before the page holding
    // the link, so a host whose links go forward adds every page's anchors first.
    void AddAnchor(uint32_t page, const FixedAnchor& anchor);
    void AddAnchors(uint32_t page, const std::vector<FixedAnchor>& anchors);
    void AddTocEntry(const ContentsEntry& entry);
    // The print edition the page labels come from (an ISBN or any identifier).
    void SetPageSource(StringT source) { pageSource_ = std::move(source); }
    // Pages turn right to left (manga, Arabic and Hebrew books); spreads pair the other way.
    void SetRightToLeft(bool rightToLeft) noexcept { rightToLeft_ = rightToLeft; }
    // When reading systems show two pages side by side: "none", "landscape" (the default),
    // "both" or "auto"; anything else is ignored.
    void SetSpread(std::string_view spread);
    // Changes the navigation texts the library writes; may be empty.
    void SetLocaliser(TextLocaliser localise) { localise_ = std::move(localise); }

    // Draws the next page (numbered from 1 in the order added) into its page document; the page
    // the options choose as cover is also drawn into the cover image. False with GetLastError.
    bool AddPage(const FixedPage& page);
    uint32_t GetPageCount() const noexcept { return pageCount_; }

    // Writes the package around the pages and finishes the container. False with GetLastError;
    // an error the container met while writing is rethrown.
    bool End();
    // Finishes the container without the package; rethrows the container's error like End.
    void Abort();

    const StringT& GetLastError() const noexcept { return lastError_; }

private:
    bool Fail(StringT message);
    bool AddFileCover();
    bool AddPageCover(const FixedPage& page);
    void Release();

    Counted<const ExportSettings> settings_;
    Counted<const FileExportOptions> options_;
    const bool* abortFlag_ = nullptr;
    Counted<Foundation::OutStreamSeekable> output_;
    std::exception_ptr failure_;
    std::optional<Publication> publication_;
    std::unique_ptr<Schema> schema_;
    Images images_;
    std::vector<ContentsEntry> contents_;
    StringT pageSource_;
    bool rightToLeft_ = false;
    std::string spread_ = "landscape";
    TextLocaliser localise_;
    uint32_t pageCount_ = 0;
    int32_t width_ = 0; // the first page's, in CSS pixels: the publication's viewport
    int32_t height_ = 0;
    StringT lastError_;
};

} // namespace EPub

// SPDX-License-Identifier: MIT
#include "epub/fixed/FixedLayoutExporter.h"

#include "epub/fixed/PageRenderTarget.h"
#include "epub/package/CoverImage.h"
#include "epub/package/OcfContainer.h"
#include "host/foundation/ApplicationVersion.h"
#include "host/foundation/FileStream.h"
#include "host/foundation/TimeStamp.h"
#include "host/raster/ImageEncoder.h"
#include "host/render/BitmapRenderTarget.h"
#include "host/render/Renderer.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

namespace EPub {
namespace {

constexpr std::string_view kRoot = "OEBPS";
constexpr uint8_t kCoverPageQuality = 85;
constexpr uint8_t kCoverFileQuality = 90;

int32_t CssPixels(double points, double scale) {
    return static_cast<int32_t>(std::lround(points * scale));
}

StringT PageError(uint32_t page, std::string_view what) {
    return StringT("page " + std::to_string(page) + std::string(what));
}

} // namespace

double FixedPageScale(const FileExportOptions& options) {
    const double dpi = options.GetPageDPI();
    return dpi > 0 ? dpi / 72.0 : 1.0;
}

FixedLayoutExporter::FixedLayoutExporter(Counted<const ExportSettings> settings,
                                         Counted<const FileExportOptions> options,
                                         const bool* abortFlag)
    : settings_(std::move(settings)), options_(std::move(options)), abortFlag_(abortFlag) {}

FixedLayoutExporter::~FixedLayoutExporter() {
    // Never throws from here: the caller that wanted the container's error called End or Abort.
    Release();
}

bool FixedLayoutExporter::Fail(StringT message) {
    lastError_ = std::move(message);
    return false;
}

bool FixedLayoutExporter::Start(const StringT& path,
                                Counted<Foundation::OutStreamSeekable> stream) {
    if (publication_)
        return Fail("the export has already started");
    output_ = stream ? std::move(stream) : Foundation::FileOutStream::Create(path);
    if (!output_)
        return Fail(StringT::Format("cannot open \"%1\"", path));
    failure_ = nullptr;
    auto archive = Foundation::ZipArchive::Create(output_, failure_);
    if (!AddMimeType(*archive))
        return Fail("cannot start the publication");
    const ExportSettings& s = *settings_;
    publication_.emplace(kRoot, path, s.identifier, s.title, s.language);
    publication_->SetArchive(std::move(archive));
    publication_->SetSubsetFonts(s.subsetFonts);
    schema_ = std::make_unique<Schema>(options_, abortFlag_);
    if (options_->GetCoverPage() == FileExportOptions::CoverPage::ImageFile)
        return AddFileCover();
    return true;
}

void FixedLayoutExporter::AddAnchor(uint32_t page, const FixedAnchor& anchor) {
    // Keyed by the page number, so a page finds its own anchors.
    if (publication_)
        publication_->Anchor(page, anchor.number, anchor.name, page);
}

void FixedLayoutExporter::AddAnchors(uint32_t page, const std::vector<FixedAnchor>& anchors) {
    for (const FixedAnchor& anchor : anchors)
        AddAnchor(page, anchor);
}

void FixedLayoutExporter::AddTocEntry(const ContentsEntry& entry) {
    contents_.push_back(entry);
}

bool FixedLayoutExporter::AddFileCover() {
    const auto& file = options_->GetCoverPageFile();
    bool result = false;
    auto draw = [](Foundation::InStreamSeekable& svg, Render::BitmapRenderTarget& target) {
        return target.DrawSvg(svg);
    };
    if (!file || !RenderTarget::AddCover(*publication_, *file, kCoverFileQuality,
                                         ResamplerType::Bilinear, draw, &result))
        return Fail(StringT("the cover image \"" + (file ? file->GetDisplayPath().str() : "") +
                            "\" is neither a readable picture nor an SVG document"));
    if (!result)
        return Fail("the cover image could not be written");
    return true;
}

// A document page as the cover image: the page drawn whole into a bitmap.
bool FixedLayoutExporter::AddPageCover(const FixedPage& page) {
    // Twice the page's resolution for a sharp thumbnail, but never past what reading systems
    // take for a JPEG: a poster-sized page would otherwise need gigabytes of bitmap.
    const double longest = std::max(page.width, page.height);
    const double scale = std::min(FixedPageScale(*options_) * 2, kJPEGMaxDimension / longest);
    Render::BitmapRenderTarget target(static_cast<uint32_t>(std::lround(page.width * scale)),
                                      static_cast<uint32_t>(std::lround(page.height * scale)),
                                      scale);
    target.DrawTree(*page.root);
    Foundation::MemoryOutStream encoded;
    if (!Raster::WriteJPEG(*target.GetBitmap(), encoded, kCoverPageQuality))
        return Fail("the cover page could not be encoded");
    auto img = publication_->StoreImage(StringT("cover.jpg"), MediaType::JPEG, true);
    if (!img.out || !img.out->Write(encoded.Data()))
        return Fail("the cover image could not be written");
    return true;
}

bool FixedLayoutExporter::AddPage(const FixedPage& fp) {
    if (!publication_)
        return Fail("a page was added before Start or after End");
    if (!fp.root || !(fp.width > 0) || !(fp.height > 0))
        return Fail(PageError(pageCount_ + 1, " has no size or no content"));
    const uint32_t number = ++pageCount_;
    using CoverPage = FileExportOptions::CoverPage;
    const bool cover = options_->GetCoverPage() == CoverPage::DocumentPage &&
                       options_->GetCoverPageNum() == number;
    if (cover && !AddPageCover(fp))
        return false;
    const double scale = FixedPageScale(*options_);
    if (number == 1) {
        width_ = CssPixels(fp.width, scale);
        height_ = CssPixels(fp.height, scale);
    }
    Page page(*publication_, number, CssPixels(fp.width, scale), CssPixels(fp.height, scale));
    const Foundation::RectT<double> rect{0, 0, fp.width, fp.height};
    RenderTarget target(page, rect, rect, *schema_, images_);
    Render::Renderer renderer(*schema_, target);
    if (!renderer.Render(*fp.root, rect))
        return Fail(PageError(number, ": drawing was stopped"));
    target.Finish();
    const uint32_t landmarks = fp.landmarks | (cover ? 1u : 0u);
    if (!publication_->Add(page, fp.label.view(), fp.spread, landmarks))
        return Fail(PageError(number, " could not be written"));
    return true;
}

void FixedLayoutExporter::SetSpread(std::string_view spread) {
    for (const std::string_view known : {"none", "landscape", "both", "auto"})
        if (spread == known)
            spread_ = std::string(known);
}

bool FixedLayoutExporter::End() {
    if (!publication_)
        return Fail("the export ended before it started");
    if (pageCount_ == 0) {
        Release();
        return Fail("a fixed-layout publication needs at least one page");
    }
    const FixedPackageInput in{
        *settings_,
        contents_,
        Foundation::ApplicationVersion::GetCurrent().ToString(),
        [] { return Foundation::ToString(Foundation::TimeStamp::GetCurrent(), 3, true); },
        width_,
        height_,
        localise_,
        pageSource_,
        rightToLeft_,
        spread_};
    const bool written = WriteFixedPackage(*publication_, in);
    Release();
    if (failure_)
        std::rethrow_exception(std::exchange(failure_, nullptr));
    return written || Fail("the package documents could not be written");
}

void FixedLayoutExporter::Abort() {
    Release();
    if (failure_)
        std::rethrow_exception(std::exchange(failure_, nullptr));
}

void FixedLayoutExporter::Release() {
    // The publication holds the archive: letting it go finishes the zip onto the output.
    publication_.reset();
    schema_.reset();
    output_.Reset();
}

} // namespace EPub

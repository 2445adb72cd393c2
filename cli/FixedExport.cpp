// SPDX-License-Identifier: MIT
#include "cli/FixedExport.h"

#include "cli/DocumentReader.h"
#include "cli/ExportCommand.h"
#include "cli/OutputFile.h"
#include "epub/fixed/RenderTarget.h"
#include "epub/package/OcfContainer.h"
#include "host/foundation/ApplicationVersion.h"
#include "host/foundation/FileStream.h"
#include "host/foundation/TimeStamp.h"
#include "host/raster/ImageEncoder.h"
#include "host/render/Renderer.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace Cli {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kRoot = "OEBPS";

int32_t CssPixels(double points, double scale) {
    return static_cast<int32_t>(std::lround(points * scale));
}

void ExportPages(const FixedDocument& doc, EPub::Publication& publication,
                 const Progress& progress) {
    // Every name is known before the first page: a link may lead to a later page.
    for (size_t i = 0; i < doc.pages.size(); ++i)
        for (const FixedAnchor& anchor : doc.pages[i].anchors)
            publication.Anchor(uint32_t(i + 1), anchor.number, anchor.name, i + 1);
    EPub::Schema schema(doc.options);
    EPub::Images images;
    const double scale = PageScale(doc);
    for (size_t i = 0; i < doc.pages.size(); ++i) {
        const FixedPage& fp = doc.pages[i];
        EPub::Page page(publication, i + 1, CssPixels(fp.width, scale),
                        CssPixels(fp.height, scale));
        const Foundation::RectT<double> rect{0, 0, fp.width, fp.height};
        EPub::RenderTarget target(page, rect, rect, schema, images);
        Render::Renderer renderer(schema, target);
        if (!renderer.Render(*fp.root, rect))
            throw ExportError("page " + std::to_string(i + 1) + ": drawing was stopped");
        target.Finish();
        uint32_t landmarks = fp.landmarks;
        using CoverPage = EPub::FileExportOptions::CoverPage;
        if (doc.options->GetCoverPage() == CoverPage::DocumentPage &&
            doc.options->GetCoverPageNum() == i + 1)
            landmarks |= 1u;
        if (!publication.Add(page, fp.label.view(), fp.spread, landmarks))
            throw ExportError("page " + std::to_string(i + 1) + " could not be written");
        if (progress)
            progress(i + 1, doc.pages.size());
    }
}

// A document page as the cover image: the page drawn whole into a bitmap.
void AddPageCover(const FixedDocument& doc, EPub::Publication& publication) {
    const FixedPage& page = doc.pages.at(doc.options->GetCoverPageNum() - 1);
    // Twice the page's resolution for a sharp thumbnail, but never past what reading systems
    // take for a JPEG: a poster-sized page would otherwise need gigabytes of bitmap.
    const double longest = std::max(page.width, page.height);
    const double scale = std::min(PageScale(doc) * 2, EPub::kJPEGMaxDimension / longest);
    Render::BitmapRenderTarget target(static_cast<uint32_t>(std::lround(page.width * scale)),
                                      static_cast<uint32_t>(std::lround(page.height * scale)),
                                      scale);
    target.DrawTree(*page.root);
    Foundation::MemoryOutStream encoded;
    if (!Raster::WriteJPEG(*target.GetBitmap(), encoded, 85))
        throw ExportError("the cover page could not be encoded");
    auto img = publication.StoreImage(StringT("cover.jpg"), EPub::MediaType::JPEG, true);
    if (!img.out || !img.out->Write(encoded.Data()))
        throw ExportError("the cover image could not be written");
}

void AddFileCover(const FixedDocument& doc, EPub::Publication& publication) {
    const auto& file = doc.options->GetCoverPageFile();
    bool result = false;
    auto draw = [](Foundation::InStreamSeekable& svg, Render::BitmapRenderTarget& target) {
        return target.DrawSvg(svg);
    };
    if (!file || !EPub::RenderTarget::AddCover(publication, *file, 90,
                                               EPub::ResamplerType::Bilinear, draw, &result))
        throw ExportError("the cover image \"" + (file ? file->GetDisplayPath().str() : "") +
                          "\" is neither a readable picture nor an SVG document");
    if (!result)
        throw ExportError("the cover image could not be written");
}

void WritePublication(const FixedDocument& doc, const fs::path& target,
                      Foundation::Counted<Foundation::ZipArchive> archive,
                      const Progress& progress) {
    const auto& s = *doc.settings;
    // The reader has named an untitled document after its input.
    EPub::Publication publication(kRoot, StringT(target.string()), s.identifier, s.title,
                                  s.language);
    publication.SetArchive(std::move(archive));
    publication.SetSpreadSetting(1);
    publication.SetSubsetFonts(s.subsetFonts);
    using CoverPage = EPub::FileExportOptions::CoverPage;
    if (doc.options->GetCoverPage() == CoverPage::ImageFile)
        AddFileCover(doc, publication);
    else if (doc.options->GetCoverPage() == CoverPage::DocumentPage)
        AddPageCover(doc, publication);
    ExportPages(doc, publication, progress);
    const double scale = PageScale(doc);
    EPub::FixedPackageInput in{
        s,
        doc.contents,
        Foundation::ApplicationVersion::GetCurrent().ToString(),
        [] { return Foundation::ToString(Foundation::TimeStamp::GetCurrent(), 3, true); },
        CssPixels(doc.pages[0].width, scale),
        CssPixels(doc.pages[0].height, scale),
        {},
        doc.pageSource,
        doc.rightToLeft,
        doc.spread};
    if (!EPub::WriteFixedPackage(publication, in))
        throw ExportError("the package documents could not be written");
}

} // namespace

void ExportFixedEPub(const FixedDocument& doc, const fs::path& target, const Progress& progress) {
    std::optional<OutputFile> output;
    output.emplace(target);
    std::exception_ptr failure;
    try {
        // The archive is finished when the publication lets go of it, before the output commits.
        auto archive = Foundation::ZipArchive::Create(output->Stream(), failure);
        if (!EPub::AddMimeType(*archive))
            throw ExportError("cannot start the publication");
        WritePublication(doc, target, std::move(archive), progress);
    } catch (const std::exception& e) {
        if (const std::string reason = output->StreamError(); !reason.empty())
            throw ExportError("cannot write \"" + target.string() + "\": " + reason);
        throw;
    }
    if (failure) {
        try {
            std::rethrow_exception(failure);
        } catch (const std::exception& e) {
            const std::string reason = output->StreamError();
            throw ExportError("cannot write \"" + target.string() +
                              "\": " + (reason.empty() ? e.what() : reason));
        }
    }
    output->Commit();
}

} // namespace Cli

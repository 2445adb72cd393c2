// SPDX-License-Identifier: MIT
#include "cli/FixedExport.h"

#include "cli/ExportCommand.h"
#include "cli/OutputFile.h"
#include "epub/fixed/FixedLayoutExporter.h"

#include <optional>

namespace Cli {
namespace {

namespace fs = std::filesystem;

void ExportPages(const FixedDocument& doc, EPub::FixedLayoutExporter& exporter,
                 const Progress& progress) {
    // Every name is known before the first page: a link may lead to a later page.
    for (size_t i = 0; i < doc.pages.size(); ++i)
        exporter.AddAnchors(uint32_t(i + 1), doc.pages[i].anchors);
    for (const EPub::ContentsEntry& entry : doc.contents)
        exporter.AddTocEntry(entry);
    exporter.SetPageSource(doc.pageSource);
    exporter.SetRightToLeft(doc.rightToLeft);
    exporter.SetSpread(doc.spread);
    for (size_t i = 0; i < doc.pages.size(); ++i) {
        if (!exporter.AddPage(doc.pages[i]))
            throw ExportError(exporter.GetLastError().str());
        if (progress)
            progress(i + 1, doc.pages.size());
    }
}

} // namespace

void ExportFixedEPub(const FixedDocument& doc, const fs::path& target, const Progress& progress) {
    std::optional<OutputFile> output;
    output.emplace(target);
    auto cannotWrite = [&](const std::string& why) {
        const std::string reason = output->StreamError();
        return ExportError("cannot write \"" + target.string() +
                           "\": " + (reason.empty() ? why : reason));
    };
    try {
        // The reader has named an untitled document after its input.
        EPub::FixedLayoutExporter exporter(doc.settings, doc.options);
        if (!exporter.Start(StringT(target.string()), output->Stream()))
            throw ExportError(exporter.GetLastError().str());
        ExportPages(doc, exporter, progress);
        bool ended = false;
        try {
            ended = exporter.End();
        } catch (const std::exception& e) {
            // What the container met while writing.
            throw cannotWrite(e.what());
        }
        if (!ended)
            throw ExportError(exporter.GetLastError().str());
    } catch (const std::exception&) {
        if (!output->StreamError().empty())
            throw cannotWrite("");
        throw;
    }
    output->Commit();
}

} // namespace Cli

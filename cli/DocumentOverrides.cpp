// SPDX-License-Identifier: MIT
#include "cli/DocumentOverrides.h"

#include "cli/DocumentReader.h"
#include "cli/FixedDocumentReader.h"
#include "cli/SystemFile.h"
#include "epub/options/CSSFile.h"
#include "epub/options/FlowingEPubOptions.h"
#include "host/foundation/DataSource.h"
#include "host/raster/DynamicBitmap.h"
#include "host/raster/ImageFile.h"

namespace Cli {

namespace {

using Readers::InputError;

void ReadCover(const std::string& file) {
    if (!Raster::DecodeImage(ReadSystemFile(file)))
        throw InputError("\"" + file + "\" is not a JPEG, PNG or GIF image");
}

Foundation::Counted<const EPub::CSSFile> ReadStyleSheet(const std::string& file) {
    std::string text = ReadSystemFile(file);
    if (!IsStyleSheetText(text))
        throw InputError("\"" + file +
                         "\" is not a text style sheet (UTF-8, no control characters)");
    if (text.find_first_not_of(" \t\r\n") == std::string::npos)
        throw InputError("\"" + file + "\" is empty");
    auto source = Foundation::MakeCounted<Foundation::FileDataSource>(StringT(file));
    const auto modified = source->GetModifiedTime().value_or(Foundation::TimeStamp());
    return Foundation::MakeCounted<const EPub::CSSFile>(std::move(source), modified,
                                                        StringT(std::move(text)));
}

} // namespace

void ApplyMetadata(const std::vector<std::pair<std::string, std::string>>& metadata,
                   EPub::ExportSettings& settings) {
    bool authorGiven = false;
    for (const auto& [key, value] : metadata) {
        const StringT text(value);
        if (key == "author") {
            settings.author = authorGiven ? StringT(settings.author.str() + ", " + value) : text;
            authorGiven = true;
        } else if (key == "title") {
            settings.title = text;
        } else if (key == "illustrator") {
            settings.illustrator = text;
        } else if (key == "language") {
            settings.language = text;
        } else if (key == "identifier") {
            settings.identifier = text;
            settings.identifierType = 0;
        } else if (key == "publisher") {
            settings.publisher = text;
        } else if (key == "description") {
            settings.description = text;
        } else if (key == "subject") {
            settings.subject = text;
        } else if (key == "rights") {
            settings.rights = text;
        } else if (key == "date") {
            settings.date = text;
        }
    }
}

void ApplyOverrides(const CommandLine& line, Readers::Document& doc) {
    ApplyMetadata(line.metadata, *doc.settings);
    if (line.cover) {
        // Checked here so a bad picture is a usage error; the library copies the file's own bytes.
        ReadCover(*line.cover);
        doc.settings->coverImage = nullptr;
        doc.settings->coverSource =
            Foundation::MakeCounted<Foundation::FileDataSource>(StringT(*line.cover));
        doc.settings->coverImageName = StringT();
        doc.options->SetCoverPageType(EPub::CoverPageType::Image);
    }
    for (const std::string& file : line.css)
        doc.cssFiles.push_back(ReadStyleSheet(file));
}

void ApplyOverrides(const CommandLine& line, FixedDocument& doc) {
    if (!line.css.empty())
        throw InputError("a fixed-layout document takes no style sheets (--css)");
    ApplyMetadata(line.metadata, *doc.settings);
    if (line.cover) {
        ReadCover(*line.cover); // refused now rather than half-way through the export
        doc.options->SetCoverPage(EPub::FileExportOptions::CoverPage::ImageFile);
        doc.options->SetCoverPageFile(
            Foundation::MakeCounted<Foundation::FileDataSource>(StringT(*line.cover)));
    }
}

} // namespace Cli

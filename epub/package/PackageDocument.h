// SPDX-License-Identifier: MIT
#pragma once
// The package document (package.opf) of a reflowable publication: metadata, manifest, spine and
// guide.

#include "epub/package/PackageModel.h"
#include "epub/package/PublicationManifest.h"
#include "host/foundation/Stream.h"

#include <functional>
#include <string_view>
#include <vector>

namespace EPub {

class ExportSettings;
class FlowingEPubOptions;

struct PackageDocumentInput {
    const ExportSettings& settings;
    const FlowingEPubOptions& options;
    const PublicationManifest& manifest;
    // Container paths of the embedded fonts in writing order ("OEBPS/font/Name.ttf").
    std::vector<StringT> fontPaths;
    StringT contentRoot = "OEBPS/";
    StringT navigationDocument = "toc.xhtml";
    // The image style sheet is listed only when image styles were registered.
    StringT imageCssPath;
    bool hasImageStyles = false;
    StringT dominantLanguage;
    StringT generator;
    // Asked once per time stamp written.
    std::function<StringT()> currentTime;
    // (key, default text) -> text in the dominant language.
    std::function<StringT(std::string_view, std::string_view)> localise;
};

PackageModel MakePackageModel(const PackageDocumentInput& in);
void WritePackageDocument(Foundation::OutStream& out, const PackageDocumentInput& in);

} // namespace EPub

// SPDX-License-Identifier: MIT
#pragma once
// The --html export: documents, style sheets and pictures as files in a folder. Each file is
// written to a hidden temporary file and put in place only when the whole export succeeded, so
// a failed run (a full disk, a missing permission) leaves neither empty nor half-written files.

#include "cli/OutputFile.h"
#include "epub/content/HtmlExporter.h"
#include "epub/flowing/FlowingEPubExporter.h"

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace Cli {

class FolderExporter final : public EPub::HtmlExporter {
public:
    FolderExporter(Foundation::Counted<EPub::ExportSettings> settings,
                   Foundation::Counted<const EPub::FlowingEPubOptions> options,
                   std::filesystem::path folder);
    ~FolderExporter() override;

    // Names may hold subfolders ("sub/b.xhtml"), which are created.
    Foundation::Counted<Foundation::OutStream> BeginStream(const Foundation::StringT& name,
                                                           StreamType type) override;

    // Call after every document has been released: syncs the files and moves them into place.
    // Throws OutputError naming the first file that failed and why.
    void Commit();
    // The first file that could not be opened or written, and why; empty when none.
    std::string FirstFailure() const;

private:
    struct File {
        std::filesystem::path temp;
        std::filesystem::path final;
        Foundation::Counted<DescriptorStream> stream;
    };

    std::filesystem::path folder_;
    std::vector<File> files_;
    std::string failure_; // the first file that could not be opened
};

} // namespace Cli

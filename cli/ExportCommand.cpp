#include "cli/ExportCommand.h"

#include "cli/HostServices.h"
#include "epub/package/FlowingEPubExporter.h"

#include <system_error>
#include <unistd.h>

namespace Cli {
namespace {

namespace fs = std::filesystem;

// Removes the temporary output unless the export got as far as renaming it.
class TempFile {
public:
    explicit TempFile(const fs::path& target)
        : path_(target.parent_path() /
                ("." + target.filename().string() + "." + std::to_string(::getpid()) + ".tmp")) {}
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() {
        std::error_code ignored;
        if (!kept_)
            fs::remove(path_, ignored);
    }
    const fs::path& Path() const noexcept { return path_; }
    void MoveTo(const fs::path& target) {
        std::error_code error;
        fs::rename(path_, target, error);
        if (error)
            throw ExportError("cannot write \"" + target.string() + "\": " + error.message());
        kept_ = true;
    }

private:
    fs::path path_;
    bool kept_ = false;
};

void Register(EPub::HtmlExporter& exporter, const Document& doc) {
    for (const StoryEntry& entry : doc.stories) {
        const auto begin = entry.story->gbegin();
        exporter.RegisterAnchor(entry.fileName, *entry.startAnchor, begin);
    }
    int page = 1;
    for (const StoryEntry& entry : doc.stories)
        if (!entry.pageLabel.empty())
            exporter.RegisterPage(entry.fileName, page++, entry.pageLabel, entry.story->gbegin(),
                                  0);
}

std::string Describe(const StoryEntry& entry, const EPub::FlowingEPubExporter& exporter) {
    std::string message = "cannot export story \"" + entry.fileName.str() + "\"";
    if (!exporter.GetLastError().empty())
        message += ": " + exporter.GetLastError().str();
    return message;
}

void RunEPub(EPub::FlowingEPubExporter& exporter, const Document& doc, const fs::path& path,
             const Progress& progress) {
    if (!exporter.Start(StringT(path.string())))
        throw ExportError("cannot create \"" + path.string() + "\"");
    for (const StoryEntry& entry : doc.stories)
        if (!entry.tocText.empty())
            exporter.AddTocEntry(entry.startAnchor, entry.tocText, nullptr);
    for (size_t i = 0; i < doc.stories.size(); ++i) {
        const StoryEntry& entry = doc.stories[i];
        if (!exporter.ExportStory(entry.story, entry.story->gend(), entry.fileName))
            throw ExportError(Describe(entry, exporter));
        if (progress)
            progress(i + 1, doc.stories.size());
    }
    if (!exporter.End())
        throw ExportError("cannot finish the publication");
}

} // namespace

void ExportEPub(const Document& doc, const fs::path& target, const Progress& progress) {
    const fs::path absolute = fs::absolute(target);
    TempFile temp(absolute);
    {
        EPub::FlowingEPubExporter exporter(doc.settings, doc.options);
        HostServices host;
        host.Install(exporter);
        Register(exporter, doc);
        try {
            RunEPub(exporter, doc, temp.Path(), progress);
        } catch (const ExportError&) {
            try {
                exporter.Abort();
            } catch (const std::exception&) {
                // The first failure is the one worth reporting.
            }
            throw;
        } catch (const std::exception& e) {
            throw ExportError(std::string("cannot write the publication: ") + e.what());
        }
    }
    temp.MoveTo(absolute);
}

void ExportHtml(const Document& doc, const fs::path& dir, const Progress& progress) {
    std::error_code error;
    fs::create_directories(dir, error);
    if (error)
        throw ExportError("cannot create folder \"" + dir.string() + "\": " + error.message());
    EPub::HtmlExporter exporter(doc.settings, doc.options);
    HostServices host;
    host.Install(exporter);
    Register(exporter, doc);
    exporter.SetRootFilename(StringT((dir / "index.html").string()));
    for (size_t i = 0; i < doc.stories.size(); ++i) {
        const StoryEntry& entry = doc.stories[i];
        if (!exporter.ExportStory(entry.story, entry.story->gend(), entry.fileName, entry.title))
            throw ExportError("cannot export story \"" + entry.fileName.str() + "\"");
        if (progress)
            progress(i + 1, doc.stories.size());
    }
    if (!exporter.End())
        throw ExportError("cannot write the style sheets into \"" + dir.string() + "\"");
}

} // namespace Cli

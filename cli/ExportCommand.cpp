#include "cli/ExportCommand.h"

#include "cli/HostServices.h"
#include "epub/content/Article.h"
#include "epub/package/FlowingEPubExporter.h"
#include "host/foundation/FontCache.h"

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

// One story, or all parts of an article: what one export call writes.
struct Unit {
    size_t first = 0;
    size_t last = 0; // inclusive
    bool IsArticle(const Document& doc) const { return doc.stories[first].article >= 0; }
};

std::vector<Unit> Units(const Document& doc) {
    std::vector<Unit> units;
    for (size_t i = 0; i < doc.stories.size(); ++i) {
        const int article = doc.stories[i].article;
        if (article >= 0 && !units.empty() && doc.stories[units.back().last].article == article)
            units.back().last = i;
        else
            units.push_back({i, i});
    }
    return units;
}

EPub::Article MakeArticle(const Document& doc, const Unit& unit) {
    EPub::Article article;
    article.title = doc.articles[static_cast<size_t>(doc.stories[unit.first].article)].title;
    for (size_t i = unit.first; i <= unit.last; ++i) {
        const auto& story = doc.stories[i].story;
        article.stories.push_back(story);
        article.ends.push_back(story->gend());
        article.items.push_back(-1);
        article.frameScales.push_back({EPub::FrameScale{story->gbegin(), {1.0, 1.0}}});
    }
    return article;
}

void Register(EPub::HtmlExporter& exporter, const Document& doc) {
    for (const StoryEntry& entry : doc.stories)
        for (const StoryMarks::Mark& mark : entry.marks.anchors)
            exporter.RegisterAnchor(entry.fileName, *mark.anchor, mark.pos);
    int page = 1;
    for (const StoryEntry& entry : doc.stories)
        for (const StoryMarks::Page& start : entry.marks.pages)
            exporter.RegisterPage(entry.fileName, page++, start.label,
                                  entry.marks.PositionOf(*start.anchor), 0);
    // Cut every story before writing any, so a link into a later story that is split into
    // several documents points at the right one.
    for (const Unit& unit : Units(doc)) {
        const StoryEntry& entry = doc.stories[unit.first];
        if (unit.IsArticle(doc)) {
            exporter.RegisterArticle(MakeArticle(doc, unit), entry.fileName);
            continue;
        }
        std::vector<EPub::StoryChunk> chunks;
        int counter = 1;
        exporter.GetStoryChunks(entry.story, entry.story->gend(), entry.fileName, chunks, counter,
                                {EPub::FrameScale{entry.story->gbegin(), {1.0, 1.0}}}, false);
        exporter.RemapFileNames(entry.fileName, chunks);
    }
}

// Sub-entries hang under the last story or article that has an entry of its own.
void AddTableOfContents(EPub::FlowingEPubExporter& exporter, const Document& doc) {
    Counted<const Text::AnchorData> parent;
    for (const StoryEntry& entry : doc.stories) {
        if (!entry.tocText.empty()) {
            exporter.AddTocEntry(entry.startAnchor, entry.tocText, nullptr);
            parent = entry.startAnchor;
        }
        for (const StoryMarks::TocChild& child : entry.marks.toc)
            exporter.AddTocEntry(child.anchor, child.text, parent);
    }
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
    for (const auto& css : doc.cssFiles)
        if (!exporter.AddCssFile(css))
            throw ExportError("cannot add style sheet \"" +
                              css->GetDataSource()->GetDisplayPath().str() +
                              "\": " + exporter.GetLastError().str());
    AddTableOfContents(exporter, doc);
    const std::vector<Unit> units = Units(doc);
    for (size_t i = 0; i < units.size(); ++i) {
        const StoryEntry& entry = doc.stories[units[i].first];
        const bool ok =
            units[i].IsArticle(doc)
                ? exporter.ExportArticle(MakeArticle(doc, units[i]), entry.fileName, 0)
                : exporter.ExportStory(entry.story, entry.story->gend(), entry.fileName);
        if (!ok)
            throw ExportError(Describe(entry, exporter));
        if (progress)
            progress(i + 1, units.size());
    }
    if (!exporter.End())
        throw ExportError("cannot finish the publication");
}

void UseFonts(EPub::HtmlExporter& exporter, const Document& doc) {
    if (doc.fonts)
        exporter.SetFontCache(Foundation::FontCache::Create(doc.fonts));
}

} // namespace

void ExportEPub(const Document& doc, const fs::path& target, const Progress& progress) {
    const fs::path absolute = fs::absolute(target);
    TempFile temp(absolute);
    {
        EPub::FlowingEPubExporter exporter(doc.settings, doc.options);
        HostServices host;
        host.Install(exporter);
        UseFonts(exporter, doc);
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
    UseFonts(exporter, doc);
    Register(exporter, doc);
    exporter.SetRootFilename(StringT((dir / "index.html").string()));
    const std::vector<Unit> units = Units(doc);
    for (size_t i = 0; i < units.size(); ++i) {
        const StoryEntry& entry = doc.stories[units[i].first];
        const bool ok = units[i].IsArticle(doc)
                            ? exporter.ExportArticle(MakeArticle(doc, units[i]), entry.fileName, 0)
                            : exporter.ExportStory(entry.story, entry.story->gend(), entry.fileName,
                                                   entry.title);
        if (!ok)
            throw ExportError("cannot export story \"" + entry.fileName.str() + "\"");
        if (progress)
            progress(i + 1, units.size());
    }
    if (!exporter.End())
        throw ExportError("cannot write the style sheets into \"" + dir.string() + "\"");
}

} // namespace Cli

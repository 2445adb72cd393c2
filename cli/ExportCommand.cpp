// SPDX-License-Identifier: MIT
#include "cli/ExportCommand.h"

#include "cli/FolderExporter.h"
#include "cli/OutputFile.h"
#include "epub/content/Article.h"
#include "epub/flowing/FlowingEPubExporter.h"
#include "epub/package/NameRules.h"
#include "host/foundation/FontCache.h"

#include <map>
#include <optional>
#include <set>
#include <system_error>

namespace Cli {

using EPub::FoldCase;
namespace {

namespace fs = std::filesystem;

// One story, or all parts of an article: what one export call writes.
struct Unit {
    size_t first = 0;
    size_t last = 0; // inclusive
    bool IsArticle(const Document& doc) const { return doc.stories[first].article >= 0; }
};

// The units of stories [from, end of the list).
std::vector<Unit> Units(const Document& doc, size_t from = 0) {
    std::vector<Unit> units;
    for (size_t i = from; i < doc.stories.size(); ++i) {
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

// Stories [from, end of the list) and their articles take the names the library's rules give
// them in the container.
void NameEntries(Document& doc, size_t from) {
    std::vector<StringT> given;
    for (size_t i = from; i < doc.stories.size(); ++i)
        given.push_back(doc.stories[i].fileName);
    const std::vector<StringT> stored = EPub::StoredDocumentNames(given);
    std::map<std::string, StringT> renamed; // an article's parts share their name
    for (size_t k = 0; k < stored.size(); ++k) {
        StoryEntry& entry = doc.stories[from + k];
        renamed.emplace(entry.fileName.str(), stored[k]);
        entry.fileName = stored[k];
    }
    for (ArticleEntry& article : doc.articles)
        if (const auto it = renamed.find(article.fileName.str()); it != renamed.end())
            article.fileName = it->second;
}

// The document with the names its stories take in the container.
Document WithEntryNames(const Document& doc) {
    Document mapped = doc;
    NameEntries(mapped, 0);
    return mapped;
}

// The documents a unit is cut into, as the content writer will name them.
std::vector<EPub::StoryChunk> CutUnit(EPub::HtmlExporter& exporter, const Document& doc,
                                      const Unit& unit) {
    std::vector<EPub::StoryChunk> chunks;
    int counter = 1;
    for (size_t i = unit.first; i <= unit.last; ++i) {
        const StoryEntry& entry = doc.stories[i];
        exporter.GetStoryChunks(entry.story, entry.story->gend(), entry.fileName, chunks, counter,
                                {EPub::FrameScale{entry.story->gbegin(), {1.0, 1.0}}},
                                i > unit.first);
    }
    return chunks;
}

// Case-folded document name -> the story (index into Document::stories) that first took it.
using TakenNames = std::map<std::string, size_t>;

// Split stories make names of their own ("a_2.xhtml"); none may be another story's, nor one the
// output writes itself. `taken` holds the names of stories checked before.
void CheckDocumentNames(const Document& doc, const std::vector<Unit>& units,
                        const std::vector<std::vector<EPub::StoryChunk>>& chunks, bool epub,
                        TakenNames& taken) {
    for (const Unit& unit : units)
        taken.emplace(FoldCase(doc.stories[unit.first].fileName.view()), unit.first);
    for (size_t u = 0; u < units.size(); ++u) {
        const StoryEntry& entry = doc.stories[units[u].first];
        const std::string where =
            doc.sourceName + ": $.stories[" + std::to_string(entry.item) + "].file: ";
        for (const EPub::StoryChunk& chunk : chunks[u]) {
            const std::string name = chunk.name.str();
            const bool reserved =
                epub ? EPub::IsReservedDocumentName(name, EPub::StreamType::Content)
                     : EPub::IsReservedHtmlName(name, EPub::StreamType::Content);
            if (reserved)
                throw InputError(where + "the document name \"" + name +
                                 "\" is taken by the output itself");
            const auto [it, added] = taken.emplace(FoldCase(name), units[u].first);
            if (!added && it->second != units[u].first)
                throw InputError(where + "splitting gives a document \"" + name +
                                 "\", which is also the name of story " +
                                 std::to_string(doc.stories[it->second].item + 1));
        }
    }
}

// What registering the stories so far leaves for those that come after them.
struct Registered {
    size_t next = 0; // the first story not registered
    int page = 1;    // the next page's number
    TakenNames taken;
};

// Registers stories [state.next, end of the list).
void Register(EPub::HtmlExporter& exporter, const Document& doc, bool epub, Registered& state) {
    const size_t from = state.next;
    for (size_t i = from; i < doc.stories.size(); ++i)
        for (const StoryMarks::Mark& mark : doc.stories[i].marks.anchors)
            exporter.Anchors().RegisterAnchor(doc.stories[i].fileName, *mark.anchor, mark.pos);
    for (size_t i = from; i < doc.stories.size(); ++i)
        for (const StoryMarks::Page& start : doc.stories[i].marks.pages)
            exporter.Anchors().RegisterPage(doc.stories[i].fileName, state.page++, start.label,
                                            doc.stories[i].marks.PositionOf(*start.anchor), 0);
    // Cut every story before writing any, so a link into a later story that is split into
    // several documents points at the right one.
    const std::vector<Unit> units = Units(doc, from);
    std::vector<std::vector<EPub::StoryChunk>> chunks;
    for (const Unit& unit : units)
        chunks.push_back(CutUnit(exporter, doc, unit));
    CheckDocumentNames(doc, units, chunks, epub, state.taken);
    for (size_t u = 0; u < units.size(); ++u) {
        const StoryEntry& entry = doc.stories[units[u].first];
        if (units[u].IsArticle(doc))
            exporter.RegisterArticle(MakeArticle(doc, units[u]), entry.fileName);
        else
            exporter.Anchors().RemapFileNames(entry.fileName, chunks[u]);
    }
    state.next = doc.stories.size();
}

void Register(EPub::HtmlExporter& exporter, const Document& doc, bool epub) {
    Registered state;
    Register(exporter, doc, epub, state);
}

// Sub-entries hang under the last story or article that has an entry of its own; `parent` is
// that of the stories before `from`.
void AddTableOfContents(EPub::FlowingEPubExporter& exporter, const Document& doc, size_t from,
                        Counted<const Text::AnchorData>& parent) {
    for (size_t i = from; i < doc.stories.size(); ++i) {
        const StoryEntry& entry = doc.stories[i];
        if (!entry.tocText.empty()) {
            exporter.AddTocEntry(entry.startAnchor, entry.tocText, nullptr);
            parent = entry.startAnchor;
        }
        for (const StoryMarks::TocChild& child : entry.marks.toc)
            exporter.AddTocEntry(child.anchor, child.text, parent);
    }
}

std::string Describe(const StoryEntry& entry, const StringT& lastError) {
    std::string message = "cannot export story \"" + entry.fileName.str() + "\"";
    if (!lastError.empty())
        message += ": " + lastError.str();
    return message;
}

template <class Exporter>
void ExportUnits(Exporter& exporter, const Document& doc, const Progress& progress,
                 const std::function<StringT()>& lastError, size_t from = 0) {
    const std::vector<Unit> units = Units(doc, from);
    for (size_t i = 0; i < units.size(); ++i) {
        const StoryEntry& entry = doc.stories[units[i].first];
        const bool ok = units[i].IsArticle(doc)
                            ? exporter.ExportArticle(MakeArticle(doc, units[i]), entry.fileName, 0)
                            : exporter.ExportStory(entry.story, entry.story->gend(), entry.fileName,
                                                   entry.title);
        if (!ok)
            throw ExportError(Describe(entry, lastError()));
        if (progress)
            progress(i + 1, units.size());
    }
}

void StartEPub(EPub::FlowingEPubExporter& exporter, const Document& doc,
               const Counted<Foundation::OutStreamSeekable>& stream) {
    if (!exporter.Start({}, stream))
        throw ExportError("cannot start the publication");
    for (const auto& css : doc.cssFiles)
        if (!exporter.AddCssFile(css))
            throw ExportError("cannot add style sheet \"" +
                              css->GetDataSource()->GetDisplayPath().str() +
                              "\": " + exporter.GetLastError().str());
}

void FinishEPub(EPub::FlowingEPubExporter& exporter) {
    if (!exporter.End())
        throw ExportError("cannot finish the publication" +
                          (exporter.GetLastError().empty() ? std::string()
                                                           : ": " + exporter.GetLastError().str()));
}

// Stories written from a reader that gives them out as it reads: each batch is named,
// registered and written, then its text let go (the registry keeps where links lead).
void StreamEPub(EPub::FlowingEPubExporter& exporter, Document& doc, Registered& registered,
                const Progress& progress) {
    Counted<const Text::AnchorData> parent;
    const size_t expected = doc.more->Expected();
    size_t written = 0;
    for (size_t batch = 1;; ++batch) {
        AddTableOfContents(exporter, doc, written, parent);
        ExportUnits(
            exporter, doc, {}, [&] { return exporter.GetLastError(); }, written);
        for (; written < doc.stories.size(); ++written) {
            StoryEntry& entry = doc.stories[written];
            exporter.ReleaseStory(*entry.story, entry.fileName);
            entry.story = nullptr;
            entry.marks = {};
        }
        if (progress)
            progress(doc.more ? std::min(batch, expected - 1) : expected, expected);
        if (!doc.more)
            return;
        if (!doc.more->More(doc))
            doc.more.reset();
        NameEntries(doc, written);
        Register(exporter, doc, true, registered);
    }
}

void UseFonts(EPub::HtmlExporter& exporter, const Document& doc) {
    if (doc.fonts)
        exporter.Styles().SetFontCache(Foundation::FontCache::Create(doc.fonts));
}

} // namespace

void CheckSplitNames(const Document& original) {
    const Document doc = WithEntryNames(original);
    EPub::HtmlExporter exporter(doc.settings, doc.options);
    const std::vector<Unit> units = Units(doc);
    std::vector<std::vector<EPub::StoryChunk>> chunks;
    for (const Unit& unit : units)
        chunks.push_back(CutUnit(exporter, doc, unit));
    TakenNames taken;
    CheckDocumentNames(doc, units, chunks, true, taken);
}

void ExportEPub(Document& doc, const fs::path& target, const Progress& progress) {
    NameEntries(doc, 0);
    std::optional<OutputFile> output;
    {
        EPub::FlowingEPubExporter exporter(doc.settings, doc.options);
        UseFonts(exporter, doc);
        // What is read already is checked before the output is touched.
        Registered registered;
        Register(exporter, doc, true, registered);
        output.emplace(target);
        try {
            StartEPub(exporter, doc, output->Stream());
            if (doc.more) {
                StreamEPub(exporter, doc, registered, progress);
            } else {
                Counted<const Text::AnchorData> parent;
                AddTableOfContents(exporter, doc, 0, parent);
                ExportUnits(exporter, doc, progress, [&] { return exporter.GetLastError(); });
            }
            FinishEPub(exporter);
        } catch (const std::exception& e) {
            try {
                exporter.Abort();
            } catch (const std::exception&) {
                // The first failure is the one worth reporting.
            }
            // A write that failed names the output and the system's reason.
            if (const std::string reason = output->StreamError(); !reason.empty())
                throw ExportError("cannot write \"" + target.string() + "\": " + reason);
            if (dynamic_cast<const ExportError*>(&e) || dynamic_cast<const InputError*>(&e))
                throw;
            throw ExportError(std::string("cannot write the publication: ") + e.what());
        }
    }
    output->Commit();
}

void ExportEPub(const Document& original, const fs::path& target, const Progress& progress) {
    Document doc = original;
    ExportEPub(doc, target, progress);
}

void ExportHtml(const Document& doc, const fs::path& dir, const Progress& progress) {
    std::error_code error;
    fs::create_directories(dir, error);
    if (error)
        throw ExportError("cannot create folder \"" + dir.string() + "\": " + error.message());
    FolderExporter exporter(doc.settings, doc.options, dir);
    UseFonts(exporter, doc);
    Register(exporter, doc, false);
    try {
        ExportUnits(exporter, doc, progress, [] { return StringT(); });
        if (!exporter.End())
            throw ExportError("cannot write the style sheets into \"" + dir.string() + "\"");
    } catch (const ExportError&) {
        // A file that could not be written is the better explanation.
        if (const std::string failure = exporter.FirstFailure(); !failure.empty())
            throw OutputError(failure);
        throw;
    }
    exporter.Commit();
}

} // namespace Cli

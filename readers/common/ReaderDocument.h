// SPDX-License-Identifier: MIT
#pragma once
// What every document reader hands the exporter: settings, options, text styles, fonts, style
// sheets and stories in reading order. The JSON, Word, OpenDocument and Markdown readers all
// build one of these; the tool and an embedder export it the same way.

#include "epub/options/CSSFile.h"
#include "epub/options/ExportSettings.h"
#include "epub/options/FlowingEPubOptions.h"
#include "host/foundation/MemoryFont.h"
#include "host/text/AnchorData.h"
#include "host/text/Story.h"
#include "host/text/Style.h"

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace Readers {

using Foundation::Counted;
using Foundation::StringT;

// A mistake in the input document. The message names the file and where in it (a JSON path, a
// part and line of a package, a line and column of a text file).
class InputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What a story adds to the export besides its text; positions are filled in by Resolve.
struct StoryMarks {
    struct Mark {
        Counted<const Text::AnchorData> anchor;
        Text::StoryPos pos;
    };
    struct TocChild {
        Counted<const Text::AnchorData> anchor;
        StringT text;
    };
    struct Page {
        Counted<const Text::AnchorData> anchor;
        StringT label;
    };

    std::vector<Mark> anchors; // every anchor to register
    std::vector<TocChild> toc;
    std::vector<Page> pages;

    // Finds where each anchor ended up in `story`.
    void Resolve(const Counted<const Text::Story>& story);
    Text::StoryPos PositionOf(const Text::AnchorData& anchor) const;
};

struct StoryEntry {
    Counted<const Text::Story> story;
    StringT fileName;
    StringT title;
    // Where the story starts; its table-of-contents entry points here.
    Counted<const Text::AnchorData> startAnchor;
    StringT tocText; // empty: no entry
    // Anchors to register (the start anchor first), sub-entries of the contents, page starts.
    StoryMarks marks;
    int article = -1; // index into Document::articles for the parts of an article
    size_t item = 0;  // index into the source's own list of stories, for messages
};

// Something a reader met that the publication will not show as the source does, although the
// export goes on: a picture it skipped, an equation kept as text, a part it could not use.
struct ReaderFinding {
    std::string where; // a part of the package, a line of the text ("word/media/a.emf", "line 12")
    std::string message; // one line, no trailing full stop
};

// Several stories written one after the other into one document.
struct ArticleEntry {
    StringT fileName;
    StringT title;
};

struct Document;

// Stories a reader hands out as it makes them, so an export can write each one and let it go
// before the next is read: a long text then never sits in memory whole.
class StorySource {
public:
    virtual ~StorySource() = default;
    // Appends the stories that are ready to `doc.stories` (and what was found on the way to
    // `doc.findings`); false once the text is read to its end. A story links only to stories
    // appended before it or with it, and an article's parts are appended together.
    virtual bool More(Document& doc) = 0;
    // About how many calls the whole text takes, for progress.
    virtual size_t Expected() const = 0;
};

struct Document {
    Counted<EPub::ExportSettings> settings;
    Counted<EPub::FlowingEPubOptions> options;
    Counted<Text::StyleSheet> styles;
    Counted<Foundation::MemoryFontRegistry> fonts; // null: installed fonts only
    std::vector<Counted<const EPub::CSSFile>> cssFiles;
    std::vector<StoryEntry> stories; // in reading order; an article's parts are consecutive
    std::vector<ArticleEntry> articles;
    std::string sourceName; // the input file, for messages
    std::vector<ReaderFinding> findings;
    // Set when the reader has more stories to give: `stories` then holds those read so far.
    std::shared_ptr<StorySource> more;
};

// The bytes of `file`; throws InputError ("NAME: cannot read the file") naming it `sourceName`.
std::string ReadInputFile(const std::filesystem::path& file, const std::string& sourceName);

// Reads what `doc.more` still holds into `doc.stories`, for uses that need every story at once.
void ReadRest(Document& doc);

} // namespace Readers

// SPDX-License-Identifier: MIT
// Harbour Notes: a small application with a document model of its own (notebooks of titled
// notes) that exports a notebook as an EPUB 3 publication through the embedded library, and
// its postcards, pages it lays out itself, as a fixed-layout one.
//
//   harbour-notes OUTPUT.epub [POSTCARDS.epub]
//
// Each publication is written beside its name and renamed over it only when the export
// succeeded.

#include "Postcards.h"

#include "epub/flowing/FlowingEPubExporter.h"
#include "epub/options/ExportSettings.h"
#include "epub/options/FlowingEPubOptions.h"
#include "host/foundation/ApplicationVersion.h"
#include "hostimpl/text/StoryBuilder.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <vector>

using Foundation::Counted;
using Foundation::StringT;

// The application's own document.
struct Note {
    std::string title;
    std::vector<std::string> paragraphs; // "*word*" marks emphasis
};

struct Notebook {
    std::string title = "Harbour Notes";
    std::string author = "Ann Harbour";
    std::vector<Note> notes = {
        {"Arrival",
         {"The ferry came in at dawn, *late* as always.",
          "Gulls followed it the last mile, sure of breakfast."}},
        {"The Market",
         {"Fish, rope and paint: the market sells what the harbour needs.",
          "By noon the stalls are *empty* and the square belongs to the cats."}},
    };
};

// The application supplies its own name and version for the package's generator entry; the
// library's bundled definition is then not linked in.
Foundation::ApplicationVersion Foundation::ApplicationVersion::GetCurrent() {
    return {1, 0, 0, "Harbour Notes"};
}

namespace {

// The notebook's text styles: headings become <h1>, body text <p>, emphasis a character style.
Counted<Text::StyleSheet> MakeStyles() {
    using namespace Text;
    auto styles = StyleSheet::Make(TextDocument::Make());
    AttributeSet bodyText;
    bodyText.Set(GlyphDouble::Size, 11.0);
    styles->AddStyle(Style::Make("Body", StyleKind::Paragraph, "",
                                 Foundation::MakeCounted<Delta>(AttributeSet{}, bodyText)));
    AttributeSet headingText;
    headingText.Set(GlyphDouble::Size, 18.0);
    headingText.Set(GlyphInt::FontWeight, 700);
    AttributeSet headingParagraph;
    headingParagraph.Set(ParaInt::StartPosition, StartPosition::NextPage);
    styles->AddStyle(Style::Make("Heading", StyleKind::Paragraph, "Body",
                                 Foundation::MakeCounted<Delta>(headingParagraph, headingText),
                                 EPubTag::Make(EPubTag::ElementSet, "h1", "")));
    styles->AddStyle(
        Style::Make("Emphasis", StyleKind::Character, "",
                    Delta::Make(AttCategory::Glyph, GlyphInt::FontStyle, FontStyle::Italic)));
    return styles;
}

// One story per note: a heading with an anchor for the contents, then the paragraphs.
struct ExportedNote {
    Counted<const Text::Story> story;
    Counted<const Text::AnchorData> anchor;
    StringT fileName;
};

ExportedNote BuildStory(const Note& note, size_t number, const Counted<Text::StyleSheet>& styles) {
    Text::StoryBuilder builder(styles);
    auto anchor = styles->GetDocument()->MakeAnchor(StringT(note.title));
    builder.Paragraph("Heading").Anchor(anchor).Text(note.title);
    for (const std::string& paragraph : note.paragraphs) {
        builder.Paragraph("Body");
        // Alternate plain and emphasised runs between the '*' marks.
        size_t start = 0;
        bool emphasis = false;
        for (size_t star; (star = paragraph.find('*', start)) != std::string::npos;) {
            builder.Text(paragraph.substr(start, star - start), emphasis ? "Emphasis" : "");
            start = star + 1;
            emphasis = !emphasis;
        }
        builder.Text(paragraph.substr(start), emphasis ? "Emphasis" : "");
    }
    return {builder.Build(), anchor, StringT("note" + std::to_string(number) + ".xhtml")};
}

// What the exporter asks the application while it writes. Every callback has a default (note
// numbers in order, list numbers, cross-reference texts, texts in the book's language); this
// notebook only renames two of the texts the library writes.
class Host {
public:
    void Install(EPub::FlowingEPubExporter& exporter) {
        exporter.Callbacks().localise = [this](const StringT& key, const Text::Language*,
                                               const StringT& text) {
            const auto found = translations_.find(key.str());
            return found == translations_.end() ? text : StringT(found->second);
        };
    }

private:
    std::map<std::string, std::string> translations_{{"EPUB:Table of Contents", "Notes"},
                                                     {"EPUB:Start of Content", "First note"}};
};

bool Export(const Notebook& notebook, const std::filesystem::path& path) {
    const auto styles = MakeStyles();
    auto settings = Foundation::MakeCounted<EPub::ExportSettings>();
    settings->title = notebook.title;
    settings->author = notebook.author;
    settings->language = "en";
    settings->identifier = "urn:uuid:6f1c2a8e-5b7d-4e0a-9c3f-2d8b1e4a7c60";
    settings->styles = styles;
    settings->defaultGlyphAtts = styles->GetDocument()->GetDefaultGlyphAtts();
    auto options = Foundation::MakeCounted<EPub::FlowingEPubOptions>(
        Render::FileExportOptionsVector::Preset::Standard);

    std::vector<ExportedNote> notes;
    for (size_t i = 0; i < notebook.notes.size(); ++i)
        notes.push_back(BuildStory(notebook.notes[i], i + 1, styles));

    EPub::FlowingEPubExporter exporter(settings, options);
    Host host;
    host.Install(exporter);
    // Anchors and contents first, so links into any note resolve whatever the writing order.
    for (const ExportedNote& note : notes) {
        exporter.Anchors().RegisterAnchor(note.fileName, *note.anchor, note.story->gbegin());
        exporter.AddTocEntry(note.anchor, note.anchor->GetName(), nullptr);
    }
    if (!exporter.Start(StringT(path.string()))) {
        std::cerr << "harbour-notes: cannot create " << path << "\n";
        return false;
    }
    for (const ExportedNote& note : notes)
        if (!exporter.ExportStory(note.story, note.story->gend(), note.fileName)) {
            std::cerr << "harbour-notes: cannot export " << note.fileName.str() << ": "
                      << exporter.GetLastError().str() << "\n";
            exporter.Abort();
            return false;
        }
    if (!exporter.End()) {
        std::cerr << "harbour-notes: cannot finish the publication: "
                  << exporter.GetLastError().str() << "\n";
        return false;
    }
    return true;
}

} // namespace

// Writes `target` through `write` under a temporary name, renamed over `target` on success.
template <class Write> bool WriteReplacing(const std::filesystem::path& target, Write write) {
    const std::filesystem::path partial = target.string() + ".part";
    try {
        if (write(partial)) {
            std::filesystem::rename(partial, target);
            std::cout << target.string() << "\n";
            return true;
        }
    } catch (const std::exception& e) {
        // End() rethrows what went wrong while writing the container.
        std::cerr << "harbour-notes: " << e.what() << "\n";
    }
    std::error_code ignored;
    std::filesystem::remove(partial, ignored);
    return false;
}

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::cerr << "Usage: harbour-notes OUTPUT.epub [POSTCARDS.epub]\n";
        return 2;
    }
    const auto notes = [](const std::filesystem::path& path) { return Export(Notebook{}, path); };
    if (!WriteReplacing(std::filesystem::absolute(argv[1]), notes))
        return 1;
    if (argc == 3 && !WriteReplacing(std::filesystem::absolute(argv[2]), ExportPostcards))
        return 1;
    return 0;
}

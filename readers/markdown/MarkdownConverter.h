// SPDX-License-Identifier: MIT
#pragma once
// Turns a parsed Markdown tree into stories: blocks into styled paragraphs, inlines into runs,
// chapters into content documents. The tree is walked with an explicit stack, so nesting depth
// costs memory, not call stack; list levels and quote indents stop growing at documented caps.

#include "hostimpl/text/StoryBuilder.h"
#include "readers/common/ReaderDocument.h"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

struct cmark_node;

namespace Readers::Markdown {

// List levels beyond this are written at this level (the text model's deepest).
inline constexpr int kMaxListLevel = 15;
// Block quotes deeper than this are indented no further.
inline constexpr int kMaxQuoteIndent = 8;
// Footnotes referring to footnotes: deeper ones are written as their number.
inline constexpr int kMaxNoteDepth = 4;

struct ConverterSettings {
    std::string sourceName;
    std::filesystem::path baseDir;
    int chapterLevel = 1;
    int firstLine = 1; // line of the file where the parsed text starts
    std::string title; // of the publication, for a story without a heading
};

class MarkdownConverter {
public:
    MarkdownConverter(Document& doc, ConverterSettings settings);

    // The text of the document's first heading, if any: a title of last resort.
    static std::string FirstHeadingText(cmark_node* root);

    // Writes the stories of `root` into the document.
    void Convert(cmark_node* root);
    // The same for a text parsed in pieces, one after the other: links may point to headings of
    // pieces not yet seen; any that never come are placed at the end, with a finding.
    void Begin();
    void Add(cmark_node* root, int firstLine);
    void Finish();
    // How many of the stories written so far can go to the export: those before the first one
    // whose links lead to a heading not yet seen, or into the story still being written.
    size_t Ready();

private:
    struct ListFrame {
        bool ordered = false;
        int start = 1;
        char delimiter = '.';
        int items = 0;
    };
    struct Flow {
        Text::StoryBuilder* builder = nullptr;
        StoryMarks* marks = nullptr; // null in notes and cells: no anchors there
        bool main = false;           // the story's own text, where chapters start
        int noteDepth = 0;
        int quoteDepth = 0;
        std::vector<ListFrame> lists;
        bool itemPending = false; // the open item has not written its marker yet
        bool itemChecked = false;
        bool itemIsTask = false;
    };

    void Prepare(cmark_node* root);
    void WriteBlocks(cmark_node* root, Flow& flow);
    // Returns true when the node's children were written too.
    bool EnterBlock(cmark_node* node, Flow& flow);
    void ExitBlock(cmark_node* node, Flow& flow);

    void OpenParagraph(Flow& flow, const std::string& style, bool canCarryMarker = true);
    void WriteParagraph(cmark_node* node, Flow& flow);
    void WriteHeading(cmark_node* node, Flow& flow);
    void WriteCodeBlock(cmark_node* node, Flow& flow);
    void WriteHtmlBlock(cmark_node* node, Flow& flow);
    void WriteTable(cmark_node* node, Flow& flow);
    void WriteInlines(cmark_node* container, Flow& flow);
    void WriteImage(cmark_node* node, Flow& flow);
    void WriteNote(cmark_node* node, Flow& flow);
    // The link a link node makes, or null (with a finding) when it cannot be followed.
    Foundation::Counted<const Text::AttObject> Link(cmark_node* node);

    void StartStory(const std::string& title, const std::string& tocText);
    void FinishStory();
    void Finding(cmark_node* node, std::string message);
    std::string Where(cmark_node* node) const;

    Document& doc_;
    ConverterSettings settings_;
    Text::StoryBuilder builder_;
    StoryEntry entry_;
    bool storyOpen_ = false;
    bool storyHasText_ = false;
    bool startWritten_ = false; // the story's start anchor is in its text
    int storyCount_ = 0;
    std::map<cmark_node*, Foundation::Counted<Text::AnchorData>> headingAnchors_;
    std::map<cmark_node*, std::string> headingTexts_;
    std::map<std::string, Foundation::Counted<Text::AnchorData>> slugs_;
    std::map<std::string, int> slugUses_;
    bool pieces_ = false;
    // Anchors links asked for before their heading was seen, by name.
    std::map<std::string, Foundation::Counted<Text::AnchorData>> pending_;
    // The first story linking to each pending anchor.
    std::map<const Text::AnchorData*, size_t> forwardFrom_;
    // Stories from `from` on wait until story `until` is finished: it holds a heading they link to.
    struct Hold {
        size_t from;
        size_t until;
    };
    std::vector<size_t> placedFrom_; // in the piece being added
    std::vector<Hold> holds_;
    std::vector<cmark_node*> notes_; // definitions, in the order of their numbers
    // Local formatting of nested character styles, by the styles outside the innermost.
    std::map<std::string, Foundation::Counted<const Text::Delta>> localCache_;
};

} // namespace Readers::Markdown

// SPDX-License-Identifier: MIT
#pragma once
// Walks office:text into stories: paragraphs and headings with their styles, spans, lists,
// notes, bookmarks and links, tables, frames with pictures or text, and the print pages the
// soft page breaks mark. Tracked deletions, annotations and declarations stay out.

#include "hostimpl/text/StoryBuilder.h"
#include "readers/common/HeadingNames.h"
#include "readers/common/ReaderDocument.h"
#include "readers/odt/OdtLists.h"
#include "readers/odt/OdtSource.h"
#include "readers/odt/OdtStyles.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace Readers::Odt {

struct BodyOptions {
    bool keepAnnotations = false;
    bool splitAtHeadings = true;
    bool printPages = true;
    int maxNesting = 100;
};

class OdtBody {
public:
    OdtBody(OdtSource& source, const OdtStyles& styles, Foundation::Counted<Text::StyleSheet> sheet,
            BodyOptions options);

    // What the walk must know of the whole text before its first block: the names links and
    // cross references may lead to, and whether there are print pages. Call before the content
    // is parsed, which changes it in place.
    struct Survey {
        std::set<std::string, std::less<>> targets;
        bool softPageBreaks = false;
    };
    static Survey Scan(const BlockStream& content);
    // Starts reading office:text into stories, appended to `out`.
    void Begin(Survey survey, std::vector<StoryEntry>& out);
    // Reads one child of office:text.
    void Visit(pugi::xml_node block);
    void Finish();
    // The text of the first top heading (or Title paragraph), for a title the metadata lacks.
    const std::string& FirstHeading() const noexcept { return headings_.Title(); }
    // Whether a picture floats, so the publication needs kFloatRules.
    bool HasFloats() const noexcept { return hasFloats_; }
    static constexpr std::string_view kFloatRules =
        ".odt-float-left {\n  float: left;\n  margin: 0 1em 0.5em 0;\n}\n"
        ".odt-float-right {\n  float: right;\n  margin: 0 0 0.5em 1em;\n}\n";
    // Whether the page list holds the print pages.
    bool HasPages() const noexcept { return hasPages_; }

private:
    // Where text goes: the builder of a story, note, cell or frame.
    struct Sink {
        Text::StoryBuilder* builder = nullptr;
        StoryMarks* marks = nullptr; // null outside the main text
        Foundation::Counted<Text::Numberer> numbers = Text::Numberer::Make();
        bool space = true; // the text so far ends in white space (collapsed)
        bool keepText = false;
        std::string text;           // of a heading
        double size = 12;           // of the paragraph's text
        bool contents = false;      // inside a table of contents
        bool afterNoteMark = false; // a note body's first text is still to come
    };
    // The formatting of the text being read: the spans around it.
    struct Format {
        Foundation::StringT characterStyle;
        Text::AttributeSet glyph;
        Foundation::Counted<const Text::AttObject> link;
        Foundation::Counted<const Text::Delta> delta; // resolved
        bool resolved = false;
        // East Asian and complex-script text: what it takes over `glyph`, and its deltas.
        Text::AttributeSet asian, complex;
        Foundation::Counted<const Text::Delta> asianDelta, complexDelta;
    };
    // Where a paragraph stands in a list.
    struct ListPlace {
        std::string style;
        int level = 0; // 0: not in a list
        bool header = false;
        bool first = false; // the item's first paragraph
        std::optional<int> start;
    };

    void Blocks(pugi::xml_node parent, Sink& sink);
    void Blocks(pugi::xml_node parent, Sink& sink, const ListPlace& list);
    void Block(pugi::xml_node block, Sink& sink, const ListPlace& list);
    void List(pugi::xml_node list, Sink& sink, ListPlace place);
    void Paragraph(pugi::xml_node p, Sink& sink, const ListPlace& list);
    void Inlines(pugi::xml_node parent, Sink& sink, Format& format);
    void Write(std::string_view text, Sink& sink, Format& format);
    void Resolve(Format& format);
    static void Apply(const OdtStyles::Span& span, Format& format);
    void Spaces(size_t count, Sink& sink, Format& format);
    void Note(pugi::xml_node note, Sink& sink);
    void Annotation(pugi::xml_node annotation, Sink& sink);
    void Table(pugi::xml_node table, Sink& sink);
    void Frame(pugi::xml_node frame, Sink& sink, Format& format);
    // Writes a formula object as linear text; false when it has none.
    bool Formula(pugi::xml_node object, Sink& sink, Format& format);
    bool Picture(pugi::xml_node image, double width, double height, pugi::xml_node frame,
                 Sink& sink);
    void TextBox(pugi::xml_node box, double width, double height, Sink& sink);
    void PageBreak(std::optional<int> number);
    void FlushPages(Sink& sink);
    void Bookmark(std::string_view name, Sink& sink);
    Foundation::Counted<const Text::AttObject> LinkTo(std::string_view name);
    Foundation::Counted<const Text::AttObject> LinkFor(std::string_view href);
    Foundation::Counted<const Text::Delta> Intern(Text::AttributeSet paragraph,
                                                  Text::AttributeSet glyph);
    const OdtStyles::Paragraph& ParagraphStyle(std::string_view name);
    const OdtStyles::Span& TextStyle(std::string_view name, double size);
    std::string OutlineStyle(const std::string& style, int level);
    void Enter(pugi::xml_node where);
    void Leave() { --depth_; }
    void Finding(pugi::xml_node where, std::string message);
    void NewStory();
    void CloseStory();

    OdtSource& source_;
    const OdtStyles& styles_;
    OdtLists lists_;
    Foundation::Counted<Text::StyleSheet> sheet_;
    BodyOptions options_;

    std::set<std::string, std::less<>> targets_; // bookmark, reference and note names
    std::map<std::string, Foundation::Counted<Text::AnchorData>, std::less<>> anchors_;
    std::set<std::string, std::less<>> placed_;
    std::map<std::string, std::shared_ptr<const std::string>, std::less<>> pictures_;
    std::unordered_map<size_t, std::vector<Foundation::Counted<const Text::Delta>>> deltas_;
    std::map<std::string, OdtStyles::Paragraph, std::less<>> paragraphStyles_;
    std::map<std::string, OdtStyles::Span, std::less<>> textStyles_;
    std::string buffer_; // collapsed text, reused
    int depth_ = 0;
    HeadingNames headings_;

    // Print pages.
    bool hasPages_ = false;
    int page_ = 1;
    std::vector<std::string> pendingPages_; // labels of pages starting before the next text
    bool anyParagraph_ = false;
    bool hasFloats_ = false;

    // The story being built and where it goes.
    std::unique_ptr<Text::StoryBuilder> builder_;
    std::unique_ptr<Sink> main_;
    StoryEntry entry_;
    std::vector<StoryEntry>* out_ = nullptr;
    bool storyEmpty_ = true;
    Foundation::Counted<const Text::AnchorData> pendingTop_;
};

} // namespace Readers::Odt

// SPDX-License-Identifier: MIT
#pragma once
// Walks the main document part into stories: paragraphs and runs with their styles and direct
// formatting, lists, fields, links, bookmarks, notes, tables, pictures and text boxes. Tracked
// deletions, comments, hidden text and page furniture stay out.

#include "hostimpl/text/StoryBuilder.h"
#include "readers/common/HeadingNames.h"
#include "readers/common/ReaderDocument.h"
#include "readers/common/ZipPackage.h"
#include "readers/docx/BodyStream.h"
#include "readers/docx/Numbering.h"
#include "readers/docx/PictureCrop.h"
#include "readers/docx/Properties.h"
#include "readers/docx/Relationships.h"
#include "readers/docx/StyleTable.h"
#include "readers/docx/XmlPart.h"

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace Readers::Docx {

struct BodyOptions {
    bool keepComments = false;
    bool splitAtSections = true;
    int maxNesting = 32;
};

// The parts besides the body that the walker reads from.
struct NoteParts {
    std::unique_ptr<XmlPart> footnotes, endnotes, comments;
    Relationships footnoteLinks, endnoteLinks, commentLinks;
};

class BodyReader {
public:
    BodyReader(Package& package, const StyleTable& styles, Numbering& numbering,
               const Properties& properties, Foundation::Counted<Text::StyleSheet> sheet,
               NoteParts& notes, BodyOptions options, std::vector<ReaderFinding>& findings);

    // Reads the body of `document` into stories, appended to `out`.
    void Read(BodyStream& document, const Relationships& links, std::vector<StoryEntry>& out);
    // The text of the first Title or top heading, for a title the metadata lacks.
    // Whether a picture floats, so the publication needs kFloatRules.
    bool HasFloats() const noexcept { return hasFloats_; }
    static constexpr std::string_view kFloatRules =
        ".docx-float-left {\n  float: left;\n  margin: 0 1em 0.5em 0;\n}\n"
        ".docx-float-right {\n  float: right;\n  margin: 0 0 0.5em 1em;\n}\n";
    const std::string& FirstHeading() const noexcept { return headings_.Title(); }

private:
    struct Field {
        std::string instruction;
        bool inResult = false;
        Foundation::Counted<const Text::AttObject> link; // HYPERLINK, REF: the result links there
        bool dropResult = false;                         // PAGEREF: a page number
        bool contents = false;                           // TOC
    };
    // Where text goes: the builder of a story, note, cell or frame.
    struct Sink {
        Text::StoryBuilder* builder = nullptr;
        StoryMarks* marks = nullptr; // null outside the main text
        Foundation::Counted<Text::Numberer> numbers = Text::Numberer::Make();
        std::string paragraphStyleId;
        bool hiddenParagraph = false;
        std::string text; // of the paragraph, kept for headings only
        bool keepText = false;
        bool paragraphText = false;                // the paragraph being read has text so far
        bool afterNoteMark = false;                // the next text follows a note's own mark
        std::vector<std::string> pendingBookmarks; // names, between paragraphs
        // Run properties a table style gives the cell being read, under the runs' own, and the
        // cell's fill: coloured text there stands on it.
        std::vector<pugi::xml_node> styleRunProperties;
        std::optional<uint32_t> cellFill;
    };

    void Blocks(pugi::xml_node parent, Sink& sink);
    void Block(pugi::xml_node block, Sink& sink);
    void Paragraph(pugi::xml_node p, Sink& sink);
    static bool StartsContents(pugi::xml_node p);
    void Inlines(pugi::xml_node parent, Sink& sink);
    // A run's formatting, resolved when its first text is written.
    struct RunFormat {
        pugi::xml_node rPr;
        Foundation::StringT characterStyle;
        Foundation::Counted<const Text::Delta> delta;
        bool resolved = false;
        bool skipMark = false; // the next text is a note's own mark
    };
    // Swaps in the part a note or comment comes from, and a fresh field state.
    class Nested {
    public:
        Nested(BodyReader& reader, const PartText* part, const Relationships* links);
        ~Nested();
        Nested(const Nested&) = delete;
        Nested& operator=(const Nested&) = delete;

    private:
        BodyReader& reader_;
        const PartText* part_;
        const Relationships* links_;
        std::vector<Field> fields_;
        size_t droppedFields_ = 0; // nested beyond the limit
        Foundation::Counted<const Text::AttObject> link_;
        size_t dropped_;
    };

    void Run(pugi::xml_node r, Sink& sink);
    void RunContent(pugi::xml_node r, Sink& sink, RunFormat& format, bool hidden);
    void Text(std::string_view text, Sink& sink, RunFormat& format);
    // Inside a field's instruction, or a result that is left out (page numbers).
    bool Suppressed() const;
    // `customMark`: the author's own mark, shown instead of the note's number.
    void Note(pugi::xml_node reference, Sink& sink, Text::NoteKind kind,
              std::string_view customMark);
    void Comment(pugi::xml_node reference, Sink& sink);
    void Table(pugi::xml_node tbl, Sink& sink);
    void Drawing(pugi::xml_node drawing, Sink& sink);
    void Vml(pugi::xml_node pict, Sink& sink);
    void Equation(pugi::xml_node math, Sink& sink, pugi::xml_node rPr);
    void Bookmark(std::string_view name);
    void FlushBookmarks(Sink& sink);
    void FieldChar(pugi::xml_node fldChar, Sink& sink);
    void SimpleField(pugi::xml_node fld, Sink& sink);
    void StartField(Field& field);
    // The picture a relationship id leads to, as a frame of `width` x `height` points.
    bool Picture(std::string_view id, double width, double height, pugi::xml_node properties,
                 Sink& sink, pugi::xml_node where, std::string_view floatSide = {},
                 PictureCrop crop = {});
    void TextFrame(pugi::xml_node content, double width, double height, Sink& sink);
    // The chosen branch of mc:AlternateContent.
    pugi::xml_node Choose(pugi::xml_node alternate) const;
    // "left" or "right" for an anchored drawing text wraps round on one side; else empty.
    static std::string_view FloatSide(pugi::xml_node container);
    // Whether every picture in `choice` is a metafile (and there is one).
    bool OnlyMetafiles(pugi::xml_node choice) const;
    // Whether relationship `id` leads to a Windows metafile, which EPUB cannot show.
    bool IsMetafile(std::string_view id) const;
    // The picture `blip` shows best: a bitmap or SVG among its alternatives before a metafile.
    std::string_view BestPicture(pugi::xml_node blip) const;
    Foundation::Counted<const Text::Delta> RunDelta(pugi::xml_node rPr, const Sink& sink);
    Foundation::Counted<const Text::Delta> Intern(Text::AttributeSet paragraph,
                                                  Text::AttributeSet glyph);
    // `style` shown as the element of outline level `level` (nullopt: body text), for a level
    // set on the paragraph itself.
    std::string OutlineStyle(const std::string& style, std::optional<int> level);
    // The indents a paragraph of the sink's style has with `so_far` laid over them.
    Indents Inherited(const Sink& sink, const Text::AttributeSet& so_far) const;
    Foundation::Counted<const Text::AttObject> ListFor(pugi::xml_node pPr, Sink& sink,
                                                       Text::AttributeSet& para);
    Foundation::Counted<const Text::AttObject> LinkTo(std::string_view bookmark);
    // Refuses the document when `value` lies beyond `limit`.
    void Refuse(pugi::xml_node where, std::string_view what, double value, double limit);
    void Enter(pugi::xml_node where);
    void Leave() { --depth_; }
    void Finding(pugi::xml_node where, std::string message);
    // Ends the current story and opens the next one.
    void NewStory(std::vector<StoryEntry>& out);
    void CloseStory(std::vector<StoryEntry>& out);

    Package& package_;
    const StyleTable& styles_;
    Numbering& numbering_;
    const Properties& properties_;
    Foundation::Counted<Text::StyleSheet> sheet_;
    NoteParts& notes_;
    BodyOptions options_;
    std::vector<ReaderFinding>& findings_;

    const PartText* part_ = nullptr;       // being read
    const Relationships* links_ = nullptr; // of that part
    std::map<std::string, pugi::xml_node, std::less<>> footnotes_, endnotes_, comments_;
    std::set<std::string, std::less<>> bookmarks_; // defined anywhere in the body
    std::map<std::string, Foundation::Counted<Text::AnchorData>, std::less<>> anchors_;
    std::set<std::string, std::less<>> placed_;
    std::vector<Field> fields_;
    size_t droppedFields_ = 0;                        // nested beyond the limit
    Foundation::Counted<const Text::AttObject> link_; // of the w:hyperlink being read
    std::map<std::string, std::shared_ptr<const std::string>> pictures_;
    std::unordered_map<size_t, std::vector<Foundation::Counted<const Text::Delta>>> deltas_;
    int depth_ = 0;
    HeadingNames headings_;
    bool hasFloats_ = false;

    // The story being built and where it goes.
    std::unique_ptr<Text::StoryBuilder> builder_;
    std::unique_ptr<Sink> main_;
    StoryEntry entry_;
    std::vector<StoryEntry>* out_ = nullptr;
    bool storyEmpty_ = true;
    bool sectionBreak_ = false; // before the next paragraph
    // How each section starts; a paragraph's w:sectPr ends a section, so the next entry says
    // whether the break after it starts a page.
    std::vector<std::string> sectionStarts_;
    size_t sectionsEnded_ = 0;
    bool pageBreak_ = false;
    Foundation::Counted<const Text::AnchorData> pendingTop_; // a heading's anchor
};

} // namespace Readers::Docx

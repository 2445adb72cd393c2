// SPDX-License-Identifier: MIT
#pragma once
// Stories of the JSON document: paragraphs, runs and the objects that stand in the text (notes,
// anchors, cross references, pictures, frames, tables, picture bullets, breaks).

#include "cli/AnchorBook.h"
#include "cli/AttributeReader.h"
#include "cli/JsonInput.h"
#include "hostimpl/text/StoryBuilder.h"
#include "readers/common/ReaderDocument.h"

#include <map>
#include <vector>

namespace Cli {

using StoryMarks = Readers::StoryMarks;

class StoryReader {
public:
    StoryReader(const JsonInput& input, AnchorBook& anchors,
                Foundation::Counted<const Text::StyleSheet> styles)
        : in_(input), anchors_(anchors), attributes_(input, anchors), styles_(std::move(styles)) {}

    // Reads the "paragraphs" of `node` into a new story; `start` goes into its first paragraph.
    Foundation::Counted<const Text::Story>
    Read(const Node& node, Foundation::Counted<const Text::AnchorData> start, StoryMarks& marks);

    const AttributeReader& Attributes() const noexcept { return attributes_; }

private:
    struct RangeNoteEnds {
        Foundation::Counted<const Text::RangeNote> note;
        std::string referencePath;
        std::string bodyPath;
    };
    // State of the story being read.
    struct Context {
        Text::StoryBuilder* builder = nullptr;
        StoryMarks* marks = nullptr;
        Foundation::Counted<const Text::AnchorData> pending; // goes into the next paragraph
    };

    void ReadParagraphs(const Node& node, Context& context);
    void ReadParagraph(const Node& node, Context& context);
    void ReadRun(const Node& node, Context& context);
    void ReadNote(const Node& node, Context& context);
    void ReadImage(const Node& node, Context& context);
    void ReadFrame(const Node& node, Context& context);
    void ReadTable(const Node& node, Context& context);
    void ReadBullet(const Node& node, Context& context);
    void ReadBreak(const Node& node, Context& context);
    struct CellPlace {
        Node node;
        int32_t column = 0;
        int32_t row = 0;
    };
    std::vector<CellPlace> PlaceCells(const Node& rows, int32_t columns,
                                      Text::TableSettings& settings) const;
    void ReadCell(const CellPlace& place, Text::TableBuilder& table);
    Foundation::Counted<const Text::TableFormat> ReadTableFormat(const Node& node) const;
    // One level deeper into note, frame or cell text; refuses a depth beyond the limit.
    void Enter(const Node& node);
    // The text of a note, frame or cell: a string, or an array of paragraphs.
    Foundation::Counted<const Text::Story> ReadNested(const Node& node, const std::string& style);
    void CheckNoMarks(const Node& node, const StoryMarks& marks) const;
    Foundation::Counted<const Text::RangeNote> RangeNote(const Node& node, bool body,
                                                         const Text::StoryBuilder& builder);
    void CheckStyle(const Node& node, Text::StyleKind kind) const;
    // The anchor a paragraph field asks for, placed at the paragraph's start.
    Foundation::Counted<Text::AnchorData> StartAnchor(Context& context, const std::string& name);

    const JsonInput& in_;
    AnchorBook& anchors_;
    AttributeReader attributes_;
    Foundation::Counted<const Text::StyleSheet> styles_;
    std::map<std::string, RangeNoteEnds> rangeNotes_; // of the story being read
    int nested_ = 0; // depth of note, frame and cell texts being read
};

} // namespace Cli

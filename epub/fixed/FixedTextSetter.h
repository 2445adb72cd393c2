// SPDX-License-Identifier: MIT
#pragma once
// Sets text for fixed-layout pages: finds the faces, shapes runs with HarfBuzz and breaks
// paragraphs into lines at the opportunities libunibreak finds.

#include "epub/fixed/BidiParagraph.h"
#include "epub/fixed/Hyphenator.h"
#include "epub/fixed/TextSetter.h"
#include "host/foundation/FontHandle.h"
#include "host/foundation/StringT.h"
#include "host/render/RenderTree.h"
#include "host/text/FontSpec.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace EPub {

using Foundation::Counted;
using Foundation::StringT;

// A run of text in one style, as the document gives it.
struct StyledText {
    std::string text;
    Text::FontSpec font;
    double size = 12;
    double tracking = 0; // in ems
    Counted<const Render::FillDescriptor> fill;
    StringT language;
    // Where the text leads: each line's share of it becomes a link area like this one.
    Counted<const Render::HyperlinkNode> link;
    double rise = 0;       // of the baseline, in points: superscript, subscript, baseline shift
    int underline = 0;     // lines under the text: 0, 1 or 2
    int strikethrough = 0; // lines through it: 0, 1 or 2
    TextDirection direction = TextDirection::Auto; // of a run set on its own
    bool combine = false; // in vertical text, set across the line within one em
};

// A link area set over a run's share of a line, and the link it copies.
struct LinkArea {
    Counted<Render::HyperlinkNode> area;
    Counted<const Render::HyperlinkNode> link;
};

struct ParagraphFormat {
    int alignment = 0; // Text::Alignment values: left, centre, right, justify
    double leftIndent = 0;
    double rightIndent = 0;
    double firstLineIndent = 0;
    double spaceBefore = 0;
    double spaceAfter = 0;
    double leading = 0; // 0: 1.2 times the largest size on the line
    // Right to left, alignment and indents are mirrored: left is the start side.
    TextDirection direction = TextDirection::Auto;
    HyphenationRules hyphenation;
};

struct Paragraph {
    std::vector<StyledText> runs;
    ParagraphFormat format;
    int heading = 0; // 1 to 6: a heading of that level, set in a story's paragraph groups
};

class FixedTextSetter final : public TextSetter {
public:
    FixedTextSetter();
    ~FixedTextSetter() override;
    FixedTextSetter(const FixedTextSetter&) = delete;
    FixedTextSetter& operator=(const FixedTextSetter&) = delete;

    // A glyph run of `text` set from `x`, `y` (baseline); null when the font cannot be found
    // (`error` says which).
    // `wordSpacing` is added after every space, as CSS word-spacing does.
    Counted<Render::GlyphRunNode> SetRun(const StyledText& text, double x, double y,
                                         std::string& error, double wordSpacing = 0) override;

    // Lays out paragraphs into the columns (frame coordinates); the runs are appended to
    // `out`, paragraph P as story `firstStory` + P, each linked run followed by its link area
    // (also listed in `links` when given). False when the text does not fit or a font is
    // missing (`error` says which).
    bool SetFrame(const std::vector<Paragraph>& paragraphs,
                  const std::vector<Foundation::RectT<double>>& columns,
                  std::vector<Counted<const Render::Node>>& out, std::string& error,
                  int32_t firstStory = 0, std::vector<LinkArea>* links = nullptr) override;
    // Through a chain of frames, balancing the columns of the frame the story ends in when it
    // asks for that.
    bool SetStory(const std::vector<Paragraph>& paragraphs, const std::vector<StoryColumn>& columns,
                  ColumnNodes& out, std::string& error, int32_t firstStory = 0,
                  std::vector<LinkArea>* links = nullptr) override;
    bool SetVerticalFrame(const std::vector<Paragraph>& paragraphs,
                          const std::vector<Foundation::RectT<double>>& columns,
                          std::vector<Counted<const Render::Node>>& out, std::string& error,
                          int32_t firstStory = 0, std::vector<LinkArea>* links = nullptr,
                          int combineDigits = 2) override;
    bool SetVerticalStory(const std::vector<Paragraph>& paragraphs,
                          const std::vector<StoryColumn>& columns, ColumnNodes& out,
                          std::string& error, int32_t firstStory = 0,
                          std::vector<LinkArea>* links = nullptr) override;
    // A run of `text` in `form` down a vertical line whose centre is at `x`, from `y`.
    Counted<Render::GlyphRunNode> SetVerticalRun(const StyledText& text, Render::VerticalForm form,
                                                 double x, double y, std::string& error);
    // The runs of `text` in `form` down that line, one after the other: one unless the font
    // lacks some of its characters, as for SetRuns. Empty when the font cannot be found.
    std::vector<Counted<Render::GlyphRunNode>> SetVerticalRuns(const StyledText& text,
                                                               Render::VerticalForm form, double x,
                                                               double y, std::string& error);

    // The runs of `text` from `x`, `y`: one unless the font lacks some of its characters, whose
    // clusters are then set in the installed face that has them, each direction's share of each
    // face a run of its own (placed left to right, listed in reading order, `story.offset` the
    // bytes into `text` where each starts). Empty when the font cannot be found.
    std::vector<Counted<Render::GlyphRunNode>> SetRuns(const StyledText& text, double x, double y,
                                                       std::string& error,
                                                       double wordSpacing = 0) override;

    // What goes between two lines of text placed one by one, for copying and speech: a space
    // unless the text may break where they meet without one.
    static std::string LineEndBetween(std::string_view line, std::string_view next,
                                      const StringT& language);
    // Underlines and strikethroughs of a set run of `text`, as rectangles in its colour.
    static void Decorate(const StyledText& text, const Render::GlyphRunNode& run,
                         std::vector<Counted<const Render::Node>>& out);
    // The link area over a set run of `text`, or null when the text leads nowhere.
    static Counted<Render::HyperlinkNode> LinkAreaOf(const StyledText& text,
                                                     const Render::GlyphRunNode& run);

private:
    // Lines beside a vertical run: underlines on its right, as Japanese sets them.
    static void DecorateVertical(const StyledText& text, const Render::GlyphRunNode& run,
                                 std::vector<Counted<const Render::Node>>& out);
    struct Face;
    struct Piece;
    const Face* GetFace(const Text::FontSpec& font, std::string& error);
    // Shapes `text`, all in one direction; glyph positions from `pen`, the advance returned.
    double Shape(const Face& face, const StyledText& style, std::string_view text,
                 std::vector<Render::PositionedGlyph>* glyphs, double wordSpacing = 0,
                 bool rightToLeft = false, double pen = 0, bool* lacksGlyph = nullptr);

    static std::unique_ptr<Face> OpenFace(const Foundation::FontHandle& handle);
    Counted<Render::GlyphRunNode> SetRunIn(const Face& face, const StyledText& text, double x,
                                           double y, double wordSpacing);

    // Glyph fallback: the stretches of a text each face sets, in logical order.
    struct FaceSpan {
        size_t begin = 0;
        size_t end = 0;
        const Face* face = nullptr;
    };
    // `upright`: the text stands upright in a vertical line.
    std::vector<FaceSpan> FaceSpans(const Face& face, const StyledText& style,
                                    std::string_view text, bool upright = false);
    // The face for a cluster `face` has no glyph for; null when no installed face has it.
    const Face* FallbackFace(const Face& face, const StyledText& style, std::string_view cluster,
                             bool upright);
    // The advance of `text` in one direction, each span in the face that has it.
    double Advance(const Face& face, const StyledText& style, std::string_view text,
                   double wordSpacing = 0, bool rightToLeft = false);
    // How a story is flowed: with `out` null, only whether it fits is found out.
    struct Flow {
        ColumnNodes* out = nullptr;
        bool grouped = false; // paragraph groups around each paragraph's share of a frame
        bool strict = false;  // a column's first line must fit in it too
        int32_t firstStory = 0;
        std::vector<LinkArea>* links = nullptr;
    };
    // A way of laying paragraphs out through columns (FlowStory, FlowVertical), and of balancing
    // the frame a story ends in (Balance, BalanceVertical).
    using FlowFunction = std::optional<size_t> (FixedTextSetter::*)(const std::vector<Paragraph>&,
                                                                    const std::vector<StoryColumn>&,
                                                                    const Flow&, std::string&);
    using BalanceFunction = void (FixedTextSetter::*)(const std::vector<Paragraph>&,
                                                      std::vector<StoryColumn>&, size_t);
    // The paragraphs through the columns of one frame, listed in order.
    bool SetUnlinked(FlowFunction flow, const std::vector<Paragraph>& paragraphs,
                     const std::vector<StoryColumn>& columns,
                     std::vector<Counted<const Render::Node>>& out, std::string& error,
                     int32_t firstStory, std::vector<LinkArea>* links);
    // A story through its chain: found out where it ends, that frame balanced, then set.
    bool SetLinked(FlowFunction flow, BalanceFunction balance,
                   const std::vector<Paragraph>& paragraphs,
                   const std::vector<StoryColumn>& columns, ColumnNodes& out, std::string& error,
                   int32_t firstStory, std::vector<LinkArea>* links);
    // The columns [first, end) of the frame holding `lastColumn` when it asks to be balanced
    // and has more than one.
    static std::optional<std::pair<size_t, size_t>>
    ColumnsToBalance(const std::vector<StoryColumn>& columns, size_t lastColumn);
    // Lays the paragraphs out through the columns; the index of the last column used, or
    // nothing (with `error`) when text is left over or cannot be set.
    std::optional<size_t> FlowStory(const std::vector<Paragraph>& paragraphs,
                                    const std::vector<StoryColumn>& columns, const Flow& flow,
                                    std::string& error);
    // The columns with those of the frame holding the story's end as short as they can be
    // while the story still ends there; `columns` unchanged when nothing asks for it.
    void Balance(const std::vector<Paragraph>& paragraphs, std::vector<StoryColumn>& columns,
                 size_t lastColumn);

    // Shapes `text` top to bottom; glyph positions from (0, `pen`), the advance down returned.
    double ShapeVertical(const Face& face, const StyledText& style, std::string_view text,
                         std::vector<Render::PositionedGlyph>* glyphs, double pen = 0,
                         bool* lacksGlyph = nullptr);
    Counted<Render::GlyphRunNode> SetVerticalRunIn(const Face& face, const StyledText& text,
                                                   Render::VerticalForm form, double x, double y);
    // How far down a vertical line `text` in `form` reaches, each span in the face that has it.
    double VerticalAdvance(const Face& face, const StyledText& style, std::string_view text,
                           Render::VerticalForm form);
    double VerticalAdvanceIn(const Face& face, const StyledText& style, std::string_view text,
                             Render::VerticalForm form, bool* lacksGlyph = nullptr);
    // As FlowStory, in vertical lines: each column filled from its right edge leftwards.
    std::optional<size_t> FlowVertical(const std::vector<Paragraph>& paragraphs,
                                       const std::vector<StoryColumn>& columns, const Flow& flow,
                                       std::string& error);
    // As Balance, narrowing the columns from their left edge one after the other, so that
    // their lines differ by at most one.
    void BalanceVertical(const std::vector<Paragraph>& paragraphs,
                         std::vector<StoryColumn>& columns, size_t lastColumn);

    std::map<std::tuple<std::string, int, int>, std::unique_ptr<Face>> faces_;
    std::map<std::pair<std::string, uint32_t>, std::unique_ptr<Face>> fallbackFaces_;
    std::map<std::tuple<const Face*, std::string, std::string, bool>, const Face*> fallbackFor_;
    Hyphenator hyphenator_;
};

} // namespace EPub

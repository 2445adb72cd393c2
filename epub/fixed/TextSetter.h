// SPDX-License-Identifier: MIT
#pragma once
// Text setting for fixed-layout pages, as a service: turns styled text into positioned glyph
// runs. The library's own (FixedTextSetter: HarfBuzz shaping, libunibreak line breaking) is the
// default; a host with a layout engine of its own sets text through that instead.

#include "host/foundation/Counted.h"
#include "host/foundation/Geometry.h"
#include "host/render/RenderTree.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace EPub {

// The values set, declared with the default setter (epub/fixed/FixedTextSetter.h).
struct StyledText;
struct Paragraph;
struct LinkArea;

// Which stretches beside a wrap area a line takes: the widest, each of them in reading order
// (the line goes on across the area), or only those to its left or right.
enum class WrapSide : uint8_t { Largest, Both, Left, Right };

// An area a story's lines keep out of (a picture the text wraps around), in the coordinates of
// the frame it falls on. Lines take the stretches its side leaves beside it, or pass below it.
struct WrapArea {
    Foundation::RectT<double> box; // the outline's bounds, offset included
    // A closed outline the text follows (offset already added to `box` only); empty: the box.
    std::vector<Foundation::PointT<double>> outline;
    double offset = 0; // kept between the outline and the text
    WrapSide side = WrapSide::Largest;
};

// One column of the chain of frames a story flows through, in reading order.
struct StoryColumn {
    Foundation::RectT<double> rect; // in its frame's coordinates
    size_t frame = 0;               // which frame of the chain (0, 1, ...) holds it
    std::vector<WrapArea> wraps;
    // When the story ends in this column's frame, that frame's columns are filled evenly.
    bool balance = false;
    int combineDigits = 2; // in vertical lines, digit runs up to this long are set across
};

// What a story's chain holds once set: for each column, the nodes that go on its frame. Each
// paragraph's share of a frame is one paragraph group (a heading's, when it is one), listed
// with the column the share starts in.
using ColumnNodes = std::vector<std::vector<Foundation::Counted<const Render::Node>>>;

class TextSetter {
public:
    virtual ~TextSetter() = default;

    // A glyph run of `text` from `x`, `y` (its baseline); null with `error` when it cannot be
    // set (a font that cannot be found). `wordSpacing` is added after every space.
    virtual Foundation::Counted<Render::GlyphRunNode> SetRun(const StyledText& text, double x,
                                                             double y, std::string& error,
                                                             double wordSpacing = 0) = 0;
    // The runs of `text` from `x`, `y`, when the font lacks characters another face has; this
    // default sets it as one run. Empty with `error` when it cannot be set.
    virtual std::vector<Foundation::Counted<Render::GlyphRunNode>> SetRuns(const StyledText& text,
                                                                           double x, double y,
                                                                           std::string& error,
                                                                           double wordSpacing = 0) {
        auto run = SetRun(text, x, y, error, wordSpacing);
        if (!run)
            return {};
        return {run};
    }
    // Lays `paragraphs` out into `columns` (frame coordinates), appending the runs to `out`,
    // paragraph P as story `firstStory` + P, each linked run followed by its link area (also
    // listed in `links` when given). False with `error` when the text does not fit or cannot be
    // set.
    virtual bool SetFrame(const std::vector<Paragraph>& paragraphs,
                          const std::vector<Foundation::RectT<double>>& columns,
                          std::vector<Foundation::Counted<const Render::Node>>& out,
                          std::string& error, int32_t firstStory = 0,
                          std::vector<LinkArea>* links = nullptr) = 0;
    // Lays `paragraphs` out through the columns of a chain of frames, one after the other;
    // `out` gets one list per column. Stories and links as SetFrame. False with `error` when
    // text is left over after the last column or cannot be set. The default sets nothing and
    // says so, so that a host's setter written before stories still builds.
    virtual bool SetStory(const std::vector<Paragraph>& paragraphs,
                          const std::vector<StoryColumn>& columns, ColumnNodes& out,
                          std::string& error, int32_t firstStory = 0,
                          std::vector<LinkArea>* links = nullptr);

    // As SetFrame, in vertical lines from the right of each column to its left, each line set
    // top to bottom; digit runs of at most `combineDigits` are set across the line. The default
    // sets nothing and says so.
    virtual bool SetVerticalFrame(const std::vector<Paragraph>& paragraphs,
                                  const std::vector<Foundation::RectT<double>>& columns,
                                  std::vector<Foundation::Counted<const Render::Node>>& out,
                                  std::string& error, int32_t firstStory = 0,
                                  std::vector<LinkArea>* links = nullptr, int combineDigits = 2);
    // As SetStory, in vertical lines: each column's lines from its right to its left, the
    // columns of a frame one above the other. Wrap areas shorten the lines they cross; balancing
    // evens out the widths of the frame's columns. The default sets nothing and says so.
    virtual bool SetVerticalStory(const std::vector<Paragraph>& paragraphs,
                                  const std::vector<StoryColumn>& columns, ColumnNodes& out,
                                  std::string& error, int32_t firstStory = 0,
                                  std::vector<LinkArea>* links = nullptr);

protected:
    TextSetter() = default;
    TextSetter(const TextSetter&) = delete;
    TextSetter& operator=(const TextSetter&) = delete;
};

// The library's setter: HarfBuzz (opened on first use) and libunibreak.
std::unique_ptr<TextSetter> MakeDefaultTextSetter();

} // namespace EPub

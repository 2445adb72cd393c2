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

    // As SetFrame, in vertical lines from the right of each column to its left, each line set
    // top to bottom; digit runs of at most `combineDigits` are set across the line. The default
    // sets nothing and says so.
    virtual bool SetVerticalFrame(const std::vector<Paragraph>& paragraphs,
                                  const std::vector<Foundation::RectT<double>>& columns,
                                  std::vector<Foundation::Counted<const Render::Node>>& out,
                                  std::string& error, int32_t firstStory = 0,
                                  std::vector<LinkArea>* links = nullptr, int combineDigits = 2);

protected:
    TextSetter() = default;
    TextSetter(const TextSetter&) = delete;
    TextSetter& operator=(const TextSetter&) = delete;
};

// The library's setter: HarfBuzz (opened on first use) and libunibreak.
std::unique_ptr<TextSetter> MakeDefaultTextSetter();

} // namespace EPub

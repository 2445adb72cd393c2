// SPDX-License-Identifier: MIT
#pragma once
// Styled text and glyph runs for the text setter tests.

#include "epub/fixed/FixedTextSetter.h"
#include "host/render/RenderTree.h"

#include <string>
#include <utility>
#include <vector>

namespace TextSetterTest {

inline EPub::StyledText Styled(std::string text, double size = 12) {
    EPub::StyledText s;
    s.text = std::move(text);
    s.font.family = "DejaVu Sans";
    s.size = size;
    return s;
}

// The glyph runs among `nodes`, in order.
inline std::vector<const Render::GlyphRunNode*>
Runs(const std::vector<Foundation::Counted<const Render::Node>>& nodes) {
    std::vector<const Render::GlyphRunNode*> runs;
    for (const auto& node : nodes)
        if (node->Kind() == Render::NodeKind::GlyphRun)
            runs.push_back(static_cast<const Render::GlyphRunNode*>(node.get()));
    return runs;
}

} // namespace TextSetterTest

// SPDX-License-Identifier: MIT
#include "readers/common/ReaderDocument.h"

#include "host/text/Glyph.h"

#include <map>

namespace Readers {

void StoryMarks::Resolve(const Counted<const Text::Story>& story) {
    if (anchors.empty())
        return;
    std::map<const Text::AnchorData*, Mark*> wanted;
    for (Mark& mark : anchors)
        wanted[mark.anchor.get()] = &mark;
    // Only object glyphs can be anchors.
    const Text::Story& text = *story;
    for (uint32_t i = text.FindObject(0, text.size()); i < text.size();
         i = text.FindObject(i + 1, text.size())) {
        const Text::Glyph glyph = text.GetGlyph(i);
        const auto* anchor = glyph.As<Text::AnchorGlyph>();
        if (!anchor)
            continue;
        if (const auto it = wanted.find(anchor->GetAnchor().get()); it != wanted.end())
            it->second->pos = text.GetPos(i);
    }
}

void ReadRest(Document& doc) {
    if (!doc.more)
        return;
    while (doc.more->More(doc)) {
    }
    doc.more.reset();
}

Text::StoryPos StoryMarks::PositionOf(const Text::AnchorData& anchor) const {
    for (const Mark& mark : anchors)
        if (mark.anchor.get() == &anchor)
            return mark.pos;
    return {};
}

} // namespace Readers

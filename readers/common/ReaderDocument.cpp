// SPDX-License-Identifier: MIT
#include "readers/common/ReaderDocument.h"

#include "host/text/Glyph.h"

#include <algorithm>
#include <fstream>
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

std::string ReadInputFile(const std::filesystem::path& file, const std::string& sourceName) {
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    if (!in)
        throw InputError(sourceName + ": cannot read the file");
    std::string bytes(static_cast<size_t>(std::max<std::streamoff>(in.tellg(), 0)), '\0');
    in.seekg(0);
    if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size())))
        throw InputError(sourceName + ": cannot read the file");
    return bytes;
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

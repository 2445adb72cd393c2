#include "cli/HostServices.h"

#include "host/text/NoteAtt.h"

namespace Cli {

using Foundation::StringT;

void HostServices::Install(EPub::HtmlExporter& exporter) {
    auto& c = exporter.Callbacks();
    c.writeFrame = [](const Text::PinGlyph&, const Text::StoryPos&) {};
    c.isFrameImage = [](const Text::PinnedObject&) { return false; };
    c.writeItem = [](int32_t) {};
    c.isItemImage = [](int32_t) { return false; };
    c.validateFrame = [](const Text::AnchoredFrame&, const Text::StoryPos&,
                         std::vector<EPub::StoryError>&) {};
    c.noteNumber = [this](const Text::Glyph& glyph, const Text::StoryPos& pos) {
        return NoteNumber(glyph, pos);
    };
    c.numberer = [](const Text::StoryPos& pos) { return Text::Numberer::ForPosition(pos); };
    c.crossReferenceText = [](const Text::CrossReferenceGlyph& glyph, const Text::StoryPos&) {
        const auto& target = glyph.GetAnchorData();
        return target ? target->GetName().ToUTF32() : std::u32string();
    };
    c.localise = [](const StringT&, const Text::Language*, const StringT& text) { return text; };
}

StringT HostServices::NoteNumber(const Text::Glyph& glyph, const Text::StoryPos& pos) {
    int32_t kind = 0;
    if (const auto* pin = dynamic_cast<const Text::PinGlyph*>(glyph.GetObject().get()))
        if (const auto* note = pin->GetNote())
            kind = static_cast<int32_t>(note->GetKind());
    const auto key = std::make_pair(static_cast<const void*>(pos.GetStory().get()), pos.GetIndex());
    auto [it, added] = noteNumbers_.try_emplace(key, 0);
    if (added)
        it->second = ++notesSeen_[kind];
    return StringT(std::to_string(it->second));
}

} // namespace Cli

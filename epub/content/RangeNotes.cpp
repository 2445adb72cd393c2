// SPDX-License-Identifier: MIT
#include "epub/content/RangeNotes.h"

namespace EPub {

namespace {

const Counted<const Text::RangeNote>* NoteOf(const Text::Glyph& glyph) {
    if (const auto* body = glyph.As<Text::RangeNoteBodyGlyph>())
        return &body->GetNote();
    if (const auto* reference = glyph.As<Text::RangeNoteReferenceGlyph>())
        return &reference->GetNote();
    return nullptr;
}

} // namespace

void RangeNotes::Register(AnchorRegistry& anchors, const StringT& fileName,
                          const std::vector<StoryChunk>& chunks, const NoteNumber& noteNumber) {
    // Only object glyphs can be notes.
    for (const StoryChunk& chunk : chunks) {
        const Text::Story* story = chunk.range.GetStory().get();
        if (!story)
            continue;
        const uint32_t end = chunk.range.end().GetIndex();
        for (uint32_t i = story->FindObject(chunk.range.begin().GetIndex(), end); i < end;
             i = story->FindObject(i + 1, end))
            Add(anchors, fileName, chunk, story->GetPos(i), noteNumber);
    }
}

void RangeNotes::Add(AnchorRegistry& anchors, const StringT& fileName, const StoryChunk& chunk,
                     const Text::StoryPos& pos, const NoteNumber& noteNumber) {
    const Text::Glyph glyph = pos.GetGlyph();
    const Counted<const Text::RangeNote>* note = NoteOf(glyph);
    if (!note || !*note || !(*note)->GetNoteAtt())
        return;
    auto [it, added] = records_.try_emplace(note->get());
    RangeNoteRecord& record = it->second;
    if (added) {
        kept_.push_back(*note);
        const auto n = static_cast<int32_t>(records_.size());
        const StringT uid =
            (*note)->GetUid().empty() ? StringT::Format("%1", n) : (*note)->GetUid();
        record.settings = (*note)->GetNoteAtt();
        record.number = n;
        record.target = Text::AnchorData::Make("rangenote/" + uid, StringT::Format("endnote%1", n));
        record.target->SetRole("doc-noteref");
        record.back = Text::AnchorData::Make("rangenote/" + uid + "/return",
                                             StringT::Format("endnote%1_return", n));
        record.back->SetRole("doc-backlink");
    }
    const bool isBody = glyph.GetType() == Text::GlyphType::RangeNoteBody;
    bool& seen = isBody ? record.hasBody : record.hasReference;
    if (seen)
        return;
    seen = true;
    anchors.RegisterAnchor(fileName, isBody ? *record.target : *record.back, pos, chunk.name);
    if (!isBody && noteNumber)
        record.number = noteNumber(glyph, chunk.GetOriginalPos(pos), record.number);
}

const RangeNoteRecord* RangeNotes::Find(const Text::RangeNote* note) const {
    const auto it = records_.find(note);
    return it != records_.end() && it->second.IsComplete() ? &it->second : nullptr;
}

Text::StoryPos RangeNotes::FindBody(const Text::StoryPos& begin, const Text::StoryPos& end) const {
    if (records_.empty())
        return end;
    const Text::Story* story = begin.GetStory().get();
    if (!story || end.GetStory().get() != story)
        return end;
    const uint32_t last = end.GetIndex();
    for (uint32_t i = story->FindObject(begin.GetIndex(), last); i < last;
         i = story->FindObject(i + 1, last)) {
        const Text::Glyph glyph = story->GetGlyph(i);
        const auto* body = glyph.As<Text::RangeNoteBodyGlyph>();
        if (body && Find(body->GetNote().get()))
            return story->GetPos(i);
    }
    return end;
}

} // namespace EPub

// SPDX-License-Identifier: MIT
#include "host/text/NoteAtt.h"

#include "host/text/Story.h"

#include <stdexcept>

namespace Text {

Counted<const NoteAtt> NoteAtt::Make(NoteSettings settings) {
    return Foundation::MakeCounted<const NoteAtt>(std::move(settings));
}

GlyphString NoteAtt::MakeReference(int32_t number) const {
    GlyphString out(s_.referencePrefix.view());
    out.AppendText(s_.customMark.empty() ? FormatNumber(number, s_.format).view()
                                         : s_.customMark.view());
    return out.AppendText(s_.referenceSuffix.view());
}

GlyphString NoteAtt::MakeBody(int32_t number) const {
    GlyphString out(s_.bodyPrefix.view());
    out.AppendText(s_.customMark.empty() ? FormatNumber(number, s_.format).view()
                                         : s_.customMark.view());
    return out.AppendText(s_.bodySuffix.view());
}

bool NoteAtt::Equals(const AttObject& other) const {
    const NoteSettings& o = static_cast<const NoteAtt&>(other).s_;
    return s_.kind == o.kind && s_.format == o.format && s_.referencePrefix == o.referencePrefix &&
           s_.referenceSuffix == o.referenceSuffix && s_.bodyPrefix == o.bodyPrefix &&
           s_.bodySuffix == o.bodySuffix && s_.customMark == o.customMark &&
           s_.referenceAtts == o.referenceAtts && s_.bodyAtts == o.bodyAtts;
}

size_t NoteAtt::Hash() const {
    size_t h = static_cast<size_t>(s_.kind);
    HashCombine(h, static_cast<size_t>(s_.format));
    HashCombine(h, std::hash<const void*>{}(s_.referenceAtts.get()));
    return h;
}

Counted<const Note> Note::Make(Counted<const NoteAtt> settings, Counted<const Story> content) {
    return Foundation::MakeCounted<const Note>(std::move(settings), std::move(content));
}

Note::Note(Counted<const NoteAtt> settings, Counted<const Story> content)
    : settings_(std::move(settings)), content_(std::move(content)) {
    if (!settings_ || !content_)
        throw std::invalid_argument("a note needs settings and content");
}

Note::~Note() = default;

Counted<const RangeNote> RangeNote::Make(StringT uid, Counted<const NoteAtt> settings) {
    return Foundation::MakeCounted<const RangeNote>(std::move(uid), std::move(settings));
}

RangeNote::RangeNote(StringT uid, Counted<const NoteAtt> settings)
    : uid_(std::move(uid)), settings_(std::move(settings)) {
    if (!settings_)
        throw std::invalid_argument("a range note needs settings");
}

Counted<const NoteAtt> GetNoteAtt(const StoryPos& pos) {
    const Glyph glyph = pos.GetGlyph();
    if (const auto* pin = glyph.As<PinGlyph>())
        return pin->GetNote() ? pin->GetNote()->GetNoteAtt() : nullptr;
    if (const auto* ref = glyph.As<RangeNoteReferenceGlyph>())
        return ref->GetNote()->GetNoteAtt();
    if (const auto* body = glyph.As<RangeNoteBodyGlyph>())
        return body->GetNote()->GetNoteAtt();
    return nullptr;
}

Counted<const Story> GetNoteContent(const StoryPos& pos) {
    const Glyph glyph = pos.GetGlyph();
    const auto* pin = glyph.As<PinGlyph>();
    return pin && pin->GetNote() ? pin->GetNote()->GetContent() : nullptr;
}

StoryRange FindRangeNoteBody(const StoryRange& where, const RangeNote& note) {
    for (StoryPos p = where.begin(); p < where.end(); ++p) {
        const auto* body = p.GetGlyph().As<RangeNoteBodyGlyph>();
        if (body && body->GetNote().get() == &note)
            return StoryRange(p, p.GetParagraphEnd());
    }
    return StoryRange(where.begin(), where.begin());
}

} // namespace Text

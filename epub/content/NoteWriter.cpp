// SPDX-License-Identifier: MIT
#include "epub/content/NoteWriter.h"

#include "epub/content/BlockFlow.h"
#include "epub/content/DocumentHost.h"
#include "epub/xml/TextEncoding.h"
#include "epub/xml/XmlWriter.h"

#include <charconv>

namespace EPub {

namespace {

using Foundation::OutStream;

int32_t ParseNumber(const StringT& text, int32_t fallback) {
    int32_t value = 0;
    const std::string_view s = text.view();
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
    return error == std::errc() && end == s.data() + s.size() ? value : fallback;
}

std::u32string ToU32(const Text::GlyphString& glyphs) {
    std::u32string text;
    for (size_t i = 0; i < glyphs.size(); ++i)
        text += glyphs[i].GetChar32();
    return text;
}

std::string Encoded(const std::u32string& text) {
    std::string out;
    for (char32_t c : text)
        AppendXMLChar(out, c);
    return out;
}

// Notes and their references share a folder, so the document's own name is the path; it is
// percent-encoded here and escaped for XML where the attribute is written.
StringT FragmentHref(const StringT& chunk, const StringT& id) {
    static constexpr char hex[] = "0123456789ABCDEF";
    const std::string_view name = chunk.view();
    const size_t slash = name.find_last_of("/\\");
    std::string out;
    for (const char ch : slash == std::string_view::npos ? name : name.substr(slash + 1)) {
        const auto b = static_cast<unsigned char>(ch);
        if (b > 0x20 && b < 0x7F &&
            std::string_view("\"#%<>?[\\]^`{|}").find(ch) == std::string_view::npos) {
            out += ch;
            continue;
        }
        out += '%';
        out += hex[b >> 4];
        out += hex[b & 15];
    }
    return StringT::Format("%1#%2", out, id);
}

void Classes(XmlWriter& x, const StringT& classes) {
    if (!classes.empty())
        x.Attribute("class", classes);
}

void Mark(XmlWriter& x, const std::u32string& mark) {
    for (const char32_t c : mark)
        x.Char(c);
}

} // namespace

NoteWriter::NoteWriter(DocumentHost& host, BlockFlow& writer) : host_(host), writer_(writer) {}
NoteWriter::~NoteWriter() = default;

void NoteWriter::StartStory(const Text::Story* story, const StringT& document) {
    story_ = story;
    notesDocument_ = document;
}

// Every kind of note shares one sequence, so no two notes on a page show the same number.
StringT NoteWriter::NextNumber(const Text::Glyph& glyph, const Text::StoryPos& pos) {
    const auto& numberOf = host_.Callbacks().noteNumber;
    if (numberOf)
        return numberOf(glyph, pos);
    return StringT::Format("%1", ++noteCounter_);
}

void NoteWriter::HandleNote(const Text::PinGlyph& pin, const Text::StoryPos& pos,
                            const StoryChunk& chunk, OutStream& out, const StringT& fileName,
                            const ParaParams* paragraph) {
    const Text::Note* note = pin.GetNote();
    if (!note || !note->GetNoteAtt())
        return;
    const StringT number = NextNumber(pos.GetGlyph(), chunk.GetOriginalPos(pos));
    // Inline, every note is written as a footnote is, and its body follows its paragraph.
    if (note->GetKind() == Text::NoteKind::Footnote || allInline_)
        ExportFootnote(*note, pos, number, chunk, out, fileName, paragraph);
    else
        ExportEndnote(*note, pos, number, chunk, out, fileName, paragraph);
}

void NoteWriter::WriteReference(OutStream& out, const Consolidated<Text::GlyphAtts>& atts,
                                const ParaParams* paragraph, const std::u32string& mark,
                                const StringT& id, const StringT& href) {
    const Counted<GlyphParams> params = host_.Styles().RegisterGlyphAtts(atts, paragraph);
    XmlWriter x;
    x.Open("a").Attribute("id", id).Attribute("role", "doc-noteref");
    x.Attribute("epub:type", "noteref").Attribute("href", href);
    Classes(x, params->ClassList());
    x.Close();
    Mark(x, mark);
    x.End("a").Flush(out);
}

void NoteWriter::WriteBody(OutStream& out, const char* kind, const StringT& id,
                           const Counted<const Text::Story>& content, const std::u32string& mark,
                           const Consolidated<Text::GlyphAtts>& markAtts, const StringT& backHref,
                           const StringT& fileName, const StringT& document) {
    // "doc-endnote" is not allowed on aside; the endnotes section and the epub:type say which
    // kind of note it is.
    const char* type = std::string_view(kind) == "endnote" ? "endnote" : "footnote";
    XmlWriter x;
    x.Open("aside").Attribute("id", id).Attribute("role", "doc-footnote");
    x.Attribute("epub:type", type).Close().Space("\n").Flush(out);
    // The mark opens the note's first paragraph and is sized against it.
    const Counted<ParaParams> first =
        content ? host_.Styles().RegisterParagraphAtts(content->gbegin().GetParagraphAtts(), {})
                : nullptr;
    const Counted<GlyphParams> params = host_.Styles().RegisterGlyphAtts(markAtts, first.get());
    x.Open("a").Attribute("role", "doc-backlink").Attribute("href", backHref);
    Classes(x, params->ClassList());
    x.Close();
    Mark(x, mark);
    writer_.SetParagraphPrefix(x.End("a").Take());
    if (content && !content->GetClientAll().empty()) {
        // Links in the note lead from the document it is written into, which for a split
        // story is not the first one.
        const StoryChunk chunk(document, content->GetClientAll(), content->GetClientAll(), 0);
        writer_.ExportStoryChunk(content, chunk, out, fileName, true);
    }
    // A note without text still shows its number.
    if (std::string left = writer_.TakeParagraphPrefix(); !left.empty())
        x.Open("p").Close().Fragment(left).End("p").Space("\n");
    x.End("aside").Space("\n").Flush(out);
}

void NoteWriter::ExportFootnote(const Text::Note& note, const Text::StoryPos& pos,
                                const StringT& number, const StoryChunk& chunk, OutStream& out,
                                const StringT& fileName, const ParaParams* paragraph) {
    const int32_t n = ParseNumber(number, footnoteCounter_);
    const Text::NoteAtt& settings = *note.GetNoteAtt();
    const StringT noteId = StringT::Format("footnote%1", footnoteCounter_);
    const auto back = Text::AnchorData::Make(
        StringT::Format("%1/footnote%2_return", chunk.name, footnoteCounter_), noteId + "_return");
    back->SetRole("doc-backlink");
    host_.Anchors().RegisterAnchor(fileName, *back, pos, chunk.name);
    const StringT backId = host_.Anchors().GetAnchor(*back).id;
    ++footnoteCounter_;
    WriteReference(out, settings.GetGlyphAtts(), paragraph, ToU32(settings.MakeReference(n)),
                   backId, FragmentHref(chunk.name, noteId));
    // Its own buffer: notes referenced in this note's text finish first.
    Foundation::MemoryOutStream body;
    WriteBody(body, "footnote", noteId, note.GetContent(), ToU32(settings.MakeBody(n)),
              settings.GetBodyGlyphAtts(), "#" + backId, fileName, chunk.name);
    footnotes_ += body.Data();
}

void NoteWriter::ExportEndnote(const Text::Note& note, const Text::StoryPos& pos,
                               const StringT& number, const StoryChunk& chunk, OutStream& out,
                               const StringT& fileName, const ParaParams* paragraph) {
    const bool side = note.GetKind() == Text::NoteKind::Sidenote;
    const char* kind = side ? "sidenote" : "endnote";
    const size_t n = endnotes_.size() + 1;
    const Text::NoteAtt& settings = *note.GetNoteAtt();

    const auto target =
        Text::AnchorData::Make(StringT::Format("%1/%2/%3%4", fileName, notesDocument_, kind, n),
                               StringT::Format("%1%2", kind, n));
    target->SetRole("doc-noteref");
    const auto back = Text::AnchorData::Make(
        StringT::Format("%1/%2/%3%4_return", fileName, notesDocument_, kind, n),
        StringT::Format("%1%2_return", kind, n));
    back->SetRole("doc-backlink");
    const Counted<const Text::Story>& content = note.GetContent();
    host_.Anchors().RegisterAnchor(fileName, *target,
                                   content ? content->gbegin() : Text::StoryPos(), notesDocument_);
    host_.Anchors().RegisterAnchor(fileName, *back, pos, chunk.name);

    const int32_t mark = ParseNumber(number, static_cast<int32_t>(n));
    Endnote record{story_ ? story_ : pos.GetStory().get(),
                   content,
                   host_.Anchors().GetAnchor(*target).id,
                   host_.Anchors().GetAnchor(*back).id,
                   chunk.name,
                   ToU32(settings.MakeBody(mark)),
                   settings.GetBodyGlyphAtts(),
                   side};
    WriteReference(out, settings.GetGlyphAtts(), paragraph, ToU32(settings.MakeReference(mark)),
                   record.backId, FragmentHref(notesDocument_, record.noteId));
    endnotes_.push_back(std::move(record));
}

void NoteWriter::RegisterRangeNotes(const StringT& fileName,
                                    const std::vector<StoryChunk>& chunks) {
    rangeNotes_.Register(host_.Anchors(), fileName, chunks,
                         [this](const Text::Glyph& glyph, const Text::StoryPos& pos, int32_t) {
                             return ParseNumber(NextNumber(glyph, pos), noteCounter_);
                         });
}

// The reference links to the body paragraph; the body glyph is the mark its run links back with.
void NoteWriter::WriteRangeNoteGlyph(OutStream& out, const Text::Glyph& glyph,
                                     const ParaParams* paragraph) {
    if (const auto* body = glyph.As<Text::RangeNoteBodyGlyph>()) {
        if (const RangeNoteRecord* note = rangeNotes_.Find(body->GetNote().get()))
            out << Encoded(ToU32(note->settings->MakeBody(note->number)));
        return;
    }
    const auto* reference = glyph.As<Text::RangeNoteReferenceGlyph>();
    const RangeNoteRecord* note =
        reference ? rangeNotes_.Find(reference->GetNote().get()) : nullptr;
    if (!note)
        return;
    const AnchorLocation& target = host_.Anchors().GetAnchor(*note->target);
    WriteReference(out, note->settings->GetGlyphAtts(), paragraph,
                   ToU32(note->settings->MakeReference(note->number)),
                   host_.Anchors().GetAnchor(*note->back).id,
                   FragmentHref(target.chunk, target.id));
}

void NoteWriter::FlushFootnotes(OutStream& out) {
    if (footnotes_.empty())
        return;
    XmlWriter x;
    x.Open("div").Attribute("class", "footnotes").Close().Space("\n").Fragment(footnotes_);
    x.End("div").Space("\n").Flush(out);
    footnotes_.clear();
}

void NoteWriter::FlushEndnotes(OutStream& out, const Text::Story* story, const StringT& document) {
    for (const bool side : {false, true}) {
        bool opened = false;
        // By index: a note's text may reference further notes, which join the list.
        for (size_t i = 0; i < endnotes_.size(); ++i) {
            if (!story || endnotes_[i].referenceStory != story || endnotes_[i].side != side)
                continue;
            if (!opened && side)
                XmlWriter()
                    .Open("div")
                    .Attribute("class", "sidenotes")
                    .Close()
                    .Space("\n")
                    .Flush(out);
            if (!opened && !side) {
                XmlWriter x;
                x.Open("section").Attribute("class", "endnotes").Attribute("role", "doc-endnotes");
                x.Attribute("epub:type", "endnotes").Close().Space("\n").Flush(out);
            }
            opened = true;
            const Endnote note = endnotes_[i];
            const StringT backHref = note.backChunk == document
                                         ? "#" + note.backId
                                         : FragmentHref(note.backChunk, note.backId);
            WriteBody(out, side ? "sidenote" : "endnote", note.noteId, note.content, note.mark,
                      note.markAtts, backHref, document, document);
        }
        if (opened)
            XmlWriter().End(side ? "div" : "section").Space("\n").Flush(out);
    }
    for (Endnote& note : endnotes_)
        if (note.referenceStory == story)
            note.referenceStory = nullptr; // written
}

} // namespace EPub

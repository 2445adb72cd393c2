// SPDX-License-Identifier: MIT
#include "BookGenerator.h"

#include "hostimpl/text/StoryBuilder.h"

#include <array>
#include <string>

namespace Bench {
namespace {

using Foundation::Counted;
using Foundation::MakeCounted;
using namespace Text;

Counted<StyleSheet> MakeStyles() {
    auto sheet = StyleSheet::Make(TextDocument::Make());
    AttributeSet para, glyph;
    para.Set(ParaDouble::FirstLineIndent, 18.0);
    glyph.Set(GlyphDouble::Size, 11.0);
    sheet->AddStyle(Style::Make("Body", StyleKind::Paragraph, "",
                                MakeCounted<Delta>(std::move(para), std::move(glyph))));
    AttributeSet head, headGlyph;
    head.Set(ParaInt::Alignment, Alignment::Centre);
    headGlyph.Set(GlyphDouble::Size, 20.0);
    headGlyph.Set(GlyphInt::FontWeight, 700);
    sheet->AddStyle(Style::Make("Heading", StyleKind::Paragraph, "",
                                MakeCounted<Delta>(std::move(head), std::move(headGlyph))));
    sheet->AddStyle(Style::Make("Em", StyleKind::Character, "",
                                Delta::Make(AttCategory::Glyph, GlyphInt::FontStyle, 1)));
    return sheet;
}

Counted<const Text::Table> MakeTable(const Counted<StyleSheet>& sheet, int chapter) {
    TableBuilder table(sheet, 3, 4);
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 3; ++column)
            table.Cell(column, row)
                .Paragraph("Body")
                .Text("c" + std::to_string(chapter) + "." + std::to_string(row) + "." +
                      std::to_string(column));
    return table.Build();
}

Counted<const Story> MakeChapter(const Counted<StyleSheet>& sheet, int chapter, size_t bytes,
                                 size_t& written) {
    static constexpr std::array<std::string_view, 4> sentences{
        "The harbour lay quiet under a low grey sky, and the boats knocked at the pier. ",
        "Nobody on the quay had seen the stranger arrive, yet all knew his name by noon. ",
        "The keeper of the light kept a ledger of every ship; this one was not in it. ",
        "Rain came in from the west, slow at first, then all at once over the roofs. ",
    };
    const auto bold = Delta::Make(AttCategory::Glyph, GlyphInt::FontWeight, 700);
    StoryBuilder b(sheet);
    b.Paragraph("Heading").Text("Chapter " + std::to_string(chapter));
    size_t done = 0;
    for (int p = 0; done < bytes; ++p) {
        b.Paragraph("Body", p % 7 == 3 ? bold : Counted<const Delta>{});
        for (int s = 0; s < 6; ++s) {
            const std::string_view text = sentences[(p + s) % sentences.size()];
            b.Text(text, s == 2 ? "Em" : "");
            done += text.size();
        }
        if (p % 10 == 5) {
            StoryBuilder note(sheet);
            note.Paragraph("Body").Text("A note on the harbour.");
            b.Note(NoteKind::Footnote, note.Build());
        }
        if (p == 20)
            b.Paragraph("Body").Table(MakeTable(sheet, chapter));
    }
    written += done;
    return b.Build();
}

} // namespace

Book GenerateBook(int chapterCount, size_t bytesPerChapter) {
    Book book;
    const auto sheet = MakeStyles();
    book.settings = MakeCounted<EPub::ExportSettings>();
    book.settings->title = "Benchmark Book";
    book.settings->language = "en";
    book.settings->identifier = "urn:uuid:5b2f0c1e-9a4d-4e6b-8c7f-0123456789ab";
    book.settings->styles = sheet;
    book.settings->defaultGlyphAtts = sheet->GetDocument()->GetDefaultGlyphAtts();
    book.options =
        MakeCounted<EPub::FlowingEPubOptions>(Render::FileExportOptionsVector::Preset::Standard);
    for (int c = 1; c <= chapterCount; ++c)
        book.chapters.push_back({MakeChapter(sheet, c, bytesPerChapter, book.textBytes),
                                 "chapter" + std::to_string(c) + ".xhtml"});
    return book;
}

} // namespace Bench

// SPDX-License-Identifier: MIT
// What the OpenDocument reader builds from small documents: named styles with their parents and
// elements, automatic styles as local changes, text with its spaces, list labels, notes, links,
// tables, pictures, metadata and the print pages.

#include "readers/odt/OdtDocs.h"

#include "host/render/RenderTags.h"
#include "host/text/AnchoredFrame.h"
#include "host/text/AttributeIds.h"
#include "host/text/AttributeObjects.h"
#include "host/text/NoteAtt.h"
#include "host/text/ParagraphAtts.h"
#include "host/text/Table.h"
#include "readers/docx/DocxPackage.h"

#include <gtest/gtest.h>

using namespace OdtTest;
using DocxTest::Find;
using DocxTest::Pinned;
using DocxTest::Plain;
using Foundation::StringT;

namespace {

const std::string
    kPng("\x89\x50\x4E\x47\x0D\x0A\x1A\x0A\x00\x00\x00\x0D\x49\x48\x44\x52\x00\x00\x00\x01\x00\x00"
         "\x00\x01\x08\x06\x00\x00\x00\x1F\x15\xC4\x89\x00\x00\x00\x0D\x49\x44\x41\x54\x78\xDA\x63"
         "\x64\x60\xF8\x5F\x0F\x00\x02\x87\x01\x80\xEB\x47\xBA\x92\x00\x00\x00\x00\x49\x45\x4E\x44"
         "\xAE\x42\x60\x82",
         67);

const std::string kStyles =
    "<style:default-style style:family=\"paragraph\"><style:text-properties fo:font-size=\"11pt\" "
    "fo:language=\"de\" fo:country=\"DE\"/></style:default-style>"
    "<style:style style:name=\"Standard\" style:family=\"paragraph\">"
    "<style:paragraph-properties fo:margin-bottom=\"0.25cm\"/></style:style>"
    "<style:style style:name=\"Heading\" style:family=\"paragraph\" "
    "style:parent-style-name=\"Standard\"><style:text-properties fo:font-size=\"200%\"/>"
    "</style:style>"
    "<style:style style:name=\"Heading_20_1\" style:display-name=\"Heading 1\" "
    "style:family=\"paragraph\" style:parent-style-name=\"Heading\" "
    "style:default-outline-level=\"1\"><style:text-properties fo:font-weight=\"bold\"/>"
    "</style:style>"
    "<style:style style:name=\"Heading_20_2\" style:display-name=\"Heading 2\" "
    "style:family=\"paragraph\" style:parent-style-name=\"Heading\" "
    "style:default-outline-level=\"2\"/>"
    "<style:style style:name=\"Heading_20_3\" style:family=\"paragraph\"/>"
    "<style:style style:name=\"Quotations\" style:family=\"paragraph\" "
    "style:parent-style-name=\"Standard\"><style:paragraph-properties fo:margin-left=\"1in\" "
    "fo:text-indent=\"-0.5in\"/></style:style>"
    "<style:style style:name=\"Loop\" style:family=\"paragraph\" style:parent-style-name=\"Loop\"/>"
    "<style:style style:name=\"Emphasis\" style:family=\"text\">"
    "<style:text-properties fo:font-style=\"italic\"/></style:style>";

std::string P(const std::string& text, const std::string& style = "Standard") {
    return "<text:p text:style-name=\"" + style + "\">" + text + "</text:p>";
}

std::string Element(const Readers::Document& doc, const char* style) {
    const auto s = doc.styles->GetStyle(StringT(style));
    if (!s || !s->GetEPubTag())
        return {};
    return s->GetEPubTag()->GetElementName().str();
}

} // namespace

TEST(OdtStyles, NamedStylesAreHostStylesWithParentsElementsAndEffectiveSizes) {
    const std::string automatic =
        "<style:style style:name=\"P1\" style:family=\"paragraph\" "
        "style:parent-style-name=\"Quotations\"><style:paragraph-properties "
        "fo:text-align=\"center\" fo:text-indent=\"0in\"/><style:text-properties "
        "fo:color=\"#ff0000\"/></style:style>"
        "<style:style style:name=\"T1\" style:family=\"text\"><style:text-properties "
        "fo:font-size=\"50%\" style:text-position=\"super 58%\" "
        "style:text-underline-style=\"solid\" style:text-underline-type=\"double\"/></style:style>";
    const std::string body =
        "<text:h text:style-name=\"Heading_20_1\" text:outline-level=\"1\">Top</text:h>" +
        P("Plain") + P("Said", "P1") +
        P("big<text:span text:style-name=\"T1\">small</text:span> and "
          "<text:span text:style-name=\"Emphasis\">slanted</text:span>") +
        "<text:h text:style-name=\"Heading_20_2\" text:outline-level=\"3\">Deeper</text:h>" +
        P("L", "Loop") + P("Unknown", "NoSuchStyle");
    for (const std::string& bytes :
         {Fodt(body, kStyles, automatic), Odt(body, kStyles, automatic)}) {
        const auto doc = Read(bytes);
        ASSERT_TRUE(doc.styles->GetStyle("Heading 1"));
        EXPECT_EQ(doc.styles->GetStyle("Heading 1")->GetBaseName(), "Heading");
        EXPECT_EQ(Element(doc, "Heading 1"), "h1");
        EXPECT_EQ(Element(doc, "Heading 2"), "h2");
        EXPECT_EQ(Element(doc, "Heading 3"), "h3"); // the suite's own name, without a level
        EXPECT_EQ(Element(doc, "Quotations"), "blockquote");
        EXPECT_EQ(Element(doc, "Standard"), "");
        EXPECT_TRUE(doc.styles->GetStyle("Emphasis")->IsCharacterStyle());
        EXPECT_EQ(doc.styles->GetStyle("Loop")->GetBaseName(), "Default Paragraph Style");

        const auto& story = doc.stories.at(0).story;
        const auto top = Find(story, "Top");
        EXPECT_EQ(top.GetParagraphAtts()->GetStyleName(), "Heading 1");
        EXPECT_DOUBLE_EQ(top.GetGlyphAtts()->GetSize(), 22); // 200% of the default 11pt
        EXPECT_EQ(top.GetGlyphAtts()->GetInt(Text::GlyphInt::FontWeight), 700);
        const auto plain = Find(story, "Plain");
        EXPECT_DOUBLE_EQ(plain.GetGlyphAtts()->GetSize(), 11);
        EXPECT_NEAR(plain.GetParagraphAtts()->GetDouble(Text::ParaDouble::SpaceAfter), 7.087,
                    0.001);
        // The automatic style: centred, its own first line over the named style's margin.
        const auto said = Find(story, "Said");
        EXPECT_EQ(said.GetParagraphAtts()->GetStyleName(), "Quotations");
        EXPECT_EQ(said.GetParagraphAtts()->GetAlignment(), Text::Alignment::Centre);
        EXPECT_DOUBLE_EQ(said.GetParagraphAtts()->GetDouble(Text::ParaDouble::LeftIndent), 72);
        EXPECT_DOUBLE_EQ(said.GetParagraphAtts()->GetDouble(Text::ParaDouble::FirstLineIndent), 72);
        const auto small = Find(story, "small");
        EXPECT_DOUBLE_EQ(small.GetGlyphAtts()->GetSize(), 5.5);
        EXPECT_EQ(small.GetGlyphAtts()->GetInt(Text::GlyphInt::BaselinePosition),
                  Text::BaselinePosition::Superscript);
        EXPECT_EQ(small.GetGlyphAtts()->GetInt(Text::GlyphInt::Underline), Text::LineKind::Double);
        EXPECT_EQ(Find(story, "slanted").GetGlyphAtts()->GetInt(Text::GlyphInt::FontStyle),
                  Text::FontStyle::Italic);
        // A heading of another level than its style's gets that level's element.
        const auto deeper = Find(story, "Deeper");
        EXPECT_EQ(Element(doc, deeper.GetParagraphAtts()->GetStyleName().str().c_str()), "h3");
        EXPECT_EQ(Find(story, "Unknown").GetParagraphAtts()->GetStyleName(),
                  "Default Paragraph Style");
        EXPECT_EQ(doc.settings->language, "de-DE");
    }
}

TEST(OdtText, SpacesTabsBreaksAndHiddenMaterialReadAsTheDocumentShowsThem) {
    const std::string body =
        P("\n  Two  words\tand<text:s text:c=\"3\"/>three<text:tab/>tab<text:line-break/>next") +
        P("kept<text:change text:change-id=\"c1\"/> text<office:annotation><text:p>note to "
          "self</text:p></office:annotation> here") +
        "<text:tracked-changes><text:changed-region text:id=\"c1\"><text:deletion>"
        "<text:p>deleted words</text:p></text:deletion></text:changed-region>"
        "</text:tracked-changes>" +
        P("Page <text:page-number>7</text:page-number> of <text:date>today</text:date>") +
        P("Formula <draw:frame><draw:object><math:math><math:mfrac><math:mrow><math:mi>a</math:mi>"
          "<math:mo>+</math:mo><math:mi>b</math:mi></math:mrow><math:msup><math:mi>x</math:mi>"
          "<math:mn>2</math:mn></math:msup></math:mfrac></math:math></draw:object></draw:frame>");
    const auto doc = Read(Fodt(body));
    const std::string text = Plain(doc);
    EXPECT_NE(text.find("Two words and   three\ttab"), std::string::npos) << text;
    EXPECT_NE(text.find("kept text here"), std::string::npos) << text;
    EXPECT_EQ(text.find("deleted"), std::string::npos);
    EXPECT_EQ(text.find("note to self"), std::string::npos);
    EXPECT_NE(text.find("Page 7 of today"), std::string::npos);
    EXPECT_NE(text.find("Formula (a+b)/(x^2)"), std::string::npos) << text;
    ASSERT_EQ(doc.findings.size(), 1u);
    EXPECT_EQ(doc.findings[0].message, "equation written as linear text");
    // Kept on request, as a side note.
    Readers::Odt::OdtOptions keep;
    keep.keepAnnotations = true;
    const auto kept = Read(Fodt(body), keep);
    ASSERT_EQ(Pinned<Text::Note>(kept.stories.at(0).story).size(), 1u);
}

TEST(OdtLists, LabelsFollowTheListStyleAndTheDocumentsCounters) {
    const std::string listStyles =
        "<text:list-style style:name=\"N\">"
        "<text:list-level-style-number text:level=\"1\" style:num-format=\"1\" "
        "style:num-suffix=\".\"><style:list-level-properties "
        "text:list-level-position-and-space-mode=\"label-alignment\">"
        "<style:list-level-label-alignment text:label-followed-by=\"listtab\" "
        "fo:margin-left=\"0.5in\" fo:text-indent=\"-0.25in\"/></style:list-level-properties>"
        "</text:list-level-style-number>"
        "<text:list-level-style-number text:level=\"2\" style:num-format=\"a\" "
        "style:num-prefix=\"(\" style:num-suffix=\")\" text:display-levels=\"2\"/>"
        "<text:list-level-style-number text:level=\"3\" style:num-format=\"I\" "
        "text:start-value=\"4\" style:num-suffix=\" \"/>"
        "</text:list-style>"
        "<text:list-style style:name=\"B\"><text:list-level-style-bullet text:level=\"1\" "
        "text:bullet-char=\"\xE2\x80\x93\"/><text:list-level-style-image text:level=\"2\"/>"
        "</text:list-style>";
    const auto item = [](const std::string& text, const std::string& inner = {}) {
        return "<text:list-item>" + P(text) + inner + "</text:list-item>";
    };
    const std::string body =
        "<text:list xml:id=\"L1\" text:style-name=\"N\">" + item("one") +
        item("two", "<text:list>" + item("two-a") +
                        item("two-b", "<text:list>" + item("deep") + "</text:list>") +
                        "</text:list>") +
        "<text:list-header>" + P("a header") + "</text:list-header></text:list>" + P("between") +
        "<text:list text:continue-list=\"L1\" text:style-name=\"N\">" + item("three") +
        "</text:list>" + "<text:list text:style-name=\"N\">" + item("fresh") +
        "<text:list-item text:start-value=\"9\">" + P("nine") + P("second paragraph") +
        "</text:list-item></text:list>" +
        "<text:list text:continue-numbering=\"true\" "
        "text:style-name=\"N\">" +
        item("ten") + "</text:list>" + "<text:list text:style-name=\"B\">" +
        item("dash", "<text:list>" + item("picture") + "</text:list>") + "</text:list>";
    const auto doc = Read(Fodt(body, listStyles));
    EXPECT_EQ(LabelOf(doc, "one"), "1.\t");
    EXPECT_EQ(LabelOf(doc, "two"), "2.\t");
    EXPECT_EQ(LabelOf(doc, "two-a"), "(2.a)\t");
    EXPECT_EQ(LabelOf(doc, "two-b"), "(2.b)\t");
    EXPECT_EQ(LabelOf(doc, "deep"), "IV \t");
    EXPECT_EQ(LabelOf(doc, "a header"), "");
    EXPECT_EQ(LabelOf(doc, "between"), "");
    EXPECT_EQ(LabelOf(doc, "three"), "3.\t");
    EXPECT_EQ(LabelOf(doc, "fresh"), "1.\t");
    EXPECT_EQ(LabelOf(doc, "nine"), "9.\t");
    EXPECT_EQ(LabelOf(doc, "second paragraph"), "");
    EXPECT_EQ(LabelOf(doc, "ten"), "10.\t");
    EXPECT_EQ(LabelOf(doc, "dash"), "\xE2\x80\x93\t");
    EXPECT_EQ(LabelOf(doc, "picture"), "\xE2\x80\xA2\t");
    // The level's indents: the label hangs in the margin.
    const auto one = Find(doc.stories.at(0).story, "one");
    EXPECT_DOUBLE_EQ(one.GetParagraphAtts()->GetDouble(Text::ParaDouble::LeftIndent), 36);
    EXPECT_DOUBLE_EQ(one.GetParagraphAtts()->GetDouble(Text::ParaDouble::FirstLineIndent), 18);
}

TEST(OdtLists, NumberedHeadingsCountThroughTheOutlineStyle) {
    const std::string outline =
        "<text:outline-style style:name=\"Outline\"><text:outline-level-style text:level=\"1\" "
        "style:num-format=\"1\" style:num-suffix=\".\"/><text:outline-level-style "
        "text:level=\"2\" style:num-format=\"1\" text:display-levels=\"2\"/>"
        "<text:outline-level-style text:level=\"3\" style:num-format=\"\"/></text:outline-style>"
        "<text:list-style style:name=\"N\"><text:list-level-style-number text:level=\"1\" "
        "style:num-format=\"a\" style:num-suffix=\")\"/></text:list-style>";
    const auto h = [](int level, const std::string& text, const std::string& atts = {}) {
        return "<text:h text:outline-level=\"" + std::to_string(level) + "\"" + atts + ">" + text +
               "</text:h>";
    };
    const std::string body =
        h(1, "Alpha") + h(2, "Alpha one") + "<text:list text:style-name=\"N\"><text:list-item>" +
        P("item") + "</text:list-item></text:list>" + h(2, "Alpha two") + h(3, "Unnumbered") +
        h(1, "Beta") + h(1, "Note", " text:is-list-header=\"true\"") + h(1, "Gamma");
    Readers::Odt::OdtOptions whole;
    whole.splitAtHeadings = false;
    const auto doc = Read(Fodt(body, outline), whole);
    EXPECT_EQ(LabelOf(doc, "Alpha"), "1.\t");
    EXPECT_EQ(LabelOf(doc, "Alpha one"), "1.1\t");
    EXPECT_EQ(LabelOf(doc, "item"), "a)\t");
    EXPECT_EQ(LabelOf(doc, "Alpha two"), "1.2\t");
    EXPECT_EQ(LabelOf(doc, "Unnumbered"), "");
    EXPECT_EQ(LabelOf(doc, "Beta"), "2.\t");
    EXPECT_EQ(LabelOf(doc, "Note"), "");
    EXPECT_EQ(LabelOf(doc, "Gamma"), "3.\t");
}

TEST(OdtNotes, NotesLinksBookmarksAndCrossReferences) {
    const std::string body =
        P("Text<text:note text:id=\"ftn1\" text:note-class=\"footnote\"><text:note-citation>1"
          "</text:note-citation><text:note-body>" +
          P("Foot body.") +
          "</text:note-body></text:note> and<text:note text:id=\"e1\" "
          "text:note-class=\"endnote\"><text:note-citation text:label=\"*\">*</text:note-citation>"
          "<text:note-body>" +
          P("<text:s/><text:tab/>End body.") + "</text:note-body></text:note>.") +
        P("<text:bookmark text:name=\"here\"/>Target <text:reference-mark-start "
          "text:name=\"ref\"/>marked<text:reference-mark-end text:name=\"ref\"/>") +
        P("<text:a xlink:type=\"simple\" xlink:href=\"https://example.com/a b\">web</text:a> "
          "<text:a xlink:href=\"#here\">inside</text:a> <text:a xlink:href=\"javascript:x()\">"
          "script</text:a> see <text:bookmark-ref text:reference-format=\"text\" "
          "text:ref-name=\"here\">Target</text:bookmark-ref>, <text:reference-ref "
          "text:ref-name=\"ref\">marked</text:reference-ref> and note <text:note-ref "
          "text:note-class=\"footnote\" text:ref-name=\"ftn1\">1</text:note-ref>");
    const auto doc = Read(Fodt(body));
    const auto& story = doc.stories.at(0).story;
    const auto notes = Pinned<Text::Note>(story);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0]->GetKind(), Text::NoteKind::Footnote);
    EXPECT_EQ(Plain(notes[0]->GetContent()), "Foot body.");
    EXPECT_EQ(notes[1]->GetKind(), Text::NoteKind::Endnote);
    EXPECT_EQ(notes[1]->GetNoteAtt()->GetSettings().customMark, "*");
    EXPECT_EQ(Plain(notes[1]->GetContent()), "End body.");
    const auto linkOf = [&](const char* text) {
        return Find(story, text).GetGlyphAtts()->GetHyperlink();
    };
    ASSERT_TRUE(linkOf("web"));
    EXPECT_EQ(linkOf("web")->GetData()->GetPath(), "https://example.com/a%20b");
    EXPECT_FALSE(linkOf("script"));
    ASSERT_TRUE(linkOf("inside"));
    const auto here = linkOf("inside")->GetData()->GetAnchor();
    ASSERT_TRUE(here);
    // The anchor stands right before the text it marks.
    EXPECT_EQ(doc.stories.at(0).marks.PositionOf(*here).GetIndex() + 1,
              Find(story, "Target ").GetIndex());
    ASSERT_TRUE(linkOf("marked and"));
    EXPECT_TRUE(linkOf("marked and")->GetData()->GetAnchor());
    // A note reference leads to where the note stands.
    const auto toNote = Find(story, "and note ");
    const auto noteRef = story->GetPos(toNote.GetIndex() + 9);
    ASSERT_TRUE(noteRef.GetGlyphAtts()->GetHyperlink());
}

TEST(OdtTables, SpansCoveredCellsHeaderRowsAndNestedTables) {
    const std::string automatic =
        "<style:style style:name=\"C1\" style:family=\"table-column\">"
        "<style:table-column-properties style:column-width=\"2in\"/></style:style>"
        "<style:style style:name=\"Cell\" style:family=\"table-cell\">"
        "<style:table-cell-properties fo:background-color=\"#00ff00\"/></style:style>";
    const auto cell = [](const std::string& text, const std::string& atts = {}) {
        return "<table:table-cell" + atts + ">" + P(text) + "</table:table-cell>";
    };
    const std::string body =
        "<table:table table:name=\"T\"><table:table-column table:style-name=\"C1\" "
        "table:number-columns-repeated=\"3\"/><table:table-header-rows><table:table-row>" +
        cell("H1") + cell("H2") + cell("H3") +
        "</table:table-row></table:table-header-rows><table:table-row>" +
        cell("wide", " table:number-columns-spanned=\"2\" table:number-rows-spanned=\"2\"") +
        "<table:covered-table-cell/>" + cell("c", " table:style-name=\"Cell\"") +
        "</table:table-row><table:table-row><table:covered-table-cell/>"
        "<table:covered-table-cell/><table:table-cell><table:table><table:table-row>" +
        cell("inner") +
        "</table:table-row></table:table></table:table-cell></table:table-row>"
        "</table:table>";
    const auto doc = Read(Fodt(body, {}, automatic));
    const auto tables = Pinned<Text::TableFrame>(doc.stories.at(0).story);
    ASSERT_EQ(tables.size(), 1u);
    const Text::Table& t = *tables[0]->GetTable();
    EXPECT_EQ(t.GetSize().columns, 3);
    EXPECT_EQ(t.GetSize().rows, 3);
    EXPECT_EQ(t.GetHeaderRows(), 1);
    EXPECT_DOUBLE_EQ(t.GetColumnWidth(2), 144);
    const std::string text = Plain(t.GetStory());
    EXPECT_EQ(Pinned<Text::TableFrame>(t.GetStory()).size(), 1u);
    for (const char* word : {"H1", "H3", "wide", "c"})
        EXPECT_NE(text.find(word), std::string::npos) << word;
}

TEST(OdtPictures, FramesShowPicturesWithAltTextAndSkipMissingOnes) {
    const std::string frame =
        "<draw:frame text:anchor-type=\"as-char\" svg:width=\"1in\" svg:height=\"0.5in\">"
        "<draw:image xlink:href=\"Pictures/a.png\"/><svg:title>A red dot</svg:title>"
        "<svg:desc>Longer words</svg:desc></draw:frame>";
    const std::string body =
        P("Look " + frame) +
        P("<draw:frame><draw:image xlink:href=\"Pictures/gone.png\"/></draw:frame>") +
        P("<draw:frame><draw:image xlink:href=\"Pictures/bad.png\"/></draw:frame>") +
        P("<draw:frame svg:width=\"2in\"><draw:text-box>" + P("Boxed words") +
          "</draw:text-box></draw:frame>");
    const auto doc = Read(
        Odt(body, {}, {}, {{"Pictures/a.png", kPng}, {"Pictures/bad.png", "\x89PNG not really"}}));
    const auto frames = Pinned<Text::AnchoredFrame>(doc.stories.at(0).story);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_DOUBLE_EQ(frames[0]->GetWidth(), 72);
    EXPECT_DOUBLE_EQ(frames[0]->GetHeight(), 36);
    ASSERT_TRUE(frames[0]->GetTags());
    EXPECT_EQ(frames[0]->GetTags()->GetAltText(), "A red dot");
    ASSERT_TRUE(frames[1]->GetStory());
    EXPECT_EQ(Plain(frames[1]->GetStory()), "Boxed words");
    ASSERT_EQ(doc.findings.size(), 2u);
    EXPECT_EQ(doc.findings[0].message, "the picture Pictures/gone.png is missing from the package");
    EXPECT_EQ(doc.findings[1].message, "a damaged picture was skipped");

    // A flat document carries its pictures inline, in base64.
    const std::string inlinePicture =
        "<draw:frame svg:width=\"10pt\" svg:height=\"10pt\"><draw:image><office:binary-data>"
        "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNkYPhfDwAChwGA60e6kgAAAABJ"
        "RU5ErkJggg==</office:binary-data></draw:image><svg:desc>Dot</svg:desc></draw:frame>";
    const auto flat = Read(Fodt(P(inlinePicture) + "\n" +
                                P("<draw:frame><draw:image><office:binary-data>not base64!"
                                  "</office:binary-data></draw:image></draw:frame>")));
    const auto flatFrames = Pinned<Text::AnchoredFrame>(flat.stories.at(0).story);
    ASSERT_EQ(flatFrames.size(), 1u);
    EXPECT_EQ(flatFrames[0]->GetTags()->GetAltText(), "Dot");
    // A flat file's findings name their line.
    ASSERT_EQ(flat.findings.size(), 1u);
    EXPECT_EQ(flat.findings[0].where, "line 7");
    EXPECT_EQ(flat.findings[0].message, "a picture with broken base64 data was skipped");
}

TEST(OdtPages, SoftPageBreaksBecomeThePageListWithTheFileAsItsSource) {
    const std::string automatic =
        "<style:style style:name=\"Restart\" style:family=\"paragraph\" "
        "style:parent-style-name=\"Standard\" style:master-page-name=\"Standard\">"
        "<style:paragraph-properties style:page-number=\"20\"/></style:style>";
    const std::string body = P("first page") + "<text:soft-page-break/>" + P("second page") +
                             P("more<text:soft-page-break/>third page") +
                             "<text:h text:outline-level=\"1\">Chapter</text:h>" +
                             P("twentieth", "Restart") + "<text:soft-page-break/>" +
                             P("twenty-first");
    const auto doc = Read(Fodt(body, kStyles, automatic));
    std::vector<std::string> labels;
    for (const auto& entry : doc.stories)
        for (const auto& page : entry.marks.pages)
            labels.push_back(page.label.str());
    EXPECT_EQ(labels, (std::vector<std::string>{"1", "2", "3", "20", "21"}));
    ASSERT_EQ(doc.stories.size(), 2u);
    const auto& first = doc.stories[0];
    const auto at = [&](size_t page) {
        return first.marks.PositionOf(*first.marks.pages[page].anchor).GetIndex() + 1;
    };
    EXPECT_EQ(at(1), Find(first.story, "second page").GetIndex());
    EXPECT_EQ(at(2), Find(first.story, "third").GetIndex());
    EXPECT_EQ(doc.options->GetPaginationSourceType(), EPub::PaginationSourceType::Other);

    Readers::Odt::OdtOptions off;
    off.printPages = false;
    const auto none = Read(Fodt(body, kStyles, automatic), off);
    for (const auto& entry : none.stories)
        EXPECT_TRUE(entry.marks.pages.empty());
}

TEST(OdtParts, FontsInThePackageAreRegisteredAndUnreadableOnesReported) {
    const auto doc = Read(Odt(P("x"), {}, {}, {{"Fonts/broken.ttf", "not a font at all"}}));
    EXPECT_FALSE(doc.fonts);
    ASSERT_EQ(doc.findings.size(), 1u);
    EXPECT_EQ(doc.findings[0].where, "Fonts/broken.ttf");
    // A UTF-16 flat file reads like a UTF-8 one.
    const std::string utf8 = Fodt(P("Gr\xC3\xBC\xC3\x9F e"));
    std::string utf16 = "\xFF\xFE";
    for (const char32_t c : Foundation::StringT(utf8).ToUTF32()) {
        utf16 += static_cast<char>(c & 0xFF);
        utf16 += static_cast<char>(c >> 8);
    }
    EXPECT_NE(Plain(Read(utf16)).find("Gr\xC3\xBC\xC3\x9F e"), std::string::npos);
}

TEST(OdtMetadata, MetaXmlFillsTheSettingsAndTheFirstHeadingTheMissingTitle) {
    const std::string meta =
        "<dc:title>The Title</dc:title><meta:initial-creator>Ann Author</meta:initial-creator>"
        "<dc:creator>Last Editor</dc:creator><dc:subject>Things</dc:subject>"
        "<dc:description>About things.</dc:description><meta:keyword>one</meta:keyword>"
        "<meta:keyword>two</meta:keyword><dc:language>fr-CA</dc:language>"
        "<meta:creation-date>2021-04-05T10:11:12</meta:creation-date>";
    const auto doc = Read(Fodt(P("x"), {}, {}, meta));
    EXPECT_EQ(doc.settings->title, "The Title");
    EXPECT_EQ(doc.settings->author, "Ann Author");
    EXPECT_EQ(doc.settings->subject, "Things; one, two");
    EXPECT_EQ(doc.settings->description, "About things.");
    EXPECT_EQ(doc.settings->language, "fr-CA");
    EXPECT_EQ(doc.settings->date, "2021-04-05");
    const auto untitled = Read(Fodt("<text:h text:outline-level=\"1\">Opening</text:h>"));
    EXPECT_EQ(untitled.settings->title, "Opening");
}

TEST(OdtContents, TheTableOfContentsIsMarkedAndTopHeadingsSplitTheText) {
    const std::string body =
        "<text:table-of-content><text:index-body><text:index-title>" + P("Contents") +
        "</text:index-title>" + P("Chapter A\t1") + "</text:index-body></text:table-of-content>" +
        "<text:h text:outline-level=\"1\">Chapter A</text:h>" + P("a text") +
        "<text:section text:name=\"S\"><text:h text:outline-level=\"1\">Chapter B</text:h>" +
        P("b text") + "</text:section>";
    const auto doc = Read(Fodt(body));
    ASSERT_EQ(doc.stories.size(), 3u);
    const auto contents = Find(doc.stories[0].story, "Chapter A");
    EXPECT_TRUE(contents.GetParagraphAtts()->GetToc());
    EXPECT_FALSE(Find(doc.stories[1].story, "a text").GetParagraphAtts()->GetToc());
    EXPECT_EQ(doc.stories[2].title, "Chapter B");
    Readers::Odt::OdtOptions whole;
    whole.splitAtHeadings = false;
    EXPECT_EQ(Read(Fodt(body), whole).stories.size(), 1u);
}

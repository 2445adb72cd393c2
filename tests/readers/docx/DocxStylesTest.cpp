// SPDX-License-Identifier: MIT
// Word styles become host styles of the same name with their bases and elements; direct
// formatting becomes local attributes; hidden, deleted and commented text stays out.

#include "readers/docx/DocxPackage.h"

#include "host/text/AttributeIds.h"
#include "host/text/NoteAtt.h"
#include "host/text/ParagraphAtts.h"

#include <gtest/gtest.h>

using namespace DocxTest;
using Foundation::StringT;

namespace {

const std::string kStyles =
    "<w:docDefaults><w:rPrDefault><w:rPr><w:sz w:val=\"22\"/><w:lang w:val=\"de-DE\"/></w:rPr>"
    "</w:rPrDefault></w:docDefaults>"
    "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name w:val=\"Normal\"/>"
    "<w:pPr><w:spacing w:after=\"120\"/></w:pPr></w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"Heading1\"><w:name w:val=\"heading 1\"/>"
    "<w:basedOn w:val=\"Normal\"/><w:pPr><w:outlineLvl w:val=\"0\"/></w:pPr>"
    "<w:rPr><w:b/><w:sz w:val=\"32\"/></w:rPr></w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"Chapter\"><w:name w:val=\"Chapter\"/>"
    "<w:basedOn w:val=\"Heading1\"/></w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"Heading2\"><w:name w:val=\"heading 2\"/>"
    "<w:basedOn w:val=\"Normal\"/></w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"Title\"><w:name w:val=\"Title\"/></w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"Quote\"><w:name w:val=\"Quote\"/></w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"Loop\"><w:name w:val=\"Loop\"/>"
    "<w:basedOn w:val=\"Loop\"/></w:style>"
    "<w:style w:type=\"character\" w:styleId=\"Strong\"><w:name w:val=\"Strong\"/>"
    "<w:rPr><w:b/></w:rPr></w:style>"
    "<w:style w:type=\"character\" w:styleId=\"Secret\"><w:name w:val=\"Secret\"/>"
    "<w:rPr><w:vanish/></w:rPr></w:style>";

std::string Element(const Readers::Document& doc, const char* style) {
    const auto s = doc.styles->GetStyle(StringT(style));
    if (!s || !s->GetEPubTag())
        return {};
    return s->GetEPubTag()->GetElementName().str();
}

} // namespace

TEST(DocxStyles, EachWordStyleIsAHostStyleWithItsBaseAndElement) {
    Parts parts;
    parts.styles = kStyles;
    parts.body = Para("Title", "Title") + Para("One", "Heading1") + Para("Two", "Heading2") +
                 Para("Ch", "Chapter") + Para("Said", "Quote") + Para("Body") + Para("L", "Loop");
    const auto doc = Read(parts);
    const auto heading = doc.styles->GetStyle("Heading 1");
    ASSERT_TRUE(heading);
    EXPECT_EQ(heading->GetBaseName(), "Normal");
    EXPECT_EQ(Element(doc, "Heading 1"), "h1");
    EXPECT_EQ(Element(doc, "Chapter"), "h1");   // the outline level comes through its base
    EXPECT_EQ(Element(doc, "Heading 2"), "h2"); // a built-in heading without outline level
    EXPECT_EQ(Element(doc, "Title"), "h1");
    EXPECT_EQ(Element(doc, "Quote"), "blockquote");
    EXPECT_EQ(Element(doc, "Normal"), "");
    ASSERT_TRUE(doc.styles->GetStyle("Strong"));
    EXPECT_TRUE(doc.styles->GetStyle("Strong")->IsCharacterStyle());
    EXPECT_EQ(doc.styles->GetStyle("Loop")->GetBaseName(), ""); // a loop is cut

    const auto& story = doc.stories.at(0).story;
    const auto one = Find(story, "One");
    EXPECT_EQ(one.GetParagraphAtts()->GetStyleName(), "Heading 1");
    EXPECT_DOUBLE_EQ(one.GetGlyphAtts()->GetSize(), 16);
    EXPECT_EQ(one.GetGlyphAtts()->GetInt(Text::GlyphInt::FontWeight), 700);
    const auto body = Find(story, "Body");
    EXPECT_EQ(body.GetParagraphAtts()->GetStyleName(), "Normal"); // the default style
    EXPECT_DOUBLE_EQ(body.GetGlyphAtts()->GetSize(), 11);         // the document default
    EXPECT_DOUBLE_EQ(body.GetParagraphAtts()->GetDouble(Text::ParaDouble::SpaceAfter), 6);
    EXPECT_EQ(doc.settings->language, "de-DE");
}

TEST(DocxStyles, DirectFormattingBecomesLocalAttributes) {
    Parts parts;
    parts.styles = kStyles;
    parts.body =
        "<w:p><w:pPr><w:jc w:val=\"center\"/><w:ind w:left=\"720\" w:hanging=\"360\"/>"
        "<w:spacing w:line=\"360\" w:lineRule=\"auto\"/><w:keepNext/></w:pPr>"
        "<w:r><w:t xml:space=\"preserve\">plain </w:t></w:r>"
        "<w:r><w:rPr><w:b/><w:i/><w:sz w:val=\"30\"/><w:color w:val=\"FF0000\"/>"
        "<w:u w:val=\"double\"/><w:vertAlign w:val=\"superscript\"/></w:rPr><w:t>loud</w:t></w:r>"
        "<w:r><w:rPr><w:rStyle w:val=\"Strong\"/><w:smallCaps/><w:lang w:val=\"fr-FR\"/></w:rPr>"
        "<w:t>fort</w:t></w:r></w:p>"
        "<w:p><w:pPr><w:jc w:val=\"both\"/><w:spacing w:line=\"280\" w:lineRule=\"exact\"/></w:pPr>"
        "<w:r><w:t>exact</w:t></w:r></w:p>";
    const auto doc = Read(parts);
    const auto& story = doc.stories.at(0).story;
    const auto plain = Find(story, "plain");
    const auto& para = *plain.GetParagraphAtts();
    EXPECT_EQ(para.GetAlignment(), Text::Alignment::Centre);
    EXPECT_DOUBLE_EQ(para.GetDouble(Text::ParaDouble::LeftIndent), 36);
    // The host measures the first line from the frame edge: a hanging 18 under 36 starts at 18.
    EXPECT_DOUBLE_EQ(para.GetDouble(Text::ParaDouble::FirstLineIndent), 18);
    EXPECT_EQ(para.GetInt(Text::ParaInt::LeadingMode), Text::LeadingMode::Proportional);
    EXPECT_DOUBLE_EQ(para.GetDouble(Text::ParaDouble::LineSpacing), 1.5);
    EXPECT_EQ(para.GetInt(Text::ParaInt::KeepWithNext), 1);
    EXPECT_EQ(plain.GetGlyphAtts()->GetInt(Text::GlyphInt::FontWeight), 400);

    const auto& loud = *Find(story, "loud").GetGlyphAtts();
    EXPECT_EQ(loud.GetInt(Text::GlyphInt::FontWeight), 700);
    EXPECT_EQ(loud.GetInt(Text::GlyphInt::FontStyle), Text::FontStyle::Italic);
    EXPECT_DOUBLE_EQ(loud.GetSize(), 15);
    EXPECT_EQ(loud.GetInt(Text::GlyphInt::Underline), Text::LineKind::Double);
    EXPECT_EQ(loud.GetInt(Text::GlyphInt::BaselinePosition), Text::BaselinePosition::Superscript);
    ASSERT_TRUE(loud.GetTextFill());

    const auto& fort = *Find(story, "fort").GetGlyphAtts();
    EXPECT_EQ(fort.GetCharacterStyleName(), "Strong");
    EXPECT_EQ(fort.GetInt(Text::GlyphInt::FontWeight), 700);
    ASSERT_TRUE(fort.GetOpenType());
    EXPECT_TRUE(fort.GetOpenType()->IsOn("smcp"));
    EXPECT_EQ(fort.GetLanguage()->GetId(), "fr-FR");

    const auto& exact = *Find(story, "exact").GetParagraphAtts();
    EXPECT_EQ(exact.GetAlignment(), Text::Alignment::Justify);
    EXPECT_EQ(exact.GetInt(Text::ParaInt::LeadingMode), Text::LeadingMode::Exactly);
    EXPECT_DOUBLE_EQ(exact.GetDouble(Text::ParaDouble::Leading), 14);
}

TEST(DocxStyles, HiddenDeletedAndCommentedTextStaysOut) {
    Parts parts;
    parts.styles = kStyles;
    parts.body =
        "<w:p><w:r><w:t xml:space=\"preserve\">kept </w:t></w:r>"
        "<w:r><w:rPr><w:vanish/></w:rPr><w:t>hidden</w:t></w:r>"
        "<w:r><w:rPr><w:rStyle w:val=\"Secret\"/></w:rPr><w:t>secret</w:t></w:r>"
        "<w:del w:id=\"1\" w:author=\"a\"><w:r><w:delText>gone</w:delText></w:r></w:del>"
        "<w:ins w:id=\"2\" w:author=\"a\"><w:r><w:t>added</w:t></w:r></w:ins>"
        "<w:moveFrom w:id=\"3\"><w:r><w:t>moved away</w:t></w:r></w:moveFrom>"
        "<w:moveTo w:id=\"4\"><w:r><w:t xml:space=\"preserve\"> arrived</w:t></w:r></w:moveTo>"
        "<w:commentRangeStart w:id=\"0\"/><w:r><w:commentReference w:id=\"0\"/></w:r>"
        "<w:smartTag><w:r><w:t xml:space=\"preserve\"> tagged</w:t></w:r></w:smartTag>"
        "</w:p>";
    parts.comments = "<w:comment w:id=\"0\" w:author=\"a\">" + Para("a remark") + "</w:comment>";
    EXPECT_EQ(Plain(Read(parts)), "kept added arrived tagged");

    Readers::Docx::DocxOptions keep;
    keep.keepComments = true;
    const auto doc = Read(parts, keep);
    const auto notes = Pinned<Text::Note>(doc.stories.at(0).story);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0]->GetKind(), Text::NoteKind::Sidenote);
    EXPECT_EQ(Plain(notes[0]->GetContent()), "a remark");
}

// Word's first-line indent and hanging are relative to the left indent and each may come from a
// different place (style, list level, the paragraph); the host measures both from the edge.
TEST(DocxStyles, IndentsMeetWhereverEachIsSet) {
    Parts parts;
    parts.styles = kStyles +
                   "<w:style w:type=\"paragraph\" w:styleId=\"Body\"><w:name w:val=\"Body\"/>"
                   "<w:pPr><w:ind w:left=\"720\" w:firstLine=\"360\"/></w:pPr></w:style>"
                   "<w:style w:type=\"paragraph\" w:styleId=\"Deeper\"><w:name w:val=\"Deeper\"/>"
                   "<w:basedOn w:val=\"Body\"/><w:pPr><w:ind w:left=\"1440\"/></w:pPr></w:style>";
    parts.numbering = "<w:abstractNum w:abstractNumId=\"0\"><w:lvl w:ilvl=\"0\"><w:start "
                      "w:val=\"1\"/><w:numFmt w:val=\"decimal\"/><w:lvlText w:val=\"%1.\"/>"
                      "<w:pPr><w:ind w:left=\"720\" w:hanging=\"360\"/></w:pPr></w:lvl>"
                      "</w:abstractNum><w:num w:numId=\"1\"><w:abstractNumId w:val=\"0\"/></w:num>";
    const auto item = [](const std::string& text, const std::string& ind) {
        return "<w:p><w:pPr><w:numPr><w:ilvl w:val=\"0\"/><w:numId w:val=\"1\"/></w:numPr>" + ind +
               "</w:pPr><w:r><w:t>" + text + "</w:t></w:r></w:p>";
    };
    parts.body = Para("based", "Deeper") +
                 "<w:p><w:pPr><w:pStyle w:val=\"Body\"/><w:ind w:hanging=\"180\"/></w:pPr>"
                 "<w:r><w:t>hanging over style</w:t></w:r></w:p>" +
                 item("level", "") + item("moved", "<w:ind w:left=\"1440\"/>");
    const auto doc = Read(parts);
    const auto& story = doc.stories.at(0).story;
    const auto indents = [&](const char* text) {
        const auto full =
            doc.styles->ResolveParagraphAtts(Find(story, text).GetParagraphAtts()->GetStyleName());
        const auto& own = *Find(story, text).GetParagraphAtts();
        const auto value = [&](Text::AttId id) {
            return own.GetSet().Has(Text::AttKind::Double, id) ? own.GetDouble(id)
                                                               : full.GetDouble(id);
        };
        return std::pair{value(Text::ParaDouble::LeftIndent),
                         value(Text::ParaDouble::FirstLineIndent)};
    };
    // A base style's first-line indent follows the left indent the derived style moves.
    EXPECT_EQ(indents("based"), (std::pair{72.0, 90.0}));
    EXPECT_EQ(indents("hanging over style"), (std::pair{36.0, 27.0}));
    EXPECT_EQ(indents("level"), (std::pair{36.0, 18.0}));
    // The level's hanging stays with a left indent set on the paragraph.
    EXPECT_EQ(indents("moved"), (std::pair{72.0, 54.0}));
}

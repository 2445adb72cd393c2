// SPDX-License-Identifier: MIT
// The parts around the text: theme fonts and colours, embedded fonts, strict and UTF-16 parts.

#include "readers/docx/DocxPackage.h"

#include "host/render/Colour.h"
#include "host/render/Fill.h"
#include "readers/docx/FontTable.h"

#include <gtest/gtest.h>

using namespace DocxTest;

namespace {

const std::string kRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

const std::string kTheme =
    "<a:theme xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" name=\"T\">"
    "<a:themeElements><a:clrScheme name=\"c\"><a:dk1><a:sysClr val=\"windowText\" "
    "lastClr=\"000000\"/></a:dk1><a:accent1><a:srgbClr val=\"4472C4\"/></a:accent1></a:clrScheme>"
    "<a:fontScheme name=\"f\"><a:majorFont><a:latin typeface=\"Heading Face\"/></a:majorFont>"
    "<a:minorFont><a:latin typeface=\"Body Face\"/></a:minorFont></a:fontScheme>"
    "</a:themeElements></a:theme>";

} // namespace

TEST(DocxParts, ThemeFontsAndColoursResolve) {
    Parts parts;
    parts.extraFiles = {{"word/theme/theme1.xml", kTheme}};
    parts.extraRelationships =
        "<Relationship Id=\"t\" Type=\"" + kRel + "theme\" Target=\"theme/theme1.xml\"/>";
    parts.styles = "<w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:asciiTheme=\"minorHAnsi\"/>"
                   "</w:rPr></w:rPrDefault></w:docDefaults>";
    parts.body = "<w:p><w:r><w:t xml:space=\"preserve\">body </w:t></w:r><w:r><w:rPr><w:rFonts "
                 "w:asciiTheme=\"majorHAnsi\"/><w:color w:val=\"auto\" w:themeColor=\"accent1\"/>"
                 "</w:rPr><w:t>accent</w:t></w:r></w:p>";
    const auto doc = Read(parts);
    const auto& story = doc.stories.at(0).story;
    EXPECT_EQ(Find(story, "body").GetGlyphAtts()->GetString(Text::GlyphStr::FontFamily),
              "Body Face");
    const auto& accent = *Find(story, "accent").GetGlyphAtts();
    EXPECT_EQ(accent.GetString(Text::GlyphStr::FontFamily), "Heading Face");
    const auto fill = accent.GetTextFill();
    ASSERT_TRUE(fill);
    EXPECT_EQ(*fill, *Render::FillDescriptor::MakeSolid(Render::Colour::MakeRGB(0x44, 0x72, 0xC4)));
}

TEST(DocxParts, EmbeddedFontKeysAreTheGuidBytesReversed) {
    std::string font(40, '\0');
    ASSERT_TRUE(Readers::Docx::Deobfuscate(font, "{00112233-4455-6677-8899-AABBCCDDEEFF}"));
    const std::string key = "\xFF\xEE\xDD\xCC\xBB\xAA\x99\x88\x77\x66\x55\x44\x33\x22\x11";
    EXPECT_EQ(font.substr(0, 15), key);
    EXPECT_EQ(font.substr(16, 15), key);
    EXPECT_EQ(font[15], '\0');
    EXPECT_EQ(font.substr(32), std::string(8, '\0')); // only the first 32 bytes are hidden
    EXPECT_FALSE(Readers::Docx::Deobfuscate(font, "not a guid"));
}

TEST(DocxParts, AnUnreadableEmbeddedFontIsAFindingNotAFailure) {
    Parts parts;
    parts.body = Para("text");
    parts.extraFiles = {
        {"word/fontTable.xml",
         "<w:fonts xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
         "xmlns:r=\"" +
             kRel.substr(0, kRel.size() - 1) +
             "\"><w:font w:name=\"Face\">"
             "<w:embedRegular r:id=\"f1\" w:fontKey=\"{00112233-4455-6677-8899-AABBCCDDEEFF}\"/>"
             "</w:font></w:fonts>"},
        {"word/fonts/font1.odttf", std::string(64, 'x')},
        {"word/_rels/fontTable.xml.rels",
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"f1\" Type=\"" +
             kRel +
             "font\" Target=\"fonts/font1.odttf\"/>"
             "</Relationships>"}};
    parts.extraRelationships =
        "<Relationship Id=\"ft\" Type=\"" + kRel + "fontTable\" Target=\"fontTable.xml\"/>";
    const auto doc = Read(parts);
    EXPECT_FALSE(doc.fonts);
    ASSERT_EQ(doc.findings.size(), 1u);
    EXPECT_EQ(doc.findings[0].where, "/word/fonts/font1.odttf");
    EXPECT_EQ(doc.findings[0].message, "an embedded font that cannot be read was skipped");
}

TEST(DocxParts, StrictAndUtf16DocumentsRead) {
    const std::string strict =
        "<?xml version=\"1.0\"?><w:document xmlns:w=\"http://purl.oclc.org/ooxml/"
        "wordprocessingml/main\"><w:body><w:p><w:pPr><w:ind w:left=\"0.5in\"/></w:pPr><w:r>"
        "<w:t>strict</w:t></w:r></w:p></w:body></w:document>";
    const auto doc = Readers::Docx::ReadDocx(Zip({{"word/document.xml", strict}}), "s.docx");
    EXPECT_EQ(Plain(doc), "strict");
    EXPECT_DOUBLE_EQ(Find(doc.stories[0].story, "strict")
                         .GetParagraphAtts()
                         ->GetDouble(Text::ParaDouble::LeftIndent),
                     36);

    const std::string utf8 = DocumentXml(Para("Zürich"));
    std::string utf16 = "\xFF\xFE";
    for (const char32_t c : Foundation::StringT(utf8).ToUTF32()) {
        utf16 += static_cast<char>(c & 0xFF);
        utf16 += static_cast<char>(c >> 8);
    }
    EXPECT_EQ(Plain(Readers::Docx::ReadDocx(Zip({{"word/document.xml", utf16}}), "u.docx")),
              "Zürich");
}

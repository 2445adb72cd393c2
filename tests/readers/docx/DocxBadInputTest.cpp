// SPDX-License-Identifier: MIT
// Every damaged or hostile package gives one InputError naming the file and the part, never a
// crash and never a half-read document.

#include "readers/docx/DocxPackage.h"

#include <gtest/gtest.h>

#include <random>

using namespace DocxTest;

namespace {

std::string Minimal() {
    Parts parts;
    parts.body = Para("Hello");
    return parts.Build();
}

bool OneLine(const std::string& message) {
    return !message.empty() && message.find('\n') == std::string::npos;
}

} // namespace

TEST(DocxBadInput, ContainersThatAreNotWordPackagesAreRefusedByName) {
    EXPECT_EQ(ErrorOf("just some text, long enough to hold a zip directory"),
              "test.docx: not a zip archive (no central directory)");
    EXPECT_EQ(ErrorOf("PK"), "test.docx: not a zip archive (too short)");
    std::string ole("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    ole.resize(4096, '\0');
    EXPECT_TRUE(OneLine(ErrorOf(ole)));
    // A zip that is some other package.
    EXPECT_EQ(ErrorOf(Zip({{"hello.txt", "hi"}})),
              "test.docx: /word/document.xml: the main document part is missing");
    // A main part that is not WordprocessingML.
    EXPECT_EQ(
        ErrorOf(Zip({{"word/document.xml", "<html><body/></html>"}})),
        "test.docx: /word/document.xml: not a WordprocessingML document (its root is <html>)");
    const std::string minimal = Minimal();
    EXPECT_TRUE(OneLine(ErrorOf(minimal.substr(0, minimal.size() / 2))));
}

TEST(DocxBadInput, DocumentTypeDeclarationsAreRefusedBeforeAnyEntityIsRead) {
    const std::string dtd =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE w:document [<!ENTITY a \"aaaaaaaaaa\">"
        "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">]>\n" +
        DocumentXml(Para("&b;")).substr(39);
    const std::string message = ErrorOf(Zip({{"word/document.xml", dtd}}));
    EXPECT_EQ(message, "test.docx: /word/document.xml: XML with a document type declaration "
                       "(DTD) is refused: its entities are never resolved");
    // In an optional part too: it is not skipped quietly.
    Parts parts;
    parts.body = Para("x");
    parts.extraFiles = {
        {"word/styles.xml", "<!DOCTYPE w:styles SYSTEM \"file:///etc/passwd\"><w:styles/>"}};
    parts.extraRelationships =
        "<Relationship Id=\"s\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships/styles\" Target=\"styles.xml\"/>";
    EXPECT_EQ(ErrorOf(parts.Build()),
              "test.docx: /word/styles.xml: XML with a document type declaration (DTD) is "
              "refused: its entities are never resolved");
}

TEST(DocxBadInput, MalformedXmlNamesPartAndLine) {
    const std::string broken =
        "<?xml version=\"1.0\"?>\n<w:document "
        "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">\n<w:body>\n"
        "<w:p></w:r>";
    const std::string message = ErrorOf(Zip({{"word/document.xml", broken}}));
    EXPECT_EQ(message.rfind("test.docx: /word/document.xml:4: malformed XML: ", 0), 0u) << message;
    // Cut short inside the body.
    const std::string cut = broken.substr(0, broken.size() - 11) + "<w:p><w:r>";
    EXPECT_EQ(ErrorOf(Zip({{"word/document.xml", cut}})),
              "test.docx: /word/document.xml:4: malformed XML: the part ends inside an element");
}

TEST(DocxBadInput, ZipBombsHitTheCapsBeforeInflating) {
    Parts parts;
    parts.body = Para(std::string(4 << 20, 'a'));
    const std::string bomb = parts.Build(true);
    Readers::Docx::DocxOptions small;
    small.maxInflatedBytes = 1 << 20;
    EXPECT_NE(
        ErrorOf(bomb, small).find("/word/document.xml: the package inflates to more than 1 MB"),
        std::string::npos);
    Readers::Docx::DocxOptions strict;
    strict.maxRatio = 20;
    EXPECT_NE(ErrorOf(bomb, strict).find("compressed more than 20 to 1 (a zip bomb)"),
              std::string::npos);
    // The defaults refuse one repeated character, and let a long repetitive document through.
    EXPECT_NE(ErrorOf(bomb).find("compressed more than 200 to 1"), std::string::npos);
    std::string repetitive;
    for (int n = 0; repetitive.size() < (3u << 20); ++n)
        repetitive += Para("Paragraph " + std::to_string(n) + " of a long and repetitive report.");
    parts.body = repetitive;
    EXPECT_EQ(ErrorOf(parts.Build(true)), "");
}

TEST(DocxBadInput, DamagedEntriesAreCaughtByTheirChecksum) {
    std::string package = Minimal();
    const size_t at = package.find("Hello");
    ASSERT_NE(at, std::string::npos);
    package[at] = 'J';
    EXPECT_EQ(ErrorOf(package),
              "test.docx: /word/document.xml: damaged zip entry (checksum mismatch)");
}

TEST(DocxBadInput, DeepNestingIsRefusedWithoutExhaustingTheStack) {
    std::string body;
    for (int i = 0; i < 100000; ++i)
        body += "<w:sdt><w:sdtContent>";
    body += Para("deep");
    for (int i = 0; i < 100000; ++i)
        body += "</w:sdtContent></w:sdt>";
    Parts parts;
    parts.body = body;
    const std::string message = ErrorOf(parts.Build());
    EXPECT_NE(message.find("/word/document.xml:2: elements nested more than"), std::string::npos)
        << message;
    // Inline containers count as well.
    std::string inline_ = "<w:p>";
    for (int i = 0; i < 5000; ++i)
        inline_ += "<w:ins>";
    for (int i = 0; i < 5000; ++i)
        inline_ += "</w:ins>";
    parts.body = inline_ + "</w:p>";
    EXPECT_NE(ErrorOf(parts.Build()).find("nested more than"), std::string::npos);
}

TEST(DocxBadInput, RandomDamageNeverEscapesAsAnythingButInputError) {
    Parts parts;
    parts.body =
        Para("Text", "Heading1") +
        "<w:p><w:pPr><w:numPr><w:ilvl w:val=\"0\"/><w:numId w:val=\"1\"/></w:numPr></w:pPr>"
        "<w:r><w:t>item</w:t></w:r></w:p>"
        "<w:tbl><w:tblGrid><w:gridCol w:w=\"100\"/></w:tblGrid><w:tr><w:tc>" +
        Para("cell") + "</w:tc></w:tr></w:tbl>";
    parts.numbering = "<w:abstractNum w:abstractNumId=\"0\"><w:lvl w:ilvl=\"0\"><w:numFmt "
                      "w:val=\"decimal\"/><w:lvlText w:val=\"%1.\"/></w:lvl></w:abstractNum>"
                      "<w:num w:numId=\"1\"><w:abstractNumId w:val=\"0\"/></w:num>";
    for (const bool deflate : {false, true}) {
        const std::string good = parts.Build(deflate);
        std::mt19937 random(7);
        for (int round = 0; round < 300; ++round) {
            std::string bad = good;
            for (int flips = 0; flips < 1 + round % 4; ++flips)
                bad[random() % bad.size()] = static_cast<char>(random());
            try {
                Readers::Docx::ReadDocx(bad, "test.docx");
            } catch (const Readers::InputError& e) {
                EXPECT_TRUE(OneLine(e.what())) << e.what();
            }
        }
    }
}

TEST(DocxBadInput, DamagedMarkupInsideIntactPackagesNeverEscapesAsAnythingButInputError) {
    const std::string body =
        "<w:p><w:pPr><w:pStyle w:val=\"Heading1\"/><w:numPr><w:ilvl w:val=\"1\"/><w:numId "
        "w:val=\"1\"/></w:numPr></w:pPr><w:bookmarkStart w:id=\"0\" w:name=\"b\"/><w:r><w:rPr>"
        "<w:b/><w:sz w:val=\"30\"/></w:rPr><w:t>Head</w:t></w:r></w:p><w:p><w:hyperlink "
        "w:anchor=\"b\"><w:r><w:t>link</w:t></w:r></w:hyperlink><w:r><w:fldChar "
        "w:fldCharType=\"begin\"/></w:r><w:r><w:instrText>REF b</w:instrText></w:r><w:r><w:fldChar "
        "w:fldCharType=\"separate\"/></w:r><w:r><w:t>ref</w:t></w:r><w:r><w:fldChar "
        "w:fldCharType=\"end\"/></w:r><w:r><w:footnoteReference w:id=\"1\"/></w:r></w:p><w:tbl>"
        "<w:tblGrid><w:gridCol w:w=\"100\"/><w:gridCol "
        "w:w=\"100\"/></w:tblGrid><w:tr><w:tc><w:tcPr>"
        "<w:gridSpan w:val=\"2\"/></w:tcPr><w:p/></w:tc></w:tr><w:tr><w:tc><w:tcPr><w:vMerge "
        "w:val=\"restart\"/></w:tcPr><w:p/></w:tc><w:tc><w:p/></w:tc></w:tr><w:tr><w:tc><w:tcPr>"
        "<w:vMerge/></w:tcPr><w:p/></w:tc></w:tr></w:tbl><w:p><m:oMath><m:f><m:num><m:r><m:t>1"
        "</m:t></m:r></m:num><m:den><m:r><m:t>2</m:t></m:r></m:den></m:f></m:oMath></w:p>";
    std::mt19937 random(11);
    const std::string alphabet = "<>/=\"' &;:wxp0123456789-";
    for (int round = 0; round < 1500; ++round) {
        std::string damaged = body;
        for (int edits = 0; edits < 1 + round % 5; ++edits) {
            const size_t at = random() % damaged.size();
            switch (random() % 3) {
            case 0:
                damaged[at] = alphabet[random() % alphabet.size()];
                break;
            case 1:
                damaged.erase(at, 1 + random() % 8);
                break;
            default:
                damaged.insert(at, damaged.substr(random() % damaged.size(), 1 + random() % 40));
            }
        }
        Parts parts;
        parts.body = damaged;
        parts.numbering =
            "<w:abstractNum w:abstractNumId=\"0\"><w:lvl w:ilvl=\"1\"><w:numFmt "
            "w:val=\"lowerRoman\"/><w:lvlText w:val=\"%1.%2\"/></w:lvl></w:abstractNum>"
            "<w:num w:numId=\"1\"><w:abstractNumId w:val=\"0\"/></w:num>";
        parts.footnotes = "<w:footnote w:id=\"1\">" + Para("note") + "</w:footnote>";
        try {
            Readers::Docx::ReadDocx(parts.Build(), "test.docx");
        } catch (const Readers::InputError& e) {
            EXPECT_TRUE(OneLine(e.what())) << e.what();
        }
    }
}

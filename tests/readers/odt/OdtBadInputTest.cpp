// SPDX-License-Identifier: MIT
// Every damaged or hostile OpenDocument file gives one InputError naming the file and the place,
// never a crash and never a half-read document.

#include "readers/odt/OdtDocs.h"

#include "readers/docx/DocxPackage.h"

#include <gtest/gtest.h>

using namespace OdtTest;

namespace {

bool OneLine(const std::string& message) {
    return !message.empty() && message.find('\n') == std::string::npos;
}

std::string Content(const std::string& xml) {
    return DocxTest::Zip(
        {{"mimetype", "application/vnd.oasis.opendocument.text"}, {"content.xml", xml}});
}

} // namespace

TEST(OdtBadInput, FilesThatAreNoOpenDocumentTextAreRefusedByName) {
    EXPECT_EQ(ErrorOf("PK not a zip at all, but long enough for a directory"),
              "test.odt: not a zip archive (no central directory)");
    EXPECT_EQ(ErrorOf(DocxTest::Zip({{"mimetype", "application/vnd.oasis.opendocument.text"},
                                     {"styles.xml", "<x/>"}})),
              "test.odt: content.xml: missing from the package: not an OpenDocument text");
    EXPECT_EQ(ErrorOf(DocxTest::Zip({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                                     {"content.xml", ""}})),
              "test.odt: mimetype: an OpenDocument package of another kind "
              "(application/vnd.oasis.opendocument.spreadsheet)");
    // A web page saved by the word processor is a text all the same.
    EXPECT_EQ(ErrorOf(DocxTest::Zip({{"mimetype", "application/vnd.oasis.opendocument.text-web"},
                                     {"content.xml", "<x/>"}})),
              "test.odt: content.xml: not OpenDocument content (its root is <x>)");
    EXPECT_EQ(ErrorOf(Content("<html/>")),
              "test.odt: content.xml: not OpenDocument content (its root is <html>)");
    EXPECT_EQ(ErrorOf("<?xml version=\"1.0\"?>\n<html/>"),
              "test.odt: not an OpenDocument text (its root is <html>)");
    // Malformed XML names its line; a flat file has no part.
    EXPECT_EQ(ErrorOf("<?xml version=\"1.0\"?>\n<office:document>\n<a></b>"),
              "test.odt:3: malformed XML: Start-end tags mismatch");
    const std::string whole = Odt("<text:p>Hello</text:p>");
    EXPECT_TRUE(OneLine(ErrorOf(whole.substr(0, whole.size() / 2))));
    // Encrypted packages say so.
    const std::string encrypted = DocxTest::Zip(
        {{"mimetype", "application/vnd.oasis.opendocument.text"},
         {"META-INF/manifest.xml",
          "<manifest:manifest "
          "xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\">"
          "<manifest:file-entry manifest:full-path=\"content.xml\"><manifest:encryption-data/>"
          "</manifest:file-entry></manifest:manifest>"},
         {"content.xml", "garbage"}});
    EXPECT_EQ(ErrorOf(encrypted), "test.odt: content.xml: encrypted documents are not supported");
}

TEST(OdtBadInput, DoctypesInvalidUtf8AndDeepNestingAreRefused) {
    const std::string dtd = "<?xml version=\"1.0\"?>\n<!DOCTYPE x [<!ENTITY a \"aaaa\">]>\n"
                            "<office:document-content/>";
    EXPECT_EQ(ErrorOf(Content(dtd)), "test.odt: content.xml: XML with a document type "
                                     "declaration (DTD) is refused: its entities are never "
                                     "resolved");
    EXPECT_EQ(ErrorOf(Fodt("<text:p>x</text:p>").insert(0, "<!DOCTYPE x>")),
              "test.odt: XML with a document type declaration (DTD) is refused: its entities are "
              "never resolved");
    EXPECT_EQ(ErrorOf(Fodt("<text:p>caf\xE9</text:p>")),
              "test.odt:6: not UTF-8 text (an invalid byte sequence)");
    // 100,000 lists inside one another: refused at the nesting limit, not by the stack.
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<text:list><text:list-item>";
    deep += "<text:p>x</text:p>";
    for (int i = 0; i < 100000; ++i)
        deep += "</text:list-item></text:list>";
    const std::string message = ErrorOf(Odt(deep, {}, {}, {}, false));
    EXPECT_NE(message.find("test.odt: content.xml:2: elements nested more than"), std::string::npos)
        << message;
    std::string spans;
    for (int i = 0; i < 100000; ++i)
        spans += "<text:span>";
    spans += "x";
    for (int i = 0; i < 100000; ++i)
        spans += "</text:span>";
    EXPECT_TRUE(OneLine(ErrorOf(Fodt("<text:p>" + spans + "</text:p>"))));
}

TEST(OdtBadInput, ZipBombsAreRefusedBeforeInflating) {
    // 20 MB of one character in content.xml.
    std::string huge = "<office:document-content><office:body><office:text><text:p>";
    huge.append(size_t{20} << 20, 'a');
    huge += "</text:p></office:text></office:body></office:document-content>";
    const std::string bomb = Content(huge);
    Readers::Odt::OdtOptions options;
    EXPECT_EQ(ErrorOf(DocxTest::Zip({{"mimetype", "application/vnd.oasis.opendocument.text"},
                                     {"content.xml", huge}},
                                    true),
                      options),
              "test.odt: /content.xml: compressed more than 200 to 1 (a zip bomb)");
    options.maxInflatedBytes = 1 << 20;
    EXPECT_EQ(ErrorOf(bomb, options), "test.odt: /content.xml: the package inflates to more than "
                                      "1 MB (a zip bomb, or a document too large to convert)");
}

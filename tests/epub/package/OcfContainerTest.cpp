// SPDX-License-Identifier: MIT
#include "epub/package/OcfContainer.h"

#include "tests/support/FakeZipArchive.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

using EPub::AddEncryption;
using EPub::AddMimeType;
using EPub::EmbeddedFonts;
using Foundation::MakeCounted;
using Testing::FakeZipArchive;

namespace {

std::string EncryptionXml(std::initializer_list<std::string_view> paths) {
    std::string text = "<encryption xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\" "
                       "xmlns:enc=\"http://www.w3.org/2001/04/xmlenc#\">\n";
    for (const auto path : paths)
        text += "<enc:EncryptedData>\n"
                "<enc:EncryptionMethod Algorithm=\"http://www.idpf.org/2008/embedding\" />"
                "<enc:CipherData>\n"
                "<enc:CipherReference URI=\"" +
                std::string(path) + "\"/>\n</enc:CipherData>\n</enc:EncryptedData>\n";
    return text + "</encryption>\n";
}

// mimetype, a document and two fonts, as the exporter leaves the archive before the end.
Foundation::Counted<FakeZipArchive> ArchiveWithFonts() {
    auto zip = MakeCounted<FakeZipArchive>();
    for (const char* path :
         {"mimetype", "OEBPS/Story1.xhtml", "OEBPS/font/Name.ttf", "OEBPS/font/Name-1.ttf"})
        EPub::AddEntry(*zip, path);
    return zip;
}

void ExpectPlainEntry(const FakeZipArchive::Entry& e) {
    EXPECT_TRUE(e.compress);
    EXPECT_FALSE(e.modified.has_value());
    EXPECT_EQ(e.attributes, 0x81B6u);
    EXPECT_TRUE(e.complete);
}

} // namespace

TEST(OcfContainer, MimeTypeAndContainerDocument) {
    auto zip = MakeCounted<FakeZipArchive>();
    ASSERT_TRUE(AddMimeType(*zip));
    ASSERT_TRUE(EPub::AddContainer(*zip, "OEBPS"));
    ASSERT_TRUE(EPub::AddContainer(*zip, "OEBPS/"));

    ASSERT_EQ(zip->size(), 3u);
    EXPECT_EQ(zip->Path(0), "mimetype");
    EXPECT_EQ(zip->Entries()[0].data, "application/epub+zip");
    for (const auto& entry : zip->Entries())
        ExpectPlainEntry(entry);
    for (const size_t i : {1, 2}) {
        EXPECT_EQ(zip->Path(i), "META-INF/container.xml");
        EXPECT_EQ(zip->Entries()[i].data,
                  "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                  "<container xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\" "
                  "version=\"1.0\">\n<rootfiles>\n"
                  "<rootfile full-path=\"OEBPS/package.opf\" "
                  "media-type=\"application/oebps-package+xml\"/>\n"
                  "</rootfiles>\n</container>\n");
    }
}

TEST(OcfContainer, EncryptionListsFontsByTheirEntryPaths) {
    auto zip = ArchiveWithFonts();
    ASSERT_TRUE(AddEncryption(*zip, EmbeddedFonts{{"Name.ttf", 2}, {"Name.ttf", 3}}));
    const auto* entry = zip->Find("META-INF/encryption.xml");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->data, EncryptionXml({"OEBPS/font/Name.ttf", "OEBPS/font/Name-1.ttf"}));
    ExpectPlainEntry(*entry);

    // The font list's own order; unwritten and unknown record numbers are skipped.
    auto ordered = ArchiveWithFonts();
    const size_t order[] = {2, 0, 3, 1, 9};
    ASSERT_TRUE(AddEncryption(
        *ordered, EmbeddedFonts{{"Name.ttf", 2}, {"Name.ttf", 3}, {"Broken.ttf", 0}}, order));
    EXPECT_EQ(ordered->Find("META-INF/encryption.xml")->data,
              EncryptionXml({"OEBPS/font/Name-1.ttf", "OEBPS/font/Name.ttf"}));
}

TEST(OcfContainer, NoEncryptionDocumentWithoutEmbeddedFonts) {
    auto zip = ArchiveWithFonts();
    EXPECT_TRUE(AddEncryption(*zip, {}));
    EXPECT_TRUE(AddEncryption(*zip, EmbeddedFonts{{"Broken.ttf", 0}, {"Lost.ttf", 42}}));
    EXPECT_FALSE(zip->Exists("META-INF/encryption.xml"));
}

TEST(OcfContainer, EncryptionStaysWellFormedForAwkwardFileNames) {
    auto zip = ArchiveWithFonts();
    EPub::AddEntry(*zip, "OEBPS/font/Tom & \"Jerry\".ttf");
    ASSERT_TRUE(AddEncryption(*zip, EmbeddedFonts{{"Tom & \"Jerry\".ttf", 4}}));
    pugi::xml_document doc;
    const auto& text = zip->Find("META-INF/encryption.xml")->data;
    ASSERT_TRUE(doc.load_buffer(text.data(), text.size()));
    // A URI: percent-encoded, with "&" escaped for XML.
    EXPECT_STREQ(doc.select_node("//enc:CipherReference").node().attribute("URI").value(),
                 "OEBPS/font/Tom%20&%20%22Jerry%22.ttf");
}

TEST(OcfContainer, ReportsArchiveFailures) {
    auto refusing = MakeCounted<FakeZipArchive>();
    refusing->RefuseAdd(true);
    EXPECT_FALSE(AddMimeType(*refusing));
    EXPECT_FALSE(EPub::AddContainer(*refusing, "OEBPS"));

    auto truncating = ArchiveWithFonts();
    truncating->SetWriteLimit(10);
    EXPECT_FALSE(AddMimeType(*truncating));
    EXPECT_FALSE(EPub::AddContainer(*truncating, "OEBPS"));
    EXPECT_FALSE(AddEncryption(*truncating, EmbeddedFonts{{"Name.ttf", 2}}));
}

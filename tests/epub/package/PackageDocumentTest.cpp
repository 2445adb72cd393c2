// SPDX-License-Identifier: MIT
#include "epub/package/PackageDocument.h"

#include "epub/options/AccessibilityMetadata.h"
#include "epub/options/ExportSettings.h"
#include "epub/options/FlowingEPubOptions.h"

#include <gtest/gtest.h>

using namespace EPub;

namespace {

struct Package {
    Counted<ExportSettings> settings = Foundation::MakeCounted<ExportSettings>();
    Counted<FlowingEPubOptions> options = Foundation::MakeCounted<FlowingEPubOptions>(
        Render::FileExportOptionsVector::Preset::Standard);
    PublicationManifest manifest;
    std::vector<StringT> fonts;
    int clock = 0;

    std::string Write() {
        // A new time per row shows that each row asks the clock itself.
        const PackageDocumentInput in{
            *settings,
            *options,
            manifest,
            fonts,
            "OEBPS/",
            "toc.xhtml",
            "css/images.css",
            false,
            "de",
            "Test 1.0",
            [this] { return StringT::Format("2026-12-0%1T10:00:00Z", ++clock); },
            [](std::string_view, std::string_view text) { return StringT(text); }};
        Foundation::MemoryOutStream out;
        WritePackageDocument(out, in);
        return out.Data();
    }
};

std::string Between(const std::string& text, const std::string& from, const std::string& to) {
    const size_t a = text.find(from);
    const size_t b = text.find(to, a);
    return a == std::string::npos || b == std::string::npos ? std::string()
                                                            : text.substr(a, b + to.size() - a);
}

} // namespace

TEST(PackageDocument, HeadAndFullyPopulatedMetadata) {
    Package p;
    auto& s = *p.settings;
    s.identifier = "978-3-16-148410-0";
    s.identifierType = 2;
    s.title = "Fish & <Chips>";
    s.author = "Ann \"A\" Author";
    s.description = "Desc";
    s.rights = "Rights";
    s.subject = "Subject";
    s.publisher = "Pub";
    s.illustrator = "Ill";
    s.iBooksVersion = "1.0";
    s.accessibility = Foundation::MakeCounted<AccessibilityMetadata>();
    s.accessibility->SetSummary("Sum");
    p.options->SetPaginationSourceType(PaginationSourceType::ISBN);
    p.options->SetPaginationSource("URN:ISBN:9783161484100");
    p.manifest.coverImageId = "cover_image";

    const std::string opf = p.Write();
    EXPECT_EQ(opf.substr(0, opf.find("<dc:identifier")),
              "<?xml version='1.0' encoding='utf-8' standalone='yes'?>\n"
              "<package version=\"3.0\" xmlns=\"http://www.idpf.org/2007/opf\" "
              "unique-identifier=\"pub-id\" prefix=\"rendition: "
              "http://www.idpf.org/vocab/rendition/# ibooks: "
              "http://vocabulary.itunes.apple.com/rdf/ibooks/vocabulary-extensions-1.0/\" "
              "xml:lang=\"en\">\n"
              "<metadata xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
              "xmlns:opf=\"http://www.idpf.org/2007/opf\">\n");
    EXPECT_EQ(Between(opf, "<dc:identifier", "</metadata>\n"),
              "<dc:identifier id=\"pub-id\">978-3-16-148410-0</dc:identifier>\n"
              "<meta refines=\"#pub-id\" property=\"identifier-type\" "
              "scheme=\"onix:codelist5\">15</meta>\n"
              "<dc:title>Fish &amp; &lt;Chips&gt;</dc:title>\n"
              "<dc:date>2026-12-01T10:00:00Z</dc:date>\n"
              "<meta property=\"schema:accessibilitySummary\">Sum</meta>\n"
              "<meta property=\"dcterms:modified\">2026-12-02T10:00:00Z</meta>\n"
              "<meta property=\"rendition:layout\">reflowable</meta>\n"
              "<meta property=\"rendition:flow\">paginated</meta>\n"
              "<dc:creator id=\"creator\">Ann &quot;A&quot; Author</dc:creator>\n"
              "<meta refines=\"#creator\" property=\"role\" scheme=\"marc:relators\">aut</meta>\n"
              "<dc:description>Desc</dc:description>\n"
              "<dc:rights>Rights</dc:rights>\n"
              "<dc:subject>Subject</dc:subject>\n"
              "<dc:publisher>Pub</dc:publisher>\n"
              "<dc:creator id=\"illustrator\">Ill</dc:creator>\n"
              "<meta refines=\"#illustrator\" property=\"role\" "
              "scheme=\"marc:relators\">ill</meta>\n"
              "<meta name=\"generator\" content=\"Test 1.0\"/>\n"
              "<dc:language>de</dc:language>\n"
              "<meta name=\"cover\" content=\"cover_image\"/>\n"
              "<meta property=\"ibooks:specified-fonts\">true</meta>\n"
              "<meta property=\"ibooks:version\">1.0</meta>\n"
              "<meta property=\"pageBreakSource\">URN:ISBN:9783161484100</meta>\n"
              "<dc:source>9783161484100</dc:source>\n"
              "</metadata>\n");
}

TEST(PackageDocument, ManifestSpineAndGuide) {
    Package p;
    p.settings->identifier = "urn:uuid:x";
    p.manifest.coverDocument = "cover.xhtml";
    p.manifest.hasCover = true;
    p.manifest.contentDocuments = {"a.xhtml", "text/b.xhtml"};
    p.manifest.furtherDocuments = {"extra.xhtml"};
    p.manifest.styleSheets = {"css/styles.css", "css/images.css", "css/mine.css"};
    p.manifest.images = {{"images/Cover.png", StreamType::PNG},
                         {"images/a&b.jpg", StreamType::JPEG},
                         {"images/d.svg", StreamType::SVG}};
    p.manifest.coverImageName = "images/Cover.png";
    p.manifest.coverImageId = "cover_image";
    p.fonts = {"OEBPS/font/1Font.ttf", "OEBPS/font/Serif.otf"};
    p.options->SetPaginationSourceType(PaginationSourceType::Other);
    p.options->SetPaginationSource("Print & co");

    const std::string opf = p.Write();
    EXPECT_NE(opf.find("<meta property=\"pageBreakSource\">Print &amp; co</meta>\n"
                       "<dc:source>Print &amp; co</dc:source>\n"),
              std::string::npos);
    // Without image styles the image sheet is left out of the manifest.
    EXPECT_EQ(Between(opf, "<manifest>", "</manifest>\n"),
              "<manifest>\n"
              "<item id=\"cover\" href=\"cover.xhtml\" media-type=\"application/xhtml+xml\" />\n"
              "<item id=\"a\" href=\"a.xhtml\" media-type=\"application/xhtml+xml\"/>\n"
              "<item id=\"b\" href=\"text/b.xhtml\" media-type=\"application/xhtml+xml\"/>\n"
              "<item id=\"extra\" href=\"extra.xhtml\" media-type=\"application/xhtml+xml\"/>\n"
              "<item id=\"styles\" href=\"css/styles.css\" media-type=\"text/css\"/>\n"
              "<item id=\"mine\" href=\"css/mine.css\" media-type=\"text/css\"/>\n"
              "<item id=\"_1Font.ttf\" href=\"font/1Font.ttf\" "
              "media-type=\"application/font-sfnt\"/>\n"
              "<item id=\"Serif.otf\" href=\"font/Serif.otf\" "
              "media-type=\"application/font-sfnt\"/>\n"
              "<item id=\"cover_image\" href=\"images/Cover.png\" media-type=\"image/png\" "
              "properties=\"cover-image\"/>\n"
              "<item id=\"image_1\" href=\"images/a&amp;b.jpg\" media-type=\"image/jpeg\"/>\n"
              "<item id=\"image_2\" href=\"images/d.svg\" media-type=\"image/svg+xml\"/>\n"
              "<item id=\"toc\" href=\"toc.xhtml\" media-type=\"application/xhtml+xml\" "
              "properties=\"nav\"/>\n"
              "</manifest>\n");
    const std::string spine = Between(opf, "<spine", "</spine>\n");
    EXPECT_EQ(spine.find("toc="), std::string::npos) << spine;
    EXPECT_LT(spine.find("\"cover\""), spine.find("\"a\""));
    EXPECT_NE(opf.find("<guide>"), std::string::npos);

    p.manifest.hasCover = false;
    EXPECT_EQ(p.Write().find("<guide>"), std::string::npos);
}

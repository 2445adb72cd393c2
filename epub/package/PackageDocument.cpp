#include "epub/package/PackageDocument.h"

#include "epub/content/TextEncoding.h"
#include "epub/options/AccessibilityMetadata.h"
#include "epub/options/ExportSettings.h"
#include "epub/options/FlowingEPubOptions.h"

namespace EPub {

namespace {

using Foundation::OutStream;

constexpr std::string_view kHead =
    "<?xml version='1.0' encoding='utf-8' standalone='yes'?>\n"
    "<package version=\"3.0\" xmlns=\"http://www.idpf.org/2007/opf\" unique-identifier=\"pub-id\" "
    "prefix=\"rendition: http://www.idpf.org/vocab/rendition/# "
    "ibooks: http://vocabulary.itunes.apple.com/rdf/ibooks/vocabulary-extensions-1.0/\" "
    "xml:lang=\"en\">\n"
    "<metadata xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
    "xmlns:opf=\"http://www.idpf.org/2007/opf\">\n";

void WriteElement(OutStream& out, std::string_view open, std::string_view value,
                  std::string_view close) {
    out << open << XMLEncode(value) << close;
}

void WriteOptional(OutStream& out, std::string_view open, const StringT& value,
                   std::string_view close) {
    if (!value.empty())
        WriteElement(out, open, value, close);
}

void WritePageBreakSource(OutStream& out, const FlowingEPubOptions& options) {
    const StringT& source = options.GetPaginationSource();
    if (options.GetPaginationSourceType() == PaginationSourceType::None || source.empty())
        return;
    StringT bare = source;
    if (options.GetPaginationSourceType() == PaginationSourceType::ISBN) {
        constexpr std::string_view prefix = "urn:isbn:";
        StringT prefixed;
        if (source.FindNoCase(prefix) == 0) {
            prefixed = source;
            bare = source.Substr(prefix.size());
        } else {
            prefixed = StringT(prefix) + source;
        }
        out << "<meta property=\"pageBreakSource\">" << prefixed << "</meta>\n";
    } else {
        WriteElement(out, "<meta property=\"pageBreakSource\">", source, "</meta>\n");
    }
    WriteElement(out, "<dc:source>", bare, "</dc:source>\n");
}

void WriteMetadata(OutStream& out, const PackageDocumentInput& in) {
    const ExportSettings& s = in.settings;
    WriteElement(out, "<dc:identifier id=\"pub-id\">", s.identifier, "</dc:identifier>\n");
    if (s.identifierType == 2)
        out << "<meta refines=\"#pub-id\" property=\"identifier-type\" "
               "scheme=\"onix:codelist5\">15</meta>\n";
    WriteElement(out, "<dc:title>", s.title, "</dc:title>\n");
    out << "<dc:date>" << in.currentTime() << "</dc:date>\n";
    if (s.accessibility)
        s.accessibility->Describe("", out);
    out << "<meta property=\"dcterms:modified\">" << in.currentTime() << "</meta>\n";
    out << "<meta property=\"rendition:layout\">reflowable</meta>\n";
    out << "<meta property=\"rendition:flow\">paginated</meta>\n";
    if (!s.author.empty()) {
        WriteElement(out, "<dc:creator id=\"creator\">", s.author, "</dc:creator>\n");
        out << "<meta refines=\"#creator\" property=\"role\" scheme=\"marc:relators\">aut</meta>\n";
    }
    WriteOptional(out, "<dc:description>", s.description, "</dc:description>\n");
    WriteOptional(out, "<dc:rights>", s.rights, "</dc:rights>\n");
    WriteOptional(out, "<dc:subject>", s.subject, "</dc:subject>\n");
    WriteOptional(out, "<dc:publisher>", s.publisher, "</dc:publisher>\n");
    if (!s.illustrator.empty()) {
        WriteElement(out, "<dc:creator id=\"illustrator\">", s.illustrator, "</dc:creator>\n");
        out << "<meta refines=\"#illustrator\" property=\"role\" "
               "scheme=\"marc:relators\">ill</meta>\n";
    }
    out << "<meta name=\"generator\" content=\"" << in.generator << "\"/>\n";
    out << "<dc:language>" << in.dominantLanguage << "</dc:language>\n";
    if (!in.manifest.coverImageId.empty())
        out << "<meta name=\"cover\" content=\"" << in.manifest.coverImageId << "\"/>\n";
    out << "<meta property=\"ibooks:specified-fonts\">true</meta>\n";
    WriteOptional(out, "<meta property=\"ibooks:version\">", s.iBooksVersion, "</meta>\n");
    WritePageBreakSource(out, in.options);
    out << "</metadata>\n";
}

void WriteDocumentItem(OutStream& out, const StringT& name) {
    out << "<item id=\"" << DocumentStem(name) << "\" href=\"" << name
        << "\" media-type=\"application/xhtml+xml\"/>\n";
}

StringT FontItemId(const StringT& path) {
    StringT id = LastPathComponent(path);
    if (!id.empty() && id[0] >= '0' && id[0] <= '9')
        id = "_" + id;
    return id;
}

void WriteManifest(OutStream& out, const PackageDocumentInput& in) {
    const PublicationManifest& m = in.manifest;
    out << "<manifest>\n";
    if (m.hasCover)
        out << "<item id=\"" << DocumentStem(m.coverDocument) << "\" href=\"" << m.coverDocument
            << "\" media-type=\"application/xhtml+xml\" />\n";
    for (const StringT& name : m.contentDocuments)
        WriteDocumentItem(out, name);
    for (const StringT& name : m.furtherDocuments)
        WriteDocumentItem(out, name);
    for (const StringT& name : m.styleSheets) {
        if (name == in.imageCssPath && !in.hasImageStyles)
            continue;
        out << "<item id=\"" << DocumentStem(name) << "\" href=\"" << name
            << "\" media-type=\"text/css\"/>\n";
    }
    for (const StringT& path : in.fontPaths) {
        const StringT href =
            path.StartsWith(in.contentRoot) ? path.Substr(in.contentRoot.size()) : path;
        out << "<item id=\"" << FontItemId(path) << "\" href=\"" << href
            << "\" media-type=\"application/font-sfnt\"/>\n";
    }
    int imageNumber = 1;
    for (const ManifestImage& image : m.images) {
        const bool isCover = !m.coverImageName.empty() && image.name == m.coverImageName;
        const StringT id = isCover ? m.coverImageId : StringT::Format("image_%1", imageNumber++);
        out << "<item id=\"" << id << "\" href=\"" << XMLEncode(image.name) << "\" media-type=\""
            << ImageMediaType(image.type) << "\""
            << (isCover ? " properties=\"cover-image\"" : "") << "/>\n";
    }
    out << "<item id=\"toc\" href=\"" << in.navigationDocument
        << "\" media-type=\"application/xhtml+xml\" properties=\"nav\"/>\n";
    out << "</manifest>\n";
}

void WriteSpineAndGuide(OutStream& out, const PackageDocumentInput& in) {
    const PublicationManifest& m = in.manifest;
    out << "<spine>\n";
    if (m.hasCover)
        out << "<itemref idref=\"" << DocumentStem(m.coverDocument) << "\" linear=\"yes\" />\n";
    for (const auto* list : {&m.contentDocuments, &m.furtherDocuments})
        for (const StringT& name : *list)
            out << "<itemref idref=\"" << DocumentStem(name) << "\"/>\n";
    out << "</spine>\n";
    if (!m.hasCover)
        return;
    const StringT title = in.localise("EPUB:CoverTitle", "Cover");
    out << "<guide>\n<reference type=\"cover\" href=\"" << m.coverDocument << "\" title=\""
        << title << "\" />\n</guide>\n";
}

} // namespace

void WritePackageDocument(OutStream& out, const PackageDocumentInput& in) {
    out << kHead;
    WriteMetadata(out, in);
    WriteManifest(out, in);
    WriteSpineAndGuide(out, in);
    out << "</package>\n";
}

} // namespace EPub

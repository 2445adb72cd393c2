// SPDX-License-Identifier: MIT
#include "epub/package/PackageDocument.h"

#include "epub/options/AccessibilityMetadata.h"
#include "epub/options/ExportSettings.h"
#include "epub/options/FlowingEPubOptions.h"
#include "epub/package/PackageText.h"
#include "epub/xml/TextEncoding.h"

#include <map>

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
        WriteElement(out, "<meta property=\"pageBreakSource\">", prefixed, "</meta>\n");
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
    if (s.date.empty())
        out << "<dc:date>" << in.currentTime() << "</dc:date>\n";
    else
        WriteElement(out, "<dc:date>", s.date, "</dc:date>\n");
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
    WriteElement(out, "<meta name=\"generator\" content=\"", in.generator, "\"/>\n");
    WriteElement(out, "<dc:language>", in.dominantLanguage, "</dc:language>\n");
    if (!in.manifest.coverImageId.empty())
        out << "<meta name=\"cover\" content=\"" << in.manifest.coverImageId << "\"/>\n";
    out << "<meta property=\"ibooks:specified-fonts\">true</meta>\n";
    WriteOptional(out, "<meta property=\"ibooks:version\">", s.iBooksVersion, "</meta>\n");
    WritePageBreakSource(out, in.options);
    out << "</metadata>\n";
}

// Every item's id, worked out once so that the manifest and the spine agree.
struct ItemIds {
    StringT cover;
    std::map<StringT, StringT> documents; // content and further documents by name
    std::vector<StringT> styleSheets, fonts, images;
};

ItemIds MakeItemIds(const PackageDocumentInput& in) {
    const PublicationManifest& m = in.manifest;
    ManifestIds ids;
    ids.Reserve("toc");
    ids.Reserve("pub-id");
    ids.Reserve("creator");
    ids.Reserve("illustrator");
    if (!m.coverImageId.empty())
        ids.Reserve(m.coverImageId.view());
    ItemIds out;
    if (m.hasCover)
        out.cover = ids.Make(DocumentStem(m.coverDocument).view());
    for (const auto* list : {&m.contentDocuments, &m.furtherDocuments})
        for (const StringT& name : *list)
            out.documents.emplace(name, ids.Make(DocumentStem(name).view()));
    for (const StringT& name : m.styleSheets)
        out.styleSheets.push_back(ids.Make(DocumentStem(name).view()));
    for (const StringT& path : in.fontPaths)
        out.fonts.push_back(ids.Make(LastPathComponent(path).view()));
    int imageNumber = 1;
    for (const ManifestImage& image : m.images) {
        const bool isCover = !m.coverImageName.empty() && image.name == m.coverImageName;
        out.images.push_back(isCover ? m.coverImageId
                                     : ids.Make(StringT::Format("image_%1", imageNumber++).view()));
    }
    return out;
}

void WriteItem(OutStream& out, const StringT& id, std::string_view href, std::string_view mediaType,
               std::string_view properties = {}) {
    out << "<item id=\"" << id << "\" href=\"" << HrefText(href) << "\" media-type=\"" << mediaType
        << "\"";
    if (!properties.empty())
        out << " properties=\"" << properties << "\"";
    out << "/>\n";
}

void WriteManifest(OutStream& out, const PackageDocumentInput& in, const ItemIds& ids) {
    const PublicationManifest& m = in.manifest;
    out << "<manifest>\n";
    if (m.hasCover)
        out << "<item id=\"" << ids.cover << "\" href=\"" << HrefText(m.coverDocument.view())
            << "\" media-type=\"application/xhtml+xml\" />\n";
    for (const auto* list : {&m.contentDocuments, &m.furtherDocuments})
        for (const StringT& name : *list)
            WriteItem(out, ids.documents.at(name), name.view(), "application/xhtml+xml",
                      m.mathDocuments.contains(name) ? "mathml" : "");
    for (size_t i = 0; i < m.styleSheets.size(); ++i) {
        const StringT& name = m.styleSheets[i];
        if (name == in.imageCssPath && !in.hasImageStyles)
            continue;
        WriteItem(out, ids.styleSheets[i], name.view(), "text/css");
    }
    for (size_t i = 0; i < in.fontPaths.size(); ++i) {
        const StringT& path = in.fontPaths[i];
        const StringT href =
            path.StartsWith(in.contentRoot) ? path.Substr(in.contentRoot.size()) : path;
        WriteItem(out, ids.fonts[i], href.view(), "application/font-sfnt");
    }
    for (size_t i = 0; i < m.images.size(); ++i) {
        const ManifestImage& image = m.images[i];
        const bool isCover = !m.coverImageName.empty() && image.name == m.coverImageName;
        WriteItem(out, ids.images[i], image.name.view(), ImageMediaType(image.type),
                  isCover ? "cover-image" : "");
    }
    WriteItem(out, "toc", in.navigationDocument.view(), "application/xhtml+xml", "nav");
    out << "</manifest>\n";
}

void WriteSpineAndGuide(OutStream& out, const PackageDocumentInput& in, const ItemIds& ids) {
    const PublicationManifest& m = in.manifest;
    out << "<spine>\n";
    if (m.hasCover)
        out << "<itemref idref=\"" << ids.cover << "\" linear=\"yes\" />\n";
    for (const auto* list : {&m.contentDocuments, &m.furtherDocuments})
        for (const StringT& name : *list)
            out << "<itemref idref=\"" << ids.documents.at(name) << "\"/>\n";
    out << "</spine>\n";
    if (!m.hasCover)
        return;
    const StringT title = in.localise("EPUB:CoverTitle", "Cover");
    out << "<guide>\n<reference type=\"cover\" href=\"" << HrefText(m.coverDocument.view())
        << "\" title=\"" << XMLEncode(title.view()) << "\" />\n</guide>\n";
}

} // namespace

void WritePackageDocument(OutStream& out, const PackageDocumentInput& in) {
    out << kHead;
    WriteMetadata(out, in);
    const ItemIds ids = MakeItemIds(in);
    WriteManifest(out, in, ids);
    WriteSpineAndGuide(out, in, ids);
    out << "</package>\n";
}

} // namespace EPub

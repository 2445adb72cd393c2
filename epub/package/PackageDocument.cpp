// SPDX-License-Identifier: MIT
#include "epub/package/PackageDocument.h"

#include "epub/options/AccessibilityMetadata.h"
#include "epub/options/ExportSettings.h"
#include "epub/options/FlowingEPubOptions.h"
#include "epub/package/MediaType.h"
#include "epub/package/PackageText.h"
#include "epub/xml/XmlWriter.h"

#include <map>

namespace EPub {

namespace {

using Foundation::OutStream;

void Line(XmlWriter& x, std::string_view name, std::string_view text) {
    x.Element(name, text).Space("\n");
}

void Optional(XmlWriter& x, std::string_view name, const StringT& text) {
    if (!text.empty())
        Line(x, name, text.view());
}

// <meta property="..." + more attributes>text</meta>
void Meta(XmlWriter& x, std::string_view property, std::string_view text) {
    x.Open("meta").Attribute("property", property).Close().Text(text).End("meta").Space("\n");
}

// A creator with its role, refined by id.
void Creator(XmlWriter& x, std::string_view id, const StringT& name, std::string_view role) {
    x.Open("dc:creator").Attribute("id", id).Close().Text(name).End("dc:creator").Space("\n");
    x.Open("meta").Attribute("refines", "#" + std::string(id)).Attribute("property", "role");
    x.Attribute("scheme", "marc:relators").Close().Text(role).End("meta").Space("\n");
}

void WriteHead(XmlWriter& x) {
    x.Declare(XmlWriter::Declaration::StandaloneSingle).Open("package");
    x.Attribute("version", "3.0").Attribute("xmlns", "http://www.idpf.org/2007/opf");
    x.Attribute("unique-identifier", "pub-id");
    x.Attribute("prefix",
                "rendition: http://www.idpf.org/vocab/rendition/# ibooks: "
                "http://vocabulary.itunes.apple.com/rdf/ibooks/vocabulary-extensions-1.0/");
    x.Attribute("xml:lang", "en").Close().Space("\n").Open("metadata");
    x.Attribute("xmlns:dc", "http://purl.org/dc/elements/1.1/");
    x.Attribute("xmlns:opf", "http://www.idpf.org/2007/opf").Close().Space("\n");
}

void WritePageBreakSource(XmlWriter& x, const FlowingEPubOptions& options) {
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
        Meta(x, "pageBreakSource", prefixed.view());
    } else {
        Meta(x, "pageBreakSource", source.view());
    }
    Line(x, "dc:source", bare.view());
}

void WriteMetadata(XmlWriter& x, const PackageDocumentInput& in) {
    const ExportSettings& s = in.settings;
    x.Open("dc:identifier").Attribute("id", "pub-id").Close().Text(s.identifier);
    x.End("dc:identifier").Space("\n");
    if (s.identifierType == 2) {
        x.Open("meta").Attribute("refines", "#pub-id").Attribute("property", "identifier-type");
        x.Attribute("scheme", "onix:codelist5").Close().Text("15").End("meta").Space("\n");
    }
    Line(x, "dc:title", s.title.view());
    Line(x, "dc:date", (s.date.empty() ? in.currentTime() : s.date).view());
    if (s.accessibility) {
        Foundation::MemoryOutStream described;
        s.accessibility->Describe("", described);
        x.Fragment(described.Data());
    }
    Meta(x, "dcterms:modified", in.currentTime().view());
    Meta(x, "rendition:layout", "reflowable");
    Meta(x, "rendition:flow", "paginated");
    if (!s.author.empty())
        Creator(x, "creator", s.author, "aut");
    Optional(x, "dc:description", s.description);
    Optional(x, "dc:rights", s.rights);
    Optional(x, "dc:subject", s.subject);
    Optional(x, "dc:publisher", s.publisher);
    if (!s.illustrator.empty())
        Creator(x, "illustrator", s.illustrator, "ill");
    x.Open("meta").Attribute("name", "generator").Attribute("content", in.generator);
    x.CloseEmpty().Space("\n");
    Line(x, "dc:language", in.dominantLanguage.view());
    if (!in.manifest.coverImageId.empty()) {
        x.Open("meta").Attribute("name", "cover").Attribute("content", in.manifest.coverImageId);
        x.CloseEmpty().Space("\n");
    }
    Meta(x, "ibooks:specified-fonts", "true");
    if (!s.iBooksVersion.empty())
        Meta(x, "ibooks:version", s.iBooksVersion.view());
    WritePageBreakSource(x, in.options);
    x.End("metadata").Space("\n");
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

void WriteItem(XmlWriter& x, const StringT& id, std::string_view href, std::string_view mediaType,
               std::string_view properties = {}) {
    x.Open("item").Attribute("id", id).Path("href", href).Attribute("media-type", mediaType);
    if (!properties.empty())
        x.Attribute("properties", properties);
    x.CloseEmpty().Space("\n");
}

void WriteManifest(XmlWriter& x, const PackageDocumentInput& in, const ItemIds& ids) {
    const PublicationManifest& m = in.manifest;
    x.Open("manifest").Close().Space("\n");
    if (m.hasCover) {
        x.Open("item").Attribute("id", ids.cover).Path("href", m.coverDocument.view());
        x.Attribute("media-type", MediaTypeName(MediaType::XHTML)).CloseEmpty(true).Space("\n");
    }
    for (const auto* list : {&m.contentDocuments, &m.furtherDocuments})
        for (const StringT& name : *list)
            WriteItem(x, ids.documents.at(name), name.view(), MediaTypeName(MediaType::XHTML),
                      m.mathDocuments.contains(name) ? "mathml" : "");
    for (size_t i = 0; i < m.styleSheets.size(); ++i) {
        const StringT& name = m.styleSheets[i];
        if (name == in.imageCssPath && !in.hasImageStyles)
            continue;
        WriteItem(x, ids.styleSheets[i], name.view(), MediaTypeName(MediaType::CSS));
    }
    for (size_t i = 0; i < in.fontPaths.size(); ++i) {
        const StringT& path = in.fontPaths[i];
        const StringT href =
            path.StartsWith(in.contentRoot) ? path.Substr(in.contentRoot.size()) : path;
        WriteItem(x, ids.fonts[i], href.view(), MediaTypeName(MediaType::TTF));
    }
    for (size_t i = 0; i < m.images.size(); ++i) {
        const ManifestImage& image = m.images[i];
        const bool isCover = !m.coverImageName.empty() && image.name == m.coverImageName;
        WriteItem(x, ids.images[i], image.name.view(), ImageMediaType(image.type),
                  isCover ? "cover-image" : "");
    }
    WriteItem(x, "toc", in.navigationDocument.view(), MediaTypeName(MediaType::XHTML), "nav");
    x.End("manifest").Space("\n");
}

void WriteSpineAndGuide(XmlWriter& x, const PackageDocumentInput& in, const ItemIds& ids) {
    const PublicationManifest& m = in.manifest;
    x.Open("spine").Close().Space("\n");
    if (m.hasCover) {
        x.Open("itemref").Attribute("idref", ids.cover).Attribute("linear", "yes");
        x.CloseEmpty(true).Space("\n");
    }
    for (const auto* list : {&m.contentDocuments, &m.furtherDocuments})
        for (const StringT& name : *list)
            x.Open("itemref").Attribute("idref", ids.documents.at(name)).CloseEmpty().Space("\n");
    x.End("spine").Space("\n");
    if (!m.hasCover)
        return;
    const StringT title = in.localise("EPUB:CoverTitle", "Cover");
    x.Open("guide").Close().Space("\n").Open("reference").Attribute("type", "cover");
    x.Path("href", m.coverDocument.view()).Attribute("title", title).CloseEmpty(true);
    x.Space("\n").End("guide").Space("\n");
}

} // namespace

void WritePackageDocument(OutStream& out, const PackageDocumentInput& in) {
    XmlWriter x;
    WriteHead(x);
    WriteMetadata(x, in);
    const ItemIds ids = MakeItemIds(in);
    WriteManifest(x, in, ids);
    WriteSpineAndGuide(x, in, ids);
    x.End("package").Space("\n");
    out << x.View();
}

} // namespace EPub

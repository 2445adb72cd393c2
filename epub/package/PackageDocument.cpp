// SPDX-License-Identifier: MIT
#include "epub/package/PackageDocument.h"

#include "epub/options/AccessibilityMetadata.h"
#include "epub/options/ExportSettings.h"
#include "epub/options/FlowingEPubOptions.h"
#include "epub/package/MediaType.h"
#include "epub/package/PackageText.h"

#include <map>

namespace EPub {

namespace {

constexpr std::string_view kPrefix =
    "rendition: http://www.idpf.org/vocab/rendition/# ibooks: "
    "http://vocabulary.itunes.apple.com/rdf/ibooks/vocabulary-extensions-1.0/";

PackageMetadata MakeMetadata(const PackageDocumentInput& in) {
    const ExportSettings& s = in.settings;
    PackageMetadata m;
    PackageIdentifier id{"pub-id", s.identifier, {}};
    if (s.identifierType == 2)
        id.refinements.push_back({"identifier-type", "onix:codelist5", "15"});
    m.identifiers.push_back(std::move(id));
    m.titles.push_back(s.title);
    m.date = s.date.empty() ? in.currentTime() : s.date;
    if (s.accessibility) {
        Foundation::MemoryOutStream described;
        s.accessibility->Describe("", described);
        m.accessibility = described.Data();
    }
    m.modified = in.currentTime();
    m.renditionProperties = {{"rendition:layout", "reflowable"}, {"rendition:flow", "paginated"}};
    if (!s.author.empty())
        m.authors.push_back({s.author, "creator", "aut"});
    m.description = s.description;
    m.rights = s.rights;
    m.subject = s.subject;
    m.publisher = s.publisher;
    if (!s.illustrator.empty())
        m.contributors.push_back({s.illustrator, "illustrator", "ill"});
    m.generator = in.generator;
    m.languages.push_back(in.dominantLanguage);
    m.coverImageId = in.manifest.coverImageId;
    m.readerProperties.push_back({"ibooks:specified-fonts", "true"});
    if (!s.iBooksVersion.empty())
        m.readerProperties.push_back({"ibooks:version", s.iBooksVersion});
    m.SetPageSource(in.options.GetPaginationSourceType(), in.options.GetPaginationSource());
    return m;
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

std::vector<ManifestItem> MakeManifest(const PackageDocumentInput& in, const ItemIds& ids) {
    const PublicationManifest& m = in.manifest;
    const std::string_view xhtml = MediaTypeName(MediaType::XHTML);
    std::vector<ManifestItem> items;
    if (m.hasCover)
        items.push_back({ids.cover, {m.coverDocument}, xhtml, {}});
    for (const auto* list : {&m.contentDocuments, &m.furtherDocuments})
        for (const StringT& name : *list)
            items.push_back({ids.documents.at(name),
                             {name},
                             xhtml,
                             m.mathDocuments.contains(name) ? "mathml" : ""});
    for (size_t i = 0; i < m.styleSheets.size(); ++i) {
        const StringT& name = m.styleSheets[i];
        if (name == in.imageCssPath && !in.hasImageStyles)
            continue;
        items.push_back({ids.styleSheets[i], {name}, MediaTypeName(MediaType::CSS), {}});
    }
    for (size_t i = 0; i < in.fontPaths.size(); ++i) {
        const StringT& path = in.fontPaths[i];
        const StringT href =
            path.StartsWith(in.contentRoot) ? path.Substr(in.contentRoot.size()) : path;
        items.push_back({ids.fonts[i], {href}, MediaTypeName(MediaType::TTF), {}});
    }
    for (size_t i = 0; i < m.images.size(); ++i) {
        const ManifestImage& image = m.images[i];
        const bool isCover = !m.coverImageName.empty() && image.name == m.coverImageName;
        items.push_back({ids.images[i],
                         {image.name},
                         ImageMediaType(image.type),
                         isCover ? "cover-image" : ""});
    }
    items.push_back({"toc", {in.navigationDocument}, xhtml, "nav"});
    return items;
}

std::vector<SpineItem> MakeSpine(const PackageDocumentInput& in, const ItemIds& ids) {
    const PublicationManifest& m = in.manifest;
    std::vector<SpineItem> spine;
    if (m.hasCover)
        spine.push_back({ids.cover, SpineLinear::Yes});
    for (const auto* list : {&m.contentDocuments, &m.furtherDocuments})
        for (const StringT& name : *list)
            spine.push_back({ids.documents.at(name)});
    return spine;
}

} // namespace

PackageModel MakePackageModel(const PackageDocumentInput& in) {
    PackageModel p;
    p.declaration = XmlWriter::Declaration::StandaloneSingle;
    p.prefix = kPrefix;
    p.lang = "en";
    p.opfNamespace = true;
    p.metadata = MakeMetadata(in);
    const ItemIds ids = MakeItemIds(in);
    p.manifest = MakeManifest(in, ids);
    p.spine = MakeSpine(in, ids);
    if (!in.manifest.hasCover)
        return p;
    p.coverDocumentId = ids.cover;
    p.guide.push_back(
        {"cover", in.localise("EPUB:CoverTitle", "Cover"), {in.manifest.coverDocument}});
    return p;
}

void WritePackageDocument(Foundation::OutStream& out, const PackageDocumentInput& in) {
    out << WritePackage(MakePackageModel(in));
}

} // namespace EPub

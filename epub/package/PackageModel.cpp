// SPDX-License-Identifier: MIT
#include "epub/package/PackageModel.h"

#include "epub/options/FlowingEPubOptions.h"

namespace EPub {

namespace {

void Line(XmlWriter& x, std::string_view name, const StringT& text) {
    x.Element(name, text.view()).Space("\n");
}

void Optional(XmlWriter& x, std::string_view name, const StringT& text) {
    if (!text.empty())
        Line(x, name, text);
}

void Meta(XmlWriter& x, const StringT& property, const StringT& text) {
    x.Open("meta").Attribute("property", property).Close().Text(text).End("meta").Space("\n");
}

void NamedMeta(XmlWriter& x, std::string_view name, const StringT& content) {
    x.Open("meta").Attribute("name", name).Attribute("content", content).CloseEmpty().Space("\n");
}

void Refines(XmlWriter& x, const StringT& id, const PackageRefinement& r) {
    x.Open("meta").Attribute("refines", "#" + id.str()).Attribute("property", r.property);
    if (!r.scheme.empty())
        x.Attribute("scheme", r.scheme);
    x.Close().Text(r.value).End("meta").Space("\n");
}

void Identifier(XmlWriter& x, const PackageIdentifier& identifier) {
    x.Open("dc:identifier");
    if (!identifier.id.empty())
        x.Attribute("id", identifier.id);
    x.Close().Text(identifier.value).End("dc:identifier").Space("\n");
    for (const PackageRefinement& r : identifier.refinements)
        Refines(x, identifier.id, r);
}

void Creator(XmlWriter& x, const PackageCreator& c) {
    const std::string_view element = c.contributor ? "dc:contributor" : "dc:creator";
    x.Open(element);
    if (!c.id.empty())
        x.Attribute("id", c.id);
    x.Close().Text(c.name).End(element).Space("\n");
    if (!c.id.empty() && !c.role.empty())
        Refines(x, c.id, {"role", "marc:relators", c.role});
}

void Href(XmlWriter& x, std::string_view name, const PackageHref& href) {
    if (href.Empty())
        return;
    if (href.percentEncoded && href.fragment.empty())
        x.Url(name, href.path.view());
    else
        x.Path(name, href.path.view(), href.fragment.view());
}

void WriteHead(XmlWriter& x, const PackageModel& p) {
    x.Declare(p.declaration).Open("package");
    x.Attribute("version", "3.0").Attribute("xmlns", "http://www.idpf.org/2007/opf");
    if (!p.metadata.identifiers.empty() && !p.metadata.identifiers.front().id.empty())
        x.Attribute("unique-identifier", p.metadata.identifiers.front().id);
    if (!p.prefix.empty())
        x.Attribute("prefix", p.prefix);
    if (!p.lang.empty())
        x.Attribute("xml:lang", p.lang);
    x.Close().Space("\n");
}

void WriteMetadata(XmlWriter& x, const PackageModel& p) {
    const PackageMetadata& m = p.metadata;
    x.Open("metadata").Attribute("xmlns:dc", "http://purl.org/dc/elements/1.1/");
    if (p.opfNamespace)
        x.Attribute("xmlns:opf", "http://www.idpf.org/2007/opf");
    x.Close().Space("\n");
    for (const PackageIdentifier& identifier : m.identifiers)
        Identifier(x, identifier);
    for (const StringT& title : m.titles)
        Line(x, "dc:title", title);
    Optional(x, "dc:date", m.date);
    x.Fragment(m.accessibility);
    if (!m.modified.empty())
        Meta(x, "dcterms:modified", m.modified);
    for (const PackageProperty& property : m.renditionProperties)
        Meta(x, property.property, property.value);
    for (const PackageCreator& author : m.authors)
        Creator(x, author);
    Optional(x, "dc:description", m.description);
    Optional(x, "dc:rights", m.rights);
    Optional(x, "dc:subject", m.subject);
    Optional(x, "dc:publisher", m.publisher);
    for (const PackageCreator& contributor : m.contributors)
        Creator(x, contributor);
    NamedMeta(x, "generator", m.generator);
    for (const StringT& language : m.languages)
        Line(x, "dc:language", language);
    if (!m.coverImageId.empty())
        NamedMeta(x, "cover", m.coverImageId);
    for (const PackageProperty& property : m.readerProperties)
        Meta(x, property.property, property.value);
    if (!m.pageBreakSource.empty()) {
        Meta(x, "pageBreakSource", m.pageBreakSource);
        Line(x, "dc:source", m.source);
    }
    x.End("metadata").Space("\n");
}

void WriteManifest(XmlWriter& x, const PackageModel& p) {
    x.Open("manifest").Close().Space("\n");
    for (const ManifestItem& item : p.manifest) {
        x.Open("item").Attribute("id", item.id);
        Href(x, "href", item.href);
        x.Attribute("media-type", item.mediaType);
        if (!item.properties.empty())
            x.Attribute("properties", item.properties);
        x.CloseEmpty(item.id == p.coverDocumentId).Space("\n");
    }
    x.End("manifest").Space("\n");
}

void WriteSpine(XmlWriter& x, const PackageModel& p) {
    x.Open("spine");
    if (p.rightToLeft)
        x.Attribute("page-progression-direction", "rtl");
    x.Close().Space("\n");
    for (const SpineItem& item : p.spine) {
        x.Open("itemref").Attribute("idref", item.idref);
        if (item.linear != SpineLinear::Unset)
            x.Attribute("linear", item.linear == SpineLinear::Yes ? "yes" : "no");
        const std::string_view spread = SpreadProperty(item.spread);
        if (!spread.empty())
            x.Attribute("properties", spread);
        x.CloseEmpty(item.idref == p.coverDocumentId).Space("\n");
    }
    x.End("spine").Space("\n");
}

void WriteGuide(XmlWriter& x, const PackageModel& p) {
    if (p.guide.empty())
        return;
    x.Open("guide").Close().Space("\n");
    for (const GuideReference& reference : p.guide) {
        x.Open("reference").Attribute("type", reference.type);
        Href(x, "href", reference.href);
        x.Attribute("title", reference.title).CloseEmpty(true).Space("\n");
    }
    x.End("guide").Space("\n");
}

} // namespace

void PackageMetadata::SetPageSource(PaginationSourceType type, const StringT& edition) {
    pageBreakSource = source = {};
    if (type == PaginationSourceType::None || edition.empty())
        return;
    pageBreakSource = source = edition;
    if (type != PaginationSourceType::ISBN)
        return;
    constexpr std::string_view prefix = "urn:isbn:";
    if (edition.FindNoCase(prefix) == 0)
        source = edition.Substr(prefix.size());
    else
        pageBreakSource = StringT(prefix) + edition;
}

std::string_view SpreadProperty(SpinePageSpread spread) {
    switch (spread) {
    case SpinePageSpread::Left:
        return "page-spread-left";
    case SpinePageSpread::Right:
        return "page-spread-right";
    case SpinePageSpread::Center:
        return "rendition:page-spread-center";
    case SpinePageSpread::Auto:
        break;
    }
    return {};
}

std::string WritePackage(const PackageModel& package) {
    XmlWriter x;
    WriteHead(x, package);
    WriteMetadata(x, package);
    WriteManifest(x, package);
    WriteSpine(x, package);
    WriteGuide(x, package);
    x.End("package").Space("\n");
    return x.Take();
}

} // namespace EPub

// SPDX-License-Identifier: MIT
#include "readers/docx/DocxReader.h"

#include "epub/options/CSSFile.h"
#include "epub/options/ExportSettings.h"
#include "epub/options/FlowingEPubOptions.h"
#include "epub/package/NameRules.h"
#include "host/foundation/DataSource.h"
#include "host/foundation/Uuid.h"
#include "host/text/AttributeIds.h"
#include "readers/common/InputKind.h"
#include "readers/common/ZipPackage.h"
#include "readers/docx/BodyReader.h"
#include "readers/docx/BodyStream.h"
#include "readers/docx/FontTable.h"
#include "readers/docx/Metadata.h"
#include "readers/docx/Numbering.h"
#include "readers/docx/Properties.h"
#include "readers/docx/Relationships.h"
#include "readers/docx/StyleTable.h"
#include "readers/docx/Theme.h"
#include "readers/docx/XmlPart.h"

namespace Readers::Docx {

namespace {

using Foundation::Counted;
using Foundation::MakeCounted;
using Foundation::StringT;

constexpr std::string_view kTransitional =
    "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
constexpr std::string_view kStrict = "http://purl.oclc.org/ooxml/wordprocessingml/main";

// The namespace the root element's prefix is bound to.
std::string_view RootNamespace(pugi::xml_node root) {
    const std::string_view name = root.name();
    const size_t colon = name.find(':');
    const std::string attribute =
        colon == std::string_view::npos ? "xmlns" : "xmlns:" + std::string(name.substr(0, colon));
    return root.attribute(attribute.c_str()).value();
}

class Reader {
public:
    Reader(std::string_view bytes, const std::string& source, const DocxOptions& options)
        : options_(options), package_(bytes, source, {options.maxInflatedBytes, options.maxRatio}) {
    }

    Document Read();

private:
    // An optional part: missing, or unusable for any reason but a refused DTD, it is a finding.
    std::unique_ptr<XmlPart> Optional(const std::string& part);
    // The target of the relationship of `type`, which must lie in the package and exist; empty
    // when there is no such relationship.
    std::string Structural(const Relationships& links, std::string_view type) const;
    void CheckKind(std::string_view bytes) const;
    void ReadSettings(const Relationships& links, Text::AttributeSet& out);

    DocxOptions options_;
    Package package_;
    std::vector<ReaderFinding> findings_;
};

std::unique_ptr<XmlPart> Reader::Optional(const std::string& part) {
    if (part.empty() || !package_.Has(part))
        return {};
    try {
        return std::make_unique<XmlPart>(package_, part);
    } catch (const InputError& e) {
        const std::string message = e.what();
        if (message.find("(DTD)") != std::string::npos ||
            message.find("zip bomb") != std::string::npos)
            throw;
        findings_.push_back(
            {part, "unusable part skipped: " +
                       message.substr(std::min(message.size(), package_.Source().size() + 2))});
        return {};
    }
}

std::string Reader::Structural(const Relationships& links, std::string_view type) const {
    // The document's own parts must be there; only pictures and links may be lost on the way.
    const Relationship* rel = links.OfType(type);
    if (!rel)
        return {};
    if (rel->target.empty())
        package_.Fail(links.Source(), "the " + std::string(type) +
                                          " relationship points outside the package (\"" +
                                          rel->written + "\")");
    if (!package_.Has(rel->target))
        package_.Fail(rel->target, "the " + std::string(type) + " part named by " + links.Source() +
                                       " is missing");
    return rel->target;
}

void Reader::ReadSettings(const Relationships& links, Text::AttributeSet& out) {
    const auto settings = Optional(links.TargetOfType("settings"));
    if (!settings)
        return;
    if (const auto tab = NumberAttr(Child(settings->Root(), "defaultTabStop"), "val");
        tab && *tab > 0)
        out.Set(Text::ParaDouble::DefaultTabStop, std::min(*tab / 20, 100000.0));
    out.Set(Text::ParaInt::Hyphenate,
            int32_t{OnOff(settings->Root(), "autoHyphenation").value_or(false)});
}

Document Reader::Read() {
    Document doc;
    doc.sourceName = package_.Source();
    const Relationships packageLinks(package_, "/");
    // Without package relationships at all, the main part is where Word puts it.
    std::string main = packageLinks.Source().empty() ? std::string("/word/document.xml")
                                                     : Structural(packageLinks, "officeDocument");
    if (main.empty())
        package_.Fail(packageLinks.Source(),
                      "names no main document (no officeDocument relationship)");
    if (!package_.Has(main))
        package_.Fail(main, "the main document part is missing");
    BodyStream document(package_, main);
    const std::string_view ns = RootNamespace(document.Root());
    if (!Is(document.Root(), "document") || (ns != kTransitional && ns != kStrict))
        package_.Fail(main, "not a WordprocessingML document (its root is <" +
                                std::string(document.Root().name()) + ">)");
    const Relationships links(package_, main);
    for (const char* type : {"styles", "numbering", "settings", "theme", "footnotes", "endnotes",
                             "fontTable", "comments"})
        Structural(links, type);

    Theme theme;
    if (const auto part = Optional(links.TargetOfType("theme")))
        theme = Theme(*part);
    const Properties properties(theme);
    const StyleTable styles(Optional(links.TargetOfType("styles")), properties);
    Numbering numbering(Optional(links.TargetOfType("numbering")));

    const auto core = Optional(packageLinks.TargetOfType("core-properties"));
    const auto app = Optional(packageLinks.TargetOfType("extended-properties"));
    const Metadata meta = ReadMetadata(core.get(), app.get());
    std::string language = meta.language;
    if (!IsLanguageTag(language))
        language = styles.DefaultLanguage();
    if (!IsLanguageTag(language))
        language = "en";
    std::replace(language.begin(), language.end(), '_', '-');

    Text::AttributeSet defaults;
    ReadSettings(links, defaults);
    doc.styles = Text::StyleSheet::Make(styles.MakeTextDocument(language));
    styles.AddTo(*doc.styles, defaults);

    NoteParts notes;
    notes.footnotes = Optional(links.TargetOfType("footnotes"));
    notes.endnotes = Optional(links.TargetOfType("endnotes"));
    if (options_.keepComments)
        notes.comments = Optional(links.TargetOfType("comments"));
    if (notes.footnotes)
        notes.footnoteLinks = Relationships(package_, notes.footnotes->Name());
    if (notes.endnotes)
        notes.endnoteLinks = Relationships(package_, notes.endnotes->Name());
    if (notes.comments)
        notes.commentLinks = Relationships(package_, notes.comments->Name());

    BodyReader body(package_, styles, numbering, properties, doc.styles, notes,
                    {options_.keepComments, options_.splitAtSections, options_.maxNesting},
                    findings_);
    body.Read(document, links, doc.stories);
    if (body.HasFloats())
        doc.cssFiles.push_back(MakeCounted<const EPub::CSSFile>(
            MakeCounted<Foundation::FileDataSource>(StringT("pictures.css")),
            Foundation::TimeStamp(), StringT(std::string(BodyReader::kFloatRules))));

    if (const auto fontTable = Optional(links.TargetOfType("fontTable")))
        doc.fonts = ReadEmbeddedFonts(package_, *fontTable,
                                      Relationships(package_, fontTable->Name()), findings_);

    auto& s = *(doc.settings = MakeCounted<EPub::ExportSettings>());
    s.title = StringT(!meta.title.empty() ? meta.title : body.FirstHeading());
    if (s.title.empty()) {
        const std::filesystem::path source(package_.Source());
        s.title = StringT(source.stem().string());
    }
    s.author = StringT(meta.author);
    s.subject = StringT(meta.subject.empty()    ? meta.keywords
                        : meta.keywords.empty() ? meta.subject
                                                : meta.subject + "; " + meta.keywords);
    s.description = StringT(meta.description);
    s.publisher = StringT(meta.publisher);
    s.language = StringT(language);
    if (EPub::IsPublicationDate(meta.created))
        s.date = StringT(meta.created);
    s.identifier = StringT(meta.identifier.starts_with("urn:")
                               ? meta.identifier
                               : "urn:uuid:" + Foundation::Uuid::Generate().ToString().str());
    // The reader splits the text into stories itself; page breaks inside one are not splits.
    s.splitStories = false;
    s.documentResolution = MakeCounted<EPub::DocumentResolution>(72.0);
    s.styles = doc.styles;
    s.defaultGlyphAtts = doc.styles->GetDocument()->GetDefaultGlyphAtts();
    doc.options =
        MakeCounted<EPub::FlowingEPubOptions>(Render::FileExportOptionsVector::Preset::Standard);
    doc.options->SetRemoveLineBreaks(false);
    // Word's labels as text: list elements number from 1, show no parent numbers ("2.1.") and
    // start again after every paragraph between two items.
    doc.options->SetConvertNumberedListsToText(true);
    if (!doc.stories.empty() && doc.stories.front().tocText.empty())
        doc.stories.front().tocText = s.title;
    doc.findings = std::move(findings_);
    return doc;
}

} // namespace

Document ReadDocx(std::string_view bytes, const std::string& sourceName,
                  const DocxOptions& options) {
    switch (DetectInputKind(bytes)) {
    case InputKind::Encrypted:
        throw InputError(sourceName + ": encrypted documents are not supported");
    case InputKind::LegacyWord:
        throw InputError(
            sourceName +
            ": legacy binary Word documents (.doc) are not supported; save it as .docx");
    default:
        break;
    }
    return Reader(bytes, sourceName, options).Read();
}

Document ReadDocx(const std::filesystem::path& file, const DocxOptions& options) {
    return ReadDocxFile(file, file.string(), options);
}

Document ReadDocxFile(const std::filesystem::path& file, const std::string& sourceName,
                      const DocxOptions& options) {
    return ReadDocx(ReadInputFile(file, sourceName), sourceName, options);
}

} // namespace Readers::Docx

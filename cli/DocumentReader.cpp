#include "cli/DocumentReader.h"

#include "epub/content/Landmark.h"
#include "epub/options/AccessibilityMetadata.h"
#include "epub/options/PageSource.h"
#include "host/foundation/DataSource.h"
#include "host/raster/DynamicBitmap.h"
#include "host/raster/ImageFile.h"
#include "host/text/Language.h"

#include <fstream>
#include <set>
#include <sstream>

namespace Cli {
namespace {

using json = nlohmann::json;
namespace fs = std::filesystem;

class Reader : public JsonInput {
public:
    using JsonInput::JsonInput;

    Document Read(const json& root);

private:
    void ReadMetadata(const Node& node, EPub::ExportSettings& settings) const;
    void ReadAccessibility(const Node& node, EPub::ExportSettings& settings) const;
    void ReadOptions(const Node& node, Document& doc) const;
    void ReadValidation(const Node& node, EPub::ExportSettings& settings) const;
    void ReadProfiles(const Node& node, Raster::ICCProfileSet& profiles) const;
    void ReadCover(const Node& node, Document& doc) const;
    void ReadFonts(const Node& node, Document& doc) const;
    void ReadCss(const Node& node, Document& doc) const;
    void ReadStyles(const Node& node, Text::StyleSheet& sheet, const AttributeReader& atts) const;
    void ReadStoryItem(const Node& node, Document& doc, StoryReader& stories,
                       AnchorBook& anchors) const;
    Counted<const Text::EPubTag> ReadTag(const Node& node) const;
    StoryEntry StartEntry(const Node& node, const std::string& fileName, AnchorBook& anchors) const;
};

void Reader::ReadMetadata(const Node& node, EPub::ExportSettings& s) const {
    CheckFields(node, {"title", "author", "illustrator", "description", "rights", "subject",
                       "publisher", "language", "identifier", "isbn", "pageSource"});
    s.title = String(node, "title");
    s.author = String(node, "author");
    s.illustrator = String(node, "illustrator");
    s.description = String(node, "description");
    s.rights = String(node, "rights");
    s.subject = String(node, "subject");
    s.publisher = String(node, "publisher");
    s.language = String(node, "language", "en");
    s.identifier = String(node, "identifier");
    s.identifierType = Bool(node, "isbn", false) ? 2 : 0;
}

// Vocabulary values are written as the metadata spells them ("alternativeText", "ARIA").
template <class Enum>
void ReadTerms(const Reader& in, const Node& node, const std::string& key, size_t count,
               EPub::AccessibilityMetadata& metadata) {
    if (!node.Has(key))
        return;
    const Node list = node.Field(key);
    in.ExpectArray(list);
    for (size_t i = 0; i < list.value.size(); ++i) {
        const Node item = list.Item(i);
        in.Expect(item, json::value_t::string, "a vocabulary term");
        const std::string term = item.value.get<std::string>();
        size_t value = 0;
        while (value < count && EPub::GetVocabularyText(static_cast<Enum>(value)) != term)
            ++value;
        if (value == count)
            in.Fail(item, "unknown term \"" + term + "\"");
        metadata.Set(static_cast<Enum>(value), true);
    }
}

void Reader::ReadAccessibility(const Node& node, EPub::ExportSettings& settings) const {
    CheckFields(node, {"accessModes", "accessModesSufficient", "features", "hazards", "summary",
                       "conformance", "certifiedBy", "credentials", "reportLink"});
    auto metadata = Foundation::MakeCounted<EPub::AccessibilityMetadata>();
    ReadTerms<EPub::AccessMode>(*this, node, "accessModes", 11, *metadata);
    ReadTerms<EPub::AccessModeSufficient>(*this, node, "accessModesSufficient", 4, *metadata);
    ReadTerms<EPub::AccessibilityFeature>(*this, node, "features", 40, *metadata);
    ReadTerms<EPub::AccessibilityHazard>(*this, node, "hazards", 11, *metadata);
    metadata->SetSummary(StringT(String(node, "summary")));
    metadata->SetCertifiedBy(StringT(String(node, "certifiedBy")));
    metadata->SetCredentials(StringT(String(node, "credentials")));
    metadata->SetReportLink(StringT(String(node, "reportLink")));
    if (node.Has("conformance")) {
        static constexpr std::string_view levels[] = {
            "none", "WCAG20A", "WCAG20AA", "WCAG20AAA", "WCAG21A", "WCAG21AA", "WCAG21AAA"};
        const std::string level = String(node, "conformance");
        const auto* found = std::find(std::begin(levels), std::end(levels), level);
        if (found == std::end(levels))
            Fail(node.Field("conformance"),
                 "unknown level \"" + level + "\" (WCAG20A ... WCAG21AAA, or none)");
        metadata->SetConformance(
            static_cast<EPub::AccessibilityConformance>(found - std::begin(levels)));
    }
    settings.accessibility = std::move(metadata);
}

void Reader::ReadOptions(const Node& node, Document& doc) const {
    CheckFields(node, {"generateCSS", "preserveLocalOverrides", "removeLineBreaks",
                       "convertBulletLists", "convertNumberedLists", "excludeTocPageNumbers",
                       "includePageList", "splitStories", "resolution"});
    auto& o = *doc.options;
    o.SetGenerateCSS(Bool(node, "generateCSS", o.IsGenerateCSS()));
    o.SetPreserveLocalOverrides(Bool(node, "preserveLocalOverrides", o.IsPreserveLocalOverrides()));
    o.SetRemoveLineBreaks(Bool(node, "removeLineBreaks", o.IsRemoveLineBreaks()));
    o.SetConvertBulletListsToText(Bool(node, "convertBulletLists", o.IsConvertBulletListsToText()));
    o.SetConvertNumberedListsToText(
        Bool(node, "convertNumberedLists", o.IsConvertNumberedListsToText()));
    o.SetExcludeTocPageNumbers(Bool(node, "excludeTocPageNumbers", o.IsExcludeTocPageNumbers()));
    auto& s = *doc.settings;
    s.includePageList = Bool(node, "includePageList", s.includePageList);
    s.splitStories = Bool(node, "splitStories", s.splitStories);
    const double dpi = Number(node, "resolution", 72.0);
    if (!(dpi > 0))
        Fail(node.Field("resolution"), "must be greater than 0");
    s.documentResolution = Foundation::MakeCounted<EPub::DocumentResolution>(dpi);
}

void Reader::ReadValidation(const Node& node, EPub::ExportSettings& s) const {
    CheckFields(node,
                {"kerning", "scaleShear", "leading", "fills", "transparency", "opticalAlignment",
                 "colourEffects", "tabStops", "spacing", "hyphenation", "lastLineOutdent",
                 "keepOptions", "decorations", "classNameClashes", "accessibility"});
    s.reportKerning = Bool(node, "kerning", s.reportKerning);
    s.reportScaleShear = Bool(node, "scaleShear", s.reportScaleShear);
    s.reportLeading = Bool(node, "leading", s.reportLeading);
    s.reportFills = Bool(node, "fills", s.reportFills);
    s.reportTransparency = Bool(node, "transparency", s.reportTransparency);
    s.reportOpticalAlignment = Bool(node, "opticalAlignment", s.reportOpticalAlignment);
    s.reportColourEffects = Bool(node, "colourEffects", s.reportColourEffects);
    s.reportTabStops = Bool(node, "tabStops", s.reportTabStops);
    s.reportSpacing = Bool(node, "spacing", s.reportSpacing);
    s.reportHyphenation = Bool(node, "hyphenation", s.reportHyphenation);
    s.reportLastLineOutdent = Bool(node, "lastLineOutdent", s.reportLastLineOutdent);
    s.reportKeepOptions = Bool(node, "keepOptions", s.reportKeepOptions);
    s.reportDecorations = Bool(node, "decorations", s.reportDecorations);
    s.reportClassNameClashes = Bool(node, "classNameClashes", s.reportClassNameClashes);
    s.reportAccessibility = Bool(node, "accessibility", s.reportAccessibility);
}

// A profile that is not one of its colour model is ignored by the conversion, as a host would.
void Reader::ReadProfiles(const Node& node, Raster::ICCProfileSet& profiles) const {
    CheckFields(node, {"rgb", "cmyk", "gray"});
    if (node.Has("rgb"))
        profiles.rgbProfile = ReadFile(node.Field("rgb"));
    if (node.Has("cmyk"))
        profiles.cmykProfile = ReadFile(node.Field("cmyk"));
    if (node.Has("gray"))
        profiles.grayProfile = ReadFile(node.Field("gray"));
}

void Reader::ReadCover(const Node& node, Document& doc) const {
    CheckFields(node, {"image", "altText"});
    const Node image = Required(node, "image");
    auto bitmap = Raster::DecodeImage(ReadFile(image));
    if (!bitmap)
        Fail(image, "\"" + String(node, "image") + "\" is not a JPEG, PNG or GIF image");
    doc.settings->coverImage = std::move(bitmap);
    doc.settings->coverImageName = "Cover";
    doc.options->SetCoverPageType(EPub::CoverPageType::Image);
    doc.options->SetCoverPageAltText(String(node, "altText", "Cover"));
}

void Reader::ReadFonts(const Node& node, Document& doc) const {
    ExpectArray(node);
    doc.fonts = Foundation::MakeCounted<Foundation::MemoryFontRegistry>();
    for (size_t i = 0; i < node.value.size(); ++i) {
        const Node item = node.Item(i);
        const fs::path path = ExistingFile(item);
        if (doc.fonts->Register(StringT(path.filename().string()), ReadFile(item)) == 0)
            Fail(item, "\"" + path.string() + "\" is not a font file");
    }
}

void Reader::ReadCss(const Node& node, Document& doc) const {
    ExpectArray(node);
    for (size_t i = 0; i < node.value.size(); ++i) {
        const Node item = node.Item(i);
        const fs::path path = ExistingFile(item);
        std::string text = ReadFile(item);
        if (text.find_first_not_of(" \t\r\n") == std::string::npos)
            Fail(item, "\"" + path.string() + "\" is empty");
        auto source = Foundation::MakeCounted<Foundation::FileDataSource>(StringT(path.string()));
        const auto modified = source->GetModifiedTime().value_or(Foundation::TimeStamp());
        doc.cssFiles.push_back(Foundation::MakeCounted<const EPub::CSSFile>(
            std::move(source), modified, StringT(std::move(text))));
    }
}

void Reader::ReadStyles(const Node& node, Text::StyleSheet& sheet,
                        const AttributeReader& atts) const {
    ExpectArray(node);
    std::set<std::string> names;
    for (size_t i = 0; i < node.value.size(); ++i) {
        const Node item = node.Item(i);
        CheckFields(item, {"name", "kind", "base", "paragraph", "character", "epubTag"});
        Required(item, "name");
        const std::string name = String(item, "name");
        if (name.empty())
            Fail(item.Field("name"), "a style needs a name");
        if (!names.insert(name).second)
            Fail(item.Field("name"), "style \"" + name + "\" is defined twice");
        const std::string kindName = String(item, "kind", "paragraph");
        if (kindName != "paragraph" && kindName != "character")
            Fail(item.Field("kind"), "expected \"paragraph\" or \"character\"");
        const auto kind =
            kindName == "paragraph" ? Text::StyleKind::Paragraph : Text::StyleKind::Character;
        if (kind == Text::StyleKind::Character && item.Has("paragraph"))
            Fail(item.Field("paragraph"), "a character style has no paragraph attributes");
        const std::string base = String(item, "base");
        // Bases must come first, which also rules out loops.
        if (!base.empty() && !names.contains(base))
            Fail(item.Field("base"), "unknown style \"" + base + "\" (define bases first)");
        if (!base.empty() && sheet.GetStyle(StringT(base))->GetKind() != kind)
            Fail(item.Field("base"), "style \"" + base + "\" is of another kind");
        auto delta = atts.ReadDelta(item, true);
        if (!delta)
            delta = Foundation::MakeCounted<Text::Delta>();
        const Counted<const Text::EPubTag> tag =
            item.Has("epubTag") ? ReadTag(item.Field("epubTag")) : nullptr;
        sheet.AddStyle(
            Text::Style::Make(StringT(name), kind, StringT(base), std::move(delta), tag));
    }
}

// Only what the tag names overrides what the style would get.
Counted<const Text::EPubTag> Reader::ReadTag(const Node& node) const {
    CheckFields(node, {"element", "class", "includeClass", "emitCSS"});
    uint32_t mask = 0;
    mask |= node.Has("includeClass") ? 1 : 0;
    mask |= node.Has("emitCSS") ? 2 : 0;
    mask |= node.Has("element") ? 4 : 0;
    mask |= node.Has("class") ? 8 : 0;
    return Text::EPubTag::Make(mask, StringT(String(node, "element")),
                               StringT(String(node, "class")), Bool(node, "includeClass", true),
                               Bool(node, "emitCSS", true));
}

StoryEntry Reader::StartEntry(const Node& node, const std::string& fileName,
                              AnchorBook& anchors) const {
    StoryEntry entry;
    entry.fileName = StringT(fileName);
    entry.title = StringT(String(node, "title"));
    entry.tocText = StringT(String(node, "toc"));
    // A landmark is an anchor named after its structural type.
    std::string anchorName = fileName;
    if (node.Has("landmark")) {
        const std::string landmark = String(node, "landmark");
        anchorName = "epub:" + landmark;
        if (EPub::LandmarkFromEpubType(anchorName) == EPub::Landmark::None)
            Fail(node.Field("landmark"), "unknown landmark \"" + landmark + "\"");
    }
    auto start = anchors.MakeHidden(anchorName);
    entry.startAnchor = start;
    entry.marks.anchors.push_back({start, {}});
    if (node.Has("page"))
        entry.marks.pages.push_back({start, StringT(String(node, "page"))});
    return entry;
}

void Reader::ReadStoryItem(const Node& node, Document& doc, StoryReader& stories,
                           AnchorBook& anchors) const {
    CheckFields(node, {"file", "title", "toc", "page", "landmark", "paragraphs", "parts"});
    const std::string fileName = SafeName(node, "file");
    if (!node.Has("parts")) {
        StoryEntry entry = StartEntry(node, fileName, anchors);
        entry.story = stories.Read(node, entry.startAnchor, entry.marks);
        doc.stories.push_back(std::move(entry));
        return;
    }
    if (node.Has("paragraphs"))
        Fail(node, "an article has \"parts\", not \"paragraphs\"");
    const Node parts = node.Field("parts");
    ExpectArray(parts);
    if (parts.value.empty())
        Fail(parts, "an article needs at least one part");
    const int article = static_cast<int>(doc.articles.size());
    doc.articles.push_back({StringT(fileName), StringT(String(node, "title"))});
    for (size_t i = 0; i < parts.value.size(); ++i) {
        const Node part = parts.Item(i);
        CheckFields(part, {"paragraphs"});
        // The article's entry, page and landmark belong to its first part.
        StoryEntry entry = i == 0 ? StartEntry(node, fileName, anchors) : StoryEntry{};
        if (i > 0) {
            entry.fileName = StringT(fileName);
            entry.startAnchor = anchors.MakeHidden(fileName);
        }
        entry.article = article;
        entry.story = stories.Read(part, i == 0 ? entry.startAnchor : nullptr, entry.marks);
        doc.stories.push_back(std::move(entry));
    }
}

// Text is in the publication's language unless marked otherwise, as in any editor.
Counted<const Text::TextDocument> MakeTextDocument(const StringT& language) {
    auto document = Text::TextDocument::Make();
    if (language.empty())
        return document;
    const auto& defaults = document->GetDefaultGlyphAtts();
    document->SetDefaults(
        defaults->With(Text::GlyphObject::Language,
                       Counted<const Text::AttObject>(Text::Language::Make(language.view()))),
        *document->GetDefaultParagraphAtts());
    return document;
}

Document Reader::Read(const json& root) {
    const Node top{root, "$"};
    CheckFields(top, {"metadata", "accessibility", "options", "validation", "colourProfiles",
                      "cover", "fonts", "css", "styles", "stories"});
    Document doc;
    doc.settings = Foundation::MakeCounted<EPub::ExportSettings>();
    doc.options = Foundation::MakeCounted<EPub::FlowingEPubOptions>(
        Render::FileExportOptionsVector::Preset::Standard);
    doc.settings->language = "en";
    if (top.Has("metadata")) {
        ReadMetadata(top.Field("metadata"), *doc.settings);
        EPub::SetPageSource(*doc.options, String(top.Field("metadata"), "pageSource"));
    }
    doc.styles = Text::StyleSheet::Make(MakeTextDocument(doc.settings->language));
    AnchorBook anchors(doc.styles->GetDocument());
    StoryReader stories(*this, anchors, doc.styles);

    if (top.Has("accessibility"))
        ReadAccessibility(top.Field("accessibility"), *doc.settings);
    if (top.Has("options"))
        ReadOptions(top.Field("options"), doc);
    if (top.Has("validation"))
        ReadValidation(top.Field("validation"), *doc.settings);
    if (top.Has("colourProfiles"))
        ReadProfiles(top.Field("colourProfiles"), doc.settings->iccProfiles);
    if (top.Has("cover"))
        ReadCover(top.Field("cover"), doc);
    if (top.Has("fonts"))
        ReadFonts(top.Field("fonts"), doc);
    if (top.Has("css"))
        ReadCss(top.Field("css"), doc);
    if (top.Has("styles"))
        ReadStyles(top.Field("styles"), *doc.styles, stories.Attributes());
    doc.settings->styles = doc.styles;
    doc.settings->defaultGlyphAtts = doc.styles->GetDocument()->GetDefaultGlyphAtts();

    const Node list = Required(top, "stories");
    ExpectArray(list);
    std::set<std::string> files;
    for (size_t i = 0; i < list.value.size(); ++i) {
        const Node item = list.Item(i);
        const size_t before = doc.stories.size();
        ReadStoryItem(item, doc, stories, anchors);
        if (!files.insert(doc.stories[before].fileName.str()).second)
            Fail(item.Field("file"),
                 "file name \"" + doc.stories[before].fileName.str() + "\" is used twice");
    }
    anchors.CheckAllDefined(*this);
    return doc;
}

// nlohmann reports a byte offset one past the offending character; people want line and column.
std::string Position(const std::string& text, size_t byte) {
    const size_t end = std::min(byte > 0 ? byte - 1 : 0, text.size());
    size_t line = 1, column = 1;
    for (size_t i = 0; i < end; ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            ++column;
        }
    }
    return std::to_string(line) + ":" + std::to_string(column);
}

} // namespace

Document ParseDocument(const std::string& text, const std::string& sourceName,
                       const fs::path& baseDir) {
    json root;
    try {
        root = json::parse(text);
    } catch (const json::parse_error& e) {
        std::string what = e.what();
        // Drop nlohmann's own "[json.exception.parse_error.101] parse error at line.." prefix.
        if (const size_t colon = what.find(": "); colon != std::string::npos)
            what = what.substr(colon + 2);
        throw InputError(sourceName + ":" + Position(text, e.byte) + ": invalid JSON: " + what);
    }
    return Reader(sourceName, baseDir).Read(root);
}

Document ReadDocument(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw InputError(file.string() + ": cannot read file");
    std::ostringstream text;
    text << in.rdbuf();
    return ParseDocument(text.str(), file.string(), file.parent_path());
}

} // namespace Cli

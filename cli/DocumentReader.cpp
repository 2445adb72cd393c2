// SPDX-License-Identifier: MIT
#include "cli/DocumentReader.h"

#include "cli/MappedInput.h"

#include "cli/AccessibilityReader.h"
#include "cli/MetadataReader.h"

#include "epub/flowing/FlowingEPubExporter.h"
#include "epub/options/AccessibilityMetadata.h"
#include "epub/options/PageSource.h"
#include "epub/package/Landmark.h"
#include "epub/package/NameRules.h"
#include "epub/package/PackageText.h"
#include "host/foundation/DataSource.h"
#include "host/raster/DynamicBitmap.h"
#include "host/raster/ImageFile.h"
#include "host/text/Language.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <span>
#include <sstream>
#include <string_view>

namespace Cli {

using EPub::FoldCase;
using EPub::IsPlainCssIdentifier;
namespace {

using json = JsonValue;
namespace fs = std::filesystem;

// A style and its bases, at most.
constexpr size_t kMaxStyleChain = 100;

// Elements a paragraph or a run may be written as: each holds text directly and is valid
// wherever the content writer puts it.
constexpr std::string_view kParagraphElements[] = {
    "p",   "h1",      "h2",         "h3",    "h4",      "h5",     "h6",     "div",
    "pre", "address", "blockquote", "aside", "section", "header", "footer", "article"};
constexpr std::string_view kCharacterElements[] = {
    "span", "em", "strong", "b",    "i",   "u",   "s",    "small", "sub", "sup", "code",
    "cite", "q",  "mark",   "abbr", "dfn", "kbd", "samp", "var",   "bdi", "ins", "del"};

// ICC profiles start with a 128-byte header: the profile size, "acsp" at byte 36 and the colour
// space at byte 16.
bool LooksLikeIccProfile(const std::string& data, std::string_view space) {
    if (data.size() < 132 || data.compare(36, 4, "acsp") != 0)
        return false;
    const auto byte = [&](size_t i) {
        return static_cast<uint32_t>(static_cast<uint8_t>(data[i]));
    };
    const uint32_t declared = byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
    return declared >= 132 && declared <= data.size() && data.compare(16, 4, space) == 0;
}

// How many pages start in each item of `stories`, counted the way the reader registers them:
// the item's own "page", then each paragraph's, parts in order. Links to a page of a later story
// are read before that story.
std::vector<int> CountPages(const Node& stories) {
    std::vector<int> counts;
    if (!stories.value.is_array())
        return counts;
    const auto paragraphPages = [](const json& holder) {
        int n = 0;
        const json* paragraphs = holder.is_object() && holder.contains("paragraphs")
                                     ? &holder.at("paragraphs")
                                     : nullptr;
        if (paragraphs && paragraphs->is_array())
            for (size_t i = 0; i < paragraphs->size(); ++i) {
                const json& paragraph = paragraphs->at(i);
                n += paragraph.is_object() && paragraph.contains("page") ? 1 : 0;
            }
        return n;
    };
    for (size_t s = 0; s < stories.value.size(); ++s) {
        const json& item = stories.value.at(s);
        int n = item.is_object() && item.contains("page") ? 1 : 0;
        n += paragraphPages(item);
        const json* parts =
            item.is_object() && item.contains("parts") ? &item.at("parts") : nullptr;
        if (parts && parts->is_array())
            for (size_t p = 0; p < parts->size(); ++p)
                n += paragraphPages(parts->at(p));
        counts.push_back(n);
    }
    return counts;
}

class Reader : public JsonInput {
public:
    using JsonInput::JsonInput;

    // `itemDone` hears of each item of "stories" once nothing refers to its values any more.
    Document Read(const json& root, const std::function<void(size_t)>& itemDone);
    // Changes the metadata once read, before the text is built in the publication's language.
    void AdjustMetadata(MetadataAdjustment adjust) { adjust_ = std::move(adjust); }

private:
    void ReadOptions(const Node& node, Document& doc) const;
    void ReadValidation(const Node& node, EPub::ExportSettings& settings) const;
    void ReadProfiles(const Node& node, Raster::ICCProfileSet& profiles) const;
    void ReadCover(const Node& node, Document& doc) const;
    void ReadFonts(const Node& node, Document& doc) const;
    void ReadCss(const Node& node, Document& doc) const;
    void ReadStyles(const Node& node, Text::StyleSheet& sheet, const AttributeReader& atts) const;
    void ReadStoryItem(const Node& node, Document& doc, StoryReader& stories,
                       AnchorBook& anchors) const;
    Counted<const Text::EPubTag> ReadTag(const Node& node, Text::StyleKind kind) const;
    void CheckFileName(const Node& field, const std::string& name,
                       std::map<std::string, std::string>& taken) const;
    StoryEntry StartEntry(const Node& node, const std::string& fileName, AnchorBook& anchors) const;

    MetadataAdjustment adjust_;
};

void Reader::ReadOptions(const Node& node, Document& doc) const {
    CheckFields(node,
                {"generateCSS", "preserveLocalOverrides", "removeLineBreaks", "convertBulletLists",
                 "convertNumberedLists", "excludeTocPageNumbers", "includePageList", "splitStories",
                 "allNotesInline", "subsetFonts", "resolution", "minimumTextContrast"});
    auto& o = *doc.options;
    o.SetGenerateCSS(Bool(node, "generateCSS", o.IsGenerateCSS()));
    o.SetPreserveLocalOverrides(Bool(node, "preserveLocalOverrides", o.IsPreserveLocalOverrides()));
    o.SetRemoveLineBreaks(Bool(node, "removeLineBreaks", o.IsRemoveLineBreaks()));
    o.SetConvertBulletListsToText(Bool(node, "convertBulletLists", o.IsConvertBulletListsToText()));
    o.SetConvertNumberedListsToText(
        Bool(node, "convertNumberedLists", o.IsConvertNumberedListsToText()));
    o.SetExcludeTocPageNumbers(Bool(node, "excludeTocPageNumbers", o.IsExcludeTocPageNumbers()));
    const double contrast = Number(node, "minimumTextContrast", o.GetMinimumTextContrast());
    if (!(contrast == 0 || (contrast >= 1 && contrast <= 21)))
        Fail(node.Field("minimumTextContrast"), "must be 0 (off) or between 1 and 21");
    o.SetMinimumTextContrast(contrast);
    auto& s = *doc.settings;
    s.includePageList = Bool(node, "includePageList", s.includePageList);
    s.splitStories = Bool(node, "splitStories", s.splitStories);
    s.allNotesInline = Bool(node, "allNotesInline", s.allNotesInline);
    s.subsetFonts = Bool(node, "subsetFonts", s.subsetFonts);
    const double dpi = Number(node, "resolution", 72.0);
    if (!(dpi >= 1 && dpi <= 100000))
        Fail(node.Field("resolution"), "must be between 1 and 100000");
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

// A profile of another colour space would be ignored by the conversion: better said than silent.
void Reader::ReadProfiles(const Node& node, Raster::ICCProfileSet& profiles) const {
    CheckFields(node, {"rgb", "cmyk", "gray"});
    const auto read = [&](const char* key, std::string_view space, std::string& out) {
        if (!node.Has(key))
            return;
        out = ReadFile(node.Field(key));
        if (!LooksLikeIccProfile(out, space))
            Fail(node.Field(key), "\"" + String(node, key) + "\" is not an ICC profile of the " +
                                      std::string(space.substr(0, space.find(' '))) +
                                      " colour space");
    };
    read("rgb", "RGB ", profiles.rgbProfile);
    read("cmyk", "CMYK", profiles.cmykProfile);
    read("gray", "GRAY", profiles.grayProfile);
}

void Reader::ReadCover(const Node& node, Document& doc) const {
    CheckFields(node, {"image", "altText"});
    const Node image = Required(node, "image");
    const fs::path path = ExistingFile(image);
    if (!Raster::DecodeImage(ReadFile(image)))
        Fail(image, "\"" + String(node, "image") + "\" is not a JPEG, PNG or GIF image");
    // The library copies the file's own bytes and takes its name.
    doc.settings->coverSource =
        Foundation::MakeCounted<Foundation::FileDataSource>(StringT(path.string()));
    doc.options->SetCoverPageType(EPub::CoverPageType::Image);
    // Without one, the library names the picture in the publication's language.
    doc.options->SetCoverPageAltText(StringT(String(node, "altText")));
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
        if (!IsStyleSheetText(text))
            Fail(item, "\"" + path.string() +
                           "\" is not a text style sheet (UTF-8, no control "
                           "characters)");
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
    std::map<std::string, size_t> chainLengths; // a style and its bases
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
        if (item.Has("base") && base.empty())
            Fail(item.Field("base"), "a base style needs a name (leave \"base\" out for none)");
        if (base == name)
            Fail(item.Field("base"), "style \"" + name + "\" cannot be its own base");
        if (!base.empty() && !sheet.GetStyle(StringT(base)))
            Fail(item.Field("base"), "unknown style \"" + base + "\" (define bases first)");
        if (!base.empty() && sheet.GetStyle(StringT(base))->GetKind() != kind)
            Fail(item.Field("base"), "style \"" + base + "\" is of another kind");
        // Styles are resolved base by base, recursively: a hostile chain would exhaust the stack.
        const size_t chain = chainLengths[name] = base.empty() ? 1 : chainLengths[base] + 1;
        if (chain > kMaxStyleChain)
            Fail(item.Field("base"), "style \"" + name + "\" has more than " +
                                         std::to_string(kMaxStyleChain - 1) + " bases in a row");
        auto delta = atts.ReadDelta(item, true);
        if (!delta)
            delta = Foundation::MakeCounted<Text::Delta>();
        const Counted<const Text::EPubTag> tag =
            item.Has("epubTag") ? ReadTag(item.Field("epubTag"), kind) : nullptr;
        sheet.AddStyle(
            Text::Style::Make(StringT(name), kind, StringT(base), std::move(delta), tag));
    }
}

// Only what the tag names overrides what the style would get.
Counted<const Text::EPubTag> Reader::ReadTag(const Node& node, Text::StyleKind kind) const {
    CheckFields(node, {"element", "class", "includeClass", "emitCSS"});
    if (node.Has("element")) {
        const std::string element = String(node, "element");
        const std::span<const std::string_view> allowed =
            kind == Text::StyleKind::Paragraph
                ? std::span<const std::string_view>(kParagraphElements)
                : std::span(kCharacterElements);
        if (std::find(allowed.begin(), allowed.end(), element) == allowed.end()) {
            std::string list;
            for (const std::string_view name : allowed)
                list += (list.empty() ? "" : ", ") + std::string(name);
            Fail(node.Field("element"),
                 "\"" + element + "\" is not an element a " +
                     (kind == Text::StyleKind::Paragraph ? "paragraph" : "character") +
                     " style can use (" + list + ")");
        }
    }
    if (node.Has("class") && !IsPlainCssIdentifier(String(node, "class")))
        Fail(node.Field("class"), "\"" + String(node, "class") +
                                      "\" is not a CSS class name (a letter or \"_\", then "
                                      "letters, digits, \"-\" and \"_\")");
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
    if (node.Has("toc") && entry.tocText.empty())
        Fail(node.Field("toc"), "a table-of-contents entry needs a text");
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
    if (node.Has("page")) {
        const std::string label = String(node, "page");
        if (label.empty())
            Fail(node.Field("page"), "a page needs a label");
        entry.marks.pages.push_back({start, StringT(label)});
    }
    return entry;
}

// Names the package writes itself, and names that differ only in case (OCF wants names unique
// ignoring case, and so do the file systems the --html output may land on).
void Reader::CheckFileName(const Node& field, const std::string& name,
                           std::map<std::string, std::string>& taken) const {
    const std::string folded = FoldCase(name);
    if (EPub::IsReservedDocumentName(name, EPub::StreamType::Content))
        Fail(field, "file name \"" + name +
                        "\" is taken by the publication itself (toc.xhtml, package.opf, "
                        "cover.xhtml and the folders css/, images/ and font/ are reserved)");
    const auto [it, added] = taken.emplace(folded, name);
    if (!added)
        Fail(field, it->second == name ? "file name \"" + name + "\" is used twice"
                                       : "file name \"" + name + "\" differs from \"" + it->second +
                                             "\" only in case");
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

Document Reader::Read(const json& root, const std::function<void(size_t)>& itemDone) {
    const Node top{root, "$"};
    CheckFields(top, {"metadata", "accessibility", "options", "validation", "colourProfiles",
                      "cover", "fonts", "css", "styles", "stories"});
    Document doc;
    doc.sourceName = Source();
    doc.settings = Foundation::MakeCounted<EPub::ExportSettings>();
    doc.options = Foundation::MakeCounted<EPub::FlowingEPubOptions>(
        Render::FileExportOptionsVector::Preset::Standard);
    // The tool keeps forced line breaks unless told otherwise; the library's preset drops them.
    doc.options->SetRemoveLineBreaks(false);
    doc.settings->language = "en";
    if (top.Has("metadata")) {
        EPub::SetPageSource(*doc.options, ReadMetadata(*this, top.Field("metadata"), *doc.settings,
                                                       MetadataLayout::Reflowable));
    }
    if (adjust_)
        adjust_(*doc.settings);
    doc.styles = Text::StyleSheet::Make(MakeTextDocument(doc.settings->language));
    AnchorBook anchors(doc.styles->GetDocument());
    StoryReader stories(*this, anchors, doc.styles);

    if (top.Has("accessibility"))
        doc.settings->accessibility = ReadAccessibility(*this, top.Field("accessibility"));
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
    anchors.SetPages(CountPages(list));
    std::map<std::string, std::string> files; // case-folded name -> name
    for (size_t i = 0; i < list.value.size(); ++i) {
        const Node item = list.Item(i);
        const size_t before = doc.stories.size();
        ReadStoryItem(item, doc, stories, anchors);
        for (size_t k = before; k < doc.stories.size(); ++k)
            doc.stories[k].item = i;
        CheckFileName(item.Field("file"), doc.stories[before].fileName.str(), files);
        if (itemDone)
            itemDone(i);
    }
    anchors.CheckAllDefined(*this);
    stories.Attributes().CheckStyleReferences(*doc.styles);
    return doc;
}

} // namespace

// A publication needs a title; the file's name is the author's own name for it.
void NameUntitled(Document& doc, const fs::path& file) {
    if (EPub::DropXmlIllegal(doc.settings->title.view()).view().find_first_not_of(" \t\r\n") ==
        std::string_view::npos)
        doc.settings->title = StringT(file.stem().string());
}

bool IsStyleSheetText(const std::string& text) {
    if (!StringT(text).IsValidUTF8())
        return false;
    return std::none_of(text.begin(), text.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return (b < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f') || b == 0x7F;
    });
}

Document ParseDocument(std::string text, const std::string& sourceName, const fs::path& baseDir) {
    JsonDocument::Options options;
    options.separateItems = "stories";
    // Kept for messages, which give the line and column of a mistake.
    const auto kept = std::make_shared<const std::string>(std::move(text));
    options.keepText = kept;
    JsonDocument root = JsonDocument::Parse(*kept, sourceName, options);
    Reader reader(sourceName, baseDir);
    reader.Locate(&root);
    return reader.Read(root.Root(), [&root](size_t item) { root.ReleaseItem(item); });
}

JsonDocument LoadJson(const fs::path& file) {
    return LoadJson(file, file.string());
}

JsonDocument LoadJson(const fs::path& file, const std::string& sourceName) {
    // The readers give each story's values back once it is read (ReadDocument).
    JsonDocument::Options options;
    options.separateItems = "stories";
    if (auto mapped = std::make_shared<MappedInput>(file); mapped->Mapped()) {
        // Strings point into the mapping; pages dropped come back from the file when read.
        options.keepText = mapped;
        options.progress = [&text = *mapped](size_t offset) { text.DropBefore(offset); };
        // Items are read in order, and reading one maps pages around it: drop all before its end.
        options.releaseText = [&text = *mapped](size_t, size_t end) { text.Drop(0, end); };
        options.textChanged = [&text = *mapped] { return text.Changed(); };
        try {
            return JsonDocument::Parse(mapped->View(), sourceName, options);
        } catch (const InputError&) {
            // A syntax error in a file cut short under us is not the author's.
            if (mapped->Changed())
                throw InputError(ChangedWhileRead(sourceName));
            throw;
        }
    }
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw InputError("cannot read \"" + sourceName + "\": " + std::strerror(errno));
    std::ostringstream text;
    text << in.rdbuf();
    // Kept for messages, which give the line and column of a mistake.
    const auto kept = std::make_shared<const std::string>(std::move(text).str());
    options.keepText = kept;
    return JsonDocument::Parse(*kept, sourceName, options);
}

Document ReadDocument(JsonDocument& tree, const fs::path& file) {
    return ReadDocument(tree, file, file.string(), file.parent_path());
}

Document ReadDocument(JsonDocument& tree, const fs::path& file, const std::string& sourceName,
                      const fs::path& baseDir, const MetadataAdjustment& adjust) {
    return ReadUnchanged(tree, sourceName, [&] {
        Reader reader(sourceName, baseDir);
        reader.Locate(&tree);
        reader.AdjustMetadata(adjust);
        Document doc = reader.Read(tree.Root(), [&tree](size_t item) { tree.ReleaseItem(item); });
        NameUntitled(doc, file);
        return doc;
    });
}

std::string ChangedWhileRead(const std::string& sourceName) {
    return sourceName + ": the file changed while it was being read; export it again";
}

Document ReadDocument(const JsonValue& root, const fs::path& file,
                      const std::function<void(size_t)>& itemDone) {
    Document doc = Reader(file.string(), file.parent_path()).Read(root, itemDone);
    NameUntitled(doc, file);
    return doc;
}

Document ReadDocument(const fs::path& file) {
    JsonDocument tree = LoadJson(file);
    return ReadDocument(tree, file);
}

} // namespace Cli

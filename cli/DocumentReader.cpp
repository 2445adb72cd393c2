#include "cli/DocumentReader.h"

#include "epub/package/FlowingEPubExporter.h"
#include "host/raster/DynamicBitmap.h"
#include "host/raster/ImageFile.h"
#include "host/text/AttributeIds.h"
#include "hostimpl/text/StoryBuilder.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <fstream>
#include <initializer_list>
#include <limits>
#include <map>
#include <set>
#include <sstream>
#include <utility>

namespace Cli {
namespace {

using json = nlohmann::json;
namespace fs = std::filesystem;

// A JSON value and the path that leads to it, so every error can say where it is.
struct Node {
    const json& value;
    std::string path;

    Node Field(const std::string& key) const { return {value.at(key), path + "." + key}; }
    Node Item(size_t i) const { return {value.at(i), path + "[" + std::to_string(i) + "]"}; }
    bool Has(const std::string& key) const { return value.contains(key); }
};

class Reader {
public:
    Reader(std::string source, fs::path baseDir)
        : source_(std::move(source)), baseDir_(std::move(baseDir)) {}

    Document Read(const json& root);

private:
    [[noreturn]] void Fail(const Node& node, const std::string& message) const {
        throw InputError(source_ + ": " + node.path + ": " + message);
    }

    void Expect(const Node& node, json::value_t type, const char* what) const;
    void CheckFields(const Node& node, std::initializer_list<std::string_view> allowed) const;
    std::string String(const Node& node, const std::string& key, std::string fallback = {}) const;
    bool Bool(const Node& node, const std::string& key, bool fallback) const;
    double Number(const Node& node, const std::string& key, double fallback) const;
    std::string ReadFile(const Node& node, const std::string& relative) const;
    std::string SafeName(const Node& node, const std::string& key) const;

    void ReadMetadata(const Node& node, EPub::ExportSettings& settings) const;
    void ReadOptions(const Node& node, Document& doc) const;
    void ReadCover(const Node& node, Document& doc) const;
    void ReadStyles(const Node& node, Text::StyleSheet& sheet) const;
    Counted<const Text::Delta> ReadDelta(const Node& node, bool paragraphAllowed) const;
    void ReadAttributes(const Node& node, Text::AttCategory category,
                        Text::AttributeSet& out) const;
    StoryEntry ReadStory(const Node& node, const Document& doc) const;
    void ReadParagraph(const Node& node, Text::StoryBuilder& builder,
                       Counted<const Text::AnchorData>& pendingAnchor) const;
    void ReadNote(const Node& node, Text::StoryBuilder& builder) const;
    void CheckStyle(const Node& node, const std::string& name, Text::StyleKind kind) const;

    std::string source_;
    fs::path baseDir_;
    const Text::StyleSheet* sheet_ = nullptr;
};

const char* TypeName(json::value_t type) {
    switch (type) {
    case json::value_t::object:
        return "an object";
    case json::value_t::array:
        return "an array";
    case json::value_t::string:
        return "a string";
    case json::value_t::boolean:
        return "true or false";
    case json::value_t::null:
        return "null";
    default:
        return "a number";
    }
}

void Reader::Expect(const Node& node, json::value_t type, const char* what) const {
    const bool numeric = type == json::value_t::number_float;
    if (numeric ? !node.value.is_number() : node.value.type() != type)
        Fail(node, std::string("expected ") + what + ", found " + TypeName(node.value.type()));
}

void Reader::CheckFields(const Node& node, std::initializer_list<std::string_view> allowed) const {
    Expect(node, json::value_t::object, "an object");
    for (const auto& [key, value] : node.value.items())
        if (std::find(allowed.begin(), allowed.end(), key) == allowed.end())
            Fail({value, node.path + "." + key}, "unknown field");
}

std::string Reader::String(const Node& node, const std::string& key, std::string fallback) const {
    if (!node.Has(key))
        return fallback;
    const Node field = node.Field(key);
    Expect(field, json::value_t::string, "a string");
    return field.value.get<std::string>();
}

bool Reader::Bool(const Node& node, const std::string& key, bool fallback) const {
    if (!node.Has(key))
        return fallback;
    const Node field = node.Field(key);
    Expect(field, json::value_t::boolean, "true or false");
    return field.value.get<bool>();
}

double Reader::Number(const Node& node, const std::string& key, double fallback) const {
    if (!node.Has(key))
        return fallback;
    const Node field = node.Field(key);
    Expect(field, json::value_t::number_float, "a number");
    return field.value.get<double>();
}

std::string Reader::ReadFile(const Node& node, const std::string& relative) const {
    const fs::path path = baseDir_ / relative;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        Fail(node, "cannot read file \"" + path.string() + "\"");
    std::ostringstream data;
    data << in.rdbuf();
    return data.str();
}

std::string Reader::SafeName(const Node& node, const std::string& key) const {
    if (!node.Has(key))
        Fail(node, "missing field \"" + key + "\"");
    const std::string name = String(node, key);
    if (!EPub::IsSafeDocumentName(name))
        Fail(node.Field(key), "file name \"" + name + "\" would leave the publication");
    return name;
}

void Reader::ReadMetadata(const Node& node, EPub::ExportSettings& s) const {
    CheckFields(node, {"title", "author", "illustrator", "description", "rights", "subject",
                       "publisher", "language", "identifier", "isbn"});
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

void Reader::ReadCover(const Node& node, Document& doc) const {
    CheckFields(node, {"image", "altText"});
    if (!node.Has("image"))
        Fail(node, "missing field \"image\"");
    const std::string image = String(node, "image");
    auto bitmap = Raster::DecodeImage(ReadFile(node.Field("image"), image));
    if (!bitmap)
        Fail(node.Field("image"), "\"" + image + "\" is not a JPEG, PNG or GIF image");
    doc.settings->coverImage = std::move(bitmap);
    doc.settings->coverImageName = "Cover";
    doc.options->SetCoverPageType(EPub::CoverPageType::Image);
    doc.options->SetCoverPageAltText(String(node, "altText", "Cover"));
}

// Enumerated integer attributes may be given by name.
const std::map<std::string_view, std::map<std::string_view, int32_t>>& NamedValues() {
    static const std::map<std::string_view, std::map<std::string_view, int32_t>> table{
        {"alignment", {{"left", 0}, {"centre", 1}, {"center", 1}, {"right", 2}, {"justify", 3}}},
        {"startPosition",
         {{"anywhere", 0},
          {"nextLine", 1},
          {"nextFrame", 3},
          {"nextColumn", 4},
          {"nextPage", 5},
          {"nextOddPage", 6},
          {"nextEvenPage", 7},
          {"nextSection", 8}}},
        {"fontStyle", {{"upright", 0}, {"normal", 0}, {"italic", 1}, {"oblique", 2}}},
        {"baselinePosition", {{"normal", 0}, {"superscript", 1}, {"subscript", 2}}},
        {"underline", {{"none", 0}, {"single", 1}, {"double", 2}}},
        {"strikethrough", {{"none", 0}, {"single", 1}, {"double", 2}}},
    };
    return table;
}

void Reader::ReadAttributes(const Node& node, Text::AttCategory category,
                            Text::AttributeSet& out) const {
    Expect(node, json::value_t::object, "an object");
    for (const auto& [key, value] : node.value.items()) {
        const Node field{value, node.path + "." + key};
        const Text::AttInfo* info = Text::FindAttInfo(category, key);
        if (!info || info->kind == Text::AttKind::Object || key == "styleName" ||
            key == "characterStyleName")
            Fail(field, "unknown attribute");
        switch (info->kind) {
        case Text::AttKind::Integer:
            if (value.is_boolean()) {
                out.Set(info->id, int32_t{value.get<bool>()});
            } else if (value.is_string()) {
                const auto table = NamedValues().find(key);
                const auto names = table == NamedValues().end() ? nullptr : &table->second;
                const auto it =
                    names ? names->find(value.get<std::string>()) : decltype(names->end()){};
                if (!names || it == names->end())
                    Fail(field, "unknown value \"" + value.get<std::string>() + "\"");
                out.Set(info->id, it->second);
            } else if (value.is_number_integer() &&
                       value.get<int64_t>() >= std::numeric_limits<int32_t>::min() &&
                       value.get<int64_t>() <= std::numeric_limits<int32_t>::max()) {
                out.Set(info->id, static_cast<int32_t>(value.get<int64_t>()));
            } else {
                Fail(field, "expected an integer");
            }
            break;
        case Text::AttKind::Double:
            Expect(field, json::value_t::number_float, "a number");
            out.Set(info->id, value.get<double>());
            break;
        case Text::AttKind::String:
            Expect(field, json::value_t::string, "a string");
            out.Set(info->id, StringT(value.get<std::string>()));
            break;
        case Text::AttKind::Object:
            break;
        }
    }
}

Counted<const Text::Delta> Reader::ReadDelta(const Node& node, bool paragraphAllowed) const {
    Text::AttributeSet paragraph, glyph;
    if (paragraphAllowed && node.Has("paragraph"))
        ReadAttributes(node.Field("paragraph"), Text::AttCategory::Paragraph, paragraph);
    if (node.Has("character"))
        ReadAttributes(node.Field("character"), Text::AttCategory::Glyph, glyph);
    if (paragraph.empty() && glyph.empty())
        return {};
    return Foundation::MakeCounted<Text::Delta>(std::move(paragraph), std::move(glyph));
}

void Reader::ReadStyles(const Node& node, Text::StyleSheet& sheet) const {
    Expect(node, json::value_t::array, "an array");
    std::set<std::string> names;
    for (size_t i = 0; i < node.value.size(); ++i) {
        const Node item = node.Item(i);
        CheckFields(item, {"name", "kind", "base", "paragraph", "character"});
        const std::string name = String(item, "name");
        if (name.empty())
            Fail(item, "missing field \"name\"");
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
        if (!base.empty() && sheet.GetStyle(base)->GetKind() != kind)
            Fail(item.Field("base"), "style \"" + base + "\" is of another kind");
        auto delta = ReadDelta(item, true);
        if (!delta)
            delta = Foundation::MakeCounted<Text::Delta>();
        sheet.AddStyle(Text::Style::Make(name, kind, base, std::move(delta)));
    }
}

void Reader::CheckStyle(const Node& node, const std::string& name, Text::StyleKind kind) const {
    const auto style = sheet_->GetStyle(name);
    if (!style)
        Fail(node, "unknown style \"" + name + "\"");
    if (style->GetKind() != kind)
        Fail(node, "style \"" + name + "\" is not a " +
                       (kind == Text::StyleKind::Paragraph ? "paragraph" : "character") + " style");
}

// The story's start anchor goes inside its first paragraph; written before it, the anchor would
// stand in an empty paragraph of its own.
void PlaceAnchor(Text::StoryBuilder& builder, Counted<const Text::AnchorData>& pending) {
    if (pending)
        builder.Anchor(std::exchange(pending, nullptr));
}

void Reader::ReadParagraph(const Node& node, Text::StoryBuilder& builder,
                           Counted<const Text::AnchorData>& pendingAnchor) const {
    if (node.value.is_string()) {
        builder.Paragraph();
        PlaceAnchor(builder, pendingAnchor);
        builder.Text(node.value.get<std::string>());
        return;
    }
    CheckFields(node, {"style", "paragraph", "character", "runs", "text"});
    const std::string style = String(node, "style");
    if (!style.empty())
        CheckStyle(node.Field("style"), style, Text::StyleKind::Paragraph);
    builder.Paragraph(style, ReadDelta(node, true));
    PlaceAnchor(builder, pendingAnchor);
    if (node.Has("text"))
        builder.Text(String(node, "text"));
    if (!node.Has("runs"))
        return;
    const Node runs = node.Field("runs");
    Expect(runs, json::value_t::array, "an array");
    for (size_t i = 0; i < runs.value.size(); ++i) {
        const Node run = runs.Item(i);
        if (run.value.is_string()) {
            builder.Text(run.value.get<std::string>());
            continue;
        }
        if (run.Has("footnote") || run.Has("endnote")) {
            ReadNote(run, builder);
            continue;
        }
        CheckFields(run, {"text", "style", "character"});
        const std::string runStyle = String(run, "style");
        if (!runStyle.empty())
            CheckStyle(run.Field("style"), runStyle, Text::StyleKind::Character);
        builder.Text(String(run, "text"), runStyle, ReadDelta(run, false));
    }
}

void Reader::ReadNote(const Node& node, Text::StoryBuilder& builder) const {
    CheckFields(node, {"footnote", "endnote", "style"});
    const bool foot = node.Has("footnote");
    if (foot && node.Has("endnote"))
        Fail(node, "a note is either a footnote or an endnote");
    const std::string key = foot ? "footnote" : "endnote";
    const std::string style = String(node, "style");
    if (!style.empty())
        CheckStyle(node.Field("style"), style, Text::StyleKind::Paragraph);
    Text::StoryBuilder body(builder.GetStyleSheet());
    body.Paragraph(style).Text(String(node, key));
    builder.Note(foot ? Text::NoteKind::Footnote : Text::NoteKind::Endnote, body.Build());
}

StoryEntry Reader::ReadStory(const Node& node, const Document& doc) const {
    CheckFields(node, {"file", "title", "toc", "page", "paragraphs"});
    StoryEntry entry;
    entry.fileName = SafeName(node, "file");
    entry.title = String(node, "title");
    entry.tocText = String(node, "toc");
    entry.pageLabel = String(node, "page");
    Text::StoryBuilder builder(doc.styles);
    entry.startAnchor = doc.styles->GetDocument()->MakeAnchor(entry.fileName);
    Counted<const Text::AnchorData> pending = entry.startAnchor;
    if (node.Has("paragraphs")) {
        const Node paragraphs = node.Field("paragraphs");
        Expect(paragraphs, json::value_t::array, "an array");
        for (size_t i = 0; i < paragraphs.value.size(); ++i)
            ReadParagraph(paragraphs.Item(i), builder, pending);
    }
    PlaceAnchor(builder, pending);
    entry.story = builder.Build();
    return entry;
}

Document Reader::Read(const json& root) {
    const Node top{root, "$"};
    CheckFields(top, {"metadata", "options", "cover", "styles", "stories"});
    Document doc;
    doc.settings = Foundation::MakeCounted<EPub::ExportSettings>();
    doc.options = Foundation::MakeCounted<EPub::FlowingEPubOptions>(
        Render::FileExportOptionsVector::Preset::Standard);
    doc.styles = Text::StyleSheet::Make(Text::TextDocument::Make());
    sheet_ = doc.styles.get();
    doc.settings->language = "en";
    if (top.Has("metadata"))
        ReadMetadata(top.Field("metadata"), *doc.settings);
    if (top.Has("options"))
        ReadOptions(top.Field("options"), doc);
    if (top.Has("cover"))
        ReadCover(top.Field("cover"), doc);
    if (top.Has("styles"))
        ReadStyles(top.Field("styles"), *doc.styles);
    doc.settings->styles = doc.styles;
    doc.settings->defaultGlyphAtts = doc.styles->GetDocument()->GetDefaultGlyphAtts();
    if (!top.Has("stories"))
        Fail(top, "missing field \"stories\"");
    const Node stories = top.Field("stories");
    Expect(stories, json::value_t::array, "an array");
    std::set<std::string> files;
    for (size_t i = 0; i < stories.value.size(); ++i) {
        const Node item = stories.Item(i);
        auto entry = ReadStory(item, doc);
        if (!files.insert(entry.fileName.str()).second)
            Fail(item.Field("file"), "file name \"" + entry.fileName.str() + "\" is used twice");
        doc.stories.push_back(std::move(entry));
    }
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

// SPDX-License-Identifier: MIT
#include "epub/fixed/Publication.h"

#include "epub/fixed/PageWriter.h"
#include "epub/package/PackageText.h"
#include "host/foundation/Uuid.h"

#include <algorithm>
#include <cctype>

namespace EPub {

using Foundation::ToStringT;

namespace {

constexpr uint32_t kFileAttributes = 0100666;

// A table, four slots a row.
// clang-format off
constexpr std::array<std::string_view, kLandmarkSlots> kLandmarkNames = {
    "cover",           "toc",            "bodymatter",   "title-page",
    "frontmatter",     "backmatter",     "loi",          "lot",
    "preface",         "bibliography",   "index",        "glossary",
    "acknowledgments", "copyright-page", "afterword",    "appendix",
    "conclusion",      "credits",        "endnotes",     "epilogue",
    "errata",          "foreword",       "introduction", "prologue"};
// clang-format on

std::string_view Extension(MediaType type) {
    switch (type) {
    case MediaType::GIF:
        return ".gif";
    case MediaType::JPEG:
        return ".jpg";
    case MediaType::SVG:
        return ".svg";
    default:
        return ".png";
    }
}

std::string_view FileNamePart(std::string_view path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string ReplaceExtension(std::string_view name, std::string_view extension) {
    const size_t dot = name.rfind('.');
    return std::string(dot == std::string_view::npos ? name : name.substr(0, dot)) +
           std::string(extension);
}

} // namespace

std::string_view LandmarkName(size_t slot) {
    return slot < kLandmarkSlots ? kLandmarkNames[slot] : std::string_view();
}

std::optional<size_t> LandmarkSlot(std::string_view name) {
    // The short name pages were once tagged with.
    if (name == "copyright")
        name = "copyright-page";
    for (size_t i = 0; i < kLandmarkSlots; ++i)
        if (kLandmarkNames[i] == name)
            return i;
    return std::nullopt;
}

StringT SafeEntryName(std::string_view name) {
    std::string out;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        const bool keep = u < 0x80 && (std::isalnum(u) || ((c == '-' || c == '.') && !out.empty()));
        out += keep ? c : '_';
    }
    return StringT(out.empty() ? "x" : out);
}

Publication::Publication(std::string_view root, const StringT& documentPath, StringT identifier,
                         StringT title, StringT language,
                         NonCounted<const Text::StyleSheet> styleSheet,
                         NonCounted<const Text::GlyphAtts> defaultAtts, Layout layout)
    : root_(root), identifier_(std::move(identifier)), title_(std::move(title)),
      language_(std::move(language)), layout_(layout), styleSheet_(styleSheet),
      defaultAtts_(defaultAtts) {
    // Blank as a reflowable publication's is: nothing XML can hold but spaces.
    if (DropXmlIllegal(identifier_.view()).view().find_first_not_of(" \t\r\n") ==
        std::string_view::npos)
        identifier_ = "urn:uuid:" + Foundation::Uuid::Generate().ToString();
    if (title_.empty()) {
        const std::string_view last = FileNamePart(documentPath.view());
        const size_t dot = last.rfind('.');
        title_ = StringT(dot == std::string_view::npos ? last : last.substr(0, dot));
    }
    languages_.emplace_back(language_, 0);
}

StringT Publication::UniquePath(const StringT& folder, const StringT& safeName) const {
    StringT path = root_ + "/" + folder + safeName;
    const std::string name = safeName.str();
    const size_t dot = name.rfind('.');
    const std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
    const std::string ext = dot == std::string::npos ? "" : name.substr(dot);
    for (int k = 1; archive_ && archive_->Exists(path); ++k)
        path = root_ + "/" + folder + StringT(stem + "-" + std::to_string(k) + ext);
    return path;
}

bool Publication::Add(const Page& page, std::string_view label, PageSpread spread, uint32_t types) {
    const StringT name = "page" + ToStringT(page.GetNumber());
    for (const auto& [language, count] : page.GetLanguages()) {
        auto it =
            std::find_if(languages_.begin(), languages_.end(),
                         [&lang = language](const auto& entry) { return entry.first == lang; });
        if (it == languages_.end())
            languages_.emplace_back(language, count);
        else
            it->second += count;
    }
    pages_.push_back({name, StringT(label), spread});
    const auto ordinal = static_cast<uint32_t>(pages_.size());
    bool ok = false;
    if (archive_) {
        auto out =
            archive_->Add(root_ + "/" + name + ".xhtml", true, std::nullopt, kFileAttributes);
        if (out) {
            // The page's text decides which glyphs the embedded fonts keep.
            Foundation::MemoryOutStream xhtml;
            const PageContext context{language_, styleSheets_,
                                      [this](uint64_t p, uint32_t n) { return AnchorId(p, n); }};
            WritePageDocument(xhtml, context, page, label);
            characters_.AddMarkup(xhtml.Data());
            ok = out->Write(xhtml.Data());
        }
        {
            auto css =
                archive_->Add(root_ + "/css/" + name + ".css", true, std::nullopt, kFileAttributes);
            if (css)
                css->Write(page.GetStyleSheet());
            else
                ok = false;
        }
    }
    RecordLandmarks(page, ordinal, types);
    return ok;
}

void Publication::RecordLandmarks(const Page& page, uint32_t ordinal, uint32_t types) {
    for (const StringT& tag : page.GetTags()) {
        if (tag == "epub:copyright-page") {
            if (landmarks_[13] == 0)
                landmarks_[13] = ordinal;
            continue;
        }
        if (!tag.StartsWith("epub:"))
            continue;
        const auto slot = LandmarkSlot(tag.view().substr(5));
        if (slot && (landmarks_[*slot] == 0 || (landmarks_[*slot] & kLandmarkFromTypes)))
            landmarks_[*slot] = ordinal;
    }
    for (size_t slot = 0; slot < kLandmarkSlots; ++slot) {
        if (!(types & (1u << slot)))
            continue;
        if (slot == 0)
            landmarks_[0] = ordinal | kLandmarkFromTypes;
        else if (landmarks_[slot] == 0)
            landmarks_[slot] = ordinal;
    }
}

StringT Publication::AddCSS(const StringT& name, const Foundation::DataSource& data,
                            std::optional<Foundation::TimeStamp> modified) {
    std::string file(FileNamePart(name.view()));
    if (GetMediaType(file) != MediaType::CSS)
        file = ReplaceExtension(file, ".css");
    if (file == "styles.css") {
        file = "styles-1.css";
    } else if (file.starts_with("page") && file.size() > 8 && file.ends_with(".css") &&
               std::all_of(file.begin() + 4, file.end() - 4,
                           [](char c) { return c >= '0' && c <= '9'; })) {
        file = file.substr(0, file.size() - 4) + "-1.css";
    }
    const StringT path = UniquePath("css/", SafeEntryName(file));
    if (!archive_)
        return {};
    auto in = data.Open();
    auto out = archive_->Add(path, true, modified, kFileAttributes);
    if (!in || !out || !Foundation::CopyStream(*in, *out))
        return {};
    const StringT relative = path.Substr(root_.size() + 1);
    styleSheets_.push_back(relative);
    return relative;
}

uint32_t Publication::AddDocStyle(Section section, std::string_view name,
                                  std::string declarations) {
    for (size_t i = 0; i < docStyles_.size(); ++i)
        if (docStyles_[i].section == section && docStyles_[i].declarations == declarations &&
            (name.empty() || docStyles_[i].name == name))
            return static_cast<uint32_t>(i + 1);
    StringT styleName(name);
    if (styleName.empty())
        styleName = StringT::Format("s%1", docStyles_.size() + 1);
    docStyles_.push_back({section, styleName, std::move(declarations)});
    return static_cast<uint32_t>(docStyles_.size());
}

StringT Publication::BreakHyphenClass() {
    AddDocStyle(Section::Builtin, "break-hyphen::after", "content: \"-\"");
    return "break-hyphen";
}

StringT Publication::HiddenLayerClass() {
    if (hiddenLayerClass_.empty()) {
        AddDocStyle(Section::Builtin, "hidden-layer", "display: none");
        AddDocStyle(Section::Builtin, "hidden-layer > *", "display: none");
        hiddenLayerClass_ = "hidden-layer";
    }
    return hiddenLayerClass_;
}

StringT Publication::Anchor(NoteType type, const NotePos& pos, std::optional<StringT> anchor) {
    if (const auto it = notes_.find(pos); it != notes_.end())
        return it->second;
    if (anchor)
        return notes_[pos] = *anchor;
    StringT id;
    switch (type) {
    case NoteType::Footnote:
        id = "footnoteref" + ToStringT(++noteCounters_[0]);
        break;
    case NoteType::Endnote:
        id = "endnoteref" + ToStringT(++noteCounters_[1]);
        break;
    case NoteType::Sidenote:
        id = "sidenoteref" + ToStringT(++noteCounters_[2]);
        break;
    case NoteType::None:
        id = "noteref";
        break;
    }
    return notes_[pos] = id;
}

namespace {

constexpr size_t kMinAnchorName = 3;
constexpr size_t kMaxAnchorName = 59;

bool AllDigits(std::string_view s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Ids the page writer makes itself ("pg3", "a7", "span12-5", "page-2"): a name may not take one.
bool IsGeneratedId(std::string_view id) {
    for (const std::string_view prefix : {"pg", "a", "page-"})
        if (id.starts_with(prefix) && AllDigits(id.substr(prefix.size())))
            return true;
    for (const std::string_view prefix : {"span", "div"}) {
        if (!id.starts_with(prefix))
            continue;
        const std::string_view rest = id.substr(prefix.size());
        const auto dash = rest.find('-');
        if (dash != std::string_view::npos && AllDigits(rest.substr(0, dash)) &&
            AllDigits(rest.substr(dash + 1)))
            return true;
    }
    return false;
}

size_t CharacterCount(std::string_view utf8) {
    return static_cast<size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

} // namespace

std::string AnchorNameToId(std::string_view name) {
    std::string id;
    for (size_t i = 0; i < name.size(); ++i) {
        const auto byte = static_cast<unsigned char>(name[i]);
        if ((byte & 0xC0) == 0x80)
            continue; // the rest of a character already replaced
        const bool keep = std::isalnum(byte) || byte == '-' || byte == '_' || byte == '.';
        id += keep && byte < 0x80 ? name[i] : '_';
    }
    if (id.empty() || !(std::isalpha(static_cast<unsigned char>(id[0])) || id[0] == '_'))
        id.insert(id.begin(), '_');
    return id;
}

StringT Publication::Anchor(uint32_t page, uint32_t number, const StringT& name, uint64_t key) {
    std::string id;
    const size_t length = CharacterCount(name.view());
    if (length >= kMinAnchorName && length <= kMaxAnchorName) {
        const std::string base = AnchorNameToId(name.view());
        id = base;
        for (int n = 2; IsGeneratedId(id) || anchorNames_.contains(id); ++n)
            id = base + "-" + std::to_string(n);
        anchorNames_.insert(id);
    }
    anchors_.emplace(key, std::make_tuple(page, number, StringT(id)));
    return id.empty() ? StringT("a" + std::to_string(number)) : StringT(id);
}

StringT Publication::AnchorId(uint64_t page, uint32_t number) const {
    const auto [first, last] = anchors_.equal_range(page);
    for (auto it = first; it != last; ++it)
        if (std::get<1>(it->second) == number && !std::get<2>(it->second).empty())
            return std::get<2>(it->second);
    return StringT("a" + std::to_string(number));
}

Publication::Img Publication::StoreImage(std::optional<StringT> sourceName, MediaType type,
                                         bool cover,
                                         std::optional<Foundation::TimeStamp> modified) {
    const uint32_t n = ++imageCounter_;
    std::string file;
    if (!sourceName || sourceName->empty()) {
        file = (cover ? std::string("cover") : std::to_string(n)) + std::string(Extension(type));
    } else {
        file = std::string(FileNamePart(sourceName->view()));
        if (GetMediaType(file) != type)
            file = ReplaceExtension(file, Extension(type));
    }
    const StringT path = UniquePath("image/", SafeEntryName(file));
    Img img;
    img.path = path.Substr(root_.size() + 1);
    if (!archive_)
        return img;
    img.entry = archive_->size();
    // Compressed images barely shrink; store them.
    img.out = archive_->Add(path, type == MediaType::SVG, modified, kFileAttributes);
    if (cover)
        coverImage_ = img.entry;
    images_.push_back({img.path, type, img.entry});
    return img;
}

StringT Publication::UseFont(const FontRecord& font) {
    for (const auto& f : fonts_)
        if (f.path == font.path && f.faceIndex == font.faceIndex)
            return f.family;
    FontRecord record = font;
    // One family name per face, so each face keeps its own weight and style in the rules.
    record.family = StringT::Format("%1 %2", font.family, fonts_.size() + 1);
    fonts_.push_back(record);
    return record.family;
}

} // namespace EPub

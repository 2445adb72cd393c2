// SPDX-License-Identifier: MIT
#include "epub/css/FontList.h"

#include "epub/package/FontWriter.h"
#include "host/foundation/FontCollection.h"
#include "host/foundation/FontSubset.h"

namespace EPub {

namespace {

constexpr size_t kStreamBuffer = 64 * 1024;

StringT FamilyFromNameTable(const Foundation::FontHandle& handle) {
    StringT family = handle.GetNameTable().GetFamilyName();
    if (const size_t bar = family.Find('|'); bar != StringT::npos)
        family = family.Substr(0, bar);
    return family.empty() ? handle.GetFont().GetFamilyName() : family;
}

// The face as a standalone font: a collection is reduced to the face of `family`; any other file,
// and a collection without that face, is kept whole.
std::string FaceData(Foundation::InStream& in, const StringT& family) {
    std::string data = Foundation::ReadAll(in);
    if (!Foundation::IsFontCollection(data))
        return data;
    const auto index = Foundation::FindCollectionFace(data, family.view());
    if (!index)
        return data;
    auto face = Foundation::ExtractCollectionFace(data, *index);
    return face ? std::move(*face) : data;
}

const char* FontFormat(std::string_view data) {
    return data.substr(0, 4) == "OTTO" ? "opentype" : "truetype";
}

// The same face: one file (and face of a collection), or one memory font.
bool SameFace(const Foundation::FontHandle& a, const Foundation::FontHandle& b) {
    if (a.IsInMemory() || b.IsInMemory())
        return a.GetFileName() == b.GetFileName() && a.GetFaceIndex() == b.GetFaceIndex();
    return a.GetFilePath() == b.GetFilePath() && a.GetFaceIndex() == b.GetFaceIndex();
}

StringT QuotedFamily(const StringT& family) {
    StringT out = "\"";
    for (const char c : family) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

} // namespace

FontList::FontList(std::string_view identifier, Counted<const Foundation::FontCache> fonts)
    : key_(MakeFontKey(identifier)), fonts_(std::move(fonts)) {}

Counted<Foundation::FontHandle> FontList::OpenFace(const Foundation::Font& font) const {
    return fonts_ ? fonts_->MakeHandle(font) : Foundation::FontHandle::Make(font);
}

StringT FontList::RegisterFont(const Foundation::Font& font) {
    if (const auto it = entries_.find(font); it != entries_.end())
        return it->second.family.empty() ? font.GetFamilyName() : it->second.family;
    Entry entry;
    entry.handle = OpenFace(font);
    entry.family = entry.handle ? FamilyFromNameTable(*entry.handle) : font.GetFamilyName();
    // Bold and italic faces of a family have files of their own; a style that falls back on a
    // face already listed shares its file.
    for (const auto& [other, existing] : entries_)
        if (existing.handle && !existing.shared && entry.handle &&
            SameFace(*existing.handle, *entry.handle))
            entry.shared = true;
    StringT family = entry.family;
    entries_.emplace(font, std::move(entry));
    return family;
}

size_t FontList::Embed(const Entry& entry, ZipArchive& archive, std::string_view contentRoot) {
    if (!entry.handle || !entry.handle->CanEmbed())
        return 0;
    // Streamed unless it is a collection: a whole font in memory (and the host's 1 MB read
    // buffer) would come on top of everything the export holds at its end.
    const auto in = entry.handle->OpenData(kStreamBuffer);
    if (!in)
        return 0;
    std::string tag(4, '\0');
    tag.resize(in->Read(tag.data(), tag.size()));
    if (!in->Rewind())
        return 0;
    const StringT name = entry.handle->GetFileName();
    const auto modified = entry.handle->GetModifiedTime();
    if (auto cut = Subset(entry, *in)) {
        const StringT plain = PlainFontName(name, *cut);
        Foundation::MemoryInStream face(std::move(*cut));
        return WriteFontFile(archive, contentRoot, {plain, face, modified, {}}, key_, records_);
    }
    if (!in->Rewind())
        return 0;
    if (!Foundation::IsFontCollection(tag))
        return WriteFontFile(archive, contentRoot, {name, *in, modified, {}}, key_, records_);
    std::string data = FaceData(*in, entry.family);
    const StringT plain = PlainFontName(name, data);
    Foundation::MemoryInStream face(std::move(data));
    return WriteFontFile(archive, contentRoot, {plain, face, modified, {}}, key_, records_);
}

std::optional<std::string> FontList::Subset(const Entry& entry, Foundation::InStream& in) const {
    if (!subset_ || (entry.handle->GetLicenceType() & Foundation::kNoSubsettingLicence) != 0)
        return std::nullopt;
    const std::string whole = Foundation::ReadAll(in);
    const std::vector<char32_t> characters = characters_.Sorted();
    auto cut = Foundation::SubsetFont(whole, entry.handle->GetFaceIndex(), characters);
    // A subset no smaller than the face (a font of only the glyphs used) gains nothing.
    if (!cut || cut->size() >= whole.size())
        return std::nullopt;
    return cut;
}

void FontList::WriteFontFaces(Foundation::OutStream& css, ZipArchive& archive,
                              std::string_view contentRoot) {
    for (auto& [font, entry] : entries_) {
        if (entry.shared || entry.record != 0)
            continue;
        entry.record = Embed(entry, archive, contentRoot);
        if (entry.record == 0)
            continue;
        const Foundation::Font& face = entry.handle->GetFont();
        const size_t index = records_[entry.record - 1].entryIndex;
        StringT url = archive.Path(index);
        const StringT prefix = JoinEntryPath(contentRoot, "");
        if (url.StartsWith(prefix))
            url = url.Substr(prefix.size());
        std::string head(4, '\0');
        if (const auto in = entry.handle->OpenData(4096))
            head.resize(in->Read(head.data(), head.size()));
        css << "@font-face {\n"
            << "font-family: " << QuotedFamily(entry.family) << ";\n"
            << "font-weight: " << StringT::Format("%1", face.GetWeight()) << ";\n"
            << "font-style: " << (face.IsItalic() ? "italic" : "normal") << ";\n"
            << "src: url(\"../" << url << "\") format(\"" << FontFormat(head) << "\");\n"
            << "}\n\n";
    }
}

std::vector<size_t> FontList::GetRecordNumbers() const {
    std::vector<size_t> numbers;
    for (const auto& [font, entry] : entries_)
        if (entry.record != 0)
            numbers.push_back(entry.record);
    return numbers;
}

} // namespace EPub

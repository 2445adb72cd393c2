// SPDX-License-Identifier: MIT
#include "epub/package/FontWriter.h"

#include "epub/package/EntryName.h"

#include <array>

namespace EPub {

namespace {

// Fills as much of `buffer` as the stream gives; a stream may hand out fewer bytes per call.
size_t ReadUpTo(Foundation::InStream& in, std::span<uint8_t> buffer) {
    size_t total = 0;
    while (total < buffer.size()) {
        const size_t n = in.Read(buffer.data() + total, buffer.size() - total);
        if (n == 0)
            break;
        total += n;
    }
    return total;
}

} // namespace

namespace {

// Zip readers on case-insensitive file systems see "A.ttf" and "a.ttf" as one entry.
bool IsTaken(const ZipArchive& archive, const StringT& path) {
    for (size_t i = 0; i < archive.size(); ++i)
        if (archive.Path(i).EqualsNoCase(path.view()))
            return true;
    return false;
}

} // namespace

StringT UniqueFontEntryPath(const ZipArchive& archive, std::string_view contentRoot,
                            std::string_view fileName) {
    const StringT folder = JoinEntryPath(contentRoot, "font/");
    // A font's file name is the user's; its entry name must suit the container.
    const StringT name = EntryName(fileName);
    StringT path = folder + name;
    // Terminates: at most size() names can be taken.
    for (int n = 1; IsTaken(archive, path); ++n)
        path = folder + NumberedName(name.view(), n);
    return path;
}

StringT PlainFontName(const StringT& name, std::string_view data) {
    const std::string_view view = name.view();
    const size_t dot = view.rfind('.');
    if (dot == std::string_view::npos || !StringT(view.substr(dot)).EqualsNoCase(".ttc"))
        return name;
    return StringT(view.substr(0, dot)) + (data.substr(0, 4) == "OTTO" ? ".otf" : ".ttf");
}

size_t WriteFontFile(ZipArchive& archive, std::string_view contentRoot, const FontFile& font,
                     const FontKey& key, EmbeddedFonts& records) {
    if (font.name.empty())
        return 0;
    const StringT path = UniqueFontEntryPath(archive, contentRoot, font.name);
    const size_t index = archive.size();
    const auto out =
        archive.Add(path, true, font.modified, font.attributes.value_or(kEntryAttributes));
    if (!out)
        return 0;

    std::array<uint8_t, kObfuscatedLength> head;
    const size_t read = ReadUpTo(font.data, head);
    if (read == 0)
        return 0;
    const std::span<uint8_t> obfuscated(head.data(), read);
    ObfuscateFont(obfuscated, key);
    if (out->Write(obfuscated.data(), obfuscated.size()) != obfuscated.size())
        return 0;
    if (!Foundation::CopyStream(font.data, *out))
        return 0;

    records.push_back({font.name, index});
    return records.size();
}

} // namespace EPub

#include "epub/package/FontWriter.h"

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

StringT UniqueFontEntryPath(const ZipArchive& archive, std::string_view contentRoot,
                            std::string_view fileName) {
    const StringT folder = JoinEntryPath(contentRoot, "font/");
    StringT path = folder + fileName;
    if (!archive.Exists(path))
        return path;

    const size_t dot = fileName.rfind('.');
    const std::string_view stem = fileName.substr(0, dot);
    const std::string_view extension = dot == std::string_view::npos ? "" : fileName.substr(dot);
    // Terminates: at most size() names can be taken.
    for (size_t n = 1;; ++n) {
        path = StringT::Format("%1%2-%3%4", folder, stem, n, extension);
        if (!archive.Exists(path))
            return path;
    }
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

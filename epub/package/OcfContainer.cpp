// SPDX-License-Identifier: MIT
#include "epub/package/OcfContainer.h"

#include "epub/xml/XmlWriter.h"

#include <numeric>

namespace EPub {

namespace {

constexpr std::string_view kContainerNamespace = "urn:oasis:names:tc:opendocument:xmlns:container";
constexpr std::string_view kEncryptionNamespace = "http://www.w3.org/2001/04/xmlenc#";
constexpr std::string_view kFontObfuscationAlgorithm = "http://www.idpf.org/2008/embedding";

} // namespace

StringT JoinEntryPath(std::string_view root, std::string_view name) {
    StringT path(root);
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path + name;
}

Counted<Foundation::OutStream> AddEntry(ZipArchive& archive, const StringT& path) {
    return archive.Add(path, true, std::nullopt, kEntryAttributes);
}

bool AddMimeType(ZipArchive& archive) {
    const auto out = AddEntry(archive, "mimetype");
    return out && out->Write("application/epub+zip");
}

bool AddContainer(ZipArchive& archive, std::string_view contentRoot, std::string_view packageName) {
    const auto out = AddEntry(archive, "META-INF/container.xml");
    if (!out)
        return false;
    XmlWriter x;
    x.Declare(XmlWriter::Declaration::Standalone).Open("container");
    x.Attribute("xmlns", kContainerNamespace).Attribute("version", "1.0").Close().Space("\n");
    x.Open("rootfiles").Close().Space("\n");
    x.Open("rootfile").Attribute("full-path", JoinEntryPath(contentRoot, packageName));
    x.Attribute("media-type", "application/oebps-package+xml").CloseEmpty().Space("\n");
    x.End("rootfiles").Space("\n").End("container").Space("\n");
    return out->Write(x.View());
}

bool AddEncryption(ZipArchive& archive, const EmbeddedFonts& records,
                   std::span<const size_t> recordNumbers) {
    std::vector<StringT> paths;
    for (const size_t number : recordNumbers) {
        if (number == 0 || number > records.size())
            continue;
        const size_t index = records[number - 1].entryIndex;
        if (index == 0 || index >= archive.size())
            continue;
        paths.push_back(archive.Path(index));
    }
    if (paths.empty())
        return true;

    const auto out = AddEntry(archive, "META-INF/encryption.xml");
    if (!out)
        return false;
    XmlWriter x;
    x.Open("encryption").Attribute("xmlns", kContainerNamespace);
    x.Attribute("xmlns:enc", kEncryptionNamespace).Close().Space("\n");
    for (const StringT& path : paths) {
        x.Open("enc:EncryptedData").Close().Space("\n");
        x.Open("enc:EncryptionMethod").Attribute("Algorithm", kFontObfuscationAlgorithm);
        x.CloseEmpty(true).Open("enc:CipherData").Close().Space("\n");
        x.Open("enc:CipherReference").Path("URI", path.view()).CloseEmpty().Space("\n");
        x.End("enc:CipherData").Space("\n").End("enc:EncryptedData").Space("\n");
    }
    x.End("encryption").Space("\n");
    return out->Write(x.View());
}

bool AddEncryption(ZipArchive& archive, const EmbeddedFonts& records) {
    std::vector<size_t> all(records.size());
    std::iota(all.begin(), all.end(), size_t{1});
    return AddEncryption(archive, records, all);
}

} // namespace EPub

// SPDX-License-Identifier: MIT
#include "epub/package/OcfContainer.h"

#include "epub/content/TextEncoding.h"
#include "epub/package/PackageText.h"

#include <numeric>

namespace EPub {

namespace {

constexpr std::string_view kXmlDeclaration =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
constexpr std::string_view kContainerNamespace = "urn:oasis:names:tc:opendocument:xmlns:container";
constexpr std::string_view kEncryptionNamespace = "http://www.w3.org/2001/04/xmlenc#";
constexpr std::string_view kFontObfuscationAlgorithm = "http://www.idpf.org/2008/embedding";

// Writes piece by piece and remembers whether every piece went through; after the first short
// write the stream writes nothing more anyway.
class PieceWriter {
public:
    explicit PieceWriter(Foundation::OutStream& out) : out_(out) {}
    PieceWriter& operator<<(std::string_view piece) {
        ok_ = ok_ && out_.Write(piece);
        return *this;
    }
    bool Ok() const noexcept { return ok_; }

private:
    Foundation::OutStream& out_;
    bool ok_ = true;
};

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
    PieceWriter w(*out);
    w << kXmlDeclaration
      << StringT::Format("<container xmlns=\"%1\" version=\"1.0\">\n", kContainerNamespace)
      << "<rootfiles>\n"
      << "<rootfile full-path=\"" << XMLEncode(JoinEntryPath(contentRoot, packageName))
      << "\" media-type=\"application/oebps-package+xml\"/>\n"
      << "</rootfiles>\n"
      << "</container>\n";
    return w.Ok();
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
    PieceWriter w(*out);
    w << StringT::Format("<encryption xmlns=\"%1\" xmlns:enc=\"%2\">\n", kContainerNamespace,
                         kEncryptionNamespace);
    for (const StringT& path : paths) {
        w << "<enc:EncryptedData>\n"
          << StringT::Format("<enc:EncryptionMethod Algorithm=\"%1\" />", kFontObfuscationAlgorithm)
          << "<enc:CipherData>\n"
          << "<enc:CipherReference URI=\"" << HrefText(path) << "\"/>\n"
          << "</enc:CipherData>\n"
          << "</enc:EncryptedData>\n";
    }
    w << "</encryption>\n";
    return w.Ok();
}

bool AddEncryption(ZipArchive& archive, const EmbeddedFonts& records) {
    std::vector<size_t> all(records.size());
    std::iota(all.begin(), all.end(), size_t{1});
    return AddEncryption(archive, records, all);
}

} // namespace EPub

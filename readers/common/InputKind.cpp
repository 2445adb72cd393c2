// SPDX-License-Identifier: MIT
#include "readers/common/InputKind.h"

#include <cstdint>
#include <string>

namespace Readers {

namespace {

uint32_t Le16(std::string_view s, size_t at) {
    return uint32_t(uint8_t(s[at])) | uint32_t(uint8_t(s[at + 1])) << 8;
}

uint32_t Le32(std::string_view s, size_t at) {
    return Le16(s, at) | Le16(s, at + 2) << 16;
}

// The entry names of a zip's central directory; empty when it cannot be found.
template <class Visit> bool VisitZipNames(std::string_view zip, Visit visit) {
    constexpr size_t kEndSize = 22;
    if (zip.size() < kEndSize)
        return false;
    // The end record sits within the last 64 KB (its comment) of the file.
    const size_t lowest = zip.size() > kEndSize + 0xFFFF ? zip.size() - kEndSize - 0xFFFF : 0;
    for (size_t at = zip.size() - kEndSize + 1; at-- > lowest;) {
        if (zip.compare(at, 4, "PK\x05\x06") != 0)
            continue;
        size_t entry = Le32(zip, at + 16);
        const uint32_t count = Le16(zip, at + 10);
        for (uint32_t i = 0; i < count; ++i) {
            if (entry + 46 > zip.size() || zip.compare(entry, 4, "PK\x01\x02") != 0)
                return i > 0;
            const size_t nameLength = Le16(zip, entry + 28);
            const size_t extra = Le16(zip, entry + 30) + Le16(zip, entry + 32);
            if (entry + 46 + nameLength > zip.size())
                return i > 0;
            if (visit(zip.substr(entry + 46, nameLength)))
                return true;
            entry += 46 + nameLength + extra;
        }
        return count > 0;
    }
    return false;
}

// Whether the local headers of a zip without a readable central directory (a download cut
// short) name the parts of a Word document.
bool LocalNamesAreWord(std::string_view zip) {
    constexpr size_t kHeaderSize = 30, kMaxHeaders = 1000;
    size_t seen = 0;
    for (size_t at = zip.find("PK\x03\x04"); at != std::string_view::npos && seen < kMaxHeaders;
         at = zip.find("PK\x03\x04", at + 4), ++seen) {
        if (at + kHeaderSize > zip.size())
            break;
        const size_t nameLength = Le16(zip, at + 26);
        if (at + kHeaderSize + nameLength > zip.size())
            break;
        const std::string_view name = zip.substr(at + kHeaderSize, nameLength);
        if (name == "[Content_Types].xml" || name.starts_with("word/"))
            return true;
    }
    return false;
}

InputKind DetectZip(std::string_view bytes) {
    // An OpenDocument package starts with its media type, stored uncompressed.
    constexpr std::string_view kOdtType = "mimetypeapplication/vnd.oasis.opendocument.text";
    if (bytes.size() >= 30 + kOdtType.size() && bytes.compare(30, kOdtType.size(), kOdtType) == 0 &&
        (bytes.size() == 30 + kOdtType.size() || bytes[30 + kOdtType.size()] != '-'))
        return InputKind::Odt;
    bool word = false, types = false, odfContent = false;
    const bool directory = VisitZipNames(bytes, [&](std::string_view name) {
        word = word || name == "word/document.xml";
        types = types || name == "[Content_Types].xml";
        odfContent = odfContent || name == "content.xml";
        return false;
    });
    // The Word reader then says what is wrong with the archive.
    if (!directory && LocalNamesAreWord(bytes))
        return InputKind::Docx;
    if (types)
        return InputKind::Docx; // the reader finds the main part through the relationships
    if (word)
        return InputKind::Docx;
    if (odfContent)
        return InputKind::Odt;
    return InputKind::OtherZip;
}

bool IsUtf8Text(std::string_view bytes) {
    for (const char c : bytes.substr(0, 4096))
        if (c == '\0')
            return false;
    return true;
}

std::string_view SkipSpace(std::string_view s) {
    // A UTF-8 byte order mark may stand before anything textual.
    if (s.substr(0, 3) == "\xEF\xBB\xBF")
        s.remove_prefix(3);
    while (!s.empty() && (s[0] == ' ' || s[0] == '\t' || s[0] == '\n' || s[0] == '\r'))
        s.remove_prefix(1);
    return s;
}

} // namespace

InputKind DetectInputKind(std::string_view bytes) {
    if (bytes.substr(0, 4) == "PK\x03\x04" || bytes.substr(0, 4) == "PK\x05\x06")
        return DetectZip(bytes);
    if (bytes.substr(0, 8) == "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") {
        // Office keeps a password-protected package in a compound file whose streams are named
        // EncryptionInfo and EncryptedPackage (names in UTF-16).
        constexpr char kEncrypted[] = "E\0n\0c\0r\0y\0p\0t\0e\0d\0P\0a\0c\0k\0a\0g\0e";
        return bytes.find(std::string_view(kEncrypted, sizeof kEncrypted - 1)) != bytes.npos
                   ? InputKind::Encrypted
                   : InputKind::LegacyWord;
    }
    if (!IsUtf8Text(bytes))
        return InputKind::Binary;
    const std::string_view text = SkipSpace(bytes);
    if (text.substr(0, 1) == "{")
        return InputKind::Json;
    if (text.substr(0, 1) == "<") {
        const std::string_view head = text.substr(0, 4096);
        if (head.find("office:document") != head.npos &&
            head.find("urn:oasis:names:tc:opendocument:xmlns:office:1.0") != head.npos)
            return InputKind::FlatOdt;
    }
    return InputKind::Markdown;
}

const char* InputKindName(InputKind kind) {
    switch (kind) {
    case InputKind::Json:
        return "JSON document description";
    case InputKind::Docx:
        return "Word document";
    case InputKind::Odt:
        return "OpenDocument text";
    case InputKind::FlatOdt:
        return "flat OpenDocument text";
    case InputKind::Markdown:
        return "Markdown text";
    case InputKind::LegacyWord:
        return "legacy binary Word document";
    case InputKind::Encrypted:
        return "encrypted document";
    case InputKind::OtherZip:
        return "zip archive";
    case InputKind::Binary:
        return "binary file";
    }
    return "";
}

} // namespace Readers

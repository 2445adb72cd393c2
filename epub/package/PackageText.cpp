// SPDX-License-Identifier: MIT
#include "epub/package/PackageText.h"

#include "epub/content/TextEncoding.h"

#include <string>

namespace EPub {

namespace {

// The length of the UTF-8 sequence starting at text[i], or 0 when it is malformed.
size_t SequenceLength(std::string_view text, size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const size_t length = lead < 0x80         ? 1
                          : (lead >> 5) == 6  ? 2
                          : (lead >> 4) == 14 ? 3
                          : (lead >> 3) == 30 ? 4
                                              : 0;
    if (length == 0 || i + length > text.size())
        return 0;
    for (size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
            return 0;
    return length;
}

bool IsXmlLegal(std::string_view sequence) {
    if (sequence.size() == 1) {
        const auto c = static_cast<unsigned char>(sequence[0]);
        return c >= 0x20 || c == '\t' || c == '\n' || c == '\r';
    }
    // U+FFFE and U+FFFF; surrogates (ED A0..BF) are not UTF-8 either.
    if (sequence == "\xEF\xBF\xBE" || sequence == "\xEF\xBF\xBF")
        return false;
    return !(sequence.size() == 3 && static_cast<unsigned char>(sequence[0]) == 0xED &&
             static_cast<unsigned char>(sequence[1]) >= 0xA0);
}

bool IsNameStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool IsNameChar(char c) {
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

} // namespace

StringT DropXmlIllegal(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const size_t length = SequenceLength(text, i);
        if (length == 0) {
            ++i;
            continue;
        }
        const std::string_view sequence = text.substr(i, length);
        if (IsXmlLegal(sequence))
            out += sequence;
        i += length;
    }
    return StringT(std::move(out));
}

StringT XmlText(std::string_view text) {
    return XMLEncode(DropXmlIllegal(text).view());
}

StringT HrefText(std::string_view path) {
    static constexpr char hex[] = "0123456789ABCDEF";
    static constexpr std::string_view keep = "-._~/!$()*+,;=:@";
    std::string out;
    out.reserve(path.size());
    for (const char ch : path) {
        const auto b = static_cast<unsigned char>(ch);
        if ((ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9') ||
            keep.find(ch) != std::string_view::npos) {
            out += ch;
        } else if (ch == '&') {
            out += "&amp;";
        } else if (ch == '\'') {
            out += "&apos;";
        } else {
            out += '%';
            out += hex[b >> 4];
            out += hex[b & 15];
        }
    }
    return StringT(std::move(out));
}

StringT RelativePath(std::string_view from, std::string_view to) {
    // Skip the folders both paths share.
    size_t common = 0;
    for (size_t i = 0; i < from.size() && i < to.size() && from[i] == to[i]; ++i)
        if (from[i] == '/')
            common = i + 1;
    std::string out;
    for (size_t i = common; i < from.size(); ++i)
        if (from[i] == '/')
            out += "../";
    out += to.substr(common);
    return StringT(std::move(out));
}

StringT ManifestIds::Make(std::string_view wanted) {
    std::string id;
    for (const char c : wanted)
        id += IsNameChar(c) ? c : '_';
    if (id.empty() || !IsNameStart(id[0]))
        id.insert(id.begin(), '_');
    std::string candidate = id;
    for (int n = 2; taken_.contains(candidate); ++n)
        candidate = id + "_" + std::to_string(n);
    taken_.insert(candidate);
    return StringT(std::move(candidate));
}

} // namespace EPub

// SPDX-License-Identifier: MIT
#include "epub/xml/TextEncoding.h"

#include <idn2.h>

#include <algorithm>
#include <memory>

namespace EPub {

namespace {

// The code point of the UTF-8 sequence at `text[i]` and its length; length 0 for a byte that
// starts no valid sequence.
std::pair<char32_t, size_t> DecodeUtf8(std::string_view text, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[i + k]); };
    const unsigned char b = byte(0);
    if (b < 0x80)
        return {b, 1};
    size_t length = 0;
    char32_t c = 0;
    char32_t least = 0;
    if ((b & 0xE0) == 0xC0) {
        length = 2, c = b & 0x1F, least = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
        length = 3, c = b & 0x0F, least = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
        length = 4, c = b & 0x07, least = 0x10000;
    } else {
        return {0, 0};
    }
    if (i + length > text.size())
        return {0, 0};
    for (size_t k = 1; k < length; ++k) {
        if ((byte(k) & 0xC0) != 0x80)
            return {0, 0};
        c = (c << 6) | (byte(k) & 0x3F);
    }
    return c < least ? std::pair<char32_t, size_t>{0, 0} : std::pair{c, length};
}

const char* Entity(char32_t c) {
    switch (c) {
    case U'"':
        return "&quot;";
    case U'&':
        return "&amp;";
    case U'\'':
        return "&apos;";
    case U'<':
        return "&lt;";
    case U'>':
        return "&gt;";
    default:
        return nullptr;
    }
}

} // namespace

void AppendXMLChar(std::string& out, char32_t c) {
    char buffer[kMaxXMLChar];
    out.append(buffer, WriteXMLChar(buffer, c));
}

char* WriteXMLChar(char* at, char32_t c) noexcept {
    if (IsXmlForbidden(c))
        return at;
    if (const char* entity = Entity(c)) {
        for (; *entity; ++entity)
            *at++ = *entity;
    } else if (c < 0x80) {
        *at++ = static_cast<char>(c);
    } else if (c < 0x800) {
        *at++ = static_cast<char>(0xC0 | (c >> 6));
        *at++ = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *at++ = static_cast<char>(0xE0 | (c >> 12));
        *at++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *at++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        *at++ = static_cast<char>(0xF0 | (c >> 18));
        *at++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        *at++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *at++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    return at;
}

void AppendXMLEncoded(StringT& out, std::string_view text) {
    AppendXMLEncoded(out.str(), text);
}

void AppendXMLEncoded(std::string& s, std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const auto [c, length] = DecodeUtf8(text, i);
        if (length == 0) {
            ++i;
            continue;
        }
        if (const char* entity = Entity(c))
            s += entity;
        else if (!IsXmlForbidden(c))
            s.append(text.substr(i, length));
        i += length;
    }
}

StringT XMLEncode(std::string_view text) {
    StringT out;
    out.str().reserve(text.size());
    AppendXMLEncoded(out, text);
    return out;
}

StringT DropXmlIllegal(std::string_view text) {
    StringT out;
    out.str().reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const auto [c, length] = DecodeUtf8(text, i);
        if (length != 0 && !IsXmlForbidden(c))
            out.str().append(text.substr(i, length));
        i += length == 0 ? 1 : length;
    }
    return out;
}

StringT URLEncode(std::string_view text) {
    static constexpr char hex[] = "0123456789abcdef";
    static constexpr std::string_view unsafe = " \"<>^`{|}";
    StringT out;
    out.str().reserve(text.size());
    for (const char ch : text) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 32 || b >= 127 || unsafe.find(ch) != std::string_view::npos) {
            out += '%';
            out += hex[b >> 4];
            out += hex[b & 15];
        } else if (ch == '&') {
            out += "&amp;";
        } else if (ch == '\'') {
            out += "&apos;";
        } else if (ch == '\\') {
            out += '/';
        } else {
            out += ch;
        }
    }
    return out;
}

StringT LinkEncode(std::string_view url) {
    const size_t scheme = url.find("://");
    if (scheme == std::string_view::npos)
        return URLEncode(url);
    // The host lies between any "user@" and any ":port" of the authority.
    const size_t authority = scheme + 3;
    const size_t end = std::min(url.find_first_of("/?#", authority), url.size());
    const size_t at = url.substr(0, end).rfind('@');
    const size_t start = at == std::string_view::npos || at < authority ? authority : at + 1;
    size_t stop = url.substr(0, end).rfind(':');
    if (stop == std::string_view::npos || stop < start ||
        url.substr(stop + 1, end - stop - 1).find_first_not_of("0123456789") !=
            std::string_view::npos)
        stop = end;
    const std::string host(url.substr(start, stop - start));
    const bool ascii = std::all_of(host.begin(), host.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    char* converted = nullptr;
    if (ascii || idn2_to_ascii_8z(host.c_str(), &converted,
                                  IDN2_NFC_INPUT | IDN2_NONTRANSITIONAL) != IDN2_OK)
        return URLEncode(url); // not a host name IDNA takes: escaped as any other byte
    const std::unique_ptr<char, decltype(&idn2_free)> owned(converted, &idn2_free);
    return URLEncode(url.substr(0, start)) + StringT(owned.get()) + URLEncode(url.substr(stop));
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

bool BlankText(std::string_view text) {
    const StringT kept = DropXmlIllegal(text);
    return kept.view().find_first_not_of(" \t\r\n") == std::string_view::npos;
}

} // namespace EPub

// SPDX-License-Identifier: MIT
#include "epub/package/NameRules.h"

#include "epub/package/EntryName.h"

#include <map>
#include <set>

namespace EPub {

namespace {

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

bool IsPlainCssIdentifier(std::string_view name) {
    const auto letter = [](char c) {
        return IsAsciiLetter(c) || c == '_' || static_cast<unsigned char>(c) >= 0x80;
    };
    size_t i = name.starts_with('-') ? 1 : 0;
    if (i >= name.size() || !letter(name[i]))
        return false;
    for (; i < name.size(); ++i)
        if (!letter(name[i]) && !IsDigit(name[i]) && name[i] != '-')
            return false;
    return true;
}

namespace {

// `count` digits at `at` whose value lies in [low, high].
bool Digits(std::string_view s, size_t at, size_t count, int low, int high) {
    if (at + count > s.size())
        return false;
    int value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (s[i] < '0' || s[i] > '9')
            return false;
        value = value * 10 + (s[i] - '0');
    }
    return value >= low && value <= high;
}

bool TimeOfDay(std::string_view t) {
    if (!Digits(t, 0, 2, 0, 23) || t.size() < 5 || t[2] != ':' || !Digits(t, 3, 2, 0, 59))
        return false;
    size_t at = 5;
    if (at < t.size() && t[at] == ':') {
        if (!Digits(t, at + 1, 2, 0, 59))
            return false;
        at += 3;
    }
    const std::string_view zone = t.substr(at);
    if (zone == "Z")
        return true;
    return zone.size() == 6 && (zone[0] == '+' || zone[0] == '-') && Digits(zone, 1, 2, 0, 14) &&
           zone[3] == ':' && Digits(zone, 4, 2, 0, 59);
}

} // namespace

bool IsPublicationDate(std::string_view date) {
    if (!Digits(date, 0, 4, 1, 9999))
        return false;
    if (date.size() == 4)
        return true;
    if (date[4] != '-' || !Digits(date, 5, 2, 1, 12))
        return false;
    if (date.size() == 7)
        return true;
    if (date.size() < 10 || date[7] != '-' || !Digits(date, 8, 2, 1, 31))
        return false;
    if (date.size() == 10)
        return true;
    return date[10] == 'T' && TimeOfDay(date.substr(11));
}

bool IsLanguageTag(std::string_view tag) {
    size_t start = 0;
    for (bool first = true;; first = false) {
        const size_t end = std::min(tag.find('-', start), tag.size());
        const std::string_view part = tag.substr(start, end - start);
        if (part.empty() || part.size() > 8)
            return false;
        for (const char c : part)
            if (!IsAsciiLetter(c) && (first || !IsDigit(c)))
                return false;
        if (end == tag.size())
            return true;
        start = end + 1;
    }
}

bool IsAbsoluteUrl(std::string_view url) {
    const size_t colon = url.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon + 1 == url.size() ||
        !IsAsciiLetter(url[0]))
        return false;
    for (const char c : url.substr(1, colon - 1))
        if (!IsAsciiLetter(c) && !IsDigit(c) && c != '+' && c != '-' && c != '.')
            return false;
    for (const char c : url.substr(colon + 1)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == 0x7F ||
            std::string_view("{}|\\^`<>\"").find(c) != std::string_view::npos)
            return false;
    }
    return true;
}

bool IsFollowableUrl(std::string_view url) {
    if (url.find_first_not_of(" \t") == std::string_view::npos)
        return false;
    const auto hex = [](char c) {
        return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    };
    for (size_t i = 0; i < url.size(); ++i) {
        const auto byte = static_cast<unsigned char>(url[i]);
        if (byte < 0x20 || byte == 0x7F)
            return false;
        if (url[i] == '%' && (i + 2 >= url.size() || !hex(url[i + 1]) || !hex(url[i + 2])))
            return false;
    }
    const std::string folded = FoldCase(url.substr(0, 8));
    for (const std::string_view web : {"http://", "https://", "ftp://"})
        if (folded.starts_with(web))
            return url.size() > web.size() &&
                   std::string_view("/?#").find(url[web.size()]) == std::string_view::npos;
    return true;
}

std::string FoldCase(std::string_view name) {
    std::string folded(name);
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

bool IsSafeDocumentName(std::string_view name) {
    if (name.empty() || name.front() == '/' || name.find('\\') != std::string_view::npos ||
        name.find(':') != std::string_view::npos)
        return false;
    size_t start = 0;
    while (start <= name.size()) {
        const size_t slash = std::min(name.find('/', start), name.size());
        const std::string_view part = name.substr(start, slash - start);
        if (part.empty() || part == "." || part == "..")
            return false;
        start = slash + 1;
    }
    return true;
}

bool IsReservedDocumentName(std::string_view name, StreamType type) {
    const std::string folded = FoldCase(name);
    if (folded == "toc.xhtml" || folded == "package.opf" || folded.starts_with("font/"))
        return true;
    if (folded == "cover.xhtml")
        return type != StreamType::Cover;
    if (folded.starts_with("css/"))
        return type != StreamType::StyleSheet;
    if (folded.starts_with("images/"))
        return type < StreamType::JPEG || type > StreamType::SVG;
    return false;
}

bool IsReservedHtmlName(std::string_view name, StreamType type) {
    const std::string folded = FoldCase(name);
    return (folded == "styles.css" || folded == "images.css") && type != StreamType::StyleSheet;
}

namespace {

// Readers and checkers expect content documents to end in ".xhtml".
StringT StoredName(const StringT& name) {
    StringT stored = EntryName(name.view());
    if (!stored.EndsWith(".xhtml"))
        stored += ".xhtml";
    return stored;
}

} // namespace

std::vector<StringT> StoredDocumentNames(std::span<const StringT> given) {
    std::set<std::string> taken{"toc.xhtml", "cover.xhtml", "package.opf", "styles.css",
                                "images.css"};
    for (const StringT& name : given)
        if (StoredName(name) == name)
            taken.insert(FoldCase(name.view()));
    std::map<std::string, StringT> renamed;
    std::vector<StringT> out;
    out.reserve(given.size());
    for (const StringT& name : given) {
        const StringT stored = StoredName(name);
        if (stored == name) {
            out.push_back(name);
            continue;
        }
        auto [it, added] = renamed.emplace(name.str(), stored);
        if (added)
            for (int n = 2; !taken.insert(FoldCase(it->second.view())).second; ++n)
                it->second = NumberedName(stored.view(), n);
        out.push_back(it->second);
    }
    return out;
}

} // namespace EPub

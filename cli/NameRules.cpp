#include "cli/NameRules.h"

namespace Cli {

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
            std::string_view("<>\"{}|\\^`").find(c) != std::string_view::npos)
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

} // namespace Cli

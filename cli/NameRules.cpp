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

std::string FoldCase(std::string_view name) {
    std::string folded(name);
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

} // namespace Cli

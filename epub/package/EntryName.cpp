// SPDX-License-Identifier: MIT
#include "epub/package/EntryName.h"

namespace EPub {

namespace {

bool IsSpace(char32_t c) {
    return c == ' ' || (c >= 0x09 && c <= 0x0D) || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000;
}

// What OCF forbids in a file name, beyond white space; and "#" and "%", which checkers read as
// a fragment or an escape even where a link escapes them.
bool IsForbidden(char32_t c) {
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F))
        return true;
    if (std::u32string_view(U"\"*:<>?\\|#%").find(c) != std::u32string_view::npos)
        return true;
    const bool privateUse = (c >= 0xE000 && c <= 0xF8FF) || c >= 0xF0000;
    const bool nonCharacter = (c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE;
    const bool specials = c >= 0xFFF0 && c <= 0xFFFD;
    const bool tags = c >= 0xE0000 && c <= 0xE0FFF;
    return privateUse || nonCharacter || specials || tags;
}

} // namespace

StringT EntryName(std::string_view name) {
    std::u32string text = StringT(name).ToUTF32();
    for (size_t i = 0; i < text.size(); ++i) {
        // A name ending in "." is not portable: some file systems drop the dot.
        const bool endsComponent = i + 1 == text.size() || text[i + 1] == '/';
        if (IsSpace(text[i]) || IsForbidden(text[i]) || (text[i] == '.' && endsComponent))
            text[i] = '_';
    }
    return StringT::FromUTF32(text);
}

StringT NumberedName(std::string_view name, int number) {
    const size_t slash = name.rfind('/');
    const size_t dot = name.rfind('.');
    const bool hasExtension =
        dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash + 1);
    const std::string_view stem = hasExtension ? name.substr(0, dot) : name;
    const std::string_view extension = hasExtension ? name.substr(dot) : std::string_view();
    return StringT::Format("%1-%2%3", stem, number, extension);
}

StringT FileStem(std::string_view path) {
    const size_t slash = path.find_last_of("/\\");
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string_view::npos && dot > 0)
        name = name.substr(0, dot);
    return StringT(name);
}

} // namespace EPub

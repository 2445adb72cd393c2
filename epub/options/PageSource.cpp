// SPDX-License-Identifier: MIT
#include "epub/options/PageSource.h"

namespace EPub {

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i])
            return false;
    }
    return true;
}

} // namespace

PaginationSourceType PageSourceType(std::string_view source) {
    if (source.empty())
        return PaginationSourceType::None;
    std::string_view rest = source;
    if (StartsWithNoCase(rest, "urn:isbn:"))
        rest.remove_prefix(9);
    size_t digits = 0;
    for (size_t i = 0; i < rest.size(); ++i) {
        const char c = rest[i];
        if (c >= '0' && c <= '9')
            ++digits;
        else if ((c == 'X' || c == 'x') && i + 1 == rest.size() && digits == 9)
            ++digits; // the check digit of an ISBN-10
        else if (c != '-' && c != ' ')
            return PaginationSourceType::Other;
    }
    return digits == 10 || digits == 13 ? PaginationSourceType::ISBN : PaginationSourceType::Other;
}

void SetPageSource(FlowingEPubOptions& options, std::string_view source) {
    options.SetPaginationSourceType(PageSourceType(source));
    options.SetPaginationSource(StringT(source));
}

} // namespace EPub

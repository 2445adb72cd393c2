// SPDX-License-Identifier: MIT
#include "epub/package/PackageText.h"

#include <string>

namespace EPub {

namespace {

bool IsNameStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool IsNameChar(char c) {
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

} // namespace

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

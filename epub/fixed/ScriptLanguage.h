// SPDX-License-Identifier: MIT
#pragma once

#include "host/foundation/StringT.h"

#include <string_view>

namespace EPub {

// The language a stretch of text is in, as a reader's speech engine needs it: `marked`, the one
// the document gives, unless most of the text's letters are of a script that language is not
// written in and one language is the usual one for that script (Arabic letters in an English
// book are read as Arabic). Scripts many languages share (Latin, Cyrillic) keep the mark.
// Ideographs are Japanese beside kana and Korean beside hangul; elsewhere Chinese.
Foundation::StringT LanguageOfText(std::string_view utf8, const Foundation::StringT& marked);

} // namespace EPub

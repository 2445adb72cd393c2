// SPDX-License-Identifier: MIT
#include "epub/fixed/ScriptLanguage.h"

#include "epub/fixed/HarfBuzzLibrary.h"

#include <algorithm>
#include <array>
#include <map>

namespace EPub {

namespace {

// A script, the language its letters are read in when the document says nothing that fits, and
// the languages (primary subtags) written in it.
struct ScriptLanguages {
    hb_script_t script;
    std::string_view usual;
    std::string_view writtenIn; // space-separated, with a space at each end
};

// clang-format off
const std::array<ScriptLanguages, 26> kScripts{{
    {HB_SCRIPT_ARABIC, "ar", " ar fa ur ps ku ckb sd ug ks bal prs azb "},
    {HB_SCRIPT_HEBREW, "he", " he iw yi lad "},
    {HB_SCRIPT_HIRAGANA, "ja", " ja "},
    {HB_SCRIPT_KATAKANA, "ja", " ja ain "},
    {HB_SCRIPT_HANGUL, "ko", " ko "},
    {HB_SCRIPT_HAN, "zh", " zh ja ko yue cmn wuu hak nan gan lzh vi "},
    {HB_SCRIPT_DEVANAGARI, "hi", " hi mr ne sa kok mai bho new doi brx awa mag sd ks "},
    {HB_SCRIPT_BENGALI, "bn", " bn as mni sat "},
    {HB_SCRIPT_GURMUKHI, "pa", " pa "},
    {HB_SCRIPT_GUJARATI, "gu", " gu "},
    {HB_SCRIPT_ORIYA, "or", " or "},
    {HB_SCRIPT_TAMIL, "ta", " ta "},
    {HB_SCRIPT_TELUGU, "te", " te "},
    {HB_SCRIPT_KANNADA, "kn", " kn tcy "},
    {HB_SCRIPT_MALAYALAM, "ml", " ml "},
    {HB_SCRIPT_SINHALA, "si", " si "},
    {HB_SCRIPT_THAI, "th", " th "},
    {HB_SCRIPT_LAO, "lo", " lo "},
    {HB_SCRIPT_KHMER, "km", " km "},
    {HB_SCRIPT_MYANMAR, "my", " my shn ksw "},
    {HB_SCRIPT_TIBETAN, "bo", " bo dz "},
    {HB_SCRIPT_GEORGIAN, "ka", " ka "},
    {HB_SCRIPT_ARMENIAN, "hy", " hy "},
    {HB_SCRIPT_GREEK, "el", " el grc "},
    {HB_SCRIPT_ETHIOPIC, "am", " am ti gez tig "},
    {HB_SCRIPT_THAANA, "dv", " dv "},
}};
// clang-format on

std::string PrimarySubtag(const Foundation::StringT& language) {
    std::string primary = language.str().substr(0, language.str().find_first_of("-_"));
    std::transform(primary.begin(), primary.end(), primary.begin(),
                   [](unsigned char c) { return char(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return primary;
}

} // namespace

Foundation::StringT LanguageOfText(std::string_view utf8, const Foundation::StringT& marked) {
    const HarfBuzzLibrary& hb = HarfBuzzLibrary::Get();
    if (!hb.IsLoaded())
        return marked;
    hb_unicode_funcs_t* unicode = hb.unicodeFuncsGetDefault();
    std::map<hb_script_t, size_t> letters;
    for (size_t i = 0; i < utf8.size();) {
        const char32_t c = Foundation::NextCodePoint(utf8, i);
        // Letters only: digits and signs of a script (Arabic-Indic digits) appear in others.
        switch (hb.unicodeGeneralCategory(unicode, c)) {
        case HB_UNICODE_GENERAL_CATEGORY_LOWERCASE_LETTER:
        case HB_UNICODE_GENERAL_CATEGORY_MODIFIER_LETTER:
        case HB_UNICODE_GENERAL_CATEGORY_OTHER_LETTER:
        case HB_UNICODE_GENERAL_CATEGORY_TITLECASE_LETTER:
        case HB_UNICODE_GENERAL_CATEGORY_UPPERCASE_LETTER:
            ++letters[hb.unicodeScript(unicode, c)];
            break;
        default:
            break;
        }
    }
    if (letters.empty())
        return marked;
    // Kana and hangul are the scripts of one language each; ideographs beside them are in it.
    letters[HB_SCRIPT_HIRAGANA] += letters[HB_SCRIPT_KATAKANA];
    const bool kana = letters[HB_SCRIPT_HIRAGANA] > 0, hangul = letters[HB_SCRIPT_HANGUL] > 0;
    if (kana || hangul) {
        letters[kana ? HB_SCRIPT_HIRAGANA : HB_SCRIPT_HANGUL] += letters[HB_SCRIPT_HAN];
        letters[HB_SCRIPT_HAN] = 0;
    }
    letters[HB_SCRIPT_KATAKANA] = 0;
    const auto most =
        std::max_element(letters.begin(), letters.end(),
                         [](const auto& a, const auto& b) { return a.second < b.second; });
    const auto entry =
        std::find_if(kScripts.begin(), kScripts.end(),
                     [&](const ScriptLanguages& s) { return s.script == most->first; });
    if (entry == kScripts.end())
        return marked;
    if (entry->writtenIn.find(" " + PrimarySubtag(marked) + " ") != std::string_view::npos)
        return marked;
    return Foundation::StringT(entry->usual);
}

} // namespace EPub

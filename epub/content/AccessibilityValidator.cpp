// SPDX-License-Identifier: MIT
#include "epub/content/AccessibilityValidator.h"

#include "epub/css/TextContrast.h"
#include "host/foundation/LocalisedString.h"
#include "host/text/AnchoredFrame.h"
#include "host/text/Language.h"
#include "host/text/NoteAtt.h"
#include "host/text/Table.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

namespace EPub {

namespace {

using Text::StoryPos;
using Text::StoryRange;

StringT Message(std::string_view text) {
    return Foundation::LocalisedString(StringT(text), "Flowing EPUB Errors").ToString();
}

// Two decimals, cut rather than rounded, so that 4.499 never shows as passing.
StringT RatioText(double ratio) {
    const double cut = std::floor(ratio * 100) / 100;
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", cut);
    return StringT(text);
}

// A limit as the guidelines write it: "4.5", "3".
StringT LimitText(double ratio) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3g", ratio);
    return StringT(text);
}

// ISO 639-1; three-letter codes are too many to list and are taken as known.
constexpr std::string_view kTwoLetterCodes[] = {
    "aa", "ab", "ae", "af", "ak", "am", "an", "ar", "as", "av", "ay", "az", "ba", "be", "bg", "bh",
    "bi", "bm", "bn", "bo", "br", "bs", "ca", "ce", "ch", "co", "cr", "cs", "cu", "cv", "cy", "da",
    "de", "dv", "dz", "ee", "el", "en", "eo", "es", "et", "eu", "fa", "ff", "fi", "fj", "fo", "fr",
    "fy", "ga", "gd", "gl", "gn", "gu", "gv", "ha", "he", "hi", "ho", "hr", "ht", "hu", "hy", "hz",
    "ia", "id", "ie", "ig", "ii", "ik", "io", "is", "it", "iu", "ja", "jv", "ka", "kg", "ki", "kj",
    "kk", "kl", "km", "kn", "ko", "kr", "ks", "ku", "kv", "kw", "ky", "la", "lb", "lg", "li", "ln",
    "lo", "lt", "lu", "lv", "mg", "mh", "mi", "mk", "ml", "mn", "mr", "ms", "mt", "my", "na", "nb",
    "nd", "ne", "ng", "nl", "nn", "no", "nr", "nv", "ny", "oc", "oj", "om", "or", "os", "pa", "pi",
    "pl", "ps", "pt", "qu", "rm", "rn", "ro", "ru", "rw", "sa", "sc", "sd", "se", "sg", "si", "sk",
    "sl", "sm", "sn", "so", "sq", "sr", "ss", "st", "su", "sv", "sw", "ta", "te", "tg", "th", "ti",
    "tk", "tl", "tn", "to", "tr", "ts", "tt", "tw", "ty", "ug", "uk", "ur", "uz", "ve", "vi", "vo",
    "wa", "wo", "xh", "yi", "yo", "za", "zh", "zu"};

bool IsAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsAlnum(char c) {
    return IsAlpha(c) || (c >= '0' && c <= '9');
}

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// Ranges of one story still open, by message; a run continuing one extends it.
class OpenRanges {
public:
    explicit OpenRanges(std::vector<StoryError>& errors) : errors_(errors) {}
    ~OpenRanges() {
        for (const auto& [message, range] : open_)
            errors_.push_back({{message}, StoryRange(range.first, range.second), {}});
    }
    OpenRanges(const OpenRanges&) = delete;
    OpenRanges& operator=(const OpenRanges&) = delete;

    void Attach(const StringT& message, const StoryPos& begin, const StoryPos& end) {
        auto it = std::ranges::find(open_, message, &Entry::first);
        if (it != open_.end() && it->second.second == begin) {
            it->second.second = end;
            return;
        }
        if (it != open_.end()) {
            errors_.push_back({{message}, StoryRange(it->second.first, it->second.second), {}});
            open_.erase(it);
        }
        open_.push_back({message, {begin, end}});
    }

private:
    using Entry = std::pair<StringT, std::pair<StoryPos, StoryPos>>;
    std::vector<StoryError>& errors_;
    std::vector<Entry> open_;
};

const Text::Story* InnerStory(const Text::PinGlyph& pin) {
    if (const auto* note = pin.GetNote())
        return note->GetContent().get();
    if (const auto* table = pin.GetTableFrame())
        return table->GetTable()->GetStory().get();
    if (const auto* frame = pin.GetFrame())
        return frame->GetStory().get();
    return nullptr;
}

} // namespace

AccessibilityValidator::AccessibilityValidator(
    const ExportSettings& settings, std::function<bool(const Text::PinnedObject&)> isPicture,
    double minimumContrast)
    : settings_(settings), isPicture_(std::move(isPicture)), minimumContrast_(minimumContrast) {}

void AccessibilityValidator::ValidateStory(const Counted<const Text::Story>& story,
                                           std::vector<StoryError>& errors) const {
    if (!story)
        return;
    std::vector<Counted<const Text::Story>> pending{story};
    std::set<const Text::Story*> seen{story.get()};
    while (!pending.empty()) {
        const Counted<const Text::Story> current = pending.front();
        pending.erase(pending.begin());
        ValidateText(*current, errors);
        std::vector<Counted<const Text::Story>> inner;
        ValidatePictures(current, errors, inner);
        for (auto& s : inner)
            if (seen.insert(s.get()).second)
                pending.push_back(std::move(s));
    }
}

void AccessibilityValidator::ValidateText(const Text::Story& story,
                                          std::vector<StoryError>& errors) const {
    const auto isText = [&](const StoryPos& p) {
        const uint32_t code = story.GetCode(p.GetIndex());
        return !Text::GlyphCode::IsObject(code) &&
               Text::GlyphCode::GetBreak(code) == Text::BreakKind::None;
    };
    // Stories repeat a handful of formats over many runs; colours convert once per format.
    std::map<const Text::GlyphAtts*, std::optional<TextColours>> contrasts;
    OpenRanges open(errors);
    const StoryPos end = story.GetTerminator();
    for (StoryPos pos = story.gbegin(); pos < end;) {
        const StoryPos runEnd = std::min(pos.GetGlyphAttsRunEnd(), end);
        // A finding covers the run's text: pictures and breaks at its ends have no colour.
        StoryPos first = pos;
        while (first < runEnd && !isText(first))
            ++first;
        StoryPos last = runEnd;
        while (last > first && !isText(last - 1))
            --last;
        const auto atts = pos.GetGlyphAtts();
        pos = runEnd;
        if (first == last || !atts)
            continue;
        auto [known, added] = contrasts.try_emplace(atts.get());
        if (added)
            known->second = JudgeTextColours(*atts, settings_.iccProfiles, minimumContrast_);
        if (const std::optional<TextColours>& judged = known->second; judged && judged->readable)
            open.Attach(StringT::Format(Message("Text colour %1 (contrast %2:1) written as %3 "
                                                "(%4:1) to be readable")
                                            .view(),
                                        HexColour(judged->text),
                                        RatioText(ContrastRatio(judged->text, judged->background)),
                                        HexColour(*judged->readable), RatioText(judged->contrast)),
                        first, last);
        else if (judged && judged->contrast <
                               (minimumContrast_ > 0 ? judged->required : kMinimumTextContrast))
            open.Attach(StringT::Format(Message("Text contrast %1:1 is below %2:1").view(),
                                        RatioText(judged->contrast),
                                        LimitText(minimumContrast_ > 0 ? judged->required
                                                                       : kMinimumTextContrast)),
                        first, last);
        const auto language = atts->GetLanguage();
        if (language && !language->IsNone() && !IsKnownLanguage(language->GetId().view()))
            open.Attach(
                StringT::Format(Message("Unknown language \"%1\"").view(), language->GetId()),
                first, last);
    }
}

void AccessibilityValidator::ValidatePictures(
    const Counted<const Text::Story>& story, std::vector<StoryError>& errors,
    std::vector<Counted<const Text::Story>>& inner) const {
    for (uint32_t i = story->FindObject(0, story->size()); i < story->size();
         i = story->FindObject(i + 1, story->size())) {
        const Text::Glyph glyph = story->GetGlyph(i);
        const auto* pin = glyph.As<Text::PinGlyph>();
        if (!pin)
            continue;
        if (const Text::Story* content = InnerStory(*pin)) {
            inner.emplace_back(content);
            continue;
        }
        const Text::AnchoredFrame* frame = pin->GetFrame();
        if (!frame || (isPicture_ && !isPicture_(*frame)))
            continue;
        // A picture without tags is decorative; one with tags but no text has lost its name.
        const auto& tags = frame->GetTags();
        if (tags && tags->GetAltText().empty()) {
            const StoryPos at = story->GetPos(i);
            errors.push_back(
                {{Message("Picture without alternative text")}, StoryRange(at, at + 1), {}});
        }
    }
}

bool IsHeadingElement(std::string_view element) {
    return element.size() == 2 && (element[0] == 'h' || element[0] == 'H') && element[1] >= '1' &&
           element[1] <= '6';
}

StringT ParagraphElementOf(const Text::StyleSheet& styles, const StringT& styleName) {
    StringT name = styleName;
    // Bases come before the styles built on them, so a chain ends; the bound guards a bad sheet.
    for (size_t depth = 0; depth <= styles.GetStyles().size() && !name.empty(); ++depth) {
        const auto style = styles.GetStyle(name);
        if (!style)
            break;
        const auto& tag = style->GetEPubTag();
        if (tag && tag->Is(Text::EPubTag::ElementSet) && !tag->GetElementName().empty())
            return tag->GetElementName();
        name = style->GetBaseName();
    }
    return "p";
}

bool HasTaggedHeading(const Text::Story& story, const Text::StyleSheet& styles) {
    const StoryPos end = story.gend();
    for (StoryPos pos = story.gbegin(); pos < end; pos = pos.GetParagraphAttsRunEnd()) {
        const auto atts = pos.GetParagraphAtts();
        if (atts && IsHeadingElement(ParagraphElementOf(styles, atts->GetStyleName()).view()))
            return true;
        if (pos.GetParagraphAttsRunEnd() <= pos)
            break;
    }
    return false;
}

bool IsKnownLanguage(std::string_view tag) {
    const size_t dash = std::min(tag.find('-'), tag.size());
    const std::string primary = Lower(tag.substr(0, dash));
    if (primary.size() < 2 || primary.size() > 3 || !std::ranges::all_of(primary, IsAlpha))
        return false;
    // Every further subtag: 1 to 8 letters or digits.
    for (size_t start = dash; start < tag.size();) {
        const size_t next = std::min(tag.find('-', start + 1), tag.size());
        const std::string_view part = tag.substr(start + 1, next - start - 1);
        if (part.empty() || part.size() > 8 || !std::ranges::all_of(part, IsAlnum))
            return false;
        start = next;
    }
    if (primary.size() == 3)
        return primary != "und" && primary != "mis";
    return std::ranges::find(kTwoLetterCodes, primary) != std::end(kTwoLetterCodes);
}

StringT NoHeadingsMessage() {
    return Message("No paragraph is tagged as a heading (h1 to h6)");
}

StringT PublicationLanguageMessage(const StringT& tag) {
    // "und" says the language was not determined: as good as none.
    if (tag.empty() || tag.view() == "und")
        return Message("The publication's language is missing");
    if (!IsKnownLanguage(tag.view()))
        return StringT::Format(Message("Unknown publication language \"%1\"").view(), tag);
    return {};
}

StringT PageListWithoutSourceMessage() {
    return Message("Page list without the print edition it comes from (pageSource)");
}

} // namespace EPub

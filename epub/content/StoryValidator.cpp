// SPDX-License-Identifier: MIT
// The exporter's half of the validation pass: walking stories, with their notes, tables and
// frames, and validating the styles they use.

#include "epub/content/HtmlExporter.h"
#include "host/foundation/LocalisedString.h"
#include "host/text/NoteAtt.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <map>

namespace EPub {

using namespace Text;

namespace {

using StyleList = std::vector<Counted<const Style>>;
using StyleLookup = std::function<Counted<const Style>(const StringT&)>;

bool Contains(const StyleList& styles, const StringT& name) {
    return std::ranges::any_of(styles, [&](const auto& s) { return s->GetName() == name; });
}

// The glyph at the pin, or an empty range at the story's start when there is no pin.
StoryRange PinRange(const StoryPos& pin, const Counted<const Story>& story) {
    if (pin.HasGlyph())
        return StoryRange(pin, pin + 1);
    const StoryPos at = pin.IsNull() && story ? story->gbegin() : pin;
    return StoryRange(at, at);
}

void AddError(std::vector<StringT> messages, StoryRange range, std::vector<StoryError>& errors,
              StringT styleName = {}) {
    if (!messages.empty())
        errors.push_back({std::move(messages), std::move(range), std::move(styleName)});
}

// Ranges of one story still open, by message: a run whose message is open on the run just before
// it extends that range instead of starting its own.
class OpenRanges {
public:
    void Attach(const ValidationMessage& message, const StoryPos& begin, const StoryPos& end,
                std::vector<StoryError>& errors) {
        const auto it = std::ranges::find(open_, message, &Open::message);
        if (it == open_.end()) {
            open_.push_back({message, begin, end});
            return;
        }
        if (it->end == begin) {
            it->end = end;
            return;
        }
        Close(*it, errors);
        *it = {message, begin, end};
    }

    void CloseAll(std::vector<StoryError>& errors) {
        std::ranges::sort(open_, {}, [](const Open& o) { return o.begin.GetIndex(); });
        for (const Open& o : open_)
            Close(o, errors);
        open_.clear();
    }

private:
    struct Open {
        ValidationMessage message;
        StoryPos begin;
        StoryPos end;
    };

    static void Close(const Open& o, std::vector<StoryError>& errors) {
        errors.push_back({{o.message.text}, StoryRange(o.begin, o.end), {}});
    }

    std::vector<Open> open_;
};

class StoryValidator {
public:
    StoryValidator(HtmlExporter& exporter, StyleLookup lookup, bool checkLocal,
                   StyleList& validated, std::vector<StoryError>& errors)
        : exporter_(exporter), lookup_(std::move(lookup)), checkLocal_(checkLocal),
          validated_(validated), errors_(errors) {}

    // Notes, tables and frames are queued rather than walked on the spot, so deep nesting costs
    // no stack; a story met twice is walked once. The errors come out in reading order: story by
    // story as they were met, by position within each.
    void Run(const Counted<const Story>& story) {
        const auto first = static_cast<std::ptrdiff_t>(errors_.size());
        Queue(story);
        while (!pending_.empty()) {
            const Counted<const Story> next = pending_.front();
            pending_.pop_front();
            Walk(next);
        }
        std::ranges::stable_sort(
            errors_.begin() + first, errors_.end(), {}, [this](const StoryError& e) {
                const auto it = order_.find(e.range.GetStory().get());
                return std::make_pair(it == order_.end() ? order_.size() : it->second,
                                      e.range.begin().GetIndex());
            });
    }

private:
    void Queue(const Counted<const Story>& story) {
        if (story && order_.try_emplace(story.get(), order_.size()).second)
            pending_.push_back(story);
    }

    Counted<const Style> Lookup(const StringT& name) const {
        return name.empty() ? nullptr : lookup_(name);
    }

    void Walk(const Counted<const Story>& story) {
        OpenRanges open;
        const StoryPos end = story->gend();
        for (StoryPos pos = story->gbegin(); pos < end;) {
            StoryPos paraEnd = pos.GetParagraphAttsRunEnd();
            if (paraEnd <= pos)
                paraEnd = end;
            WalkParagraphRun(pos, paraEnd, open);
            pos = paraEnd;
        }
        open.CloseAll(errors_);
    }

    void WalkParagraphRun(const StoryPos& begin, const StoryPos& end, OpenRanges& open) {
        const auto atts = begin.GetParagraphAtts();
        const Counted<const Style> style = atts ? Lookup(atts->GetStyleName()) : nullptr;
        exporter_.ValidateStyles(style, errors_, validated_, begin);
        for (const ValidationMessage& m : ParagraphMessages(atts))
            open.Attach(m, begin, end, errors_);
        for (StoryPos run = begin; run < end;) {
            StoryPos runEnd = std::min(run.GetGlyphAttsRunEnd(), end);
            if (runEnd <= run)
                runEnd = end;
            WalkGlyphRun(run, runEnd, style, open);
            run = runEnd;
        }
    }

    void WalkGlyphRun(const StoryPos& begin, const StoryPos& end,
                      const Counted<const Style>& paragraphStyle, OpenRanges& open) {
        const auto atts = begin.GetGlyphAtts();
        if (atts)
            exporter_.ValidateStyles(Lookup(atts->GetCharacterStyleName()), errors_, validated_,
                                     begin);
        for (const ValidationMessage& m : GlyphMessages(atts, paragraphStyle))
            open.Attach(m, begin, end, errors_);
        const Story& story = *begin.GetStory();
        for (uint32_t i = story.FindObject(begin.GetIndex(), end.GetIndex()); i < end.GetIndex();
             i = story.FindObject(i + 1, end.GetIndex())) {
            const Glyph glyph = story.GetGlyph(i);
            if (const auto* pin = glyph.As<PinGlyph>())
                ValidatePin(*pin, StoryPos(begin.GetStory(), i));
        }
    }

    // Attribute sets are consolidated and recur run after run, so their checks are remembered.
    const ValidationMessages& ParagraphMessages(const Consolidated<ParagraphAtts>& atts) {
        auto [it, added] = paragraphMessages_.try_emplace(atts);
        if (added)
            it->second = exporter_.Styles().ValidateParagraphAtts(atts, checkLocal_);
        return it->second;
    }

    const ValidationMessages& GlyphMessages(const Consolidated<GlyphAtts>& atts,
                                            const Counted<const Style>& paragraphStyle) {
        auto [it, added] = glyphMessages_.try_emplace(std::make_pair(atts, paragraphStyle));
        if (added)
            it->second = exporter_.Styles().ValidateGlyphAtts(atts, paragraphStyle, checkLocal_);
        return it->second;
    }

    void ValidatePin(const PinGlyph& pin, const StoryPos& pos) {
        if (const Note* note = pin.GetNote()) {
            Queue(note->GetContent());
        } else if (const TableFrame* table = pin.GetTableFrame()) {
            exporter_.ValidateTable(*table, pos, pos.GetStory(), errors_);
            Queue(table->GetTable()->GetStory());
        } else if (const AnchoredFrame* frame = pin.GetFrame()) {
            if (const auto& host = exporter_.Callbacks().validateFrame)
                host(*frame, pos, errors_);
            else
                exporter_.ValidateFrame(*frame, pos, pos.GetStory(), errors_,
                                        frame->GetBackground(), frame->GetStrokeFill(),
                                        frame->GetStroke());
            Queue(frame->GetStory());
        }
    }

    HtmlExporter& exporter_;
    StyleLookup lookup_;
    bool checkLocal_;
    StyleList& validated_;
    std::vector<StoryError>& errors_;
    std::deque<Counted<const Story>> pending_;
    std::map<const Story*, size_t> order_; // stories met, in the order they were met
    std::map<Consolidated<ParagraphAtts>, ValidationMessages> paragraphMessages_;
    std::map<std::pair<Consolidated<GlyphAtts>, Counted<const Style>>, ValidationMessages>
        glyphMessages_;
};

} // namespace

void HtmlExporter::ValidateStory(const Counted<const Story>& story, std::vector<StoryError>& errors,
                                 bool checkLocal) {
    StyleList validated;
    ValidateStory(story, errors, checkLocal, validated);
}

void HtmlExporter::ValidateStory(const Counted<const Story>& story, std::vector<StoryError>& errors,
                                 bool checkLocal, StyleList& validated) {
    FillEmptyCallbacks();
    StoryValidator validator(
        *this, [this](const StringT& name) { return styles_.GetStyle(name); }, checkLocal,
        validated, errors);
    validator.Run(story);
}

void HtmlExporter::ValidateStyles(const Counted<const Style>& style,
                                  std::vector<StoryError>& errors, StyleList& validated,
                                  const StoryPos& where) {
    // Root first; a base that is missing or names a style already in the chain ends it.
    StyleList chain;
    for (Counted<const Style> s = style; s && !Contains(chain, s->GetName());
         s = s->GetBaseName().empty() ? nullptr : styles_.GetStyle(s->GetBaseName()))
        chain.push_back(s);
    std::ranges::reverse(chain);

    // The class a style has, or would get if it were registered now.
    const auto classNameOf = [this](const Style& s) {
        if (const StyleParams& registered = styles_.GetStyleParams(s.GetName()); registered.style)
            return registered.className;
        if (const auto& tag = s.GetEPubTag();
            tag && tag->Is(EPubTag::ClassSet) && !tag->GetCSSClassName().empty())
            return tag->GetCSSClassName();
        return styles_.SanitiseElementName(s.GetName());
    };
    // Only a class given in the tagging can clash: derived names are made unique.
    const auto clashOf = [&](const Style& s) -> StringT {
        const auto& tag = s.GetEPubTag();
        if (!settings_->reportClassNameClashes || !tag || !tag->Is(EPubTag::ClassSet) ||
            tag->GetCSSClassName().empty())
            return {};
        const StringT& name = tag->GetCSSClassName();
        const auto other =
            std::ranges::find_if(validated, [&](const auto& v) { return classNameOf(*v) == name; });
        if (other == validated.end())
            return {};
        return Foundation::LocalisedString("Styles '%1' and '%2' both use class name '%3'",
                                           "Flowing EPUB errors")
            .Format((*other)->GetName(), s.GetName(), name);
    };

    const Foundation::LocalisedString inStyle("%1 in style", "Flowing EPUB Errors");
    for (const Counted<const Style>& s : chain) {
        if (Contains(validated, s->GetName()))
            continue;
        std::vector<StringT> messages;
        for (const ValidationMessage& m : styles_.ValidateStyle(s))
            messages.push_back(inStyle.Format(m.text));
        if (StringT clash = clashOf(*s); !clash.empty())
            messages.push_back(std::move(clash));
        AddError(std::move(messages), StoryRange(where, where), errors, s->GetName());
        validated.push_back(s);
    }
}

void HtmlExporter::ValidateTable(const TableFrame& table, const StoryPos& pin,
                                 const Counted<const Story>& story,
                                 std::vector<StoryError>& errors) {
    std::vector<StringT> messages;
    styles_.ValidateTable(*table.GetTable(), table.GetTableSize(), messages);
    AddError(std::move(messages), PinRange(pin, story), errors);
}

void HtmlExporter::ValidateFrame(const AnchoredFrame&, const StoryPos& pin,
                                 const Counted<const Story>& story, std::vector<StoryError>& errors,
                                 const Counted<const Render::FillDescriptor>& background,
                                 const Counted<const Render::FillDescriptor>& strokeFill,
                                 const Counted<const Render::LineStyleDescriptor>& stroke) {
    AddError(styles_.ValidateFrameFormat(background, strokeFill, stroke), PinRange(pin, story),
             errors);
}

} // namespace EPub

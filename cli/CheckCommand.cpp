// SPDX-License-Identifier: MIT
#include "cli/CheckCommand.h"

#include "epub/content/AccessibilityCheck.h"
#include "epub/content/HtmlExporter.h"
#include "host/text/AnchoredFrame.h"
#include "host/text/NoteAtt.h"
#include "host/text/Table.h"

#include <cstdio>
#include <deque>
#include <map>

namespace Cli {
namespace {

// Keeps a finding on one line whatever names it quotes: control characters become escapes.
std::string Escape(std::string_view text, bool quoted) {
    std::string out;
    out.reserve(text.size() + 2);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (quoted && (c == '"' || c == '\\')) {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (byte < 0x20 || byte == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

std::string Quote(std::string_view text) {
    return "\"" + Escape(text, true) + "\"";
}

// Where the text of each story sits: nothing for a top-level story, the chain of pins leading
// to it for the text of notes, tables and frames.
class StoryLocations {
public:
    void Add(const Counted<const Text::Story>& top) {
        std::deque<const Text::Story*> pending;
        if (where_.emplace(top.get(), std::string()).second)
            pending.push_back(top.get());
        while (!pending.empty()) {
            const Text::Story* story = pending.front();
            pending.pop_front();
            for (uint32_t i = story->FindObject(0, story->size()); i < story->size();
                 i = story->FindObject(i + 1, story->size())) {
                const Text::Glyph glyph = story->GetGlyph(i);
                const auto* pin = glyph.As<Text::PinGlyph>();
                const auto [inner, kind] = Inner(pin);
                if (!inner)
                    continue;
                std::string path =
                    where_[story] + ", " + kind + " at character " + std::to_string(i);
                if (where_.emplace(inner, std::move(path)).second)
                    pending.push_back(inner);
            }
        }
    }

    // Null for a story that is not part of the document.
    const std::string* Find(const Text::Story* story) const {
        const auto it = where_.find(story);
        return it == where_.end() ? nullptr : &it->second;
    }

private:
    static std::pair<const Text::Story*, const char*> Inner(const Text::PinGlyph* pin) {
        if (!pin)
            return {nullptr, ""};
        if (const auto* note = pin->GetNote())
            return {note->GetContent().get(), "note"};
        if (const auto* table = pin->GetTableFrame())
            return {table->GetTable()->GetStory().get(), "table"};
        if (const auto* frame = pin->GetFrame())
            return {frame->GetStory().get(), "frame"};
        return {nullptr, ""};
    }

    std::map<const Text::Story*, std::string> where_;
};

std::string Locate(const EPub::StoryError& error, const StoryLocations& locations) {
    const Text::Story* story = error.range.GetStory().get();
    const std::string* path = story ? locations.Find(story) : nullptr;
    std::string where = path ? *path : std::string();
    if (!error.styleName.empty())
        return where + ", style " + Quote(error.styleName.view());
    if (path)
        where += ", characters " + std::to_string(error.range.begin().GetIndex()) + "-" +
                 std::to_string(error.range.end().GetIndex());
    return where;
}

} // namespace

size_t CheckDocument(const Document& doc, const std::string& sourceName, std::ostream& out) {
    EPub::HtmlExporter exporter(doc.settings, doc.options);

    // Shared across stories, so that a style is reported where it is first used only.
    std::vector<Counted<const Text::Style>> validated;
    std::vector<EPub::AccessibilityCheck::CheckedStory> checked;
    for (const StoryEntry& entry : doc.stories) {
        const bool pages = !entry.marks.pages.empty();
        checked.push_back(
            {entry.story, pages,
             pages ? entry.marks.PositionOf(*entry.marks.pages.front().anchor) : Text::StoryPos()});
    }
    const EPub::AccessibilityCheck accessibility(exporter, *doc.styles, std::move(checked));
    size_t lines = 0;
    for (const Readers::ReaderFinding& finding : doc.findings) {
        out << Escape(sourceName, false) << ": " << Escape(finding.where, false) << ": "
            << Escape(finding.message, false) << '\n';
        ++lines;
    }
    for (size_t i = 0; i < doc.stories.size(); ++i) {
        const StoryEntry& entry = doc.stories[i];
        std::vector<EPub::StoryError> errors;
        exporter.ValidateStory(entry.story, errors, true, validated);
        accessibility.AddFindings(i, errors);
        if (errors.empty())
            continue;
        StoryLocations locations;
        locations.Add(entry.story);
        const std::string prefix = Escape(sourceName, false) + ": story " + std::to_string(i + 1) +
                                   " (" + Quote(entry.fileName.view()) + ")";
        for (const EPub::StoryError& error : errors) {
            const std::string where = prefix + Locate(error, locations) + ": ";
            for (const StringT& message : error.messages) {
                out << where << Escape(message.view(), false) << '\n';
                ++lines;
            }
        }
    }
    out.flush();
    return lines;
}

} // namespace Cli

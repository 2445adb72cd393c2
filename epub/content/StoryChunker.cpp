// SPDX-License-Identifier: MIT
#include "epub/content/StoryChunker.h"

#include "host/text/AnchoredFrame.h"
#include "host/text/AttributeIds.h"
#include "host/text/GlyphString.h"
#include "host/text/NoteAtt.h"
#include "host/text/ParagraphAtts.h"
#include "host/text/Table.h"

#include <algorithm>

namespace EPub {

std::pair<StringT, StringT> SplitFileName(const StringT& fileName) {
    const std::string_view name = fileName.view();
    const size_t cut = name.find_last_of("./\\");
    if (cut == std::string_view::npos || name[cut] != '.')
        return {fileName, StringT()};
    return {StringT(name.substr(0, cut)), StringT(name.substr(cut))};
}

namespace {

bool HasImageBullet(const Text::ParagraphAtts& atts) {
    const auto list = atts.GetList();
    if (!list || list->GetType() != Text::ListType::Bullet)
        return false;
    const Text::GlyphString& bullet = list->GetBulletString();
    for (size_t i = 0; i < bullet.size(); ++i)
        if (bullet[i].GetType() == Text::GlyphType::ImageBullet)
            return true;
    return false;
}

bool StoryHasImages(const Text::Story& story, const ChunkingRules& rules, int depth);

// A picture, or text holding one: a table's cells, a text frame and a note are written into the
// document of the text they are pinned in, which must then link the image styles.
bool PinHasImages(const Text::PinGlyph& pin, const ChunkingRules& rules, int depth) {
    if (pin.GetPinned() && rules.isFrameImage && rules.isFrameImage(*pin.GetPinned()))
        return true;
    // Nesting this deep is a damaged document, not a reason to recurse further.
    if (depth > 16)
        return false;
    Counted<const Text::Story> nested;
    if (const Text::Note* note = pin.GetNote())
        nested = note->GetContent();
    else if (const Text::TableFrame* table = pin.GetTableFrame())
        nested = table->GetTable() ? table->GetTable()->GetStory() : nullptr;
    else if (const Text::AnchoredFrame* frame = pin.GetFrame())
        nested = frame->GetStory();
    return nested && StoryHasImages(*nested, rules, depth + 1);
}

bool StoryHasImages(const Text::Story& story, const ChunkingRules& rules, int depth) {
    for (Text::StoryPos pos = story.gbegin(); pos < story.GetTerminator(); ++pos) {
        if (pos.IsParagraphBegin() && rules.bulletListsAsText &&
            HasImageBullet(*pos.GetParagraphAtts()))
            return true;
        const Text::Glyph glyph = pos.GetGlyph();
        if (glyph.GetType() == Text::GlyphType::ImageBullet)
            return true;
        if (glyph.GetType() == Text::GlyphType::Pin &&
            PinHasImages(*glyph.As<Text::PinGlyph>(), rules, depth))
            return true;
    }
    return false;
}

// Every page-level break starts a new document: "name.xhtml", then "name_2.xhtml",
// "name_3.xhtml"... A break with nothing before it in the story opens no empty document.
class Cutter {
public:
    Cutter(const ChunkingRules& rules, const StringT& fileName, std::vector<StoryChunk>& chunks,
           int& counter, const std::vector<FrameScale>& scales, bool countLeadingBreak)
        : rules_(rules), chunks_(chunks), counter_(counter), scales_(scales),
          countLeadingBreak_(countLeadingBreak) {
        std::tie(base_, ext_) = SplitFileName(fileName);
    }

    void Run(const Counted<const Text::Story>& story, const Text::StoryPos& end) {
        start_ = story->gbegin();
        end_ = end;
        Text::StoryPos pos = start_;
        while (pos < end) {
            const Text::StoryPos runEnd = std::min(pos.GetParagraphAttsRunEnd(), end);
            const auto atts = pos.GetParagraphAtts();
            if (rules_.bulletListsAsText && HasImageBullet(*atts))
                hasImages_ = true;
            const bool pageBreakBefore = Text::StartPosition::IsPageLevel(atts->GetStartPosition());
            while (pos < runEnd) {
                const Text::StoryPos paraEnd = std::min(pos.GetParagraphEnd(), runEnd);
                if (pageBreakBefore && pos.IsParagraphBegin())
                    Cut(pos);
                WalkParagraph(pos, paraEnd);
                pos = paraEnd;
            }
        }
        if (start_ != end || chunks_.empty())
            Add(end);
    }

private:
    void Cut(const Text::StoryPos& pos) {
        if (pos == start_) {
            // Nothing written yet: a later story of an article starts a document of its own.
            if (!leadingSeen_ && countLeadingBreak_)
                ++counter_;
            leadingSeen_ = true;
            return;
        }
        Add(pos);
        ++counter_;
        start_ = pos;
        hasImages_ = false;
    }

    void WalkParagraph(Text::StoryPos pos, const Text::StoryPos& paraEnd) {
        for (; pos < paraEnd; ++pos) {
            const Text::Glyph glyph = pos.GetGlyph();
            if (glyph.GetType() == Text::GlyphType::Pin) {
                if (!hasImages_ && PinHasImages(*glyph.As<Text::PinGlyph>(), rules_, 0))
                    hasImages_ = true;
            } else if (glyph.GetType() == Text::GlyphType::ImageBullet) {
                hasImages_ = true;
            }
            if (glyph.IsPageLevelBreak() && HasTextAfter(pos))
                Cut(pos);
        }
    }

    // A break at the very end of the story would only open an empty document.
    bool HasTextAfter(Text::StoryPos pos) const {
        for (++pos; pos < end_; ++pos)
            if (!pos.GetGlyph().IsParagraphBreak())
                return true;
        return false;
    }

    void Add(const Text::StoryPos& pos) {
        leadingSeen_ = true;
        const StringT name =
            counter_ <= 1 ? base_ + ext_ : StringT::Format("%1_%2%3", base_, counter_, ext_);
        StoryChunk chunk(name, Text::StoryRange(start_, pos), nullptr, hasImages_);
        chunk.AddFrameScales(scales_);
        chunks_.push_back(std::move(chunk));
    }

    const ChunkingRules& rules_;
    std::vector<StoryChunk>& chunks_;
    int& counter_;
    const std::vector<FrameScale>& scales_;
    bool countLeadingBreak_;
    StringT base_, ext_;
    Text::StoryPos start_, end_;
    bool leadingSeen_ = false;
    bool hasImages_ = false;
};

} // namespace

void CutStory(const ChunkingRules& rules, const Counted<const Text::Story>& story,
              const Text::StoryPos& end, const StringT& fileName, std::vector<StoryChunk>& chunks,
              int& chunkNumber, const std::vector<FrameScale>& frameScales,
              bool countLeadingBreak) {
    if (!rules.splitStories) {
        chunks.emplace_back(fileName, story->GetAll(), nullptr, true);
        return;
    }
    Cutter(rules, fileName, chunks, chunkNumber, frameScales, countLeadingBreak).Run(story, end);
}

} // namespace EPub

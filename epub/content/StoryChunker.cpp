#include "epub/content/StoryChunker.h"

#include "host/text/AttributeIds.h"
#include "host/text/GlyphString.h"
#include "host/text/ParagraphAtts.h"

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
                    ParagraphBreak(pos);
                WalkParagraph(pos, paraEnd);
                pos = paraEnd;
            }
        }
        if (start_ != end)
            Close(end);
    }

private:
    void ParagraphBreak(const Text::StoryPos& pos) {
        if (pos == start_) {
            leadingBreak_ = true;
            return;
        }
        ++counter_;
        Add(pos, StringT::Format("%1_%2%3", base_, counter_, ext_));
        start_ = pos;
    }

    void WalkParagraph(Text::StoryPos pos, const Text::StoryPos& paraEnd) {
        for (; pos < paraEnd; ++pos) {
            const Text::Glyph glyph = pos.GetGlyph();
            if (!hasImages_ && glyph.GetType() == Text::GlyphType::Pin && rules_.isFrameImage) {
                const auto* pin = glyph.As<Text::PinGlyph>();
                if (pin->GetPinned() && rules_.isFrameImage(*pin->GetPinned())) {
                    hasImages_ = true;
                    return;
                }
            } else if (!hasImages_ && glyph.GetType() == Text::GlyphType::ImageBullet) {
                hasImages_ = true;
            }
            if (glyph.IsPageLevelBreak() && pos != start_)
                Close(pos);
        }
    }

    // A cut at a break glyph or the end: a new file only when a leading break asked for one.
    void Close(const Text::StoryPos& pos) {
        if (leadingBreak_ && countLeadingBreak_)
            ++counter_;
        Add(pos, counter_ == 1 ? base_ + ext_ : StringT::Format("%1_%2%3", base_, counter_, ext_));
        start_ = pos;
        leadingBreak_ = false;
        hasImages_ = false;
    }

    void Add(const Text::StoryPos& pos, StringT name) {
        StoryChunk chunk(std::move(name), Text::StoryRange(start_, pos), nullptr, hasImages_);
        chunk.AddFrameScales(scales_);
        chunks_.push_back(std::move(chunk));
    }

    const ChunkingRules& rules_;
    std::vector<StoryChunk>& chunks_;
    int& counter_;
    const std::vector<FrameScale>& scales_;
    bool countLeadingBreak_;
    StringT base_, ext_;
    Text::StoryPos start_;
    bool leadingBreak_ = false;
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

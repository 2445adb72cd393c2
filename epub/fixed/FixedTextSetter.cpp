// SPDX-License-Identifier: MIT
#include "epub/fixed/FixedTextSetter.h"

#include "epub/fixed/HarfBuzzLibrary.h"
#include "epub/fixed/ScriptLanguage.h"
#include "epub/fixed/VerticalOrientation.h"
#include "host/foundation/FontHandle.h"

#include <linebreak.h>

#include <algorithm>
#include <cmath>

namespace EPub {

namespace {

// What CSS word-spacing widens: spaces and no-break spaces.
bool IsWordSeparator(std::string_view text, size_t at) {
    return text[at] == ' ' || text.substr(at, 2) == "\xC2\xA0";
}

ptrdiff_t WordSeparators(std::string_view text, size_t begin, size_t end) {
    ptrdiff_t n = 0;
    for (size_t i = begin; i < end; ++i)
        n += IsWordSeparator(text, i);
    return n;
}

// `text` shaped in one font and direction; the buffer is freed with it.
class ShapedText {
public:
    ShapedText(hb_font_t* font, std::string_view text, hb_direction_t direction)
        : hb_(HarfBuzzLibrary::Get()), buffer_(hb_.bufferCreate()) {
        hb_.bufferAddUtf8(buffer_, text.data(), static_cast<int>(text.size()), 0,
                          static_cast<int>(text.size()));
        hb_.bufferSetDirection(buffer_, direction);
        hb_.bufferGuessSegmentProperties(buffer_);
        hb_.shape(font, buffer_, nullptr, 0);
        info_ = hb_.bufferGetGlyphInfos(buffer_, &count_);
        pos_ = hb_.bufferGetGlyphPositions(buffer_, &count_);
    }
    ~ShapedText() { hb_.bufferDestroy(buffer_); }
    ShapedText(const ShapedText&) = delete;
    ShapedText& operator=(const ShapedText&) = delete;

    unsigned Count() const noexcept { return count_; }
    const hb_glyph_info_t& Info(unsigned i) const noexcept { return info_[i]; }
    const hb_glyph_position_t& Position(unsigned i) const noexcept { return pos_[i]; }

private:
    const HarfBuzzLibrary& hb_;
    hb_buffer_t* buffer_;
    unsigned count_ = 0;
    const hb_glyph_info_t* info_ = nullptr;
    const hb_glyph_position_t* pos_ = nullptr;
};

} // namespace

struct FixedTextSetter::Face {
    StringT path;
    uint32_t index = 0;
    StringT family;
    int weight = 400;
    bool italic = false;
    double ascent = 0.8;
    double descent = 0.2;
    unsigned upem = 1000;
    hb_blob_t* blob = nullptr;
    hb_face_t* face = nullptr;
    hb_font_t* font = nullptr;
    ~Face() {
        const HarfBuzzLibrary& hb = HarfBuzzLibrary::Get();
        if (font)
            hb.fontDestroy(font);
        if (face)
            hb.faceDestroy(face);
        if (blob)
            hb.blobDestroy(blob);
    }
};

// One run's share of a line.
struct FixedTextSetter::Piece {
    size_t run = 0;
    size_t begin = 0; // bytes into the run's text
    size_t end = 0;
};

FixedTextSetter::FixedTextSetter() {
    init_linebreak();
}

FixedTextSetter::~FixedTextSetter() = default;

std::unique_ptr<FixedTextSetter::Face>
FixedTextSetter::OpenFace(const Foundation::FontHandle& handle) {
    const HarfBuzzLibrary& hb = HarfBuzzLibrary::Get();
    auto face = std::make_unique<Face>();
    face->path = handle.GetFilePath();
    face->index = handle.GetFaceIndex();
    face->family = handle.GetFont().GetFamilyName();
    face->weight = handle.GetFont().GetWeight();
    face->italic = handle.GetFont().IsItalic();
    face->blob = hb.blobCreateFromFile(face->path.c_str());
    face->face = hb.faceCreate(face->blob, face->index);
    face->font = hb.fontCreate(face->face);
    face->upem = std::max(1u, hb.faceGetUpem(face->face));
    hb.fontSetScale(face->font, int(face->upem), int(face->upem));
    hb_font_extents_t extents{};
    if (hb.fontGetHExtents(face->font, &extents)) {
        face->ascent = double(extents.ascender) / face->upem;
        face->descent = -double(extents.descender) / face->upem;
    }
    return face;
}

const FixedTextSetter::Face* FixedTextSetter::GetFace(const Text::FontSpec& wanted,
                                                      std::string& error) {
    const StringT family = wanted.family.empty() ? StringT("DejaVu Sans") : wanted.family;
    const auto key = std::make_tuple(family.str(), wanted.weight, wanted.style);
    if (const auto it = faces_.find(key); it != faces_.end())
        return it->second.get();
    const Foundation::Font font(family, {}, wanted.weight,
                                static_cast<Foundation::FontSlant>(wanted.style));
    const HarfBuzzLibrary& hb = HarfBuzzLibrary::Get();
    if (!hb.IsLoaded()) {
        error = "text cannot be set: " + hb.error;
        return nullptr;
    }
    auto handle = Foundation::FontHandle::Make(font);
    if (!handle || handle->GetFilePath().empty()) {
        error = "font \"" + family.str() + "\" is not installed";
        return nullptr;
    }
    auto face = OpenFace(*handle);
    return faces_.emplace(key, std::move(face)).first->second.get();
}

double FixedTextSetter::Shape(const Face& face, const StyledText& style, std::string_view text,
                              std::vector<Render::PositionedGlyph>* glyphs, double wordSpacing,
                              bool rightToLeft, double pen, bool* lacksGlyph) {
    const ShapedText shaped(face.font, text, rightToLeft ? HB_DIRECTION_RTL : HB_DIRECTION_LTR);
    const unsigned count = shaped.Count();
    const double unit = style.size / face.upem;
    const double tracking = style.tracking * style.size;
    const double start = pen;
    for (unsigned i = 0; i < count; ++i) {
        const hb_glyph_info_t& info = shaped.Info(i);
        const hb_glyph_position_t& pos = shaped.Position(i);
        if (glyphs)
            glyphs->push_back({info.codepoint, pen + pos.x_offset * unit, -pos.y_offset * unit});
        pen += pos.x_advance * unit;
        if (lacksGlyph && info.codepoint == 0)
            *lacksGlyph = true;
        // Letter spacing goes after each character, as CSS puts it.
        const bool lastOfCluster = i + 1 == count || shaped.Info(i + 1).cluster != info.cluster;
        if (lastOfCluster)
            pen += tracking + (IsWordSeparator(text, info.cluster) ? wordSpacing : 0);
    }
    return pen - start;
}

Counted<Render::GlyphRunNode> FixedTextSetter::SetRun(const StyledText& text, double x, double y,
                                                      std::string& error, double wordSpacing) {
    const Face* face = GetFace(text.font, error);
    if (!face)
        return nullptr;
    return SetRunIn(*face, text, x, y, wordSpacing);
}

Counted<Render::GlyphRunNode> FixedTextSetter::SetRunIn(const Face& face, const StyledText& text,
                                                        double x, double y, double wordSpacing) {
    auto run = Foundation::MakeCounted<Render::GlyphRunNode>();
    run->fontPath = face.path;
    run->faceIndex = face.index;
    run->family = face.family;
    run->weight = face.weight;
    run->italic = face.italic;
    run->size = text.size;
    run->ascent = face.ascent;
    run->descent = face.descent;
    run->origin = {x, y - text.rise};
    run->text = text.text;
    run->letterSpacing = text.tracking * text.size;
    run->fill = text.fill;
    run->language = LanguageOfText(text.text, text.language);
    run->wordSpacing = wordSpacing;
    // Glyphs go left to right: each run of one direction shaped on its own, in visual order.
    const BidiParagraph bidi(text.text, text.direction);
    run->rightToLeft = bidi.RightToLeft();
    for (const DirectionalRun& part : bidi.VisualRuns(0, text.text.size()))
        run->advance +=
            Shape(face, text, std::string_view(text.text).substr(part.begin, part.end - part.begin),
                  &run->glyphs, wordSpacing, part.rightToLeft, run->advance);
    return run;
}

namespace {

// The characters a face must have to set a cluster: default ignorables (joiners, variation
// selectors) are the shaper's business, and faces without them set the cluster all the same.
std::u32string NeededCharacters(std::string_view utf8) {
    std::u32string out;
    for (size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (size_t k = 1; k < length && i + k < utf8.size(); ++k)
            c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += length;
        const bool ignorable = c == 0x200C || c == 0x200D || (c >= 0xFE00 && c <= 0xFE0F) ||
                               (c >= 0xE0100 && c <= 0xE01EF);
        if (!ignorable)
            out.push_back(c);
    }
    return out;
}

} // namespace

const FixedTextSetter::Face* FixedTextSetter::FallbackFace(const Face& face,
                                                           const StyledText& style,
                                                           std::string_view cluster, bool upright) {
    const auto key = std::make_tuple(&face, std::string(cluster), style.language.str(), upright);
    if (const auto it = fallbackFor_.find(key); it != fallbackFor_.end())
        return it->second;
    const Foundation::Font font(face.family, {}, face.weight,
                                face.italic ? Foundation::FontSlant::Italic
                                            : Foundation::FontSlant::Upright);
    const std::u32string needed = NeededCharacters(cluster);
    const auto handle =
        needed.empty()
            ? nullptr
            : Foundation::FontHandle::MakeFallback(font, needed, style.language, upright);
    const Face* found = nullptr;
    if (handle && !handle->GetFilePath().empty() &&
        !(handle->GetFilePath() == face.path && handle->GetFaceIndex() == face.index)) {
        auto& slot = fallbackFaces_[{handle->GetFilePath().str(), handle->GetFaceIndex()}];
        if (!slot)
            slot = OpenFace(*handle);
        found = slot.get();
    }
    fallbackFor_.emplace(key, found);
    return found;
}

std::vector<FixedTextSetter::FaceSpan> FixedTextSetter::FaceSpans(const Face& face,
                                                                  const StyledText& style,
                                                                  std::string_view text,
                                                                  bool upright) {
    // Shaped once in the run's face: clusters holding a .notdef are what it cannot set. The
    // shaper's clusters keep marks, joined emoji and flags with their base.
    const ShapedText shaped(face.font, text, HB_DIRECTION_LTR);
    std::vector<std::pair<size_t, bool>> clusters; // start, missing
    for (unsigned i = 0; i < shaped.Count(); ++i) {
        const hb_glyph_info_t& info = shaped.Info(i);
        if (clusters.empty() || clusters.back().first != info.cluster)
            clusters.emplace_back(info.cluster, false);
        clusters.back().second = clusters.back().second || info.codepoint == 0;
    }
    std::vector<FaceSpan> spans;
    for (size_t c = 0; c < clusters.size(); ++c) {
        const size_t begin = clusters[c].first;
        const size_t end = c + 1 < clusters.size() ? clusters[c + 1].first : text.size();
        const Face* chosen = &face;
        if (clusters[c].second)
            if (const Face* other =
                    FallbackFace(face, style, text.substr(begin, end - begin), upright))
                chosen = other;
        if (!spans.empty() && spans.back().face == chosen)
            spans.back().end = end;
        else
            spans.push_back({begin, end, chosen});
    }
    if (spans.empty())
        spans.push_back({0, text.size(), &face});
    return spans;
}

double FixedTextSetter::Advance(const Face& face, const StyledText& style, std::string_view text,
                                double wordSpacing, bool rightToLeft) {
    // Most text is all in its font: one shaping tells.
    bool lacksGlyph = false;
    const double whole =
        Shape(face, style, text, nullptr, wordSpacing, rightToLeft, 0, &lacksGlyph);
    if (!lacksGlyph)
        return whole;
    double advance = 0;
    for (const FaceSpan& span : FaceSpans(face, style, text))
        advance += Shape(*span.face, style, text.substr(span.begin, span.end - span.begin), nullptr,
                         wordSpacing, rightToLeft);
    return advance;
}

std::vector<Counted<Render::GlyphRunNode>> FixedTextSetter::SetRuns(const StyledText& text,
                                                                    double x, double y,
                                                                    std::string& error,
                                                                    double wordSpacing) {
    const Face* face = GetFace(text.font, error);
    if (!face)
        return {};
    auto whole = SetRunIn(*face, text, x, y, wordSpacing);
    if (std::none_of(whole->glyphs.begin(), whole->glyphs.end(),
                     [](const Render::PositionedGlyph& g) { return g.id == 0; }))
        return {whole};
    const std::vector<FaceSpan> spans = FaceSpans(*face, text, text.text);
    if (spans.size() == 1 && spans[0].face == face)
        return {whole};
    const BidiParagraph bidi(text.text, text.direction);
    std::vector<Counted<Render::GlyphRunNode>> runs;
    double pen = x;
    for (const DirectionalRun& part : bidi.VisualRuns(0, text.text.size())) {
        std::vector<FaceSpan> pieces;
        for (const FaceSpan& span : spans)
            if (const size_t b = std::max(span.begin, part.begin), e = std::min(span.end, part.end);
                b < e)
                pieces.push_back({b, e, span.face});
        if (part.rightToLeft)
            std::reverse(pieces.begin(), pieces.end());
        for (const FaceSpan& piece : pieces) {
            StyledText share = text;
            share.text = text.text.substr(piece.begin, piece.end - piece.begin);
            share.direction =
                part.rightToLeft ? TextDirection::RightToLeft : TextDirection::LeftToRight;
            auto run = SetRunIn(*piece.face, share, pen, y, wordSpacing);
            run->story.offset = static_cast<int64_t>(piece.begin);
            pen += run->advance;
            runs.push_back(std::move(run));
        }
    }
    std::sort(runs.begin(), runs.end(),
              [](const auto& a, const auto& b) { return a->story.offset < b->story.offset; });
    return runs;
}

void FixedTextSetter::Decorate(const StyledText& text, const Render::GlyphRunNode& run,
                               std::vector<Counted<const Render::Node>>& out) {
    if (run.advance <= 0 || !text.fill)
        return;
    if (run.vertical != Render::VerticalForm::None)
        return DecorateVertical(text, run, out);
    // Offsets below the baseline in ems, as browsers place them for most faces.
    const double thickness = std::max(0.05 * run.size, 0.5);
    auto line = [&](double offset) {
        auto shape = Foundation::MakeCounted<Render::ShapeNode>();
        const double top = run.origin.y + offset * run.size;
        shape->path = Render::Path::Rectangle(
            {run.origin.x, top, run.origin.x + run.advance, top + thickness});
        shape->fill = text.fill;
        out.push_back(shape);
    };
    for (int i = 0; i < text.underline; ++i)
        line(0.1 + 0.1 * i);
    for (int i = 0; i < text.strikethrough; ++i)
        line(-0.3 + 0.1 * i);
}

Counted<Render::HyperlinkNode> FixedTextSetter::LinkAreaOf(const StyledText& text,
                                                           const Render::GlyphRunNode& run) {
    if (!text.link || run.advance <= 0)
        return nullptr;
    auto area = Foundation::MakeCounted<Render::HyperlinkNode>(*text.link);
    if (run.vertical != Render::VerticalForm::None) {
        area->rect = Render::NodeBounds(run, {});
        return area;
    }
    area->rect = {run.origin.x, run.origin.y - run.ascent * run.size, run.origin.x + run.advance,
                  run.origin.y + run.descent * run.size};
    return area;
}

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t';
}

// Regional indicators (U+1F1E6 to U+1F1FF) are four bytes: F0 9F 87 A6 to BF.
bool IsRegionalIndicator(std::string_view text, size_t at) {
    return at + 4 <= text.size() && text.compare(at, 3, "\xF0\x9F\x87") == 0 &&
           static_cast<unsigned char>(text[at + 3]) >= 0xA6 &&
           static_cast<unsigned char>(text[at + 3]) <= 0xBF;
}

// Line-break opportunities of `text`, one action per byte. The line breaker we link predates
// regional indicators and aborts on them: they are handed over as ideographs of the same length
// (breakable around), and the two halves of a flag are kept together here. It also takes U+FFFF
// for the end of the text and aborts; U+FFFD of the same length stands in.
std::vector<char> LineBreaks(const std::string& text, const StringT& language) {
    std::string safe = text;
    std::vector<size_t> indicators;
    for (size_t i = 0; i < safe.size(); ++i)
        if (safe.compare(i, 3, "\xEF\xBF\xBF") == 0) {
            safe[i + 2] = '\xBD';
            i += 2;
        } else if (IsRegionalIndicator(safe, i)) {
            safe.replace(i, 4, "\xF0\xA0\x80\x80"); // U+20000
            indicators.push_back(i);
            i += 3;
        }
    std::vector<char> breaks(safe.size());
    set_linebreaks_utf8(reinterpret_cast<const utf8_t*>(safe.data()), safe.size(),
                        language.empty() ? nullptr : language.c_str(), breaks.data());
    for (size_t k = 0; k + 1 < indicators.size(); ++k)
        if (indicators[k + 1] == indicators[k] + 4) {
            breaks[indicators[k] + 3] = LINEBREAK_NOBREAK;
            ++k; // the next indicator starts a new pair
        }
    return breaks;
}

// Byte offsets after which a line may end, and whether it must.
struct Break {
    size_t end = 0;
    bool mandatory = false;
};

// What ends a line that breaks at text[visibleEnd, end): a forced break, the spaces it
// swallowed, or nothing where the words themselves meet (ideographs, a hyphen). The paragraph's
// last line ends in a space: what follows on the page is other text.
std::string LineEnd(std::string_view text, size_t visibleEnd, size_t end) {
    const std::string_view swallowed = text.substr(visibleEnd, end - visibleEnd);
    if (swallowed.find('\n') != std::string_view::npos)
        return "\n";
    return swallowed.empty() && end < text.size() ? std::string() : std::string(" ");
}

// Where a paragraph's lines may end, its last byte always among them.
std::vector<Break> BreakOpportunities(const std::string& text, const StringT& language) {
    const std::vector<char> breaks = LineBreaks(text, language);
    std::vector<Break> opportunities;
    for (size_t i = 0; i < text.size(); ++i)
        if (breaks[i] == LINEBREAK_ALLOWBREAK || breaks[i] == LINEBREAK_MUSTBREAK)
            opportunities.push_back(
                {i + 1, breaks[i] == LINEBREAK_MUSTBREAK && i + 1 < text.size()});
    if (opportunities.empty() || opportunities.back().end != text.size())
        opportunities.push_back({text.size(), false});
    return opportunities;
}

// Where a line goes across its column.
struct LineSpan {
    double left = 0;
    double right = 0;
};

// Where an outline's edges cross the band from `top` to `bottom`, left and right; nothing when
// the outline does not reach into it.
std::optional<std::pair<double, double>> OutlineExtent(const WrapArea& wrap, double top,
                                                       double bottom) {
    if (wrap.outline.empty())
        return std::make_pair(wrap.box.left, wrap.box.right);
    top -= wrap.offset;
    bottom += wrap.offset;
    double low = INFINITY, high = -INFINITY;
    const auto& points = wrap.outline;
    for (size_t i = 0; i < points.size(); ++i) {
        const auto a = points[i], b = points[(i + 1) % points.size()];
        const double y0 = std::max(top, std::min(a.y, b.y)),
                     y1 = std::min(bottom, std::max(a.y, b.y));
        if (y0 > y1)
            continue;
        for (const double y : {y0, y1}) {
            const double t = b.y == a.y ? 0 : (y - a.y) / (b.y - a.y);
            const double x = a.x + t * (b.x - a.x);
            low = std::min(low, b.y == a.y ? std::min(a.x, b.x) : x);
            high = std::max(high, b.y == a.y ? std::max(a.x, b.x) : x);
        }
    }
    if (low > high)
        return std::nullopt;
    return std::make_pair(low - wrap.offset, high + wrap.offset);
}

// The stretches of `column` a line between `top` and `bottom` takes, left to right: those clear
// of the wrap areas at least `narrowest` wide (all of them where every area in the way lets the
// line go on across it, else the widest); none, with `clearAt` where the areas in the way end,
// when no stretch is wide enough.
std::vector<LineSpan> SpansOf(const StoryColumn& column, double top, double bottom,
                              double narrowest, double& clearAt) {
    std::vector<std::pair<double, double>> blocked;
    clearAt = INFINITY;
    bool across = true;
    for (const WrapArea& wrap : column.wraps) {
        if (wrap.box.bottom <= top || wrap.box.top >= bottom)
            continue;
        auto extent = OutlineExtent(wrap, top, bottom);
        if (!extent || extent->second <= column.rect.left || extent->first >= column.rect.right)
            continue;
        // Text kept to one side: the other is blocked to the column's edge.
        if (wrap.side == WrapSide::Left)
            extent->second = column.rect.right;
        else if (wrap.side == WrapSide::Right)
            extent->first = column.rect.left;
        across = across && wrap.side != WrapSide::Largest;
        blocked.push_back(*extent);
        clearAt = std::min(clearAt, wrap.box.bottom);
    }
    if (blocked.empty())
        return {LineSpan{column.rect.left, column.rect.right}};
    std::sort(blocked.begin(), blocked.end());
    std::vector<LineSpan> free;
    double from = column.rect.left;
    for (const auto& [left, right] : blocked) {
        if (left > from)
            free.push_back({from, left});
        from = std::max(from, right);
    }
    if (column.rect.right > from)
        free.push_back({from, column.rect.right});
    const double least = std::min(narrowest, column.rect.Width());
    std::erase_if(free, [&](const LineSpan& s) { return s.right - s.left < least; });
    if (!across && !free.empty()) {
        const auto widest =
            std::max_element(free.begin(), free.end(), [](const auto& a, const auto& b) {
                return a.right - a.left < b.right - b.left;
            });
        return {*widest};
    }
    return free;
}

} // namespace

std::string FixedTextSetter::LineEndBetween(std::string_view line, std::string_view next,
                                            const StringT& language) {
    if (line.empty() || next.empty())
        return {};
    // Joined, the two may break where they meet (ideographs, a hyphen, a space already there):
    // nothing is missing between them. Otherwise a space was.
    const std::string joined = std::string(line) + std::string(next);
    const std::vector<char> breaks = LineBreaks(joined, language);
    return breaks[line.size() - 1] == LINEBREAK_ALLOWBREAK ? std::string() : std::string(" ");
}

bool FixedTextSetter::SetFrame(const std::vector<Paragraph>& paragraphs,
                               const std::vector<Foundation::RectT<double>>& columns,
                               std::vector<Counted<const Render::Node>>& out, std::string& error,
                               int32_t firstStory, std::vector<LinkArea>* links) {
    if (columns.empty())
        return true;
    std::vector<StoryColumn> story;
    for (const auto& rect : columns)
        story.push_back({rect, 0, {}, false});
    return SetUnlinked(&FixedTextSetter::FlowStory, paragraphs, story, out, error, firstStory,
                       links);
}

bool FixedTextSetter::SetUnlinked(FlowFunction flow, const std::vector<Paragraph>& paragraphs,
                                  const std::vector<StoryColumn>& columns,
                                  std::vector<Counted<const Render::Node>>& out, std::string& error,
                                  int32_t firstStory, std::vector<LinkArea>* links) {
    ColumnNodes nodes(columns.size());
    if (!(this->*flow)(paragraphs, columns, {&nodes, false, false, firstStory, links}, error))
        return false;
    for (auto& column : nodes)
        out.insert(out.end(), column.begin(), column.end());
    return true;
}

bool FixedTextSetter::SetStory(const std::vector<Paragraph>& paragraphs,
                               const std::vector<StoryColumn>& columns, ColumnNodes& out,
                               std::string& error, int32_t firstStory,
                               std::vector<LinkArea>* links) {
    return SetLinked(&FixedTextSetter::FlowStory, &FixedTextSetter::Balance, paragraphs, columns,
                     out, error, firstStory, links);
}

bool FixedTextSetter::SetLinked(FlowFunction flow, BalanceFunction balance,
                                const std::vector<Paragraph>& paragraphs,
                                const std::vector<StoryColumn>& columns, ColumnNodes& out,
                                std::string& error, int32_t firstStory,
                                std::vector<LinkArea>* links) {
    const auto last = (this->*flow)(paragraphs, columns, {}, error);
    if (!last)
        return false;
    std::vector<StoryColumn> balanced = columns;
    (this->*balance)(paragraphs, balanced, *last);
    out.assign(columns.size(), {});
    return (this->*flow)(paragraphs, balanced, {&out, true, false, firstStory, links}, error)
        .has_value();
}

std::optional<std::pair<size_t, size_t>>
FixedTextSetter::ColumnsToBalance(const std::vector<StoryColumn>& columns, size_t lastColumn) {
    const size_t frame = columns[lastColumn].frame;
    size_t first = lastColumn, end = lastColumn + 1;
    while (first > 0 && columns[first - 1].frame == frame)
        --first;
    while (end < columns.size() && columns[end].frame == frame)
        ++end;
    const bool asked = std::any_of(columns.begin() + first, columns.begin() + end,
                                   [](const StoryColumn& c) { return c.balance; });
    if (!asked || end - first < 2)
        return std::nullopt;
    return std::make_pair(first, end);
}

void FixedTextSetter::Balance(const std::vector<Paragraph>& paragraphs,
                              std::vector<StoryColumn>& columns, size_t lastColumn) {
    const auto range = ColumnsToBalance(columns, lastColumn);
    if (!range)
        return;
    const size_t first = range->first, end = range->second;
    // The shortest height the frame's columns can be cut to with the story still ending in
    // them, each column's first line fitting as well; later frames are out of reach.
    std::vector<StoryColumn> trial(columns.begin(), columns.begin() + end);
    double low = 0, high = 0;
    for (size_t c = first; c < end; ++c)
        high = std::max(high, columns[c].rect.Height());
    auto cut = [&](double height) {
        for (size_t c = first; c < end; ++c)
            trial[c].rect.bottom = std::min(columns[c].rect.bottom, columns[c].rect.top + height);
    };
    std::string error;
    cut(high);
    if (!FlowStory(paragraphs, trial, {nullptr, false, true}, error))
        return; // a line taller than its column: left as set
    while (high - low > 0.25) {
        const double middle = (low + high) / 2;
        cut(middle);
        (FlowStory(paragraphs, trial, {nullptr, false, true}, error) ? high : low) = middle;
    }
    for (size_t c = first; c < end; ++c)
        columns[c].rect.bottom = std::min(columns[c].rect.bottom, columns[c].rect.top + high);
}

std::optional<size_t> FixedTextSetter::FlowStory(const std::vector<Paragraph>& paragraphs,
                                                 const std::vector<StoryColumn>& columns,
                                                 const Flow& flow, std::string& error) {
    if (columns.empty()) {
        error = "the story has no frame to go in";
        return std::nullopt;
    }
    size_t column = 0;
    double cursor = columns[0].rect.top;
    bool firstInColumn = true;
    int32_t lineNumber = 0;
    const int32_t firstStory = flow.firstStory;
    for (size_t p = 0; p < paragraphs.size(); ++p) {
        const Paragraph& para = paragraphs[p];
        const ParagraphFormat& f = para.format;
        // The group this paragraph's share of the current frame is set in.
        Counted<Render::GroupNode> group;
        size_t groupFrame = 0;
        auto sink = [&]() -> std::vector<Counted<const Render::Node>>& {
            if (!flow.grouped)
                return (*flow.out)[column];
            if (!group || groupFrame != columns[column].frame) {
                group = Foundation::MakeCounted<Render::GroupNode>();
                group->logical = Render::LogicalGroup::Paragraph;
                group->heading = para.heading;
                groupFrame = columns[column].frame;
                (*flow.out)[column].push_back(group);
            }
            return group->children;
        };
        double tallest = 0; // of the paragraph's lines: how much room wrap areas must leave
        for (const auto& run : para.runs)
            tallest = std::max(tallest, f.leading > 0 ? f.leading : run.size * 1.2);
        // The paragraph's text as one string, with each run's start.
        std::string text;
        std::vector<size_t> starts;
        for (const auto& run : para.runs) {
            starts.push_back(text.size());
            text += run.text;
        }
        starts.push_back(text.size());
        std::vector<const Face*> faces;
        for (const auto& run : para.runs) {
            faces.push_back(GetFace(run.font, error));
            if (!faces.back())
                return std::nullopt;
        }
        const BidiParagraph bidi(text, f.direction);
        const bool rtl = bidi.RightToLeft();
        // Alignment names the side as seen in left-to-right text: mirrored, left is the start.
        const int alignment = !rtl || f.alignment % 2 == 1 ? f.alignment : 2 - f.alignment;
        const std::vector<Break> opportunities =
            BreakOpportunities(text, para.runs.empty() ? StringT() : para.runs[0].language);

        auto runOf = [&](size_t offset) {
            size_t r = 0;
            while (r + 1 < para.runs.size() && starts[r + 1] <= offset)
                ++r;
            return r;
        };
        // Width of text[a, b), each run's share of each direction shaped on its own.
        auto measure = [&](size_t a, size_t b) {
            double w = 0;
            for (const DirectionalRun& part : bidi.VisualRuns(a, b, starts)) {
                const size_t r = runOf(part.begin);
                w += Advance(*faces[r], para.runs[r],
                             std::string_view(text).substr(part.begin, part.end - part.begin), 0,
                             part.rightToLeft);
            }
            return w;
        };
        auto trimmedEnd = [&](size_t a, size_t b) {
            while (b > a && (IsSpace(text[b - 1]) || text[b - 1] == '\n'))
                --b;
            return b;
        };

        // A hyphen in the style of the text before `at`, and the last point in the word
        // text[begin, end) where the line up to it and that hyphen fit; 0 when none does.
        auto hyphenWidth = [&](size_t at) {
            // Measured after the letter it follows: the two may kern.
            const size_t end = Hyphenator::EndsWithSoftHyphen(text, at) ? at - 2 : at;
            size_t letter = end > 0 ? end - 1 : 0;
            while (letter > 0 && (static_cast<unsigned char>(text[letter]) & 0xC0) == 0x80)
                --letter;
            const size_t r = runOf(letter);
            const std::string last = text.substr(letter, end - letter);
            return Shape(*faces[r], para.runs[r], last + "-", nullptr) -
                   Shape(*faces[r], para.runs[r], last, nullptr);
        };
        auto hyphenPoint = [&](size_t lineStart, size_t begin, size_t end, double available) {
            const auto [first, last] = Hyphenator::WordCore(text, begin, end);
            const std::string_view word = std::string_view(text).substr(first, last - first);
            const auto points =
                hyphenator_.Points(word, para.runs[runOf(first)].language.view(), f.hyphenation);
            for (auto it = points.rbegin(); it != points.rend(); ++it)
                if (first + *it > lineStart &&
                    measure(lineStart, first + *it) + hyphenWidth(first + *it) <= available)
                    return first + *it;
            return size_t(0);
        };

        if (!firstInColumn)
            cursor += f.spaceBefore;
        int hyphenatedLines = 0; // in a row
        size_t segment = 0;      // stretch of the band beside a wrap area the next line takes
        double band = 0;         // height of the lines set in the band so far
        size_t lineStart = 0;
        size_t next = 0; // index into opportunities
        bool firstLine = true;
        while (lineStart < text.size() || (text.empty() && firstLine)) {
            const auto& col = columns[column].rect;
            const size_t lineNext = next; // a line laid out again starts from here
            // Moves on to the next column; false when there is none.
            auto nextColumn = [&]() {
                if (++column == columns.size()) {
                    error = "the text does not fit in the frame";
                    return false;
                }
                cursor = columns[column].rect.top;
                firstInColumn = true;
                segment = 0;
                band = 0;
                return true;
            };
            double clearAt = 0;
            const std::vector<LineSpan> spans =
                SpansOf(columns[column], cursor, cursor + tallest, 4 * tallest / 1.2, clearAt);
            if (spans.empty()) {
                // Below what is in the way, or in the next column when that is past the bottom.
                cursor = std::max(clearAt, cursor + 1);
                if (cursor + tallest > col.bottom + 0.01 && !nextColumn())
                    return std::nullopt;
                continue;
            }
            // Across a wrap area the text goes on in the band's next stretch, in reading order.
            segment = segment < spans.size() ? segment : 0;
            const LineSpan* span = &spans[rtl ? spans.size() - 1 - segment : segment];
            const double indent = f.leftIndent + (firstLine ? f.firstLineIndent : 0);
            const double available = span->right - span->left - indent - f.rightIndent;
            const double leftMargin = rtl ? f.rightIndent : indent;
            // Greedy: take opportunities while the line (without its trailing spaces) fits.
            size_t end = lineStart;
            bool forced = false;
            bool hyphenated = false;
            const bool mayHyphenate =
                f.hyphenation.maxConsecutive <= 0 || hyphenatedLines < f.hyphenation.maxConsecutive;
            while (next < opportunities.size()) {
                const Break& b = opportunities[next];
                double w = measure(lineStart, trimmedEnd(lineStart, b.end));
                // A soft hyphen shows when the line breaks at it.
                if (Hyphenator::EndsWithSoftHyphen(text, b.end))
                    w += hyphenWidth(b.end);
                if (w > available && mayHyphenate) {
                    if (const size_t cut = hyphenPoint(lineStart, end, b.end, available)) {
                        end = cut;
                        hyphenated = true;
                        break;
                    }
                }
                if (w > available && end > lineStart)
                    break;
                end = b.end;
                ++next;
                if (b.mandatory) {
                    forced = true;
                    break;
                }
                if (w > available)
                    break; // a single word wider than the column: it overflows
            }
            if (end == lineStart)
                end = text.size();
            const bool lastLine = end >= text.size() || forced;
            const size_t visibleEnd = trimmedEnd(lineStart, end);
            hyphenated = hyphenated || (!lastLine && Hyphenator::EndsWithSoftHyphen(text, end));
            const double hyphen = hyphenated ? hyphenWidth(visibleEnd) : 0;
            double ascent = 0, descent = 0, largest = 0;
            for (size_t r = runOf(lineStart);
                 r < para.runs.size() && starts[r] < std::max(end, lineStart + 1); ++r) {
                ascent = std::max(ascent, faces[r]->ascent * para.runs[r].size);
                descent = std::max(descent, faces[r]->descent * para.runs[r].size);
                largest = std::max(largest, para.runs[r].size);
            }
            const double lineHeight = f.leading > 0 ? f.leading : largest * 1.2;
            if (cursor + lineHeight > col.bottom + 0.01 && (!firstInColumn || flow.strict)) {
                if (!nextColumn())
                    return std::nullopt;
                next = lineNext;
                continue; // lay the same line out again in the next column
            }
            const double baseline = cursor + (lineHeight - (ascent + descent)) / 2 + ascent;
            const double width = measure(lineStart, visibleEnd) + hyphen;
            double x = span->left + leftMargin;
            double wordSpacing = 0;
            const double slack = available - width;
            switch (alignment) {
            case 1:
                x += slack / 2;
                break;
            case 2:
                x += slack;
                break;
            case 3:
                if (!lastLine && slack > 0) {
                    const auto spaces = WordSeparators(text, lineStart, visibleEnd);
                    if (spaces > 0)
                        wordSpacing = slack / double(spaces);
                } else if (rtl) {
                    x += slack;
                }
                break;
            default:
                break;
            }
            // One glyph run per run's share of the line in each direction: placed left to
            // right, listed in reading order.
            std::vector<std::pair<DirectionalRun, double>> parts;
            for (const DirectionalRun& part : bidi.VisualRuns(lineStart, visibleEnd, starts)) {
                parts.emplace_back(part, x);
                const size_t r = runOf(part.begin);
                x += Advance(*faces[r], para.runs[r],
                             std::string_view(text).substr(part.begin, part.end - part.begin),
                             wordSpacing, part.rightToLeft) +
                     (part.end == visibleEnd ? hyphen : 0);
            }
            std::sort(parts.begin(), parts.end(),
                      [](const auto& a, const auto& b) { return a.first.begin < b.first.begin; });
            Render::GlyphRunNode* lastOfLine = nullptr;
            for (const auto& [part, left] : flow.out ? parts : decltype(parts)()) {
                const size_t a = part.begin;
                StyledText piece = para.runs[runOf(a)];
                piece.text = text.substr(a, part.end - a);
                if (hyphenated && part.end == visibleEnd) {
                    if (Hyphenator::EndsWithSoftHyphen(piece.text, piece.text.size()))
                        piece.text.resize(piece.text.size() - 2);
                    piece.text += '-';
                }
                piece.direction =
                    part.rightToLeft ? TextDirection::RightToLeft : TextDirection::LeftToRight;
                const auto runs = SetRuns(piece, left, baseline, error, wordSpacing);
                if (runs.empty())
                    return std::nullopt;
                if (hyphenated && part.end == visibleEnd && runs.back()->text.ends_with('-'))
                    runs.back()->breakHyphen = true;
                auto& out = sink();
                for (const auto& run : runs) {
                    run->story = {firstStory + static_cast<int32_t>(p),
                                  static_cast<int64_t>(a) + run->story.offset, lineNumber};
                    lastOfLine = run.get();
                    out.push_back(run);
                    Decorate(piece, *run, out);
                    if (auto area = LinkAreaOf(piece, *run)) {
                        out.push_back(area);
                        if (flow.links)
                            flow.links->push_back({area, piece.link});
                    }
                }
            }
            if (lastOfLine && !hyphenated)
                lastOfLine->lineEnd = LineEnd(text, visibleEnd, end);
            ++lineNumber;
            hyphenatedLines = hyphenated ? hyphenatedLines + 1 : 0;
            band = std::max(band, lineHeight);
            if (++segment >= spans.size() || end >= text.size()) {
                cursor += band;
                segment = 0;
                band = 0;
            }
            firstInColumn = false;
            firstLine = false;
            lineStart = end;
            if (text.empty())
                break;
        }
        cursor += f.spaceAfter;
    }
    return column;
}

// Vertical text. Lines go down their column from the top and follow each other leftwards;
// ideographs stand upright, other scripts lie on their side, short numbers read across.

double FixedTextSetter::ShapeVertical(const Face& face, const StyledText& style,
                                      std::string_view text,
                                      std::vector<Render::PositionedGlyph>* glyphs, double pen,
                                      bool* lacksGlyph) {
    const ShapedText shaped(face.font, text, HB_DIRECTION_TTB);
    const unsigned count = shaped.Count();
    const double unit = style.size / face.upem;
    const double start = pen;
    // HarfBuzz's offsets already take each glyph from its vertical origin (the top of its em box,
    // centred across the line) to where it is drawn from; y grows upwards there.
    for (unsigned i = 0; i < count; ++i) {
        const hb_glyph_info_t& info = shaped.Info(i);
        const hb_glyph_position_t& pos = shaped.Position(i);
        if (glyphs)
            glyphs->push_back({info.codepoint, pos.x_offset * unit, pen - pos.y_offset * unit});
        pen -= pos.y_advance * unit;
        if (lacksGlyph && info.codepoint == 0)
            *lacksGlyph = true;
        if (i + 1 == count || shaped.Info(i + 1).cluster != info.cluster)
            pen += style.tracking * style.size;
    }
    return pen - start;
}

double FixedTextSetter::VerticalAdvanceIn(const Face& face, const StyledText& style,
                                          std::string_view text, Render::VerticalForm form,
                                          bool* lacksGlyph) {
    switch (form) {
    case Render::VerticalForm::Upright:
        return ShapeVertical(face, style, text, nullptr, 0, lacksGlyph);
    case Render::VerticalForm::Combined:
        return style.size;
    default:
        return Shape(face, style, text, nullptr, 0, false, 0, lacksGlyph);
    }
}

double FixedTextSetter::VerticalAdvance(const Face& face, const StyledText& style,
                                        std::string_view text, Render::VerticalForm form) {
    bool lacksGlyph = false;
    const double whole = VerticalAdvanceIn(face, style, text, form, &lacksGlyph);
    if (!lacksGlyph || form == Render::VerticalForm::Combined)
        return whole;
    double advance = 0;
    for (const FaceSpan& span : FaceSpans(face, style, text, form == Render::VerticalForm::Upright))
        advance += VerticalAdvanceIn(*span.face, style,
                                     text.substr(span.begin, span.end - span.begin), form);
    return advance;
}

Counted<Render::GlyphRunNode> FixedTextSetter::SetVerticalRun(const StyledText& text,
                                                              Render::VerticalForm form, double x,
                                                              double y, std::string& error) {
    const Face* face = GetFace(text.font, error);
    return face ? SetVerticalRunIn(*face, text, form, x, y) : nullptr;
}

std::vector<Counted<Render::GlyphRunNode>>
FixedTextSetter::SetVerticalRuns(const StyledText& text, Render::VerticalForm form, double x,
                                 double y, std::string& error) {
    const Face* face = GetFace(text.font, error);
    if (!face)
        return {};
    auto whole = SetVerticalRunIn(*face, text, form, x, y);
    // Numbers set across the line stay in one face: they squeeze into one em together.
    if (form == Render::VerticalForm::Combined ||
        std::none_of(whole->glyphs.begin(), whole->glyphs.end(),
                     [](const Render::PositionedGlyph& g) { return g.id == 0; }))
        return {whole};
    std::vector<Counted<Render::GlyphRunNode>> runs;
    for (const FaceSpan& span :
         FaceSpans(*face, text, text.text, form == Render::VerticalForm::Upright)) {
        StyledText share = text;
        share.text = text.text.substr(span.begin, span.end - span.begin);
        auto run = SetVerticalRunIn(*span.face, share, form, x, y);
        run->story.offset = static_cast<int64_t>(span.begin);
        y += run->advance;
        runs.push_back(std::move(run));
    }
    return runs;
}

Counted<Render::GlyphRunNode> FixedTextSetter::SetVerticalRunIn(const Face& glyphFace,
                                                                const StyledText& text,
                                                                Render::VerticalForm form, double x,
                                                                double y) {
    using Render::VerticalForm;
    StyledText across = text;
    across.direction = TextDirection::Auto;
    auto run = SetRunIn(glyphFace, across, x, y, 0);
    const Face* face = &glyphFace;
    run->origin = {x, y};
    run->vertical = form;
    switch (form) {
    case VerticalForm::Upright:
        run->glyphs.clear();
        run->advance = ShapeVertical(*face, text, text.text, &run->glyphs);
        break;
    case VerticalForm::Sideways: {
        // The em box, ascent and descent scaled to one em between them as browsers take it,
        // sits centred on the line.
        const double span = std::max(face->ascent + face->descent, 1e-6);
        const double baseline = (face->ascent - face->descent) / span / 2 * text.size;
        for (auto& g : run->glyphs)
            g.y += baseline;
        break;
    }
    case VerticalForm::Combined: {
        // Centred across the line, squeezed into one em when wider; the em box centred in the
        // em of line it takes.
        const double width = run->advance;
        run->squeeze = width > text.size ? text.size / width : 1;
        const double baseline =
            (1 - face->ascent - face->descent) / 2 * text.size + face->ascent * text.size;
        for (auto& g : run->glyphs) {
            g.x -= width / 2;
            g.y += baseline;
        }
        run->advance = text.size;
        break;
    }
    case VerticalForm::None:
        break;
    }
    return run;
}

void FixedTextSetter::DecorateVertical(const StyledText& text, const Render::GlyphRunNode& run,
                                       std::vector<Counted<const Render::Node>>& out) {
    const double thickness = std::max(0.05 * run.size, 0.5);
    auto line = [&](double offset) {
        auto shape = Foundation::MakeCounted<Render::ShapeNode>();
        const double left = run.origin.x + offset * run.size;
        shape->path = Render::Path::Rectangle(
            {left, run.origin.y, left + thickness, run.origin.y + run.advance});
        shape->fill = text.fill;
        out.push_back(shape);
    };
    for (int i = 0; i < text.underline; ++i)
        line(0.55 + 0.1 * i);
    for (int i = 0; i < text.strikethrough; ++i)
        line(-0.025 + 0.1 * i);
}

namespace {

// A wrap area turned a quarter, (x, y) to (y, -x): a vertical line's band becomes a horizontal
// one, the top of a column its left, so that the horizontal rules find the line's stretches.
WrapArea Turned(const WrapArea& wrap) {
    WrapArea turned = wrap;
    turned.box = {wrap.box.top, -wrap.box.right, wrap.box.bottom, -wrap.box.left};
    for (auto& point : turned.outline)
        point = {point.y, -point.x};
    return turned;
}

// The stretches of `column` from top to bottom (as LineSpans' left and right) that a vertical
// line between `left` and `right` takes, as SpansOf finds them across a horizontal one: an
// area's left side is above it, its right side below. None, with `clearAt` where the areas in
// the way end leftwards, when no stretch is long enough.
std::vector<LineSpan> StretchesOf(const StoryColumn& column, double left, double right,
                                  double shortest, double& clearAt) {
    StoryColumn turned{{column.rect.top, -column.rect.right, column.rect.bottom, -column.rect.left},
                       column.frame,
                       {},
                       false};
    for (const WrapArea& wrap : column.wraps)
        turned.wraps.push_back(Turned(wrap));
    const auto stretches = SpansOf(turned, -right, -left, shortest, clearAt);
    clearAt = -clearAt;
    return stretches;
}

} // namespace

bool FixedTextSetter::SetVerticalFrame(const std::vector<Paragraph>& paragraphs,
                                       const std::vector<Foundation::RectT<double>>& columns,
                                       std::vector<Counted<const Render::Node>>& out,
                                       std::string& error, int32_t firstStory,
                                       std::vector<LinkArea>* links, int combineDigits) {
    if (columns.empty())
        return true;
    std::vector<StoryColumn> story;
    for (const auto& rect : columns)
        story.push_back({rect, 0, {}, false, combineDigits});
    return SetUnlinked(&FixedTextSetter::FlowVertical, paragraphs, story, out, error, firstStory,
                       links);
}

bool FixedTextSetter::SetVerticalStory(const std::vector<Paragraph>& paragraphs,
                                       const std::vector<StoryColumn>& columns, ColumnNodes& out,
                                       std::string& error, int32_t firstStory,
                                       std::vector<LinkArea>* links) {
    return SetLinked(&FixedTextSetter::FlowVertical, &FixedTextSetter::BalanceVertical, paragraphs,
                     columns, out, error, firstStory, links);
}

void FixedTextSetter::BalanceVertical(const std::vector<Paragraph>& paragraphs,
                                      std::vector<StoryColumn>& columns, size_t lastColumn) {
    const auto range = ColumnsToBalance(columns, lastColumn);
    if (!range)
        return;
    const size_t first = range->first, end = range->second;
    // Each column in turn is cut from the left as far as it can be with the story still ending
    // in the frame when the columns after it are cut as far: it takes its share rounded up and
    // leaves the rest to them, so that no column holds more than a line over another. Each
    // column's first line must fit as well; later frames are out of reach.
    std::vector<StoryColumn> trial(columns.begin(), columns.begin() + end);
    double high = 0;
    for (size_t c = first; c < end; ++c)
        high = std::max(high, columns[c].rect.Width());
    auto cut = [&](size_t from, double width) {
        for (size_t c = from; c < end; ++c)
            trial[c].rect.left = std::max(columns[c].rect.left, columns[c].rect.right - width);
    };
    std::string error;
    cut(first, high);
    if (!FlowVertical(paragraphs, trial, {nullptr, false, true}, error))
        return; // a line thicker than its column: left as set
    for (size_t from = first; from + 1 < end; ++from) {
        double low = 0;
        while (high - low > 0.25) {
            const double middle = (low + high) / 2;
            cut(from, middle);
            (FlowVertical(paragraphs, trial, {nullptr, false, true}, error) ? high : low) = middle;
        }
        cut(from, high);
    }
    for (size_t c = first; c < end; ++c)
        columns[c].rect = trial[c].rect;
}

std::optional<size_t> FixedTextSetter::FlowVertical(const std::vector<Paragraph>& paragraphs,
                                                    const std::vector<StoryColumn>& columns,
                                                    const Flow& flow, std::string& error) {
    if (columns.empty()) {
        error = "the story has no frame to go in";
        return std::nullopt;
    }
    size_t column = 0;
    double cursor = columns[0].rect.right; // the right edge of the next line
    bool firstInColumn = true;
    int32_t lineNumber = 0;
    for (size_t p = 0; p < paragraphs.size(); ++p) {
        const Paragraph& para = paragraphs[p];
        const ParagraphFormat& f = para.format;
        // The group this paragraph's share of the current frame is set in.
        Counted<Render::GroupNode> group;
        size_t groupFrame = 0;
        auto sink = [&]() -> std::vector<Counted<const Render::Node>>& {
            if (!flow.grouped)
                return (*flow.out)[column];
            if (!group || groupFrame != columns[column].frame) {
                group = Foundation::MakeCounted<Render::GroupNode>();
                group->logical = Render::LogicalGroup::Paragraph;
                group->heading = para.heading;
                groupFrame = columns[column].frame;
                (*flow.out)[column].push_back(group);
            }
            return group->children;
        };
        std::string text;
        std::vector<size_t> starts;
        std::vector<const Face*> faces;
        double tallest = 0; // the thickest line: how much room wrap areas must leave
        for (const auto& run : para.runs) {
            starts.push_back(text.size());
            text += run.text;
            faces.push_back(GetFace(run.font, error));
            if (!faces.back())
                return std::nullopt;
            tallest = std::max(tallest, f.leading > 0 ? f.leading : run.size * 1.2);
        }
        starts.push_back(text.size());
        // Each run's text in the forms it is set in, for each frame's setting of digits.
        std::map<int, std::vector<std::pair<size_t, OrientedSpan>>> spansByDigits;
        auto spansFor = [&](int combineDigits) -> const auto& {
            auto [found, added] = spansByDigits.try_emplace(combineDigits);
            if (!added)
                return found->second;
            for (size_t r = 0; r < para.runs.size(); ++r) {
                if (para.runs[r].combine) {
                    found->second.push_back(
                        {r, {starts[r], starts[r + 1], Render::VerticalForm::Combined}});
                    continue;
                }
                for (const OrientedSpan& s :
                     VerticalOrientation::Spans(text, starts[r], starts[r + 1], combineDigits))
                    found->second.push_back({r, s});
            }
            return found->second;
        };
        // Each span's share of text[a, b), in order, as the current column sets digits.
        auto pieces = [&](size_t a, size_t b) {
            std::vector<std::pair<size_t, OrientedSpan>> out;
            for (const auto& [r, s] : spansFor(columns[column].combineDigits))
                if (s.end > a && s.begin < b)
                    out.push_back({r, {std::max(a, s.begin), std::min(b, s.end), s.form}});
            return out;
        };
        auto measure = [&](size_t a, size_t b) {
            double length = 0;
            for (const auto& [r, s] : pieces(a, b))
                length += VerticalAdvance(*faces[r], para.runs[r],
                                          std::string_view(text).substr(s.begin, s.end - s.begin),
                                          s.form);
            return length;
        };
        auto trimmedEnd = [&](size_t a, size_t b) {
            while (b > a && (IsSpace(text[b - 1]) || text[b - 1] == '\n'))
                --b;
            return b;
        };
        const std::vector<Break> opportunities =
            BreakOpportunities(text, para.runs.empty() ? StringT() : para.runs[0].language);

        if (!firstInColumn)
            cursor -= f.spaceBefore;
        size_t segment = 0; // stretch of the band beside a wrap area the next line takes
        double band = 0;    // thickness of the lines set in the band so far
        size_t lineStart = 0;
        size_t next = 0;
        bool firstLine = true;
        while (lineStart < text.size() || (text.empty() && firstLine)) {
            const auto& col = columns[column].rect;
            const size_t lineNext = next; // a line laid out again starts from here
            // Moves on to the next column; false when there is none.
            auto nextColumn = [&]() {
                if (++column == columns.size()) {
                    error = "the text does not fit in the frame";
                    return false;
                }
                cursor = columns[column].rect.right;
                firstInColumn = true;
                segment = 0;
                band = 0;
                return true;
            };
            double clearAt = 0;
            const std::vector<LineSpan> stretches =
                StretchesOf(columns[column], cursor - tallest, cursor, 4 * tallest / 1.2, clearAt);
            if (stretches.empty()) {
                // Left of what is in the way, or in the next column when that is past the edge.
                cursor = std::min(clearAt, cursor - 1);
                if (cursor - tallest < col.left - 0.01 && !nextColumn())
                    return std::nullopt;
                continue;
            }
            // Across a wrap area the text goes on in the band's next stretch down.
            segment = segment < stretches.size() ? segment : 0;
            const LineSpan& stretch = stretches[segment];
            const double indent = f.leftIndent + (firstLine ? f.firstLineIndent : 0);
            const double available = stretch.right - stretch.left - indent - f.rightIndent;
            size_t end = lineStart;
            while (next < opportunities.size()) {
                const Break& b = opportunities[next];
                const double length = measure(lineStart, trimmedEnd(lineStart, b.end));
                if (length > available && end > lineStart)
                    break;
                end = b.end;
                ++next;
                if (b.mandatory)
                    break;
                if (length > available)
                    break; // one unbreakable stretch longer than the column: it overflows
            }
            if (end == lineStart)
                end = text.size();
            const size_t visibleEnd = trimmedEnd(lineStart, end);
            double largest = 0;
            for (size_t r = 0; r < para.runs.size(); ++r)
                if (starts[r] < std::max(end, lineStart + 1) && starts[r + 1] > lineStart)
                    largest = std::max(largest, para.runs[r].size);
            if (largest <= 0 && !para.runs.empty())
                largest = para.runs[0].size;
            const double thickness = f.leading > 0 ? f.leading : largest * 1.2;
            if (cursor - thickness < col.left - 0.01 && (!firstInColumn || flow.strict)) {
                if (!nextColumn())
                    return std::nullopt;
                next = lineNext;
                continue; // lay the same line out again in the next column
            }
            const double centre = cursor - thickness / 2;
            const double slack = available - measure(lineStart, visibleEnd);
            double y = stretch.left + indent;
            // Justified lines have nothing to widen in ideographic text: they start at the top.
            if (f.alignment == 1)
                y += slack / 2;
            else if (f.alignment == 2)
                y += slack;
            Render::GlyphRunNode* lastOfLine = nullptr;
            for (const auto& [r, s] :
                 flow.out ? pieces(lineStart, visibleEnd) : decltype(pieces(0, 0))()) {
                StyledText piece = para.runs[r];
                piece.text = text.substr(s.begin, s.end - s.begin);
                const auto runs = SetVerticalRuns(piece, s.form, centre, y, error);
                if (runs.empty())
                    return std::nullopt;
                auto& out = sink();
                for (const auto& run : runs) {
                    run->story = {flow.firstStory + static_cast<int32_t>(p),
                                  static_cast<int64_t>(s.begin) + run->story.offset, lineNumber};
                    lastOfLine = run.get();
                    y += run->advance;
                    out.push_back(run);
                    Decorate(piece, *run, out);
                    if (auto area = LinkAreaOf(piece, *run)) {
                        out.push_back(area);
                        if (flow.links)
                            flow.links->push_back({area, piece.link});
                    }
                }
            }
            if (lastOfLine)
                lastOfLine->lineEnd = LineEnd(text, visibleEnd, end);
            ++lineNumber;
            band = std::max(band, thickness);
            if (++segment >= stretches.size() || end >= text.size()) {
                cursor -= band;
                segment = 0;
                band = 0;
            }
            firstInColumn = false;
            firstLine = false;
            lineStart = end;
            if (text.empty())
                break;
        }
        cursor -= f.spaceAfter;
    }
    return column;
}

} // namespace EPub

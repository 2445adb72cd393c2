// SPDX-License-Identifier: MIT
#include "cli/FixedDocumentReader.h"

#include "cli/DocumentReader.h"

#include "cli/AccessibilityReader.h"
#include "cli/AnchorBook.h"
#include "cli/AttributeReader.h"
#include "cli/MetadataReader.h"
#include "cli/SvgCheck.h"
#include "epub/fixed/FixedTextSetter.h"
#include "epub/options/AccessibilityMetadata.h"
#include "epub/package/NameRules.h"
#include "epub/package/PackageText.h"
#include "host/foundation/DataSource.h"
#include "host/raster/ImageFile.h"
#include "host/text/GlyphAtts.h"
#include "host/text/ParagraphAtts.h"
#include "host/text/TextDocument.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string_view>

namespace Cli {
namespace {

using json = JsonValue;
namespace fs = std::filesystem;
using EPub::FixedTextSetter;
using EPub::LinkArea;
using EPub::Paragraph;
using EPub::StoryColumn;
using EPub::StyledText;
using EPub::TextDirection;
using EPub::WrapArea;
using Foundation::MakeCounted;
using Render::AffineTransform;

struct LoadedImage {
    std::string encoded;
    Raster::FileType type = Raster::FileType::Unknown;
    Counted<const Raster::DynamicBitmap> bitmap;
};

constexpr size_t kMaxGroupDepth = 256;
// Beyond these a group lies far outside any page (pages are at most 14400 points).
constexpr double kMaxScale = 10000;
constexpr double kMaxOffset = 1000000;
// Superscripts and subscripts are set at this share of their size.
constexpr double kScriptScale = 0.58;

// Why a cover file cannot be drawn, or an empty text when it can.
std::string PictureProblem(const std::string& data) {
    if (Raster::DetectFileType(data) == Raster::FileType::SVG)
        return SvgProblem(data);
    if (!Raster::DecodeImage(data))
        return "it is neither a JPEG, PNG or GIF picture that can be read nor an SVG "
               "drawing";
    return {};
}

class FixedReader : public JsonInput {
public:
    FixedReader(std::string source, fs::path baseDir)
        : JsonInput(std::move(source), std::move(baseDir)), document_(Text::TextDocument::Make()),
          anchors_(document_), atts_(*this, anchors_) {}

    FixedDocument Read(const json& root);

private:
    void ReadOptions(const Node& node, FixedDocument& doc) const;
    void ReadContents(const Node& node, FixedDocument& doc) const;
    FixedPage ReadPage(const Node& node);
    void ReadItems(const Node& node, Render::GroupNode& group);
    Counted<const Render::Node> ReadItem(const Node& node);
    Counted<const Render::Node> ReadText(const Node& node);
    Counted<const Render::Node> ReadTextFrame(const Node& node);
    std::vector<Paragraph> ReadParagraphs(const Node& list, const Text::GlyphAtts& base,
                                          TextDirection direction);
    std::vector<Foundation::RectT<double>> FrameColumns(const Node& node) const;
    void ReadStories(const Node& node);
    void Survey(const Node& pages);
    void SurveyItems(const Node& items, size_t page, const AffineTransform& world,
                     size_t depth = 0);
    std::vector<StoryColumn> ChainColumns(const std::vector<size_t>& chain) const;
    void SetStory(const std::string& name);
    Counted<const Render::Node> ReadImage(const Node& node);
    Counted<const Render::Node> ReadShape(const Node& node, bool isPath);
    Counted<const Render::Node> ReadGroup(const Node& node);
    Counted<const Render::Node> ReadLink(const Node& node);
    Counted<const Render::Node> ReadAnchor(const Node& node);
    void ResolveAnchorLinks();
    void FindUnpairedSpreads(const FixedDocument& doc);

    Text::GlyphAtts ReadCharacter(const Node& node, const Text::GlyphAtts& base) const;
    StyledText Styled(const Text::GlyphAtts& atts, std::string text, const Node& where);
    Counted<const Render::HyperlinkNode> LinkOf(const Text::GlyphAtts& atts, const Node& where);
    std::vector<StyledText> ReadRuns(const Node& node, const Text::GlyphAtts& base);
    Counted<const Render::FillDescriptor> ReadFill(const Node& node,
                                                   Render::GradientGeometry* geometry,
                                                   const Foundation::RectT<double>& box) const;
    void ReadStroke(const Node& node, Render::ShapeNode& shape) const;
    static bool IsPictureFill(const Node& node);
    Counted<const Render::FillDescriptor> ReadPictureFill(const Node& node,
                                                          const Foundation::RectT<double>& box);
    AffineTransform ReadTransform(const Node& node) const;
    Foundation::RectT<double> ReadRect(const Node& node) const;
    TextDirection ReadDirection(const Node& node, TextDirection inherited) const;
    // Whether a text frame is set in vertical lines.
    bool ReadWritingMode(const Node& node) const;
    // Which side of a wrap area lines take.
    EPub::WrapSide ReadWrapSide(const Node& wrap) const;
    double Opacity(const Node& node) const;
    const LoadedImage& LoadImage(const Node& node);

    Counted<const Text::TextDocument> document_;
    AnchorBook anchors_;
    AttributeReader atts_;
    std::unique_ptr<EPub::TextSetter> setter_ = EPub::MakeDefaultTextSetter();
    size_t groupDepth_ = 0;
    std::vector<AffineTransform> worlds_{AffineTransform()}; // of the groups being read
    std::map<fs::path, LoadedImage> images_;
    // Page links are checked once every page is read: a link may point forward.
    std::vector<std::pair<uint32_t, Node>> pageLinks_;
    // Named places: where each name is, and the links waiting for the name.
    std::map<std::string, std::pair<uint32_t, uint32_t>> anchorPlaces_; // name -> page, number
    std::vector<std::pair<Counted<Render::HyperlinkNode>, Node>> anchorLinks_;
    struct TextAnchorLink {
        Counted<Render::HyperlinkNode> link;
        std::string name;
        Node where;
    };
    std::vector<TextAnchorLink> textAnchorLinks_; // character hyperlinks to named places
    std::vector<LinkArea> linkAreas_;
    std::vector<FixedAnchor> pageAnchors_; // of the page being read
    size_t pageCount_ = 0;
    std::vector<FixedFinding> findings_;
    int32_t stories_ = 0; // story numbers handed out to text items and paragraphs
    size_t items_ = 0;    // items read so far, groups' items included: the survey's numbering

    // What the survey finds before the pages are read: a frame is set with every frame of its
    // story, and with the wrap areas stacked above it, some of which come after it.
    struct FrameEntry {
        size_t page = 0;
        size_t item = 0;
        AffineTransform world;
        std::vector<Foundation::RectT<double>> columns;
        bool balance = false;
        bool vertical = false;
        int combineDigits = 2;
        std::string story; // empty: the frame's own paragraphs
        Node where;        // detached
    };
    struct WrapEntry {
        size_t page = 0;
        size_t item = 0;
        WrapArea area; // page coordinates
    };
    struct Story {
        Node where; // detached
        std::vector<Paragraph> paragraphs;
        std::vector<size_t> frames; // into frames_, in reading order
        bool set = false;
    };
    std::vector<FrameEntry> frames_;
    std::map<size_t, size_t> frameAt_; // item number -> index into frames_
    std::vector<WrapEntry> wraps_;
    std::map<std::string, Story> storyList_;
    std::map<size_t, std::vector<Counted<const Render::Node>>> storyNodes_; // per frame
};

void FixedReader::ReadOptions(const Node& node, FixedDocument& doc) const {
    CheckFields(node, {"pageDPI", "textDPI", "cover", "subsetFonts", "pageProgression", "spread"});
    auto& o = *doc.options;
    if (node.Has("pageProgression")) {
        const std::string progression = String(node, "pageProgression");
        if (progression != "ltr" && progression != "rtl")
            Fail(node.Field("pageProgression"), "expected ltr or rtl");
        doc.rightToLeft = progression == "rtl";
    }
    if (node.Has("spread")) {
        static constexpr std::string_view spreads[] = {"none", "landscape", "both", "auto"};
        doc.spread = String(node, "spread");
        if (std::find(std::begin(spreads), std::end(spreads), doc.spread) == std::end(spreads))
            Fail(node.Field("spread"), "expected none, landscape, both or auto");
    }
    doc.settings->subsetFonts = Bool(node, "subsetFonts", doc.settings->subsetFonts);
    if (node.Has("pageDPI")) {
        const double dpi = Number(node, "pageDPI", 72);
        if (dpi <= 0 || dpi > 2400)
            Fail(node.Field("pageDPI"), "expected a resolution above 0 and at most 2400");
        o.SetPageDPI(dpi);
    }
    if (node.Has("textDPI")) {
        const double dpi = Number(node, "textDPI", 1440);
        if (dpi < 18 || dpi > 2400)
            Fail(node.Field("textDPI"), "expected a resolution from 18 to 2400");
        o.SetTextDPI(dpi);
    }
    if (!node.Has("cover"))
        return;
    const Node cover = node.Field("cover");
    using CoverPage = EPub::FileExportOptions::CoverPage;
    if (cover.value.is_boolean() && !cover.value.get<bool>()) {
        o.SetCoverPage(CoverPage::None);
    } else if (cover.value.is_number_integer()) {
        o.SetCoverPage(CoverPage::DocumentPage);
        o.SetCoverPageNum(static_cast<unsigned>(Integer(node, "cover", 1, 1, kIntMax)));
    } else if (cover.value.is_string()) {
        // Refused now, with its place in the document, rather than half-way through the export.
        if (const std::string problem = PictureProblem(ReadFile(cover)); !problem.empty())
            Fail(cover, "\"" + ExistingFile(cover).string() + "\" cannot be the cover: " + problem);
        o.SetCoverPage(CoverPage::ImageFile);
        o.SetCoverPageFile(
            MakeCounted<Foundation::FileDataSource>(StringT(ExistingFile(cover).string())));
    } else {
        Fail(cover, "expected a page number, an image file or false");
    }
}

void FixedReader::ReadContents(const Node& node, FixedDocument& doc) const {
    ExpectArray(node);
    for (size_t i = 0; i < node.value.size(); ++i) {
        const Node entry = node.Item(i);
        CheckFields(entry, {"title", "page", "level"});
        EPub::ContentsEntry e;
        Required(entry, "title");
        e.title = StringT(String(entry, "title"));
        e.page = static_cast<uint32_t>(Integer(entry, "page", 1, 1, kIntMax));
        e.level = Integer(entry, "level", 0, 0, 5);
        // Reading systems expect the table of contents in reading order.
        if (!doc.contents.empty() && e.page < doc.contents.back().page)
            Fail(entry.Field("page"), "contents go in page order: page " + std::to_string(e.page) +
                                          " after page " +
                                          std::to_string(doc.contents.back().page));
        doc.contents.push_back(std::move(e));
    }
}

Text::GlyphAtts FixedReader::ReadCharacter(const Node& node, const Text::GlyphAtts& base) const {
    if (!node.Has("character"))
        return base;
    Text::AttributeSet set;
    atts_.ReadAttributes(node.Field("character"), Text::AttCategory::Glyph, set);
    return base.With(set);
}

// Character attributes the page's spans do not draw, by the name the document gives them.
std::vector<std::string> LostAttributes(const Text::GlyphAtts& atts) {
    std::vector<std::string> lost;
    auto add = [&](bool set, const char* name) {
        if (set)
            lost.emplace_back(name);
    };
    add(atts.GetInt(Text::GlyphInt::FontStretch) != 5, "fontStretch");
    add(atts.GetDouble(Text::GlyphDouble::ManualKerning) != 0, "manualKerning");
    add(atts.GetDouble(Text::GlyphDouble::HorizontalScale) != 1, "horizontalScale");
    add(atts.GetDouble(Text::GlyphDouble::VerticalScale) != 1, "verticalScale");
    add(atts.GetDouble(Text::GlyphDouble::Shear) != 0, "shear");
    const auto highlight = atts.GetFill(Text::GlyphObject::HighlightFill);
    add(highlight && highlight->Type() != Render::FillType::None, "highlightFill");
    add(atts.GetLineStyle(Text::GlyphObject::OutlineStroke) != nullptr, "outlineStroke");
    add(atts.GetOpenType() != nullptr, "openType");
    add(atts.GetInt(Text::GlyphInt::Overline) != 0, "overline");
    return lost;
}

// A character hyperlink as the link area each set line of its text copies; a link to a named
// place waits for every page to be read.
Counted<const Render::HyperlinkNode> FixedReader::LinkOf(const Text::GlyphAtts& atts,
                                                         const Node& where) {
    const auto hyperlink = atts.GetHyperlink();
    const Text::HyperlinkData* data = hyperlink ? hyperlink->GetData().get() : nullptr;
    if (!data)
        return nullptr;
    auto link = MakeCounted<Render::HyperlinkNode>();
    switch (data->GetType()) {
    case Text::HyperlinkType::URL:
        link->url = data->GetPathWithValidProtocol();
        break;
    case Text::HyperlinkType::Page:
    case Text::HyperlinkType::ChapterPage:
        // One story: a page of story 1 is that page of the document, checked when read.
        link->page = static_cast<uint32_t>(data->GetPage());
        break;
    case Text::HyperlinkType::Anchor:
        if (!data->GetAnchor())
            return nullptr;
        textAnchorLinks_.push_back({link, data->GetAnchor()->GetName().str(), Detach(where)});
        break;
    case Text::HyperlinkType::None:
        return nullptr;
    }
    return link;
}

StyledText FixedReader::Styled(const Text::GlyphAtts& atts, std::string text, const Node& where) {
    if (const auto lost = LostAttributes(atts); !lost.empty()) {
        std::string names;
        for (const std::string& name : lost)
            names += (names.empty() ? "" : ", ") + name;
        findings_.push_back(
            {pageCount_ + 1, text,
             "Character attributes have no effect on a fixed-layout page: " + names});
    }
    StyledText s;
    s.text = std::move(text);
    s.font = atts.GetFont();
    s.size = atts.GetSize();
    s.tracking = atts.GetDouble(Text::GlyphDouble::Tracking);
    s.fill = atts.GetTextFill();
    if (!s.fill)
        s.fill = Render::FillDescriptor::MakeSolid(Render::Colour::MakeRGB(0, 0, 0));
    const auto language = atts.GetLanguage();
    if (language && !language->IsNone())
        s.language = language->GetId();
    s.link = LinkOf(atts, where);
    s.underline = atts.GetInt(Text::GlyphInt::Underline);
    s.strikethrough = atts.GetInt(Text::GlyphInt::Strikethrough);
    s.rise = atts.GetDouble(Text::GlyphDouble::BaselineShift);
    // Set smaller and raised or lowered, as browsers set <sup> and <sub>.
    const int32_t position = atts.GetInt(Text::GlyphInt::BaselinePosition);
    if (position == 1 || position == 2) {
        s.rise += (position == 1 ? 0.33 : -0.14) * s.size;
        s.size *= kScriptScale;
    }
    return s;
}

std::vector<StyledText> FixedReader::ReadRuns(const Node& node, const Text::GlyphAtts& base) {
    std::vector<StyledText> runs;
    if (node.Has("text")) {
        if (node.Has("runs"))
            Fail(node, "give either \"text\" or \"runs\"");
        runs.push_back(Styled(base, String(node, "text"), node));
        return runs;
    }
    const Node list = Required(node, "runs");
    ExpectArray(list);
    for (size_t i = 0; i < list.value.size(); ++i) {
        const Node run = list.Item(i);
        CheckFields(run, {"text", "character", "combine"});
        Expect(Required(run, "text"), json::value_t::string, "a string");
        runs.push_back(Styled(ReadCharacter(run, base), String(run, "text"), run));
        runs.back().combine = Bool(run, "combine", false);
    }
    return runs;
}

Foundation::RectT<double> FixedReader::ReadRect(const Node& node) const {
    const double x = Number(node, "x", 0), y = Number(node, "y", 0);
    const Node w = Required(node, "width"), h = Required(node, "height");
    const double width = Length(w), height = Length(h);
    if (width <= 0)
        Fail(w, "expected a width above 0");
    if (height <= 0)
        Fail(h, "expected a height above 0");
    return {x, y, x + width, y + height};
}

TextDirection FixedReader::ReadDirection(const Node& node, TextDirection inherited) const {
    if (!node.Has("direction"))
        return inherited;
    static constexpr std::string_view names[] = {"auto", "ltr", "rtl"};
    const std::string name = String(node, "direction");
    const auto* found = std::find(std::begin(names), std::end(names), name);
    if (found == std::end(names))
        Fail(node.Field("direction"), "expected ltr, rtl or auto");
    return static_cast<TextDirection>(found - std::begin(names));
}

bool FixedReader::ReadWritingMode(const Node& node) const {
    const std::string mode = String(node, "writingMode", "horizontal-tb");
    if (mode != "horizontal-tb" && mode != "vertical-rl")
        Fail(node.Field("writingMode"), "expected horizontal-tb or vertical-rl");
    return mode == "vertical-rl";
}

double FixedReader::Opacity(const Node& node) const {
    const double opacity = Number(node, "opacity", 1);
    if (opacity < 0 || opacity > 1)
        Fail(node.Field("opacity"), "expected an opacity from 0 to 1");
    return opacity;
}

Counted<const Render::Node> FixedReader::ReadText(const Node& node) {
    CheckFields(node, {"type", "character", "direction", "lines"});
    const TextDirection direction = ReadDirection(node, TextDirection::Auto);
    const Text::GlyphAtts base = ReadCharacter(node, *document_->GetDefaultGlyphAtts());
    const Node lines = Required(node, "lines");
    ExpectArray(lines);
    // Each text item is a story of its own: only runs of one line of it may be joined.
    const int32_t story = stories_++;
    auto group = MakeCounted<Render::GroupNode>();
    Render::GlyphRunNode* lastOfLine = nullptr; // of the line before
    std::string lineText;
    for (size_t i = 0; i < lines.value.size(); ++i) {
        const Node line = lines.Item(i);
        CheckFields(line, {"x", "y", "runs", "text", "character"});
        Required(line, "x");
        Required(line, "y");
        double x = Number(line, "x", 0);
        const double y = Number(line, "y", 0);
        auto styledRuns = ReadRuns(line, ReadCharacter(line, base));
        std::string text;
        for (const auto& styled : styledRuns)
            text += styled.text;
        if (lastOfLine)
            lastOfLine->lineEnd = FixedTextSetter::LineEndBetween(
                lineText, text, styledRuns.empty() ? StringT() : styledRuns[0].language);
        lastOfLine = nullptr;
        lineText = std::move(text);
        for (auto& styled : styledRuns) {
            styled.direction = direction;
            std::string error;
            const auto runs = setter_->SetRuns(styled, x, y, error);
            if (runs.empty())
                Fail(line, error);
            for (const auto& run : runs) {
                run->story = {story, run->story.offset, static_cast<int32_t>(i)};
                lastOfLine = run.get();
                x += run->advance;
                group->children.push_back(run);
                FixedTextSetter::Decorate(styled, *run, group->children);
                if (auto area = FixedTextSetter::LinkAreaOf(styled, *run)) {
                    group->children.push_back(area);
                    linkAreas_.push_back({area, styled.link});
                }
            }
        }
    }
    // Whatever text comes next on the page is not part of this item's last word.
    if (lastOfLine && lastOfLine->lineEnd.empty())
        lastOfLine->lineEnd = " ";
    return group;
}

std::vector<Foundation::RectT<double>> FixedReader::FrameColumns(const Node& node) const {
    const bool vertical = ReadWritingMode(node);
    const auto box = ReadRect(node);
    const int columns = Integer(node, "columns", 1, 1, 12);
    const double gutter = Number(node, "gutter", 12);
    if (gutter < 0)
        Fail(node.Field("gutter"), "expected a gutter of 0 or more");
    // Vertical text has its columns one above the other.
    const double across = vertical ? box.Height() : box.Width();
    const double columnSize = (across - gutter * (columns - 1)) / columns;
    if (columnSize <= 0)
        Fail(node, "the columns leave no room for text");
    std::vector<Foundation::RectT<double>> rects;
    for (int c = 0; c < columns; ++c) {
        const double start = c * (columnSize + gutter);
        if (vertical)
            rects.push_back({box.left, box.top + start, box.right, box.top + start + columnSize});
        else
            rects.push_back({box.left + start, box.top, box.left + start + columnSize, box.bottom});
    }
    return rects;
}

std::vector<Paragraph> FixedReader::ReadParagraphs(const Node& list, const Text::GlyphAtts& base,
                                                   TextDirection direction) {
    ExpectArray(list);
    std::vector<Paragraph> paragraphs;
    for (size_t i = 0; i < list.value.size(); ++i) {
        const Node item = list.Item(i);
        CheckFields(item, {"text", "runs", "paragraph", "character", "direction", "heading"});
        Paragraph p;
        p.format.direction = ReadDirection(item, direction);
        p.runs = ReadRuns(item, ReadCharacter(item, base));
        p.heading = Integer(item, "heading", 0, 1, 6);
        if (item.Has("paragraph")) {
            Text::AttributeSet set;
            atts_.ReadAttributes(item.Field("paragraph"), Text::AttCategory::Paragraph, set);
            const Text::ParagraphAtts para(set);
            // The paragraph attribute says the same as the item's field, which wins.
            if (const int32_t d = para.GetInt(Text::ParaInt::Direction);
                d && !item.Has("direction"))
                p.format.direction = static_cast<TextDirection>(d);
            p.format.alignment = para.GetInt(Text::ParaInt::Alignment);
            if (p.format.alignment > 3)
                Fail(item.Field("paragraph"), "alignment must be left, centre, right or justify");
            p.format.leftIndent = para.GetDouble(Text::ParaDouble::LeftIndent);
            p.format.rightIndent = para.GetDouble(Text::ParaDouble::RightIndent);
            p.format.firstLineIndent = para.GetDouble(Text::ParaDouble::FirstLineIndent);
            p.format.spaceBefore = para.GetDouble(Text::ParaDouble::SpaceBefore);
            p.format.spaceAfter = para.GetDouble(Text::ParaDouble::SpaceAfter);
            p.format.leading = para.GetDouble(Text::ParaDouble::Leading);
            p.format.hyphenation = {para.GetInt(Text::ParaInt::Hyphenate) != 0,
                                    para.GetInt(Text::ParaInt::HyphenMinWordLength),
                                    para.GetInt(Text::ParaInt::HyphenMinPrefix),
                                    para.GetInt(Text::ParaInt::HyphenMinSuffix),
                                    para.GetInt(Text::ParaInt::HyphenMaxConsecutive)};
        }
        paragraphs.push_back(std::move(p));
    }
    return paragraphs;
}

void FixedReader::ReadStories(const Node& node) {
    Expect(node, json::value_t::object, "an object of stories by name");
    for (const auto& [name, value] : node.value.items()) {
        // Its text is read where its first frame is, so findings name that page.
        const Node story = node.Member(name, value);
        CheckFields(story, {"character", "direction", "paragraphs"});
        Required(story, "paragraphs");
        storyList_.emplace(name, Story{Detach(story), {}, {}, false});
    }
}

namespace {

// Points along a path, curves flattened: the outline a wrap follows.
std::vector<Foundation::PointT<double>> Outline(const Render::Path& path) {
    std::vector<Foundation::PointT<double>> points;
    for (const auto& segment : path.Segments()) {
        using Kind = Render::PathSegment::Kind;
        if (segment.kind == Kind::Move || segment.kind == Kind::Line) {
            points.push_back(segment.p[0]);
        } else if (segment.kind == Kind::Curve && !points.empty()) {
            const auto a = points.back();
            for (int i = 1; i <= 8; ++i) {
                const double t = i / 8.0, u = 1 - t;
                const double w0 = u * u * u, w1 = 3 * u * u * t, w2 = 3 * u * t * t, w3 = t * t * t;
                points.push_back(
                    {w0 * a.x + w1 * segment.p[0].x + w2 * segment.p[1].x + w3 * segment.p[2].x,
                     w0 * a.y + w1 * segment.p[0].y + w2 * segment.p[1].y + w3 * segment.p[2].y});
            }
        }
    }
    return points;
}

} // namespace

EPub::WrapSide FixedReader::ReadWrapSide(const Node& wrap) const {
    if (!wrap.Has("side"))
        return EPub::WrapSide::Largest;
    const Node side = wrap.Field("side");
    Expect(side, json::value_t::string, "largest, both, left or right");
    const std::string name = side.value.get<std::string>();
    if (name == "largest")
        return EPub::WrapSide::Largest;
    if (name == "both")
        return EPub::WrapSide::Both;
    if (name == "left")
        return EPub::WrapSide::Left;
    if (name == "right")
        return EPub::WrapSide::Right;
    Fail(side, "expected largest, both, left or right");
}

// Numbers the items as ReadItem will, noting frames and the areas text wraps around.
void FixedReader::SurveyItems(const Node& items, size_t page, const AffineTransform& world,
                              size_t depth) {
    // Too deep a nesting is refused when the page is read; the survey must not overflow first.
    if (!items.value.is_array() || depth > kMaxGroupDepth)
        return;
    for (size_t i = 0; i < items.value.size(); ++i) {
        const Node item = items.Item(i);
        const size_t number = items_++;
        if (!item.value.is_object() || !item.Has("type") || !item.value.at("type").is_string())
            continue;
        const std::string type = item.value.at("type").get<std::string>();
        if (type == "group") {
            const AffineTransform inner =
                item.Has("transform") ? world * ReadTransform(item.Field("transform")) : world;
            if (item.Has("items"))
                SurveyItems(item.Field("items"), page, inner, depth + 1);
        } else if (type == "textFrame") {
            FrameEntry frame{page,
                             number,
                             world,
                             FrameColumns(item),
                             Bool(item, "balance", false),
                             ReadWritingMode(item),
                             Integer(item, "combineDigits", 2, 0, 4),
                             String(item, "story"),
                             Detach(item)};
            if (item.Has("story")) {
                const auto story = storyList_.find(frame.story);
                if (story == storyList_.end())
                    Fail(item.Field("story"), "no story named \"" + frame.story + "\" in stories");
                story->second.frames.push_back(frames_.size());
            }
            frameAt_[number] = frames_.size();
            frames_.push_back(std::move(frame));
        } else if ((type == "image" || type == "rect" || type == "path") && item.Has("wrap")) {
            const Node wrap = item.Field("wrap");
            if (wrap.value.is_boolean() && !wrap.value.get<bool>())
                continue;
            WrapArea area;
            bool outline = false;
            if (!wrap.value.is_boolean()) {
                Expect(wrap, json::value_t::object, "true or {offset, outline, side}");
                CheckFields(wrap, {"offset", "outline", "side"});
                area.offset = wrap.Has("offset") ? Length(wrap.Field("offset")) : 0;
                area.side = ReadWrapSide(wrap);
                outline = Bool(wrap, "outline", false);
                if (outline && type != "path")
                    Fail(wrap.Field("outline"), "only a path has an outline to follow");
            }
            Foundation::RectT<double> box;
            if (type == "path") {
                std::string error;
                const Node d = Required(item, "d");
                Expect(d, json::value_t::string, "SVG path data");
                const auto path = Render::Path::ParseSvg(d.value.get<std::string>(), error);
                if (!path)
                    Fail(d, "bad path data: " + error);
                box = path->Bounds();
                if (outline)
                    for (const auto& point : Outline(*path))
                        area.outline.push_back(world.Apply(point.x, point.y));
            } else {
                box = ReadRect(item);
            }
            box = world.MapRect(box);
            area.box = {box.left - area.offset, box.top - area.offset, box.right + area.offset,
                        box.bottom + area.offset};
            wraps_.push_back({page, number, std::move(area)});
        }
    }
}

void FixedReader::Survey(const Node& pages) {
    for (size_t i = 0; i < pages.value.size(); ++i) {
        const Node page = pages.Item(i);
        if (page.Has("items"))
            SurveyItems(page.Field("items"), i, AffineTransform());
    }
    items_ = 0;
    for (const auto& [name, story] : storyList_)
        if (story.frames.empty())
            FailAt(story.where.DetachedOffset(), story.where.Path(),
                   "the story \"" + name + "\" is in no frame");
}

// The columns of a chain of frames, each with the wrap areas stacked above its frame on its
// page, in the frame's coordinates.
std::vector<StoryColumn> FixedReader::ChainColumns(const std::vector<size_t>& chain) const {
    std::vector<StoryColumn> columns;
    for (size_t k = 0; k < chain.size(); ++k) {
        const FrameEntry& frame = frames_[chain[k]];
        const AffineTransform toFrame = frame.world.Inverse();
        std::vector<WrapArea> wraps;
        for (const WrapEntry& wrap : wraps_) {
            if (wrap.page != frame.page || wrap.item < frame.item)
                continue;
            WrapArea local = wrap.area;
            local.box = toFrame.MapRect(wrap.area.box);
            for (auto& point : local.outline)
                point = toFrame.Apply(point.x, point.y);
            wraps.push_back(std::move(local));
        }
        for (const auto& rect : frame.columns)
            columns.push_back({rect, k, wraps, frame.balance, frame.combineDigits});
    }
    return columns;
}

void FixedReader::SetStory(const std::string& name) {
    Story& story = storyList_.at(name);
    if (story.set)
        return;
    story.set = true;
    const Node& where = story.where;
    story.paragraphs = ReadParagraphs(where.Field("paragraphs"),
                                      ReadCharacter(where, *document_->GetDefaultGlyphAtts()),
                                      ReadDirection(where, TextDirection::Auto));
    // One way of setting lines through the whole chain: a story does not turn mid-way.
    const bool vertical = frames_[story.frames.front()].vertical;
    for (const size_t f : story.frames) {
        const FrameEntry& frame = frames_[f];
        if (frame.vertical == vertical)
            continue;
        const Node at =
            frame.where.Has("writingMode") ? frame.where.Field("writingMode") : frame.where;
        Fail(at, "the story \"" + name + "\" is set " +
                     (vertical ? "vertical-rl" : "horizontal-tb") +
                     " in its first frame; all its frames must be set the same way");
    }
    const std::vector<StoryColumn> columns = ChainColumns(story.frames);
    EPub::ColumnNodes out;
    std::string error;
    const bool set =
        vertical ? setter_->SetVerticalStory(story.paragraphs, columns, out, error, stories_,
                                             &linkAreas_)
                 : setter_->SetStory(story.paragraphs, columns, out, error, stories_, &linkAreas_);
    if (!set) {
        // Text left over is for the last frame to make room for.
        if (error.find("does not fit") != std::string::npos) {
            const FrameEntry& last = frames_[story.frames.back()];
            FailAt(last.where.DetachedOffset(), last.where.Path(),
                   "text of the story \"" + name + "\" is left over after its last frame");
        }
        FailAt(story.where.DetachedOffset(), story.where.Path(), error);
    }
    stories_ += static_cast<int32_t>(story.paragraphs.size());
    for (size_t c = 0; c < columns.size(); ++c) {
        auto& nodes = storyNodes_[story.frames[columns[c].frame]];
        nodes.insert(nodes.end(), out[c].begin(), out[c].end());
    }
}

Counted<const Render::Node> FixedReader::ReadTextFrame(const Node& node) {
    CheckFields(node,
                {"type", "x", "y", "width", "height", "columns", "gutter", "character", "direction",
                 "paragraphs", "story", "balance", "writingMode", "combineDigits"});
    Bool(node, "balance", false);
    const bool vertical = ReadWritingMode(node);
    Integer(node, "combineDigits", 2, 0, 4);
    const auto found = frameAt_.find(items_ - 1);
    if (found == frameAt_.end())
        Fail(node, "the frame was not found before the pages were read");
    auto group = MakeCounted<Render::GroupNode>();
    group->logical = Render::LogicalGroup::Element;
    if (node.Has("story")) {
        // The story's text and style are its own: a frame only gives it room.
        for (const char* field : {"paragraphs", "character", "direction"})
            if (node.Has(field))
                Fail(node.Field(field),
                     "a frame that shows a story takes no \"" + std::string(field) + "\"");
        SetStory(String(node, "story"));
        group->children = std::move(storyNodes_[found->second]);
        return group;
    }
    const TextDirection direction = ReadDirection(node, TextDirection::Auto);
    const Text::GlyphAtts base = ReadCharacter(node, *document_->GetDefaultGlyphAtts());
    const auto paragraphs = ReadParagraphs(Required(node, "paragraphs"), base, direction);
    std::string error;
    EPub::ColumnNodes out;
    const auto columns = ChainColumns({found->second});
    const bool set =
        vertical ? setter_->SetVerticalStory(paragraphs, columns, out, error, stories_, &linkAreas_)
                 : setter_->SetStory(paragraphs, columns, out, error, stories_, &linkAreas_);
    if (!set)
        Fail(node, error);
    for (auto& column : out)
        group->children.insert(group->children.end(), column.begin(), column.end());
    stories_ += static_cast<int32_t>(paragraphs.size());
    return group;
}

const LoadedImage& FixedReader::LoadImage(const Node& node) {
    const fs::path file = ExistingFile(node);
    if (const auto it = images_.find(file); it != images_.end())
        return it->second;
    LoadedImage image;
    image.encoded = ReadFile(node);
    image.type = Raster::DetectFileType(image.encoded);
    switch (image.type) {
    case Raster::FileType::JPEG:
    case Raster::FileType::PNG:
    case Raster::FileType::GIF:
        image.bitmap = Raster::DecodeImage(image.encoded);
        if (!image.bitmap)
            Fail(node, "the image cannot be decoded");
        break;
    case Raster::FileType::SVG:
        // Copied into the publication as it is: reading systems parse it and must run nothing.
        if (const std::string problem = SvgProblem(image.encoded); !problem.empty())
            Fail(node, "\"" + file.string() + "\" cannot be used: " + problem);
        break;
    default:
        Fail(node, "expected a JPEG, PNG, GIF or SVG file");
    }
    return images_.emplace(file, std::move(image)).first->second;
}

Counted<const Render::Node> FixedReader::ReadImage(const Node& node) {
    CheckFields(node, {"type", "file", "x", "y", "width", "height", "alt", "opacity", "wrap"});
    const Node file = Required(node, "file");
    const LoadedImage& image = LoadImage(file);
    auto bitmap = MakeCounted<Render::BitmapNode>();
    bitmap->rect = ReadRect(node);
    bitmap->bitmap = image.bitmap;
    bitmap->encoded = image.encoded;
    bitmap->fileType = image.type;
    bitmap->sourceName = StringT(fs::path(String(node, "file")).filename().string());
    bitmap->alt = StringT(String(node, "alt"));
    bitmap->opacity = Opacity(node);
    return bitmap;
}

Counted<const Render::FillDescriptor>
FixedReader::ReadFill(const Node& node, Render::GradientGeometry* geometry,
                      const Foundation::RectT<double>& box) const {
    if (node.value.is_string()) {
        if (node.value.get<std::string>() == "none")
            return Render::FillDescriptor::MakeNone();
        return Render::FillDescriptor::MakeSolid(Colour(node));
    }
    Expect(node, json::value_t::object, "a colour or a gradient");
    CheckFields(node, {"gradient", "type", "from", "to", "radius"});
    const std::string type = String(node, "type", "linear");
    if (type != "linear" && type != "radial")
        Fail(node.Field("type"), "expected linear or radial");
    const Node stops = Required(node, "gradient");
    ExpectArray(stops);
    if (stops.value.size() < 2)
        Fail(stops, "a gradient needs at least two stops");
    std::vector<Render::GradientStop> list;
    for (size_t i = 0; i < stops.value.size(); ++i) {
        const Node stop = stops.Item(i);
        CheckFields(stop, {"offset", "colour"});
        const double offset = Number(stop, "offset", 0);
        if (offset < 0 || offset > 1)
            Fail(stop.Field("offset"), "expected an offset from 0 to 1");
        list.push_back({offset, Colour(Required(stop, "colour"))});
    }
    auto point = [&](const char* key, Foundation::PointT<double> fallback) {
        if (!node.Has(key))
            return fallback;
        const Node p = node.Field(key);
        ExpectArray(p);
        if (p.value.size() != 2 || !p.value.at(0).is_number() || !p.value.at(1).is_number())
            Fail(p, "expected [x, y]");
        return Foundation::PointT<double>{p.value.at(0).get<double>(), p.value.at(1).get<double>()};
    };
    const Foundation::PointT<double> centre{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
    if (type == "linear") {
        geometry->start = point("from", {box.left, centre.y});
        geometry->end = point("to", {box.right, centre.y});
    } else {
        geometry->start = point("from", centre);
        geometry->radius = Number(node, "radius", std::max(box.Width(), box.Height()) / 2);
    }
    return Render::FillDescriptor::MakeGradient(type == "linear" ? Render::FillType::LinearGradient
                                                                 : Render::FillType::RadialGradient,
                                                std::move(list));
}

bool FixedReader::IsPictureFill(const Node& node) {
    return node.value.is_object() && node.Has("type") && node.value.at("type").is_string() &&
           node.value.at("type").get<std::string>() == "image";
}

// A picture stretched over the shape's box, or repeated in tiles of a given size from its corner.
Counted<const Render::FillDescriptor>
FixedReader::ReadPictureFill(const Node& node, const Foundation::RectT<double>& box) {
    CheckFields(node, {"type", "file", "tile"});
    const Node file = Required(node, "file");
    const LoadedImage& image = LoadImage(file);
    if (!image.bitmap)
        Fail(file, "a fill takes a JPEG, PNG or GIF picture");
    Render::BitmapFill picture;
    picture.bitmap = image.bitmap;
    picture.encoded = image.encoded;
    picture.fileType = image.type;
    picture.sourceName = StringT(fs::path(String(node, "file")).filename().string());
    double width = box.Width(), height = box.Height();
    if (node.Has("tile")) {
        const Node tile = node.Field("tile");
        ExpectArray(tile);
        if (tile.value.size() != 2 || !tile.value.at(0).is_number() ||
            !tile.value.at(1).is_number() || tile.value.at(0).get<double>() <= 0 ||
            tile.value.at(1).get<double>() <= 0)
            Fail(tile, "expected [width, height] above 0");
        width = tile.value.at(0).get<double>();
        height = tile.value.at(1).get<double>();
        picture.tiled = true;
    }
    picture.placement =
        AffineTransform::Translate(box.left, box.top) *
        AffineTransform::Scale(width / image.bitmap->Width(), height / image.bitmap->Height());
    return Render::FillDescriptor::MakeBitmap(std::move(picture));
}

void FixedReader::ReadStroke(const Node& node, Render::ShapeNode& shape) const {
    CheckFields(node, {"colour", "width", "dash"});
    shape.stroke = Render::FillDescriptor::MakeSolid(Colour(Required(node, "colour")));
    const double width = node.Has("width") ? Length(node.Field("width")) : 1.0;
    std::vector<double> dash;
    if (node.Has("dash")) {
        const Node d = node.Field("dash");
        ExpectArray(d);
        for (size_t i = 0; i < d.value.size(); ++i)
            dash.push_back(Length(d.Item(i)));
    }
    shape.lineStyle = MakeCounted<const Render::LineStyleDescriptor>(
        width, dash.empty() ? Render::DashKind::Solid : Render::DashKind::Custom, dash);
}

Counted<const Render::Node> FixedReader::ReadShape(const Node& node, bool isPath) {
    if (isPath)
        CheckFields(node, {"type", "d", "fill", "stroke", "opacity", "wrap"});
    else
        CheckFields(node,
                    {"type", "x", "y", "width", "height", "fill", "stroke", "opacity", "wrap"});
    auto shape = MakeCounted<Render::ShapeNode>();
    if (isPath) {
        const Node d = Required(node, "d");
        Expect(d, json::value_t::string, "SVG path data");
        std::string error;
        auto path = Render::Path::ParseSvg(d.value.get<std::string>(), error);
        if (!path)
            Fail(d, "bad path data: " + error);
        shape->path = std::move(*path);
    } else {
        shape->path = Render::Path::Rectangle(ReadRect(node));
    }
    if (node.Has("fill") && IsPictureFill(node.Field("fill")))
        shape->fill = ReadPictureFill(node.Field("fill"), shape->path.Bounds());
    else if (node.Has("fill"))
        shape->fill = ReadFill(node.Field("fill"), &shape->gradient, shape->path.Bounds());
    if (node.Has("stroke"))
        ReadStroke(node.Field("stroke"), *shape);
    if (!node.Has("fill") && !node.Has("stroke"))
        Fail(node, "a shape needs a fill or a stroke");
    shape->opacity = Opacity(node);
    return shape;
}

AffineTransform FixedReader::ReadTransform(const Node& node) const {
    if (node.value.is_array()) {
        bool numbers = node.value.size() == 6;
        for (size_t i = 0; numbers && i < 6; ++i)
            numbers = node.value.at(i).is_number();
        if (!numbers)
            Fail(node, "expected a matrix of six numbers [a, b, c, d, e, f]");
        const auto& v = node.value;
        // SVG order: x' = a·x + c·y + e, y' = b·x + d·y + f.
        return {{v.at(0).get<double>(), v.at(2).get<double>(), v.at(4).get<double>(),
                 v.at(1).get<double>(), v.at(3).get<double>(), v.at(5).get<double>()}};
    }
    Expect(node, json::value_t::object, "a matrix or {rotate, scale, translate, origin}");
    CheckFields(node, {"rotate", "scale", "translate", "origin"});
    auto pair = [&](const char* key, double fallback) {
        if (!node.Has(key))
            return Foundation::PointT<double>{fallback, fallback};
        const Node p = node.Field(key);
        if (p.value.is_number())
            return Foundation::PointT<double>{p.value.get<double>(), p.value.get<double>()};
        if (!p.value.is_array() || p.value.size() != 2 || !p.value.at(0).is_number() ||
            !p.value.at(1).is_number())
            Fail(p, "expected a number or [x, y]");
        return Foundation::PointT<double>{p.value.at(0).get<double>(), p.value.at(1).get<double>()};
    };
    const auto translate = pair("translate", 0);
    const auto scale = pair("scale", 1);
    const auto origin = pair("origin", 0);
    const double rotate = Number(node, "rotate", 0);
    return AffineTransform::Translate(translate.x + origin.x, translate.y + origin.y) *
           AffineTransform::Rotate(rotate) * AffineTransform::Scale(scale.x, scale.y) *
           AffineTransform::Translate(-origin.x, -origin.y);
}

Counted<const Render::Node> FixedReader::ReadGroup(const Node& node) {
    CheckFields(node, {"type", "transform", "opacity", "blend", "clip", "tag", "hidden", "items"});
    auto group = MakeCounted<Render::GroupNode>();
    if (node.Has("transform"))
        group->transform = ReadTransform(node.Field("transform"));
    // Checked with the groups around it: nested scales multiply, and a drawing scaled past
    // any page cannot be placed in CSS (it would say "infpx").
    const AffineTransform world = worlds_.back() * group->transform;
    const bool placeable =
        std::all_of(world.m.begin(), world.m.end(), [](double v) { return std::isfinite(v); }) &&
        std::max({std::abs(world.m[0]), std::abs(world.m[1]), std::abs(world.m[3]),
                  std::abs(world.m[4])}) <= kMaxScale &&
        std::max(std::abs(world.m[2]), std::abs(world.m[5])) <= kMaxOffset;
    if (!placeable)
        Fail(node.Field("transform"), "the transform (with those of the groups around it) scales "
                                      "by more than " +
                                          std::to_string(int(kMaxScale)) +
                                          " or moves farther than " +
                                          std::to_string(int(kMaxOffset)) + " points");
    group->opacity = Opacity(node);
    if (node.Has("blend")) {
        static constexpr std::string_view modes[] = {"normal",  "multiply", "screen",
                                                     "overlay", "darken",   "lighten"};
        const std::string mode = String(node, "blend");
        const auto* found = std::find(std::begin(modes), std::end(modes), mode);
        if (found == std::end(modes))
            Fail(node.Field("blend"), "unknown blend mode \"" + mode + "\"");
        group->blend = static_cast<Render::BlendMode>(found - std::begin(modes));
    }
    if (node.Has("clip")) {
        const Node clip = node.Field("clip");
        if (clip.value.is_string()) {
            std::string error;
            auto path = Render::Path::ParseSvg(clip.value.get<std::string>(), error);
            if (!path)
                Fail(clip, "bad path data: " + error);
            group->clip = std::move(*path);
        } else {
            CheckFields(clip, {"x", "y", "width", "height"});
            group->clip = Render::Path::Rectangle(ReadRect(clip));
        }
    }
    if (node.Has("tag")) {
        const Node tag = node.Field("tag");
        CheckFields(tag, {"label", "title"});
        Render::RenderTags::Fields fields;
        fields.altText = StringT(String(tag, "label"));
        fields.description = StringT(String(tag, "title"));
        if (fields.altText.empty() && fields.description.empty())
            Fail(tag, "a tag needs a label or a title");
        group->tags = Render::RenderTags::Make(std::move(fields));
    }
    group->hidden = Bool(node, "hidden", false);
    // Reading and drawing recurse into groups: a hostile depth would exhaust the stack.
    if (++groupDepth_ > kMaxGroupDepth)
        Fail(node, "groups are nested more than " + std::to_string(kMaxGroupDepth) + " deep");
    worlds_.push_back(world);
    ReadItems(Required(node, "items"), *group);
    worlds_.pop_back();
    --groupDepth_;
    return group;
}

Counted<const Render::Node> FixedReader::ReadLink(const Node& node) {
    CheckFields(node, {"type", "x", "y", "width", "height", "url", "page", "anchor"});
    auto link = MakeCounted<Render::HyperlinkNode>();
    link->rect = ReadRect(node);
    if (int(node.Has("url")) + int(node.Has("page")) + int(node.Has("anchor")) != 1)
        Fail(node, "a link needs one of \"url\", \"page\" or \"anchor\"");
    if (node.Has("url")) {
        const std::string url = String(node, "url");
        if (url.find("://") == std::string::npos && !url.starts_with("mailto:"))
            Fail(node.Field("url"), "expected an absolute URL");
        link->url = StringT(url);
    } else if (node.Has("page")) {
        link->page = static_cast<uint32_t>(Integer(node, "page", 1, 1, kIntMax));
        pageLinks_.emplace_back(link->page, Detach(node.Field("page")));
    } else {
        String(node, "anchor"); // a string, resolved once every page is read
        anchorLinks_.emplace_back(link, Detach(node.Field("anchor")));
    }
    return link;
}

Counted<const Render::Node> FixedReader::ReadAnchor(const Node& node) {
    CheckFields(node, {"type", "name", "x", "y"});
    Required(node, "name");
    const std::string name = String(node, "name");
    if (name.empty())
        Fail(node.Field("name"), "an anchor needs a name");
    const auto number = static_cast<uint32_t>(anchorPlaces_.size() + 1);
    const auto page = static_cast<uint32_t>(pageCount_ + 1);
    const auto [it, added] = anchorPlaces_.emplace(name, std::make_pair(page, number));
    if (!added)
        Fail(node.Field("name"),
             "the anchor \"" + name + "\" is already on page " + std::to_string(it->second.first));
    auto anchor = MakeCounted<Render::HyperlinkNode>();
    const double x = Number(node, "x", 0), y = Number(node, "y", 0);
    anchor->rect = {x, y, x, y};
    anchor->anchor = number;
    pageAnchors_.push_back({number, StringT(name)});
    return anchor;
}

void FixedReader::ResolveAnchorLinks() {
    for (auto& [link, where] : anchorLinks_) {
        const auto it = anchorPlaces_.find(where.value.get<std::string>());
        if (it == anchorPlaces_.end())
            Fail(where, "no anchor of that name");
        link->page = it->second.first;
        link->anchor = it->second.second;
    }
    for (auto& [link, name, where] : textAnchorLinks_) {
        const auto it = anchorPlaces_.find(name);
        if (it == anchorPlaces_.end())
            Fail(where, "no anchor item named \"" + name + "\"");
        link->page = it->second.first;
        link->anchor = it->second.second;
    }
    // Areas copied their link before it was resolved.
    for (auto& [area, link] : linkAreas_) {
        area->page = link->page;
        area->anchor = link->anchor;
    }
}

Counted<const Render::Node> FixedReader::ReadItem(const Node& node) {
    ++items_;
    Expect(node, json::value_t::object, "an item object");
    Required(node, "type");
    const std::string type = String(node, "type");
    if (type == "text")
        return ReadText(node);
    if (type == "textFrame")
        return ReadTextFrame(node);
    if (type == "image")
        return ReadImage(node);
    if (type == "rect")
        return ReadShape(node, false);
    if (type == "path")
        return ReadShape(node, true);
    if (type == "group")
        return ReadGroup(node);
    if (type == "link")
        return ReadLink(node);
    if (type == "anchor")
        return ReadAnchor(node);
    Fail(node.Field("type"), "unknown item type \"" + type +
                                 "\" (text, textFrame, image, rect, path, group, link or anchor)");
}

void FixedReader::ReadItems(const Node& node, Render::GroupNode& group) {
    ExpectArray(node);
    for (size_t i = 0; i < node.value.size(); ++i)
        group.children.push_back(ReadItem(node.Item(i)));
}

FixedPage FixedReader::ReadPage(const Node& node) {
    CheckFields(node, {"width", "height", "label", "spread", "landmarks", "items"});
    FixedPage page;
    page.width = Length(Required(node, "width"));
    page.height = Length(Required(node, "height"));
    if (page.width < 1 || page.height < 1 || page.width > 14400 || page.height > 14400)
        Fail(node, "page sizes must be from 1 to 14400 points");
    page.label = StringT(String(node, "label", std::to_string(pageCount_ + 1)));
    if (node.Has("spread")) {
        static constexpr std::string_view spreads[] = {"auto", "left", "right", "center"};
        const std::string spread = String(node, "spread");
        const auto* found = std::find(std::begin(spreads), std::end(spreads), spread);
        if (found == std::end(spreads))
            Fail(node.Field("spread"), "expected left, right, center or auto");
        page.spread = static_cast<EPub::PageSpread>(found - std::begin(spreads));
    }
    if (node.Has("landmarks")) {
        const Node list = node.Field("landmarks");
        ExpectArray(list);
        for (size_t i = 0; i < list.value.size(); ++i) {
            const Node item = list.Item(i);
            Expect(item, json::value_t::string, "a landmark name");
            const auto slot = EPub::LandmarkSlot(item.value.get<std::string>());
            if (!slot)
                Fail(item, "unknown landmark \"" + item.value.get<std::string>() + "\"");
            page.landmarks |= 1u << *slot;
        }
    }
    page.root = MakeCounted<Render::GroupNode>();
    ReadItems(Required(node, "items"), *page.root);
    page.anchors = std::move(pageAnchors_);
    pageAnchors_.clear();
    return page;
}

// Follows where each page falls in its spread: after a page marked with a side, unmarked pages
// alternate from it. A side the page cannot have there splits a spread, and a reading system
// shows a page alone (or a blank beside it).
void FixedReader::FindUnpairedSpreads(const FixedDocument& doc) {
    using EPub::PageSpread;
    const PageSpread first = doc.rightToLeft ? PageSpread::Right : PageSpread::Left;
    const PageSpread second = doc.rightToLeft ? PageSpread::Left : PageSpread::Right;
    const std::string rule = doc.rightToLeft
                                 ? "right to left, a spread is a right page and then a left one"
                                 : "left to right, a spread is a left page and then a right one";
    std::optional<PageSpread> next; // the side the page falls on unless it says otherwise
    for (size_t i = 0; i < doc.pages.size(); ++i) {
        const PageSpread marked = doc.pages[i].spread;
        if (marked == PageSpread::Auto) {
            if (next)
                next = *next == first ? second : first;
            continue;
        }
        const bool pairs =
            !next || (marked == PageSpread::Center ? *next == first : marked == *next);
        if (!pairs) {
            static constexpr std::string_view names[] = {"auto", "left", "right", "center"};
            findings_.push_back({i + 1, "",
                                 "Spread side \"" + std::string(names[static_cast<int>(marked)]) +
                                     "\" cannot pair with the page before it: " + rule,
                                 true});
        }
        next = marked == first ? second : first;
    }
}

FixedDocument FixedReader::Read(const json& root) {
    const Node top{root, "$"};
    CheckFields(top,
                {"layout", "metadata", "accessibility", "options", "contents", "stories", "pages"});
    if (String(top, "layout") != "fixed")
        Fail(top.Field("layout"), "expected \"fixed\"");
    FixedDocument doc;
    doc.settings = MakeCounted<EPub::ExportSettings>();
    doc.settings->language = "en";
    doc.options =
        MakeCounted<EPub::FileExportOptions>(Render::FileExportOptionsVector::Preset::Standard);
    if (top.Has("metadata"))
        doc.pageSource = StringT(
            ReadMetadata(*this, top.Field("metadata"), *doc.settings, MetadataLayout::Fixed));
    if (top.Has("accessibility"))
        doc.settings->accessibility = ReadAccessibility(*this, top.Field("accessibility"));
    if (top.Has("options"))
        ReadOptions(top.Field("options"), doc);
    if (top.Has("contents"))
        ReadContents(top.Field("contents"), doc);
    const Node pages = Required(top, "pages");
    ExpectArray(pages);
    if (pages.value.empty())
        Fail(pages, "a fixed-layout document needs at least one page");
    // Character hyperlinks may lead to any page: the document is one story of them all.
    anchors_.SetPages({static_cast<int>(pages.value.size())});
    if (top.Has("stories"))
        ReadStories(top.Field("stories"));
    Survey(pages);
    for (size_t i = 0; i < pages.value.size(); ++i) {
        doc.pages.push_back(ReadPage(pages.Item(i)));
        ++pageCount_;
    }
    for (size_t i = 0; i < doc.contents.size(); ++i)
        if (doc.contents[i].page > doc.pages.size())
            Fail(top.Field("contents").Item(i).Field("page"), "no such page");
    for (const auto& [page, where] : pageLinks_)
        if (page > doc.pages.size())
            Fail(where, "no such page");
    ResolveAnchorLinks();
    FindUnpairedSpreads(doc);
    // The check lists findings page by page.
    std::stable_sort(findings_.begin(), findings_.end(),
                     [](const FixedFinding& a, const FixedFinding& b) { return a.page < b.page; });
    doc.findings = std::move(findings_);
    using CoverPage = EPub::FileExportOptions::CoverPage;
    if (doc.options->GetCoverPage() == CoverPage::DocumentPage &&
        doc.options->GetCoverPageNum() > doc.pages.size())
        Fail(top.Field("options").Field("cover"), "no such page");
    return doc;
}

} // namespace

bool IsFixedLayout(const JsonValue& root) {
    if (!root.is_object() || !root.contains("layout"))
        return false;
    const JsonValue& layout = root.at("layout");
    return layout.is_string() && layout.get<std::string>() == "fixed";
}

FixedDocument ReadFixedDocument(const JsonValue& root, const fs::path& file) {
    return FixedReader(file.string(), file.parent_path()).Read(root);
}

FixedDocument ReadFixedDocument(const JsonDocument& tree, const std::string& sourceName,
                                const fs::path& baseDir) {
    FixedReader reader(sourceName, baseDir);
    reader.Locate(&tree);
    return reader.Read(tree.Root());
}

FixedDocument ParseFixedDocument(const std::string& text, const std::string& sourceName,
                                 const fs::path& baseDir) {
    // The text outlives the tree, so the tree may point into it without owning it.
    JsonDocument::Options options;
    options.keepText = std::shared_ptr<const void>(std::shared_ptr<void>(), text.data());
    const JsonDocument root = JsonDocument::Parse(text, sourceName, options);
    return ReadFixedDocument(root, sourceName, baseDir);
}

FixedDocument ReadFixedDocument(const fs::path& file) {
    const JsonDocument tree = LoadJson(file);
    FixedDocument doc = ReadFixedDocument(tree, file.string(), file.parent_path());
    NameUntitled(doc, file);
    return doc;
}

void NameUntitled(FixedDocument& doc, const fs::path& file) {
    if (EPub::DropXmlIllegal(doc.settings->title.view()).view().find_first_not_of(" \t\r\n") ==
        std::string_view::npos)
        doc.settings->title = StringT(file.stem().string());
}

} // namespace Cli

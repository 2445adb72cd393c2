// SPDX-License-Identifier: MIT
#include "epub/fixed/PageRenderTarget.h"

#include "host/raster/ImageEncoder.h"
#include "host/render/Renderer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace EPub {

using namespace Render;

namespace {

// Characters, not bytes: a page's language is the one most of its text is in, whatever script.
uint32_t CharacterCount(std::string_view utf8) {
    return static_cast<uint32_t>(
        std::count_if(utf8.begin(), utf8.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

std::string Px(double v) {
    return FormatNumber(v) + "px";
}

std::string Hex(uint32_t rgb) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%06x", rgb & 0xFFFFFF);
    return buffer;
}

std::string TransformValue(const CSSTransform& css, double scaleX = 1) {
    std::string out;
    if (std::abs(css.rotation) > 1e-6)
        out += "rotate(" + FormatNumber(css.rotation) + "deg) ";
    if (std::abs(css.skew) > 1e-6)
        out += "skewX(" + FormatNumber(css.skew) + "deg) ";
    const double sx = css.scaleX * scaleX;
    if (std::abs(sx - 1) > 1e-6 || std::abs(css.scaleY - 1) > 1e-6)
        out += "scale(" + FormatNumber(sx) + ", " + FormatNumber(css.scaleY) + ") ";
    if (!out.empty())
        out.pop_back();
    return out;
}

// How far apart (document units) the end of a run and the start of the next may be when they
// share a line's box.
constexpr double kJoinTolerance = 0.01;

bool Paints(const FillDescriptor* fill) {
    return fill && fill->Type() != FillType::None;
}

} // namespace

RenderTarget::RenderTarget(Page& page, const RectT<double>& pageRect,
                           const RectT<double>& renderRect, Schema& schema, Images& images)
    : page_(page), publication_(page.GetPublication()), schema_(schema), images_(images) {
    (void)pageRect;
    PushPageOptions();
    const double scale =
        CapRasterScale(schema.GetRasterScale(), renderRect, {page.GetWidth(), page.GetHeight()});
    SetRasteriseScale(scale);
    const RectT<double> device =
        Snap({0, 0, renderRect.Width() * scale, renderRect.Height() * scale}, 1e-6);
    deviceBounds_ = {static_cast<int>(device.left), static_cast<int>(device.top),
                     static_cast<int>(device.right), static_cast<int>(device.bottom)};
    const double factor = std::max(page.GetHeight() / (device.bottom - device.top),
                                   page.GetWidth() / (device.right - device.left));
    const AffineTransform toPage{
        {factor, 0, -device.left * factor, 0, factor, -device.top * factor}};
    pageTransform_ = toPage * AffineTransform::Scale(scale, scale) *
                     AffineTransform::Translate(-renderRect.left, -renderRect.top);
    SetColourFormatAndProfiles(schema.GetColourFormat(), schema.GetProfiles());
    frames_.push_back({0, {}, 0, 0, false});
}

double RenderTarget::CapRasterScale(double scale, const RectT<double>& renderRect,
                                    SizeT<int32_t> viewport) {
    const double longest = std::max(renderRect.Width(), renderRect.Height());
    if (longest <= 0)
        return scale;
    const double pixels = std::max(
        kRasterViewportMultiple * std::max(viewport.width, viewport.height), kRasterMinimumSide);
    return std::min(scale, pixels / longest);
}

RenderTarget::~RenderTarget() {
    // The schema is shared by every page; the options this page pushed go with it.
    while (pushedOptions_ > 0)
        PopExportOptions();
}

void RenderTarget::PushPageOptions() {
    const auto& current = schema_.GetOptions();
    if (!current)
        return;
    // The shared options stay untouched: the page draws with a copy that carries the rasterise
    // resolution.
    auto copy = Foundation::CountedCast<FileExportOptions>(current->Clone());
    if (current->GetTextDPI() > 0)
        copy->SetRasteriseDpi(current->GetTextDPI());
    else if (!(current->IsUseRasteriseDpi() && current->GetRasteriseDpi() > 0))
        copy->SetRasteriseDpi(schema_.GetDocumentResolution());
    copy->SetIsUseRasteriseDpi(true);
    PushExportOptions(copy);
}

void RenderTarget::PushExportOptions(Counted<const Render::FileExportOptions> options) {
    schema_.PushOptions(std::move(options));
    ++pushedOptions_;
}

void RenderTarget::PopExportOptions() {
    if (pushedOptions_ == 0)
        return; // never below what the page found
    schema_.PopOptions();
    --pushedOptions_;
}

uint32_t RenderTarget::GetRGB(const Colour& colour) const {
    const auto c = GetProfiles().ToRGBA8(colour);
    return uint32_t(c.r) * 65536 + uint32_t(c.g) * 256 + c.b;
}

std::string RenderTarget::BoxRule(const RectT<double>& rect, const AffineTransform& world) const {
    AffineTransform t = pageTransform_ * world * AffineTransform::Translate(rect.left, rect.top);
    SizeT<double> size{rect.Width(), rect.Height()};
    const CSSTransform css = Scale(t, size);
    std::string rule = "left: " + Px(css.translateX) + "; top: " + Px(css.translateY) +
                       "; width: " + Px(size.width) + "; height: " + Px(size.height);
    const std::string transform = TransformValue(css);
    if (!transform.empty())
        rule += "; transform-origin: 0 0; transform: " + transform;
    return rule;
}

void RenderTarget::DrawPolyPolygon(const ShapeNode& shape, const AffineTransform& world) {
    if (schema_.GetVectorSupport(shape) == 0) {
        DrawSolid(shape, world);
        return;
    }
    // Not expected from a renderer that asked the schema; keep the look all the same.
    const AffineTransform parent = world * shape.transform.Inverse();
    RectT<double> area = NodeBounds(shape, parent);
    area = {std::floor(area.left), std::floor(area.top), std::ceil(area.right),
            std::ceil(area.bottom)};
    BitmapNode placed;
    placed.bitmap = Renderer::Rasterise(shape, parent, area, GetRasteriseScale());
    placed.rect = area;
    if (placed.bitmap)
        AddImage(placed, {});
}

void RenderTarget::DrawPolyCurve(const ShapeNode& shape, const AffineTransform& world) {
    DrawPolyPolygon(shape, world);
}

void RenderTarget::DrawSolid(const ShapeNode& shape, const AffineTransform& world) {
    const auto fill = schema_.FilterFill(shape.fill);
    if (!fill || !fill->IsSolid() || !fill->GetColour())
        return;
    RectT<double> rect;
    if (!shape.path.IsRectangle({}, &rect))
        return;
    const uint32_t rgb = GetRGB(*fill->GetColour());
    const bool outsideGroups = frames_.size() == 1 && tagGroups_.empty() && page_.Depth() == 0;
    if (!outsideGroups) {
        AddSolid(rgb, rect, world);
        return;
    }
    AddBackground();
    background_ = Background{rgb, rect, world, frames_.size(), page_.ElementCount(), page_.Depth()};
}

void RenderTarget::AddBackground() {
    if (!background_)
        return;
    const Background b = *background_;
    background_.reset();
    AddSolid(b.rgb, b.rect, b.world, b.element, b.depth);
}

void RenderTarget::AddSolid(uint32_t rgb, const RectT<double>& rect, const AffineTransform& world,
                            std::optional<size_t> at, int depth) {
    const StringT rule = page_.AddRule("position: absolute; " + BoxRule(rect, world) +
                                       "; background-color: " + Hex(rgb));
    // Inside a paragraph only phrasing elements may stand; placed absolutely, a span is a box.
    const bool inParagraph =
        std::any_of(frames_.begin(), frames_.end(), [](const Frame& f) { return f.kind == 3; });
    const std::string_view tag = inParagraph ? "span" : "div";
    PageElement& e = at ? page_.Insert(*at, depth, tag) : page_.Add(tag);
    e.classes[0] = rule;
}

void RenderTarget::DrawGlyphMetrics(const GlyphRunNode& run, const AffineTransform& world,
                                    bool hidden) {
    if (run.text.empty())
        return;
    // Text without one colour to show (no fill, or a gradient drawn in the artwork's picture)
    // still goes on the page, invisible, so it can be selected and read aloud.
    const Colour* colour = run.fill ? run.fill->GetColour().get() : nullptr;
    if (!colour)
        hidden = true;
    double opacity = colour ? run.opacity * run.fill->Opacity() * colour->Alpha() : 0;
    if (Paints(run.stroke.get()))
        opacity *= run.stroke->Opacity();
    if (std::abs(opacity) <= 1e-6)
        hidden = true;

    AffineTransform t =
        pageTransform_ * world * AffineTransform::Translate(run.origin.x, run.origin.y);
    SizeT<double> size{run.size, run.size};
    const CSSTransform css = Scale(t, size);
    const double fontPx = size.height;
    const double magnitude = run.size > 0 ? size.width / run.size : 1;
    const double ratio = fontPx > 0 ? size.width / fontPx : 1;

    const StringT family =
        publication_.UseFont({run.family, run.fontPath, run.faceIndex, run.weight, run.italic});
    // The face's own name after the embedded one, with its weight and style: a reading system
    // that cannot load the embedded font still finds the face, or one like it.
    std::string declarations = "white-space: pre; line-height: 0; font-family: \"" + family.str() +
                               "\", \"" + run.family.str() + "\"; font-size: " + Px(fontPx);
    if (run.weight != 400)
        declarations += "; font-weight: " + std::to_string(run.weight);
    if (run.italic)
        declarations += "; font-style: italic";
    if (std::abs(run.letterSpacing) > 1e-6)
        declarations += "; letter-spacing: " + Px(run.letterSpacing * magnitude);
    if (std::abs(run.wordSpacing) > 1e-6)
        declarations += "; word-spacing: " + Px(run.wordSpacing * magnitude);
    if (hidden) {
        declarations += "; color: transparent";
    } else {
        declarations += "; color: " + Hex(GetRGB(*colour));
        if (opacity < 1 - 1e-6)
            declarations += "; opacity: " + FormatNumber(opacity);
    }
    declarations += VerticalDeclarations(run.vertical);
    const uint32_t style = publication_.AddDocStyle(Section::Text, "", declarations);

    if (run.vertical != VerticalForm::None) {
        if (!ContinuesVertical(run, world, fontPx))
            OpenVerticalBox(run, world, css, ratio, fontPx);
    } else if (!ContinuesText(run, world, fontPx)) {
        // The text sits in a box of font size 0 whose line height alone makes the line: the
        // baseline is then half that height below the box's top, whatever ascent and descent the
        // reading system rounds the face's metrics to.
        const double strut = 2 * std::ceil(std::max(fontPx, 1.0));
        const double baseline = strut / 2;
        std::string rule =
            "position: absolute; margin: 0; padding: 0; font-size: 0; line-height: " + Px(strut) +
            "; left: " + Px(css.translateX) + "; top: " + Px(css.translateY - baseline);
        const std::string transform = TransformValue(css, ratio);
        if (!transform.empty())
            rule += "; transform-origin: 0 " + Px(baseline) + "; transform: " + transform;
        PageElement& box = page_.Add("span");
        box.id = page_.NextElementNumber();
        // Right-to-left text has a box of its own in that direction (EPUB style sheets may not
        // set it): spaces at the end of a line are set in the line's direction, at its left.
        box.rightToLeft = run.rightToLeft;
        box.classes[0] = page_.AddRule(rule);
        text_ = OpenText{world, run.story.story, run.story.line, run.origin.y, 0, strut, 0};
    }
    page_.Open();
    PageElement& e = page_.Add("span");
    e.classes[0] = publication_.GetDocStyle(style).name;
    // Unmarked text is in the publication's language, and counts towards the page's as such.
    const StringT& language = run.language.empty() ? publication_.GetLanguage() : run.language;
    if (!language.empty())
        e.language = page_.UseLanguage(language, CharacterCount(run.text));
    e.text = run.text;
    if (run.breakHyphen && e.text.ends_with('-')) {
        // Drawn after the text rather than part of it: copied or read aloud, the word is whole.
        e.text.pop_back();
        e.classes[1] = publication_.BreakHyphenClass();
    }
    if (!run.lineEnd.empty())
        AddLineEnd(run.lineEnd);
    page_.Close();
    text_->endX = run.origin.x + run.advance;
    text_->endY = run.origin.y + run.advance;
    text_->next = page_.ElementCount();
    if (run.rightToLeft)
        text_.reset();
}

void RenderTarget::AddLineEnd(const std::string& text) {
    // Positioned line boxes alone leave the words at the ends of two lines joined when the page
    // is copied or read aloud. At the end of the box, whose font size is 0, a preserved space
    // takes no room in either direction.
    const uint32_t style = publication_.AddDocStyle(Section::Text, "", "white-space: pre");
    PageElement& gap = page_.Add("span");
    gap.classes[0] = publication_.GetDocStyle(style).name;
    gap.text = text;
}

bool RenderTarget::ContinuesText(const GlyphRunNode& run, const AffineTransform& world,
                                 double fontPx) const {
    if (!text_ || text_->vertical || run.rightToLeft || text_->next != page_.ElementCount() ||
        run.story.line < 0 || run.story.story != text_->story || run.story.line != text_->line ||
        !(world == text_->world))
        return false;
    // Where the previous run ended, on its baseline, and small enough for the box's strut.
    return std::abs(run.origin.y - text_->baselineY) <= 1e-6 &&
           std::abs(run.origin.x - text_->endX) <= kJoinTolerance &&
           (run.ascent - run.descent) * fontPx <= text_->strut / 2 - 1;
}

std::string RenderTarget::VerticalDeclarations(VerticalForm form) {
    // The orientation is written out rather than left to the reading system's own idea of which
    // characters stand upright: the page was set with ours.
    switch (form) {
    case VerticalForm::Upright:
        return "; -epub-text-orientation: upright; text-orientation: upright";
    case VerticalForm::Sideways:
        return "; -epub-text-orientation: sideways; text-orientation: sideways";
    case VerticalForm::Combined:
        return "; -epub-text-combine: horizontal; text-combine-upright: all";
    case VerticalForm::None:
        break;
    }
    return {};
}

void RenderTarget::OpenVerticalBox(const GlyphRunNode& run, const AffineTransform& world,
                                   const CSSTransform& css, double ratio, double fontPx) {
    // As for horizontal text, a box of font size 0 whose line height alone makes the line: its
    // central baseline, on which vertical text is centred, is half that height from either side.
    const double strut = 2 * std::ceil(std::max(fontPx, 1.0));
    const double half = strut / 2;
    std::string rule =
        "position: absolute; margin: 0; padding: 0; font-size: 0; line-height: " + Px(strut) +
        "; -epub-writing-mode: vertical-rl; writing-mode: vertical-rl; left: " +
        Px(css.translateX - half) + "; top: " + Px(css.translateY);
    const std::string transform = TransformValue(css, ratio);
    if (!transform.empty())
        rule += "; transform-origin: " + Px(half) + " 0; transform: " + transform;
    PageElement& box = page_.Add("span");
    box.id = page_.NextElementNumber();
    box.classes[0] = page_.AddRule(rule);
    text_ = OpenText{world, run.story.story, run.story.line, run.origin.y, 0, strut, 0};
    text_->vertical = true;
    text_->centreX = run.origin.x;
}

bool RenderTarget::ContinuesVertical(const GlyphRunNode& run, const AffineTransform& world,
                                     double fontPx) const {
    if (!text_ || !text_->vertical || text_->next != page_.ElementCount() || run.story.line < 0 ||
        run.story.story != text_->story || run.story.line != text_->line ||
        !(world == text_->world))
        return false;
    return std::abs(run.origin.x - text_->centreX) <= 1e-6 &&
           std::abs(run.origin.y - text_->endY) <= kJoinTolerance && fontPx <= text_->strut / 2;
}

void RenderTarget::DrawBitmap(const BitmapNode& bitmap, const AffineTransform& world) {
    AddImage(bitmap, world);
}

StringT RenderTarget::StoreBitmap(const BitmapNode& node) {
    std::string bytes;
    MediaType type = MediaType::PNG;
    switch (node.fileType) {
    case Raster::FileType::JPEG:
        type = MediaType::JPEG;
        break;
    case Raster::FileType::PNG:
        type = MediaType::PNG;
        break;
    case Raster::FileType::GIF:
        type = MediaType::GIF;
        break;
    case Raster::FileType::SVG:
        type = MediaType::SVG;
        break;
    default:
        type = MediaType::Other;
        break;
    }
    if (type != MediaType::Other && !node.encoded.empty()) {
        bytes = node.encoded;
    } else if (node.bitmap) {
        Foundation::MemoryOutStream out;
        // Photographs and gradients compress far better as JPEG; anything translucent needs PNG.
        const bool large = uint64_t(node.bitmap->Width()) * node.bitmap->Height() > 65536;
        if (large && node.bitmap->IsOpaque()) {
            type = MediaType::JPEG;
            Raster::WriteJPEG(*node.bitmap, out, 90);
        } else {
            type = MediaType::PNG;
            Raster::WritePNG(*node.bitmap, out);
        }
        bytes = out.TakeData();
    }
    if (bytes.empty())
        return {};
    const auto digest = Images::DigestOf(bytes);
    if (auto path = images_.Find(digest))
        return *path;
    std::optional<StringT> name;
    if (!node.sourceName.empty())
        name = node.sourceName;
    auto img = publication_.StoreImage(name, type, false);
    if (img.out)
        img.out->Write(bytes);
    images_.Record(digest, img.path);
    return img.path;
}

void RenderTarget::AddImage(const BitmapNode& node, const AffineTransform& world) {
    const StringT path = StoreBitmap(node);
    if (path.empty())
        return;
    std::string rule =
        "position: absolute; display: block; margin: 0; " + BoxRule(node.rect, world);
    if (node.opacity < 1 - 1e-6)
        rule += "; opacity: " + FormatNumber(std::max(node.opacity, 0.0));
    PageElement& e = page_.Add("img");
    e.classes[0] = page_.AddRule(rule);
    e.src = path;
    e.hasAlt = !node.alt.empty();
    e.alt = node.alt;
}

uint32_t RenderTarget::AddBlank() {
    if (publication_.GetBlankImage())
        return static_cast<uint32_t>(*publication_.GetBlankImage());
    Foundation::MemoryOutStream out;
    Raster::WritePNG(*Raster::DynamicBitmap::Create(1, 1), out);
    const std::string bytes = out.TakeData();
    const auto digest = Images::DigestOf(bytes);
    if (auto path = images_.Find(digest)) {
        publication_.SetBlankImage(0, *path);
        return 0;
    }
    auto img = publication_.StoreImage(std::nullopt, MediaType::PNG, false);
    if (img.out)
        img.out->Write(bytes);
    images_.Record(digest, img.path);
    publication_.SetBlankImage(img.entry, img.path);
    return static_cast<uint32_t>(img.entry);
}

void RenderTarget::DrawHyperlink(const HyperlinkNode& link, const AffineTransform& world) {
    if (link.page == 0 && link.url.empty()) {
        if (link.anchor == 0)
            return;
        // A place links lead to: an empty element where it is, nothing to see or to activate.
        const auto at = (pageTransform_ * world).Apply(link.rect.left, link.rect.top);
        PageElement& a = page_.Add("a");
        a.anchorNumber = link.anchor;
        a.classes[0] =
            page_.AddRule("position: absolute; left: " + Px(at.x) + "; top: " + Px(at.y));
        return;
    }
    AddBlank();
    PageElement& a = page_.Add("a");
    a.url = link.url;
    a.targetPage = link.page;
    a.anchorNumber = link.anchor;
    a.classes[0] =
        page_.AddRule("position: absolute; display: block; " + BoxRule(link.rect, world));
    page_.Open();
    PageElement& img = page_.Add("img");
    img.classes[0] =
        publication_
            .GetDocStyle(publication_.AddDocStyle(Section::Builtin, "link-area",
                                                  "display: block; width: 100%; height: 100%"))
            .name;
    img.src = publication_.GetBlankImagePath();
    img.blank = true;
    img.hasAlt = true;
    img.alt = link.page ? StringT::Format("Page %1", link.page) : link.url;
    page_.Close();
}

void RenderTarget::OpenGroup(const StringT& className, int32_t description) {
    PageElement& e = page_.Add("div");
    e.id = page_.NextElementNumber();
    e.classes[0] = className;
    e.description = description;
    page_.Open();
}

void RenderTarget::PushTransform(const AffineTransform& t) {
    Frame f = frames_.back();
    f.transform = f.transform * t;
    f.opened = false;
    frames_.push_back(f);
}

void RenderTarget::PopTransform() {
    if (background_ && background_->frameDepth == frames_.size())
        AddBackground();
    if (frames_.size() > 1)
        frames_.pop_back();
}

void RenderTarget::PushLogicalGroup(LogicalGroup kind, const RectT<double>&,
                                    const OrderTags& order) {
    Frame f = frames_.back();
    f.order = Order(order);
    f.renderables = renderables_;
    f.opened = false;
    if (kind == LogicalGroup::Element) {
        f.kind = 0;
        OpenGroup({}, 0);
        f.opened = true;
    } else if (kind == LogicalGroup::Paragraph) {
        f.kind = 3; // opened with the group itself, which says whether it is a heading
    } else {
        f.kind = 1;
    }
    frames_.push_back(f);
}

void RenderTarget::PopLogicalGroup() {
    if (frames_.size() <= 1)
        return;
    if (frames_.back().opened)
        page_.Close();
    frames_.pop_back();
}

int32_t RenderTarget::Tag(const RenderTags* tags) {
    if (!tags && !tagGroups_.empty())
        tags = tagGroups_.back().get();
    if (!tags || (tags->GetAltText().empty() && tags->GetDescription().empty()))
        return 0;
    return page_.AddDescription(tags->GetAltText(), tags->GetDescription());
}

void RenderTarget::PushTagGroup(const Counted<const RenderTags>& tags) {
    tagGroups_.push_back(tags);
    OpenGroup({}, Tag(tags.get()));
}

void RenderTarget::PopTagGroup() {
    if (tagGroups_.empty())
        return;
    tagGroups_.pop_back();
    page_.Close();
}

void RenderTarget::PushLayer(bool hidden) {
    openedGroups_.push_back(hidden);
    OpenGroup(hidden ? publication_.HiddenLayerClass() : StringT(), 0);
}

void RenderTarget::PopLayer() {
    if (openedGroups_.empty())
        return;
    openedGroups_.pop_back();
    page_.Close();
}

void RenderTarget::OpenBlend(BlendMode mode) {
    static constexpr std::string_view names[] = {"normal",  "multiply", "screen",
                                                 "overlay", "darken",   "lighten"};
    const auto index = static_cast<size_t>(mode);
    // Text inside blends with what lies under the group, so no line's box spans its edge.
    text_.reset();
    if (!paper_) {
        // The page's own white, first on the page: blending with an empty stretch of page is
        // blending with paper, not with whatever the reading system shows behind the page.
        AddBackground();
        PageElement& paper = page_.Insert(0, 0, "div");
        paper.classes[0] = page_.AddRule("position: absolute; left: 0; top: 0; width: 100%; "
                                         "height: 100%; background-color: #ffffff");
        paper_ = true;
    }
    // Placed at the page's origin, so its content keeps the page's coordinates.
    PageElement& e = page_.Add("div");
    e.classes[0] = page_.AddRule("position: absolute; left: 0; top: 0; mix-blend-mode: " +
                                 std::string(index < std::size(names) ? names[index] : "normal"));
    page_.Open();
}

void RenderTarget::PushRenderable(const Node& node) {
    ++renderables_;
    Frame& top = frames_.back();
    if (top.kind == 3 && !top.opened && node.Kind() == NodeKind::Group) {
        OpenParagraph(static_cast<const GroupNode&>(node).heading);
        top.opened = true;
    }
    const bool blends = node.Kind() == NodeKind::Group &&
                        static_cast<const GroupNode&>(node).blend != BlendMode::Normal;
    blendElements_.push_back(blends);
    if (blends)
        OpenBlend(static_cast<const GroupNode&>(node).blend);
}

void RenderTarget::OpenParagraph(int32_t heading) {
    static constexpr std::string_view tags[] = {"p", "h1", "h2", "h3", "h4", "h5", "h6"};
    PageElement& e = page_.Add(tags[heading >= 1 && heading <= 6 ? heading : 0]);
    // The element gives structure only: its lines are placed, sized and weighted on their own.
    e.classes[0] = publication_
                       .GetDocStyle(publication_.AddDocStyle(
                           Section::Builtin, "story-paragraph",
                           "margin: 0; padding: 0; font-size: inherit; font-weight: inherit"))
                       .name;
    page_.Open();
}

void RenderTarget::PopRenderable() {
    if (!blendElements_.empty()) {
        if (blendElements_.back()) {
            text_.reset();
            page_.Close();
        }
        blendElements_.pop_back();
    }
    if (renderables_ > 0)
        --renderables_;
    if (renderables_ == 0)
        AddBackground();
}

void RenderTarget::Finish() {
    AddBackground();
}

} // namespace EPub

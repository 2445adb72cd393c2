// SPDX-License-Identifier: MIT
#include "epub/content/FigureWriter.h"

#include "epub/content/BlockFlow.h"
#include "epub/content/DocumentHost.h"
#include "epub/xml/TextEncoding.h"
#include "epub/xml/XmlWriter.h"
#include "host/raster/BitmapDrawing.h"
#include "host/raster/ImageFile.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace EPub {

namespace {

using Foundation::OutStream;
using Foundation::RectT;
using Foundation::SizeT;

// cairo's limit on a surface side, and a bound on what one bullet may cost.
constexpr uint32_t kMaxBulletSide = 32767;
constexpr uint64_t kMaxBulletPixels = uint64_t(1) << 24;
// Enough of a file to recognise an SVG behind an XML declaration and comments.
constexpr size_t kSniffBytes = 64 * 1024;

constexpr std::string_view kSvgPlacement =
    "-webkit-transform:translate(%1%%,%2%%) rotate(0.000deg) skew(0.000deg) scale(%3,%4);\n"
    "-webkit-transform-origin:0%% 0%%;\n"
    "overflow:hidden;\n"
    "transform:translate(%1%%,%2%%) rotate(0.000deg) skew(0.000deg) scale(%3,%4);\n"
    "width:%5px;\n"
    "height:%6px;\n";

double Finite(double value) {
    return std::isfinite(value) ? value : 0.0;
}

// Document units to rem (12pt), to the hundredth.
double ToRem(double value, double pointScale) {
    return std::round(Finite(value * pointScale / 12.0 * 100.0)) / 100.0;
}

StringT Fixed3(double value) {
    value = Finite(value);
    if (std::fabs(value) < 0.0005)
        value = 0; // no "-0.000"
    std::array<char, 64> buf{};
    const auto result =
        std::to_chars(buf.data(), buf.data() + buf.size(), value, std::chars_format::fixed, 3);
    if (result.ec != std::errc())
        return "0.000";
    return StringT(std::string_view(buf.data(), static_cast<size_t>(result.ptr - buf.data())));
}

long long RoundPixels(double value) {
    constexpr double kMax = 1e9;
    return std::llround(std::clamp(Finite(value), -kMax, kMax));
}

// User texts may hold control characters (a vertical tab as a line break) that XML cannot
// carry, not even as references.
StringT Printable(const StringT& text) {
    StringT clean;
    for (const char c : text.view()) {
        const auto byte = static_cast<unsigned char>(c);
        const bool allowed = byte >= 0x20 || c == '\t' || c == '\n' || c == '\r';
        clean += allowed ? c : ' ';
    }
    return clean;
}

// What an attribute or a summary shows of a text: its printable characters.
StringT Shown(const StringT& text) {
    return Printable(text);
}

// The alternative text shown as a CSS comment must not end the comment early.
StringT CssComment(const StringT& text) {
    StringT comment;
    const std::string_view s = text.view();
    for (size_t i = 0; i < s.size(); ++i) {
        comment += s[i];
        if (s[i] == '*' && i + 1 < s.size() && s[i + 1] == '/')
            comment += ' ';
    }
    return Printable(comment);
}

// Container paths are relative to the content root; documents may sit in folders below it.
StringT RelativeToDocument(const StringT& document, const StringT& path) {
    StringT relative;
    for (const char c : document.view())
        if (c == '/')
            relative += "../";
    return relative + path;
}

StringT DocumentOf(const BlockContext& block) {
    return block.chunk ? block.chunk->name : block.fileName;
}

bool IsSVG(const Foundation::DataSource& source) {
    const auto in = source.Open();
    if (!in)
        return false;
    std::string head(kSniffBytes, '\0');
    head.resize(in->Read(head.data(), head.size()));
    return Raster::DetectFileType(head) == Raster::FileType::SVG;
}

} // namespace

std::optional<SizeT<uint32_t>> ImageBulletPixels(const Text::BulletImage& image, double fontSize) {
    const Text::ImageBounds& bounds = image.GetBounds();
    const double width = std::ceil(bounds.width * fontSize);
    const double height = std::ceil(bounds.height * fontSize);
    if (!(width >= 1) || !(height >= 1) || !(width <= kMaxBulletSide) ||
        !(height <= kMaxBulletSide) || width * height > double(kMaxBulletPixels))
        return std::nullopt;
    return SizeT<uint32_t>{static_cast<uint32_t>(width), static_cast<uint32_t>(height)};
}

Counted<Raster::DynamicBitmap> RasteriseImageBullet(const Text::ImageBulletGlyph& glyph,
                                                    const Text::GlyphAtts& atts) {
    const auto& image = glyph.GetImage();
    if (!image || !image->GetBitmap())
        return nullptr;
    const double fontSize = atts.GetSize();
    const auto pixels = ImageBulletPixels(*image, fontSize);
    if (!pixels)
        return nullptr;
    auto bitmap = Raster::DynamicBitmap::Create(pixels->width, pixels->height);
    const Text::ImageBounds& bounds = image->GetBounds();
    if (!Raster::DrawBitmap(*bitmap, *image->GetBitmap(), 0, 0, bounds.width * fontSize,
                            bounds.height * fontSize))
        return nullptr;
    return bitmap;
}

double FigureWriter::PointScale() const {
    return StyleSheet::GetPointScale(*host_.GetSettings(), *host_.GetOptions());
}

FigureWriter::Ids FigureWriter::TakeIds() {
    const int n = host_.TakeFigureNumber();
    return {StringT::Format("fig-%1", n), StringT::Format("img-%1", n),
            StringT::Format("fig-%1-desc", n)};
}

bool FigureWriter::ExportImage(const Counted<const Raster::DynamicBitmap>& bitmap,
                               const Counted<const Foundation::DataSource>& source,
                               const StringT& name, Raster::FileType, SizeT<double> size,
                               const Counted<const Render::RenderTags>& tags, bool wrapInClassDiv,
                               const StringT& extraCss) {
    const BlockContext* block = writer_.CurrentBlock();
    if (!block || !block->out)
        return false;
    OutStream& out = *block->out;
    const StringT document = DocumentOf(*block);
    // The store keeps JPEG, PNG and GIF data as it is and encodes anything else as PNG.
    const StringT path = host_.Images().StoreImage(bitmap, source, name);
    if (path.empty())
        return false;
    WriteImageElement(out, document, path, size, tags, wrapInClassDiv, extraCss);
    host_.GetAccessibilityProfile().AddPicture(tags.get());
    return true;
}

void FigureWriter::WriteImageElement(OutStream& out, const StringT& document, const StringT& path,
                                     SizeT<double> size,
                                     const Counted<const Render::RenderTags>& tags,
                                     bool wrapInClassDiv, const StringT& extraCss) {
    const Ids ids = TakeIds();
    const bool described = tags && tags->HasDescription();
    const bool classDiv = wrapInClassDiv && tags && tags->HasClassName();
    // Neither a figure nor a div may sit inside a paragraph.
    if (described || classDiv)
        writer_.BreakIntoParagraph(true);
    XmlWriter x;
    if (described)
        x.Open("figure").Attribute("id", ids.figure).Close().Space("\n");

    const double scale = PointScale();
    const StringT declarations =
        StringT::Format("width: %1rem;\nheight: %2rem;\n%3", ToRem(size.width, scale),
                        ToRem(size.height, scale), extraCss);
    if (classDiv)
        x.Open("div").Attribute("class", Shown(tags->GetClassName())).Close();
    host_.Styles().RegisterImageFormat(ids.image, declarations,
                                       tags ? CssComment(tags->GetAltText()) : StringT());
    x.Open("img").Attribute("id", ids.image);
    x.Attribute("src", RelativeToDocument(document, path));
    AccessibilityAttributes(x, tags.get(), ids, !wrapInClassDiv, Element::Image);
    x.CloseEmpty(true);
    if (classDiv)
        x.End("div").Space(described ? "" : "\n");
    if (described)
        x.End("figure").Space("\n");
    x.Flush(out);
    if (described)
        WriteDetails(out, *tags, ids, true);
    if (described || classDiv)
        writer_.BreakIntoParagraph(false);
}

void FigureWriter::AccessibilityAttributes(XmlWriter& x, const Render::RenderTags* tags,
                                           const Ids& ids, bool withClass, Element element) const {
    // An object element has neither an alt attribute nor the presentation role: its alternative
    // text is its accessible name, and a decorative one is hidden.
    const bool image = element == Element::Image;
    if (!tags && image)
        x.Attribute("alt", "").Attribute("role", "presentation");
    if (!tags && !image)
        x.Attribute("aria-hidden", "true");
    if (!tags)
        return;
    // A drawing with alternative text is announced as an image of that name.
    if (!tags->GetAltText().empty() && image)
        x.Attribute("alt", Shown(tags->GetAltText()));
    if (!tags->GetAltText().empty() && !image)
        x.Attribute("role", "img").Attribute("aria-label", Shown(tags->GetAltText()));
    if (tags->HasDescription())
        x.Attribute("aria-details", ids.description);
    if (tags->HasClassName() && withClass)
        x.Attribute("class", Shown(tags->GetClassName()));
}

void FigureWriter::StyleClass(XmlWriter& x, const StringT& styleName) {
    if (styleName.empty())
        return;
    if (const StringT classes = host_.RegisterTextStyleClass(styleName); !classes.empty())
        x.Attribute("class", classes);
}

void FigureWriter::WriteDetails(OutStream& out, const Render::RenderTags& tags, const Ids& ids,
                                bool styled) {
    const StringT summary = tags.GetSummaryText().empty()
                                ? host_.Localise("EPUB:Description", "Description")
                                : tags.GetSummaryText();
    XmlWriter x;
    x.Open("details").Attribute("id", ids.description).Close().Space("\n").Open("summary");
    if (styled)
        StyleClass(x, tags.GetSummaryStyle());
    x.Close().Text(Shown(summary)).End("summary").Space("\n").Open("p");
    if (styled)
        StyleClass(x, tags.GetDescriptionStyle());
    x.Close().Text(Shown(tags.GetDescription())).End("p").Space("\n");
    x.End("details").Space("\n").Flush(out);
}

StringT FigureWriter::SVGPlacement(SizeT<double> svgSize, int resolution, SizeT<double> size,
                                   RectT<double> clip) const {
    const double toPixels = resolution > 0 ? 72.0 / resolution : 1.0;
    const double width = std::max(Finite(svgSize.width), 0.0);
    const double height = std::max(Finite(svgSize.height), 0.0);
    if (!(Finite(clip.Width()) > 0) || !(Finite(clip.Height()) > 0))
        clip = {0, 0, width, height};
    // The clip rectangle is scaled to the size shown and moved to the box's corner.
    const double pointScale = PointScale();
    const auto factor = [&](double shown, double clipped) {
        const double shownPixels = Finite(shown * pointScale);
        const double clipPixels = clipped * toPixels;
        return shownPixels > 0 && clipPixels > 0 ? shownPixels / clipPixels : 1.0;
    };
    const double scaleX = factor(size.width, clip.Width());
    const double scaleY = factor(size.height, clip.Height());
    const double moveX = width > 0 ? -scaleX * clip.left / width * 100.0 : 0.0;
    const double moveY = height > 0 ? -scaleY * clip.top / height * 100.0 : 0.0;
    return StringT::Format(kSvgPlacement, Fixed3(moveX), Fixed3(moveY), Fixed3(scaleX),
                           Fixed3(scaleY), RoundPixels(width * toPixels),
                           RoundPixels(height * toPixels));
}

bool FigureWriter::ExportSVG(const Counted<const Foundation::DataSource>& svg,
                             SizeT<double> svgSize, int resolution, const StringT& name,
                             SizeT<double> size, RectT<double> clip,
                             const Counted<const Render::RenderTags>& tags, bool wrapInClassDiv) {
    const BlockContext* block = writer_.CurrentBlock();
    if (!block || !block->out || !svg || !IsSVG(*svg))
        return false;
    OutStream& out = *block->out;
    const StringT document = DocumentOf(*block);
    const StringT path = host_.Images().StoreImage(nullptr, svg, name);
    if (path.empty())
        return false;

    const Ids ids = TakeIds();
    const bool described = tags && tags->HasDescription();
    const bool classDiv = wrapInClassDiv && tags && tags->HasClassName();
    // The drawing's box is a div, which may not sit inside a paragraph.
    writer_.BreakIntoParagraph(true);
    XmlWriter x;
    if (described)
        x.Open("figure").Attribute("id", ids.figure).Close().Space("\n");
    const StringT divClass =
        host_.Styles().RegisterDivFormat(SVGPlacement(svgSize, resolution, size, clip));
    const StringT svgClass = host_.Styles().RegisterSVGFormat(name, "width:100%;\nheight:100%;\n");
    if (classDiv)
        x.Open("div").Attribute("class", Shown(tags->GetClassName())).Close();
    x.Open("div").Attribute("class", divClass + " " + svgClass).Close().Open("object");
    x.Attribute("data", RelativeToDocument(document, path)).Attribute("type", "image/svg+xml");
    AccessibilityAttributes(x, tags.get(), ids, !wrapInClassDiv, Element::Object);
    x.CloseEmpty(true).End("div");
    if (classDiv)
        x.End("div");
    x.Space("\n");
    if (described)
        x.End("figure").Space("\n");
    x.Flush(out);
    if (described)
        WriteDetails(out, *tags, ids, false);
    writer_.BreakIntoParagraph(false);
    host_.GetAccessibilityProfile().AddPicture(tags.get());
    return true;
}

bool FigureWriter::ExportImageBullet(const Counted<const Text::ImageBulletGlyph>& glyph,
                                     const Consolidated<Text::GlyphAtts>& atts) {
    const BlockContext* block = writer_.CurrentBlock();
    if (!block || !block->out || !glyph || !atts)
        return false;
    const auto& image = glyph->GetImage();
    if (!image || !image->GetBitmap())
        return false;
    const double fontSize = atts->GetSize();
    const auto pixels = ImageBulletPixels(*image, fontSize);
    if (!pixels)
        return false;

    const BulletKey key{image, pixels->width, pixels->height};
    auto found = bulletPaths_.find(key);
    if (found == bulletPaths_.end()) {
        const auto bitmap = RasteriseImageBullet(*glyph, *atts);
        const StringT path = bitmap ? host_.Images().StoreBitmap(*bitmap, {}) : StringT();
        if (path.empty())
            return false;
        found = bulletPaths_.emplace(key, path).first;
    }

    const Text::ImageBounds& bounds = image->GetBounds();
    const double lift =
        std::round(Finite(image->GetBaselineOffset() * fontSize * PointScale() / 12.0 * 100.0));
    const StringT css = StringT::Format(
        "vertical-align: middle;\nposition: relative;\ntop: %1rem\n", (lift - 10.0) / 100.0);
    WriteImageElement(*block->out, DocumentOf(*block), found->second,
                      {bounds.width * fontSize, bounds.height * fontSize}, nullptr, false, css);
    return true;
}

} // namespace EPub

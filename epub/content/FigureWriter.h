// SPDX-License-Identifier: MIT
#pragma once
// Writes pictures, SVG drawings and picture bullets into the paragraph being written: stores the
// data through the image store, registers the sizing rules of the image style sheet and writes
// the markup with its accessibility text (alternative text, long description in a details
// element).

#include "host/foundation/Consolidated.h"
#include "host/foundation/Counted.h"
#include "host/foundation/DataSource.h"
#include "host/foundation/Geometry.h"
#include "host/foundation/Stream.h"
#include "host/raster/DynamicBitmap.h"
#include "host/raster/FileType.h"
#include "host/render/RenderTags.h"
#include "host/text/Glyph.h"
#include "host/text/GlyphAtts.h"

#include <map>
#include <optional>
#include <tuple>

namespace EPub {

class XmlWriter;

using Foundation::Consolidated;
using Foundation::Counted;
using Foundation::StringT;

class BlockFlow;
class DocumentHost;

// The pixel size of a picture bullet drawn for text of that font size; none when the bullet has
// no picture or the size is unusable.
std::optional<Foundation::SizeT<uint32_t>> ImageBulletPixels(const Text::BulletImage& image,
                                                             double fontSize);
// The bullet's picture scaled to its bounds at the run's font size; null when it cannot be drawn.
Counted<Raster::DynamicBitmap> RasteriseImageBullet(const Text::ImageBulletGlyph& glyph,
                                                    const Text::GlyphAtts& atts);

class FigureWriter {
public:
    FigureWriter(DocumentHost& host, BlockFlow& writer) noexcept : host_(host), writer_(writer) {}

    // `size` is in document units. False (and nothing written) when there is no block to write
    // into or the picture could not be stored.
    bool ExportImage(const Counted<const Raster::DynamicBitmap>& bitmap,
                     const Counted<const Foundation::DataSource>& source, const StringT& name,
                     Raster::FileType type, Foundation::SizeT<double> size,
                     const Counted<const Render::RenderTags>& tags, bool wrapInClassDiv,
                     const StringT& extraCss);
    // `svgSize` and `clip` are in units of `resolution` dots per inch; `size`, the size shown,
    // is in document units. An empty clip shows the whole drawing.
    bool ExportSVG(const Counted<const Foundation::DataSource>& svg,
                   Foundation::SizeT<double> svgSize, int resolution, const StringT& name,
                   Foundation::SizeT<double> size, Foundation::RectT<double> clip,
                   const Counted<const Render::RenderTags>& tags, bool wrapInClassDiv);
    // An inline picture of the bullet, lifted to sit on the text's middle.
    bool ExportImageBullet(const Counted<const Text::ImageBulletGlyph>& glyph,
                           const Consolidated<Text::GlyphAtts>& atts);

private:
    struct Ids {
        StringT figure;
        StringT image;
        StringT description;
    };
    using BulletKey = std::tuple<Counted<const Text::BulletImage>, uint32_t, uint32_t>;

    Ids TakeIds();
    void WriteImageElement(Foundation::OutStream& out, const StringT& document, const StringT& path,
                           Foundation::SizeT<double> size,
                           const Counted<const Render::RenderTags>& tags, bool wrapInClassDiv,
                           const StringT& extraCss);
    enum class Element { Image, Object };

    void AccessibilityAttributes(XmlWriter& x, const Render::RenderTags* tags, const Ids& ids,
                                 bool withClass, Element element) const;
    void WriteDetails(Foundation::OutStream& out, const Render::RenderTags& tags, const Ids& ids,
                      bool styled);
    void StyleClass(XmlWriter& x, const StringT& styleName);
    StringT SVGPlacement(Foundation::SizeT<double> svgSize, int resolution,
                         Foundation::SizeT<double> size, Foundation::RectT<double> clip) const;
    double PointScale() const;

    DocumentHost& host_;
    BlockFlow& writer_;
    // Bullets repeat on every list item: one stored picture per bullet and size.
    std::map<BulletKey, StringT> bulletPaths_;
};

} // namespace EPub

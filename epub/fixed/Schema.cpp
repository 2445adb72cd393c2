// SPDX-License-Identifier: MIT
#include "epub/fixed/Schema.h"

#include <algorithm>
#include <cmath>

namespace EPub {

using namespace Render;

namespace {
bool IsOne(double v) {
    return std::abs(v - 1) <= 1e-6;
}
bool Paints(const FillDescriptor* fill) {
    return fill && fill->Type() != FillType::None;
}
} // namespace

Schema::Schema(Counted<const FileExportOptions> options, const bool* abortFlag)
    : Render::RenderTree::Schema(abortFlag) {
    PushOptions(std::move(options));
}

Counted<Render::RenderTree::Schema> Schema::Clone() const {
    return Foundation::MakeCounted<Schema>(*this);
}

double Schema::GetPageScale() const {
    if (!current_ || current_->GetPageDPI() <= 0)
        return 1.0;
    if (current_->IsUseRasteriseDpi() && current_->GetRasteriseDpi() > 0)
        return current_->GetPageDPI() / current_->GetRasteriseDpi();
    return current_->GetPageDPI() / GetDocumentResolution();
}

void Schema::UpdateOptions() {
    current_.Reset();
    const auto& stack = GetOptionsStack();
    for (auto it = stack.rbegin(); it != stack.rend(); ++it) {
        if (auto options = Foundation::CountedCast<const FileExportOptions>(*it)) {
            current_ = options;
            return;
        }
    }
}

void Schema::SetExportColourFormatAndProfilesFrom(ColourFormat,
                                                  const Raster::ICCProfileSet& profiles) {
    // Pages are RGB whatever the document uses; an RGB profile left empty means sRGB.
    Raster::ICCProfileSet exported = profiles;
    exported.rgbProfile.clear();
    Render::RenderTree::Schema::SetExportColourFormatAndProfilesFrom(ColourFormat::RGB8, exported);
}

GraphicSupport::Type Schema::GetBlendModeSupport(BlendMode, double) const {
    // Every mode has its CSS mix-blend-mode; whether a group can use it is its content's question.
    return 0;
}

bool Schema::IsNative(const Node& node) const {
    switch (node.Kind()) {
    case NodeKind::Group: {
        const auto& group = static_cast<const GroupNode&>(node);
        return GetCompositeSupport(group) == 0 &&
               std::all_of(group.children.begin(), group.children.end(),
                           [this](const auto& child) { return IsNative(*child); });
    }
    case NodeKind::Shape: {
        const auto& shape = static_cast<const ShapeNode&>(node);
        return GetVectorSupport(shape) == 0 || CanDrawAsImage(shape);
    }
    case NodeKind::GlyphRun:
        return GetVectorSupport(node) == 0;
    case NodeKind::Bitmap:
        return GetBitmapSupport(static_cast<const BitmapNode&>(node)) == 0;
    case NodeKind::Hyperlink:
        return true;
    }
    return false;
}

GraphicSupport::Type Schema::GetVectorSupport(const Node& node) const {
    if (node.Kind() == NodeKind::GlyphRun) {
        const auto& run = static_cast<const GlyphRunNode&>(node);
        return IsTextSupported(run) && run.fill->GetColour() ? 0 : 1;
    }
    if (node.Kind() != NodeKind::Shape)
        return 1;
    const auto& shape = static_cast<const ShapeNode&>(node);
    const bool candidate = Paints(shape.fill.get()) && IsOne(shape.opacity) &&
                           !(Paints(shape.stroke.get()) && shape.lineStyle &&
                             IsLineStyleVisible(shape.lineStyle.get()));
    if (!candidate || !shape.fill->IsSolid() || !IsOne(shape.fill->Opacity()))
        return 1;
    return shape.path.IsRectangle({}) ? 0 : 1;
}

GraphicSupport::Type Schema::GetBitmapSupport(const BitmapNode& node) const {
    // A translucent picture keeps its own file and alt text, with CSS opacity, rather than being
    // redrawn at the rasterise resolution.
    const bool storable =
        node.fileType == Raster::FileType::JPEG || node.fileType == Raster::FileType::PNG ||
        node.fileType == Raster::FileType::GIF || node.fileType == Raster::FileType::SVG;
    return node.bitmap || (storable && !node.encoded.empty()) ? 0 : 1;
}

GraphicSupport::Type Schema::GetCompositeSupport(const GroupNode& group) const {
    const bool plain = IsOne(group.opacity) && group.blend == BlendMode::Normal && !group.clip;
    if (plain)
        return 0;
    if (group.blend == BlendMode::Normal)
        return 1;
    // A blended group whose content all stays page elements becomes one element with CSS
    // mix-blend-mode; anything else in it makes the whole group one picture, as a translucent
    // group is.
    const bool expressible = IsOne(group.opacity) && !group.clip &&
                             std::all_of(group.children.begin(), group.children.end(),
                                         [this](const auto& child) { return IsNative(*child); });
    return expressible ? 0 : (1 | GraphicSupport::UsesBackdrop);
}

bool Schema::CanDrawAsImage(const ShapeNode& shape) const {
    const BitmapFill* picture = shape.fill ? shape.fill->GetBitmap() : nullptr;
    if (!picture || !picture->bitmap || picture->bitmap->Width() == 0 ||
        picture->bitmap->Height() == 0)
        return false;
    if (!IsOne(shape.opacity) || !IsOne(shape.fill->Opacity()) ||
        (Paints(shape.stroke.get()) && shape.lineStyle &&
         IsLineStyleVisible(shape.lineStyle.get())))
        return false;
    RectT<double> rect;
    if (!shape.path.IsRectangle({}, &rect))
        return false;
    // An image element shows the picture once, upright, over its box: no rotation, and the
    // picture placed exactly on the rectangle (a single tile is the same thing).
    const auto& m = picture->placement.m;
    const double w = picture->bitmap->Width(), h = picture->bitmap->Height();
    const auto near = [](double a, double b) { return std::abs(a - b) <= 1e-6; };
    return near(m[1], 0) && near(m[3], 0) && near(m[2], rect.left) && near(m[5], rect.top) &&
           near(m[0] * w, rect.Width()) && near(m[4] * h, rect.Height());
}

Counted<const FillDescriptor> Schema::FilterFill(Counted<const FillDescriptor> fill) const {
    if (!fill || !fill->IsSolid() || !fill->GetColour())
        return fill;
    const Colour& c = *fill->GetColour();
    const auto& k = c.Components();
    // Pure process black would go through the CMYK profile and come out as a dull grey.
    if (c.Model() == ColourModel::CMYK && k[0] <= 1e-6 && k[1] <= 1e-6 && k[2] <= 1e-6 &&
        IsOne(k[3]) && IsOne(c.Alpha()))
        return FillDescriptor::MakeSolid(Colour::MakeRGB(0, 0, 0), fill->Opacity());
    return fill;
}

bool Schema::IsPreserveGroup(const GroupNode& group) const {
    if (group.children.empty())
        return false;
    return group.tags || group.hidden || group.logical != LogicalGroup::None;
}

} // namespace EPub

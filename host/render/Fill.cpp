// SPDX-License-Identifier: MIT
#include "host/render/Fill.h"

#include <functional>

namespace Render {

bool GradientStop::operator==(const GradientStop& o) const {
    return position == o.position &&
           (colour == o.colour || (colour && o.colour && *colour == *o.colour));
}

Counted<const FillDescriptor> FillDescriptor::MakeNone() {
    return Foundation::MakeCounted<const FillDescriptor>(FillType::None, nullptr,
                                                         std::vector<GradientStop>{}, 1.0);
}

Counted<const FillDescriptor> FillDescriptor::MakeSolid(Counted<const Colour> colour,
                                                        double opacity) {
    return Foundation::MakeCounted<const FillDescriptor>(FillType::Solid, std::move(colour),
                                                         std::vector<GradientStop>{}, opacity);
}

Counted<const FillDescriptor>
FillDescriptor::MakeGradient(FillType type, std::vector<GradientStop> stops, double opacity) {
    return Foundation::MakeCounted<const FillDescriptor>(type, nullptr, std::move(stops), opacity);
}

Counted<const FillDescriptor> FillDescriptor::MakeBitmap(BitmapFill bitmap, double opacity) {
    auto fill = Foundation::MakeCounted<FillDescriptor>(FillType::Bitmap, nullptr,
                                                        std::vector<GradientStop>{}, opacity);
    fill->bitmap_ = std::move(bitmap);
    return fill;
}

bool FillDescriptor::operator==(const FillDescriptor& o) const {
    const bool sameColour =
        colour_ == o.colour_ || (colour_ && o.colour_ && *colour_ == *o.colour_);
    // Pictures compare by identity: decoding the same file twice gives two fills.
    const bool sameBitmap = bitmap_.has_value() == o.bitmap_.has_value() &&
                            (!bitmap_ || (bitmap_->bitmap == o.bitmap_->bitmap &&
                                          bitmap_->placement == o.bitmap_->placement &&
                                          bitmap_->tiled == o.bitmap_->tiled));
    return type_ == o.type_ && sameColour && stops_ == o.stops_ && opacity_ == o.opacity_ &&
           sameBitmap;
}

size_t FillDescriptor::Hash() const noexcept {
    size_t h = static_cast<size_t>(type_) * 31 + std::hash<double>{}(opacity_);
    if (colour_)
        h = h * 1000003u ^ colour_->Hash();
    return h ^ stops_.size();
}

bool IsFillVisible(const FillDescriptor* fill, double tolerance) {
    if (!fill || fill->Type() == FillType::None)
        return false;
    double alpha = fill->Opacity();
    if (fill->IsSolid())
        alpha *= fill->GetColour() ? fill->GetColour()->Alpha() : 0.0;
    return alpha > tolerance;
}

} // namespace Render

// SPDX-License-Identifier: MIT
#pragma once
// Fills: what paints text, backgrounds and strokes.

#include "host/foundation/StringT.h"
#include "host/raster/DynamicBitmap.h"
#include "host/raster/FileType.h"
#include "host/render/AffineTransform.h"
#include "host/render/Colour.h"

#include <optional>
#include <string>
#include <vector>

namespace Render {

enum class FillType : uint8_t { None, Solid, LinearGradient, RadialGradient, Bitmap };

struct GradientStop {
    double position = 0; // 0..1
    Counted<const Colour> colour;
    bool operator==(const GradientStop& o) const;
};

// A picture painting a shape.
struct BitmapFill {
    Counted<const Raster::DynamicBitmap> bitmap;
    std::string encoded; // the file as given: stored unchanged when the export can use it
    Raster::FileType fileType = Raster::FileType::Unknown;
    Foundation::StringT sourceName;
    AffineTransform placement; // the bitmap's pixels into the shape's coordinates
    bool tiled = false;        // repeated beyond the placed bitmap
};

// Immutable; shared by reference count. `opacity` multiplies the colour's alpha.
class FillDescriptor final : public Foundation::Countable {
public:
    static Counted<const FillDescriptor> MakeNone();
    static Counted<const FillDescriptor> MakeSolid(Counted<const Colour> colour,
                                                   double opacity = 1);
    static Counted<const FillDescriptor>
    MakeGradient(FillType type, std::vector<GradientStop> stops, double opacity = 1);
    static Counted<const FillDescriptor> MakeBitmap(BitmapFill bitmap, double opacity = 1);

    FillDescriptor(FillType type, Counted<const Colour> colour, std::vector<GradientStop> stops,
                   double opacity)
        : type_(type), colour_(std::move(colour)), stops_(std::move(stops)), opacity_(opacity) {}

    FillType Type() const noexcept { return type_; }
    bool IsSolid() const noexcept { return type_ == FillType::Solid; }
    // The solid colour; null for other fill types.
    const Counted<const Colour>& GetColour() const noexcept { return colour_; }
    const std::vector<GradientStop>& Stops() const noexcept { return stops_; }
    double Opacity() const noexcept { return opacity_; }
    // The picture of a bitmap fill; null for other fill types.
    const BitmapFill* GetBitmap() const noexcept { return bitmap_ ? &*bitmap_ : nullptr; }

    bool operator==(const FillDescriptor& o) const;
    size_t Hash() const noexcept;

private:
    FillType type_;
    Counted<const Colour> colour_;
    std::vector<GradientStop> stops_;
    double opacity_;
    std::optional<BitmapFill> bitmap_;
};

// A fill paints something when it is not None and its effective opacity exceeds `tolerance`.
bool IsFillVisible(const FillDescriptor* fill, double tolerance = 0);

} // namespace Render

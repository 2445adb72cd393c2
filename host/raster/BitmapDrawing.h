// SPDX-License-Identifier: MIT
#pragma once
// Drawing bitmaps into bitmaps, for pictures that must be rasterised at a given scale.

#include "host/foundation/Counted.h"
#include "host/raster/DynamicBitmap.h"

namespace Raster {

// `source` resampled to `width` × `height` pixels. Null when a size is 0 or too large.
Foundation::Counted<DynamicBitmap> ScaleBitmap(const DynamicBitmap& source, uint32_t width,
                                               uint32_t height);

// Composites `source` over `target` (source-over), scaled into the rectangle at (x, y) of size
// `width` × `height` in target pixels. False when the rectangle or either bitmap is empty.
bool DrawBitmap(DynamicBitmap& target, const DynamicBitmap& source, double x, double y,
                double width, double height);

} // namespace Raster

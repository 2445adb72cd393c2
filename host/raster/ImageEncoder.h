// SPDX-License-Identifier: MIT
#pragma once
// Bitmaps to image files.

#include "host/foundation/Stream.h"
#include "host/raster/DynamicBitmap.h"

namespace Raster {

// 8-bit PNG, RGB when the bitmap is opaque and RGBA otherwise. False when the bitmap is empty or
// the stream fails.
bool WritePNG(const DynamicBitmap& bitmap, Foundation::OutStream& out);

// Baseline JPEG at `quality` (1 to 100, clamped). JPEG has no alpha: translucent pixels are
// composited over white, the background a reading system shows most often.
bool WriteJPEG(const DynamicBitmap& bitmap, Foundation::OutStream& out, int quality = 90);

} // namespace Raster

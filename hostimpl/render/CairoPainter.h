// SPDX-License-Identifier: MIT
#pragma once
// Painting render-tree nodes with cairo: the one drawing engine behind rasterising, reference
// renderings and SVG covers.

#include "host/render/RenderTree.h"

#include <cairo.h>

#include <string_view>

namespace Render::Cairo {

// Paints `node` with `parent` mapping its parent's coordinates to the context's user space
// (the context's own matrix is ignored).
void Paint(cairo_t* cr, const Node& node, const AffineTransform& parent,
           const Raster::ICCProfileSet& profiles);

// SVG data scaled into `rect` (user space of `parent`); false when it cannot be read.
bool PaintSvg(cairo_t* cr, std::string_view svg, const Foundation::RectT<double>& rect,
              const AffineTransform& parent);

// The size an SVG document asks for, in its own units; none when it cannot be read.
std::optional<Foundation::SizeT<double>> SvgSize(std::string_view svg);

// An ARGB32 image surface holding `bitmap`; the caller destroys it.
cairo_surface_t* MakeSurface(const Raster::DynamicBitmap& bitmap);
Counted<Raster::DynamicBitmap> ToBitmap(cairo_surface_t* surface);

} // namespace Render::Cairo

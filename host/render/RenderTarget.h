// SPDX-License-Identifier: MIT
#pragma once
// What a renderer draws into. A renderer calls the pushes and pops strictly nested; content the
// schema marked unsupported arrives already rasterised, as a bitmap.

#include "host/render/RenderTree.h"

namespace Render {

class RenderTarget : public Foundation::Countable, public Abortable {
public:
    explicit RenderTarget(const bool* abortFlag = nullptr) : Abortable(abortFlag) {}

    // `world` maps the node's coordinates to the page's, in document units.
    virtual void DrawPolyPolygon(const ShapeNode& shape, const AffineTransform& world) = 0;
    virtual void DrawPolyCurve(const ShapeNode& shape, const AffineTransform& world) {
        DrawPolyPolygon(shape, world);
    }
    // `hidden`: the run also appears in a bitmap drawn before it; keep it as invisible text.
    virtual void DrawGlyphMetrics(const GlyphRunNode& run, const AffineTransform& world,
                                  bool hidden) = 0;
    virtual void DrawBitmap(const BitmapNode& bitmap, const AffineTransform& world) = 0;
    virtual void DrawHyperlink(const HyperlinkNode&, const AffineTransform&) {}

    virtual void PushColourTransform() {}
    virtual bool PushFilterEffects() { return false; }
    virtual RenderTarget* PushSubRender() { return this; }
    virtual void PopSubRender() {}
    virtual bool HasClipPaths() const { return false; }
    virtual void PushTransform(const AffineTransform&) {}
    virtual void PopTransform() {}
    virtual void PushLogicalGroup(LogicalGroup, const Foundation::RectT<double>&,
                                  const OrderTags&) {}
    virtual void PopLogicalGroup() {}
    virtual void PushTagGroup(const Counted<const RenderTags>&) {}
    virtual void PopTagGroup() {}
    virtual void PushLayer(bool /*hidden*/) {}
    virtual void PopLayer() {}
    virtual void PushExportOptions(Counted<const FileExportOptions>) {}
    virtual void PopExportOptions() {}
    virtual void PushRenderable(const Node&) {}
    virtual void PopRenderable() {}
    virtual bool SupportsTags() const { return false; }

    // Pixels per document unit at which the renderer rasterises unsupported content.
    double GetRasteriseScale() const noexcept { return rasteriseScale_; }
    void SetRasteriseScale(double scale) noexcept { rasteriseScale_ = scale; }
    ColourFormat GetColourFormat() const noexcept { return format_; }
    const Raster::ICCProfileSet& GetProfiles() const noexcept { return profiles_; }
    void SetColourFormatAndProfiles(ColourFormat format, const Raster::ICCProfileSet& profiles) {
        format_ = format;
        profiles_ = profiles;
    }

private:
    double rasteriseScale_ = 1;
    ColourFormat format_ = ColourFormat::RGB8;
    Raster::ICCProfileSet profiles_;
};

} // namespace Render

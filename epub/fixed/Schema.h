// SPDX-License-Identifier: MIT
#pragma once
// What a fixed-layout page can express natively: text, plain rectangles and storable images.
// Everything else is rasterised by the renderer at the export's rasterise resolution.

#include "epub/options/FileExportOptions.h"
#include "host/render/RenderTree.h"

namespace EPub {

class Schema final : public Render::RenderTree::Schema {
public:
    Schema(Counted<const FileExportOptions> options, const bool* abortFlag = nullptr);

    Counted<Render::RenderTree::Schema> Clone() const override;

    // CSS pixels per document unit.
    double GetPageScale() const;
    // The innermost pushed fixed-layout options; null when none was pushed.
    const Counted<const FileExportOptions>& GetOptions() const noexcept { return current_; }

    void UpdateOptions() override;
    void SetExportColourFormatAndProfilesFrom(Render::ColourFormat format,
                                              const Raster::ICCProfileSet& profiles) override;

    Render::GraphicSupport::Type GetBlendModeSupport(Render::BlendMode mode,
                                                     double opacity) const override;
    Render::GraphicSupport::Type GetRasterEffectSupport(const Render::Node&) const override {
        return 1;
    }
    Render::SubRenderSupport GetSubRenderSupport(const Render::Node&) const override {
        return Render::SubRenderSupport::Rasterise;
    }
    Render::GraphicSupport::Type GetVectorSupport(const Render::Node& node) const override;
    Render::GraphicSupport::Type GetBitmapSupport(const Render::BitmapNode& node) const override;
    Render::GraphicSupport::Type GetCompositeSupport(const Render::GroupNode& group) const override;
    bool CanDrawAsImage(const Render::ShapeNode& shape) const override;
    Counted<const Render::FillDescriptor>
    FilterFill(Counted<const Render::FillDescriptor> fill) const override;
    bool IsPreserveGroup(const Render::GroupNode& group) const override;
    bool Reduce(Render::GroupNode&) override { return true; }
    bool IsClipToDevice() const override { return true; }
    bool IsClipToClipPath() const override { return true; }
    bool IsClipWholeTextFrames() const override { return true; }
    bool IsRasterWithHiddenText() const override { return true; }
    bool IsClipPathSupported() const override { return false; }
    bool IsClipPathGroupSupported() const override { return false; }
    bool IsPreserveDescriptions() const override { return false; }

private:
    // Whether the page draws the node and all it holds without rasterising any of it.
    bool IsNative(const Render::Node& node) const;

    Counted<const FileExportOptions> current_;
};

} // namespace EPub

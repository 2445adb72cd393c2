// SPDX-License-Identifier: MIT
#include "host/render/RenderTree.h"

#include <algorithm>

namespace Render {

void RenderTree::Schema::PushOptions(Counted<const FileExportOptions> options) {
    options_.push_back(std::move(options));
    UpdateOptions();
}

void RenderTree::Schema::PopOptions() {
    if (!options_.empty())
        options_.pop_back();
    UpdateOptions();
}

double RenderTree::Schema::GetRasterScale() const {
    for (auto it = options_.rbegin(); it != options_.rend(); ++it) {
        const auto* vector = dynamic_cast<const FileExportOptionsVector*>(it->get());
        if (vector && vector->IsUseRasteriseDpi() && vector->GetRasteriseDpi() > 0)
            return vector->GetRasteriseDpi() / documentResolution_;
    }
    return 1.0;
}

bool RenderTree::Schema::IsTextSupported(const GlyphRunNode& run) const {
    const bool solid = run.fill && run.fill->IsSolid();
    const bool stroked = run.stroke && run.stroke->Type() != FillType::None;
    return solid && !stroked && run.blend == BlendMode::Normal;
}

} // namespace Render

namespace Render {

bool IsEmptyRect(const Foundation::RectT<double>& r) {
    return !(r.right > r.left && r.bottom > r.top);
}

Foundation::RectT<double> Union(const Foundation::RectT<double>& a,
                                const Foundation::RectT<double>& b) {
    if (IsEmptyRect(a))
        return b;
    if (IsEmptyRect(b))
        return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

Foundation::RectT<double> Intersect(const Foundation::RectT<double>& a,
                                    const Foundation::RectT<double>& b) {
    Foundation::RectT<double> r{std::max(a.left, b.left), std::max(a.top, b.top),
                                std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
    return IsEmptyRect(r) ? Foundation::RectT<double>{} : r;
}

Foundation::RectT<double> NodeBounds(const Node& node, const AffineTransform& parent) {
    const AffineTransform world = parent * node.transform;
    switch (node.Kind()) {
    case NodeKind::Group: {
        const auto& g = static_cast<const GroupNode&>(node);
        Foundation::RectT<double> r{};
        for (const auto& child : g.children)
            r = Union(r, NodeBounds(*child, world));
        if (g.clip)
            r = Intersect(r, world.MapRect(g.clip->Bounds()));
        return r;
    }
    case NodeKind::Shape: {
        const auto& s = static_cast<const ShapeNode&>(node);
        auto b = s.path.Bounds();
        const double half = s.lineStyle ? s.lineStyle->EffectiveWeight() / 2 : 0;
        b = {b.left - half, b.top - half, b.right + half, b.bottom + half};
        return world.MapRect(b);
    }
    case NodeKind::GlyphRun: {
        const auto& g = static_cast<const GlyphRunNode&>(node);
        if (g.vertical != VerticalForm::None) {
            const double half = std::max(0.5, (g.ascent + g.descent) / 2) * g.size;
            return world.MapRect(
                {g.origin.x - half, g.origin.y, g.origin.x + half, g.origin.y + g.advance});
        }
        return world.MapRect({g.origin.x, g.origin.y - g.ascent * g.size, g.origin.x + g.advance,
                              g.origin.y + g.descent * g.size});
    }
    case NodeKind::Bitmap:
        return world.MapRect(static_cast<const BitmapNode&>(node).rect);
    case NodeKind::Hyperlink:
        return {};
    }
    return {};
}

} // namespace Render

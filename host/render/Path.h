// SPDX-License-Identifier: MIT
#pragma once
// Vector outlines: sub-paths of lines and cubic curves, in the units of the node that holds them.

#include "host/foundation/Geometry.h"
#include "host/render/AffineTransform.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Render {

using Foundation::PointT;
using Foundation::RectT;

struct PathSegment {
    enum class Kind : uint8_t { Move, Line, Curve, Close };
    Kind kind = Kind::Move;
    // Move and Line use p[0]; Curve uses the two control points p[0], p[1] and the end p[2].
    PointT<double> p[3];
};

class Path {
public:
    static Path Rectangle(const RectT<double>& r);
    // SVG path data (M L H V C S Q T Z and their relative forms; A is refused). On failure,
    // none, with `error` saying what and where.
    static std::optional<Path> ParseSvg(std::string_view data, std::string& error);

    void MoveTo(double x, double y) { segments_.push_back({PathSegment::Kind::Move, {{x, y}}}); }
    void LineTo(double x, double y) { segments_.push_back({PathSegment::Kind::Line, {{x, y}}}); }
    void CurveTo(PointT<double> c1, PointT<double> c2, PointT<double> end) {
        segments_.push_back({PathSegment::Kind::Curve, {c1, c2, end}});
    }
    void Close() { segments_.push_back({PathSegment::Kind::Close, {}}); }

    const std::vector<PathSegment>& Segments() const noexcept { return segments_; }
    bool empty() const noexcept { return segments_.empty(); }
    bool HasCurves() const;
    // Control-point bounds; a valid enclosing box for curves too.
    RectT<double> Bounds() const;
    // True when the path is one axis-aligned rectangle after `transform`; its corners in `out`.
    bool IsRectangle(const AffineTransform& transform, RectT<double>* out = nullptr) const;

private:
    std::vector<PathSegment> segments_;
};

} // namespace Render

// SPDX-License-Identifier: MIT
#pragma once
// Affine transforms of drawn content: x' = m0·x + m1·y + m2, y' = m3·x + m4·y + m5.

#include "host/foundation/Geometry.h"

#include <array>
#include <cmath>

namespace Render {

struct AffineTransform {
    std::array<double, 6> m{1, 0, 0, 0, 1, 0};

    static AffineTransform Translate(double x, double y) { return {{1, 0, x, 0, 1, y}}; }
    static AffineTransform Scale(double sx, double sy) { return {{sx, 0, 0, 0, sy, 0}}; }
    // Counter-clockwise on screen for negative angles: y grows downwards.
    static AffineTransform Rotate(double degrees) {
        const double r = degrees * M_PI / 180.0;
        return {{std::cos(r), -std::sin(r), 0, std::sin(r), std::cos(r), 0}};
    }

    // `*this` after `inner`: (A * B)(p) = A(B(p)).
    AffineTransform operator*(const AffineTransform& b) const {
        const auto& a = m;
        return {{a[0] * b.m[0] + a[1] * b.m[3], a[0] * b.m[1] + a[1] * b.m[4],
                 a[0] * b.m[2] + a[1] * b.m[5] + a[2], a[3] * b.m[0] + a[4] * b.m[3],
                 a[3] * b.m[1] + a[4] * b.m[4], a[3] * b.m[2] + a[4] * b.m[5] + a[5]}};
    }
    Foundation::PointT<double> Apply(double x, double y) const {
        return {m[0] * x + m[1] * y + m[2], m[3] * x + m[4] * y + m[5]};
    }
    double Determinant() const { return m[0] * m[4] - m[1] * m[3]; }
    // A singular transform inverts to its negated translation alone.
    AffineTransform Inverse() const {
        const double d = Determinant();
        if (std::abs(d) <= 1e-128)
            return Translate(-m[2], -m[5]);
        const double i0 = m[4] / d, i1 = -m[1] / d, i3 = -m[3] / d, i4 = m[0] / d;
        return {{i0, i1, -(i0 * m[2] + i1 * m[5]), i3, i4, -(i3 * m[2] + i4 * m[5])}};
    }
    bool IsIdentity(double tolerance = 1e-9) const {
        const AffineTransform id;
        for (size_t i = 0; i < 6; ++i)
            if (std::abs(m[i] - id.m[i]) > tolerance)
                return false;
        return true;
    }
    // The bounding box of `r` after the transform.
    Foundation::RectT<double> MapRect(const Foundation::RectT<double>& r) const;

    friend bool operator==(const AffineTransform&, const AffineTransform&) = default;
};

inline Foundation::RectT<double>
AffineTransform::MapRect(const Foundation::RectT<double>& r) const {
    const Foundation::PointT<double> p[4] = {Apply(r.left, r.top), Apply(r.right, r.top),
                                             Apply(r.left, r.bottom), Apply(r.right, r.bottom)};
    Foundation::RectT<double> out{p[0].x, p[0].y, p[0].x, p[0].y};
    for (const auto& q : p) {
        out.left = std::min(out.left, q.x);
        out.top = std::min(out.top, q.y);
        out.right = std::max(out.right, q.x);
        out.bottom = std::max(out.bottom, q.y);
    }
    return out;
}

} // namespace Render

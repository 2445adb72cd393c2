// SPDX-License-Identifier: MIT
#include "epub/fixed/PageGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

namespace EPub {

bool CSSTransform::IsTranslationOnly() const {
    return std::abs(scaleX - 1) <= 1e-6 && std::abs(scaleY - 1) <= 1e-6 &&
           std::abs(rotation) <= 1e-6 && std::abs(skew) <= 1e-6;
}

RectT<double> Snap(const RectT<double>& r, double tolerance) {
    constexpr double lowest = std::numeric_limits<double>::lowest();
    if (r.left == lowest && r.top == lowest && r.right == lowest && r.bottom == lowest)
        return r;
    auto snap = [tolerance](double v, bool up) {
        const double whole = std::round(v);
        if (std::abs(v - whole) <= tolerance)
            return whole;
        return up ? std::ceil(v) : std::floor(v);
    };
    return {snap(r.left, false), snap(r.top, false), snap(r.right, true), snap(r.bottom, true)};
}

bool IsEqual(const RectT<double>& a, const RectT<double>& b) {
    if (std::abs(a.left - b.left) <= 1e-6 && std::abs(a.top - b.top) <= 1e-6 &&
        std::abs(a.right - b.right) <= 1e-6 && std::abs(a.bottom - b.bottom) <= 1e-6)
        return true;
    return Snap(a, 0.001) == Snap(b, 0.001);
}

namespace {

struct Decomposed {
    CSSTransform css;
    double scaleX = 1, scaleY = 1;
};

Decomposed Decompose(const AffineTransform& t) {
    const auto& m = t.m;
    Decomposed d;
    d.css.translateX = m[2];
    d.css.translateY = m[5];
    double angle = std::atan2(m[3], m[0]);
    if (m[0] * m[4] - m[1] * m[3] < 0)
        angle += M_PI;
    double shear;
    if (std::abs(angle) > 1e-6) {
        const double c = std::cos(angle), s = std::sin(angle);
        d.scaleX = c * m[0] + s * m[3];
        d.scaleY = c * m[4] - s * m[1];
        shear = c * m[1] + s * m[4];
        d.css.rotation = std::fmod(angle * 180.0 / M_PI + 360.0, 360.0);
    } else {
        d.scaleX = m[0];
        d.scaleY = m[4];
        shear = m[1];
        d.css.rotation = 0;
    }
    d.css.skew = std::abs(shear) > 1e-6 && std::abs(d.scaleY) > 1e-6
                     ? std::atan2(shear, d.scaleY) * 180.0 / M_PI
                     : 0;
    return d;
}

CSSTransform MoveScale(AffineTransform& t, SizeT<double>& size, CSSTransform css, double sx,
                       double sy, double signX, double signY) {
    const double ax = std::abs(sx), ay = std::abs(sy);
    size.width *= ax;
    size.height *= ay;
    if (ax > 1e-12) {
        t.m[0] /= ax;
        t.m[3] /= ax;
    }
    if (ay > 1e-12) {
        t.m[1] /= ay;
        t.m[4] /= ay;
    }
    css.scaleX = signX < 0 ? -1 : 1;
    css.scaleY = signY < 0 ? -1 : 1;
    return css;
}

} // namespace

CSSTransform Scale(AffineTransform& t, SizeT<double>& size) {
    const Decomposed d = Decompose(t);
    return MoveScale(t, size, d.css, d.scaleX, d.scaleY, d.scaleX, d.scaleY);
}

CSSTransform Scale(AffineTransform& t, SizeT<double>& size, double sx, double sy) {
    const Decomposed d = Decompose(t);
    return MoveScale(t, size, d.css, sx, sy, d.scaleX, d.scaleY);
}

void PreScale(double sx, double sy, AffineTransform& t) {
    t.m[0] *= sx;
    t.m[1] *= sx;
    t.m[3] *= sy;
    t.m[4] *= sy;
}

double Quantise(double value) {
    const double q = std::round(value * 1e6) * 1e-6;
    return q == 0 ? 0.0 : q;
}

std::string FormatNumber(double value) {
    // Far beyond any page, yet a number every CSS parser reads: a host's runaway coordinates
    // must not write "inf" or a hundred digits.
    constexpr double kLimit = 1e9;
    value = std::isfinite(value) ? std::clamp(value, -kLimit, kLimit) : 0.0;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.6f", Quantise(value));
    std::string s = buffer;
    while (!s.empty() && s.back() == '0')
        s.pop_back();
    if (!s.empty() && s.back() == '.')
        s.pop_back();
    return s == "-0" ? "0" : s;
}

int64_t Order(const Render::OrderTags& tags) {
    if (!tags.present)
        return 0;
    if (tags.i == -1)
        return tags.reversed ? -1 : 0;
    const uint64_t key = (uint64_t(uint32_t(tags.i + 1)) << 32) | uint32_t(tags.j + 1);
    return static_cast<int64_t>(tags.reversed ? ~key : key);
}

} // namespace EPub

// SPDX-License-Identifier: MIT
#include "host/render/Path.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace Render {

Path Path::Rectangle(const RectT<double>& r) {
    Path p;
    p.MoveTo(r.left, r.top);
    p.LineTo(r.right, r.top);
    p.LineTo(r.right, r.bottom);
    p.LineTo(r.left, r.bottom);
    p.Close();
    return p;
}

bool Path::HasCurves() const {
    return std::any_of(segments_.begin(), segments_.end(),
                       [](const PathSegment& s) { return s.kind == PathSegment::Kind::Curve; });
}

RectT<double> Path::Bounds() const {
    bool first = true;
    RectT<double> r;
    auto add = [&](const PointT<double>& p) {
        if (first) {
            r = {p.x, p.y, p.x, p.y};
            first = false;
            return;
        }
        r.left = std::min(r.left, p.x);
        r.top = std::min(r.top, p.y);
        r.right = std::max(r.right, p.x);
        r.bottom = std::max(r.bottom, p.y);
    };
    for (const auto& s : segments_) {
        if (s.kind == PathSegment::Kind::Close)
            continue;
        const int n = s.kind == PathSegment::Kind::Curve ? 3 : 1;
        for (int i = 0; i < n; ++i)
            add(s.p[i]);
    }
    return r;
}

bool Path::IsRectangle(const AffineTransform& t, RectT<double>* out) const {
    std::vector<PointT<double>> pts;
    for (const auto& s : segments_) {
        if (s.kind == PathSegment::Kind::Curve)
            return false;
        if (s.kind == PathSegment::Kind::Move && !pts.empty())
            return false; // a second sub-path
        if (s.kind != PathSegment::Kind::Close)
            pts.push_back(t.Apply(s.p[0].x, s.p[0].y));
    }
    if (pts.size() == 5 && std::abs(pts[4].x - pts[0].x) < 1e-9 &&
        std::abs(pts[4].y - pts[0].y) < 1e-9)
        pts.pop_back();
    if (pts.size() != 4)
        return false;
    constexpr double eps = 1e-6;
    for (size_t i = 0; i < 4; ++i) {
        const auto& a = pts[i];
        const auto& b = pts[(i + 1) % 4];
        if (std::abs(a.x - b.x) > eps && std::abs(a.y - b.y) > eps)
            return false;
    }
    const RectT<double> b = Path{*this}.Bounds();
    if (out)
        *out = t.MapRect(b);
    return true;
}

namespace {

class SvgPathParser {
public:
    explicit SvgPathParser(std::string_view d) : d_(d) {}

    std::optional<Path> Parse(std::string& error) {
        char command = 0;
        while (true) {
            SkipSpace();
            if (i_ == d_.size())
                break;
            const char c = d_[i_];
            if (std::isalpha(static_cast<unsigned char>(c))) {
                command = c;
                ++i_;
            } else if (command == 0 || command == 'Z' || command == 'z') {
                return Fail(error, "expected a command");
            }
            if (!Apply(command, error))
                return std::nullopt;
            // Implicit repetition: a move continues as lines.
            if (command == 'M')
                command = 'L';
            else if (command == 'm')
                command = 'l';
        }
        if (path_.empty())
            return Fail(error, "empty path");
        return path_;
    }

private:
    std::optional<Path> Fail(std::string& error, const std::string& what) {
        error = what + " at offset " + std::to_string(i_);
        return std::nullopt;
    }
    void SkipSpace() {
        while (i_ < d_.size() &&
               (std::isspace(static_cast<unsigned char>(d_[i_])) || d_[i_] == ','))
            ++i_;
    }
    bool Number(double& v) {
        SkipSpace();
        const std::string rest(d_.substr(i_, std::min<size_t>(64, d_.size() - i_)));
        char* end = nullptr;
        v = std::strtod(rest.c_str(), &end);
        if (end == rest.c_str() || !std::isfinite(v))
            return false;
        i_ += static_cast<size_t>(end - rest.c_str());
        return true;
    }
    bool Point(PointT<double>& p, bool relative) {
        if (!Number(p.x) || !Number(p.y))
            return false;
        if (relative) {
            p.x += cur_.x;
            p.y += cur_.y;
        }
        return true;
    }
    bool Apply(char command, std::string& error) {
        const bool rel = std::islower(static_cast<unsigned char>(command));
        PointT<double> a, b, c;
        double v = 0;
        switch (std::toupper(static_cast<unsigned char>(command))) {
        case 'M':
            if (!Point(a, rel))
                break;
            path_.MoveTo(a.x, a.y);
            cur_ = start_ = ctrl_ = a;
            return true;
        case 'L':
            if (!Point(a, rel))
                break;
            return Line(a);
        case 'H':
            if (!Number(v))
                break;
            return Line({rel ? cur_.x + v : v, cur_.y});
        case 'V':
            if (!Number(v))
                break;
            return Line({cur_.x, rel ? cur_.y + v : v});
        case 'C':
            if (!Point(a, rel) || !Point(b, rel) || !Point(c, rel))
                break;
            return Curve(a, b, c);
        case 'S':
            if (!Point(b, rel) || !Point(c, rel))
                break;
            return Curve({2 * cur_.x - ctrl_.x, 2 * cur_.y - ctrl_.y}, b, c);
        case 'Q':
            if (!Point(a, rel) || !Point(c, rel))
                break;
            return Quad(a, c);
        case 'T':
            if (!Point(c, rel))
                break;
            return Quad({2 * cur_.x - qctrl_.x, 2 * cur_.y - qctrl_.y}, c);
        case 'Z':
            if (path_.empty())
                break;
            path_.Close();
            cur_ = ctrl_ = qctrl_ = start_;
            return true;
        case 'A':
            Fail(error, "arcs are not supported");
            return false;
        default:
            Fail(error, std::string("unknown command '") + command + "'");
            return false;
        }
        Fail(error, std::string("bad coordinates for '") + command + "'");
        return false;
    }
    bool Line(PointT<double> p) {
        if (path_.empty())
            return false;
        path_.LineTo(p.x, p.y);
        cur_ = ctrl_ = qctrl_ = p;
        return true;
    }
    bool Curve(PointT<double> a, PointT<double> b, PointT<double> c) {
        if (path_.empty())
            return false;
        path_.CurveTo(a, b, c);
        ctrl_ = b;
        qctrl_ = cur_ = c;
        return true;
    }
    bool Quad(PointT<double> q, PointT<double> end) {
        const PointT<double> c1{cur_.x + 2.0 / 3 * (q.x - cur_.x),
                                cur_.y + 2.0 / 3 * (q.y - cur_.y)};
        const PointT<double> c2{end.x + 2.0 / 3 * (q.x - end.x), end.y + 2.0 / 3 * (q.y - end.y)};
        if (!Curve(c1, c2, end))
            return false;
        qctrl_ = q;
        return true;
    }

    std::string_view d_;
    size_t i_ = 0;
    Path path_;
    PointT<double> cur_, start_, ctrl_, qctrl_;
};

} // namespace

std::optional<Path> Path::ParseSvg(std::string_view data, std::string& error) {
    return SvgPathParser(data).Parse(error);
}

} // namespace Render

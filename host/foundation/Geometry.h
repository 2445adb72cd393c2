// SPDX-License-Identifier: MIT
#pragma once
// Sizes, points and rectangles of the host's geometry library.

namespace Foundation {

template <class T> struct SizeT {
    T width{};
    T height{};
    friend bool operator==(const SizeT&, const SizeT&) = default;
};

template <class T> struct PointT {
    T x{};
    T y{};
    friend bool operator==(const PointT&, const PointT&) = default;
};

template <class T> struct RectT {
    T left{};
    T top{};
    T right{};
    T bottom{};
    T Width() const { return right - left; }
    T Height() const { return bottom - top; }
    SizeT<T> Size() const { return {Width(), Height()}; }
    friend bool operator==(const RectT&, const RectT&) = default;
};

} // namespace Foundation

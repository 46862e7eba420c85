// Page-space points and the affine matrices of the markup.
#pragma once

namespace fixrd {

// A position or a displacement.  Equal only when both coordinates compare
// equal, so a point with a NaN coordinate equals no point.
struct Point {
    double x = 0.0;
    double y = 0.0;
};

inline bool operator==(const Point &a, const Point &b) { return a.x == b.x && a.y == b.y; }
inline bool operator!=(const Point &a, const Point &b) { return !(a == b); }
inline Point operator+(const Point &a, const Point &b) { return {a.x + b.x, a.y + b.y}; }

// m11, m12, m21, m22, offsetX, offsetY, in the order of the markup's syntax.
struct Matrix {
    double m11 = 1.0, m12 = 0.0, m21 = 0.0, m22 = 1.0, offsetX = 0.0, offsetY = 0.0;
    bool identity = true;
};

// The point p mapped by m.
inline Point mapPoint(const Matrix &m, const Point &p) {
    if (m.identity)
        return p;
    return {m.m11 * p.x + m.m21 * p.y + m.offsetX, m.m12 * p.x + m.m22 * p.y + m.offsetY};
}

} // namespace fixrd

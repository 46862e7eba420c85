#include "page/TransformStack.h"

namespace fixrd {

void pushTransform(TransformStack &stack, uint64_t &pushed, const Matrix &m) {
    if (stack.size() >= kMaxTransforms)
        return;
    stack.push_back(m);
    ++pushed;
}

Point transformPoint(const TransformStack &stack, Point p) {
    for (auto m = stack.rbegin(); m != stack.rend(); ++m)
        p = mapPoint(*m, p);
    return p;
}

Point scaleVector(const TransformStack &stack, Point d) {
    for (const Matrix &m : stack) {
        d.x = m.m11 * d.x;
        d.y = m.m22 * d.y;
    }
    return d;
}

} // namespace fixrd

// The transforms in force: the stack of matrices of the open Canvas, Path and
// Glyphs elements, innermost on top.
#pragma once

#include "page/Geometry.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace fixrd {

using TransformStack = std::vector<Matrix>;

// Transforms nested deeper than this are read but not applied: real pages
// nest a handful, and each one applied costs every character below it a
// multiplication, so a page of 50 000 nested canvases would take hours.
constexpr size_t kMaxTransforms = 64;

// Pushes m and counts it in `pushed`, unless the stack is full.
void pushTransform(TransformStack &stack, uint64_t &pushed, const Matrix &m);

// p in an element's own coordinates mapped into page space: the innermost
// matrix first, the outermost last.
Point transformPoint(const TransformStack &stack, Point p);

// A displacement scaled by the diagonal of every matrix (m11 for x, m22 for
// y); offsets and shear do not apply to the reader's distances.
Point scaleVector(const TransformStack &stack, Point d);

} // namespace fixrd

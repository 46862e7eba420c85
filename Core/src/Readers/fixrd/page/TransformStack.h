// The transforms in force: the stack of matrices of the open Canvas, Path and
// Glyphs elements, innermost on top.
#pragma once

#include "page/Geometry.h"

#include <vector>

namespace fixrd {

using TransformStack = std::vector<Matrix>;

// p in an element's own coordinates mapped into page space: the innermost
// matrix first, the outermost last.
Point transformPoint(const TransformStack &stack, Point p);

// A displacement scaled by the diagonal of every matrix (m11 for x, m22 for
// y); offsets and shear do not apply to the reader's distances.
Point scaleVector(const TransformStack &stack, Point d);

} // namespace fixrd

// The matrix syntax of RenderTransform and MatrixTransform.Matrix:
// "m11,m12,m21,m22,offsetX,offsetY".
#pragma once

#include "page/Geometry.h"

namespace fixrd {

// Throws XPSConformanceError when one of the six fields is empty or missing.
Matrix readMatrix(const char *value);

} // namespace fixrd

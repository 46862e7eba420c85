// Whether the distance from one glyph's ink to the next piece of text is a
// gap between words.
#pragma once

#include "page/Geometry.h"

#include <cstdint>

namespace fixrd {

// inkEnd: where the ink of the glyph before ends; advanceEnd: where its own
// advance ends; next: the pen position of what follows; em: the em width of
// the run in page units.  Compared signed, as computed: a NaN answers no.
bool isSpaceGap(const Point &inkEnd, const Point &advanceEnd, const Point &next, double em);

// The same test knowing the characters on either side: between two of
// scripts written without spaces only a gap of a whole em separates.
bool isSeparatingGap(const Point &inkEnd, const Point &advanceEnd, const Point &next, double em, uint32_t before,
                     uint32_t after);

} // namespace fixrd

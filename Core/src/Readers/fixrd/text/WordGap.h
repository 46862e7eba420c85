// Whether the distance from one glyph's ink to the next piece of text is a
// gap between words.
#pragma once

#include "page/Geometry.h"

#include <cstdint>

namespace fixrd {

// The thresholds of the tests below for one em, computed once for a run.
struct GapThresholds {
    explicit GapThresholds(double em) : em(em), half(em / 2.0), fifth(em / 4.7) {}
    // True when no test below can see a gap from inkEnd to next, whatever
    // the natural advance and the characters: most glyphs within a word.
    bool rulesOut(const Point &inkEnd, const Point &next) const {
        double gap = next.x - inkEnd.x;
        return !(inkEnd.y == next.y) || (gap < fifth && gap < half && gap < em);
    }
    double em, half, fifth;
};

// inkEnd: where the ink of the glyph before ends; advanceEnd: where its own
// advance ends; next: the pen position of what follows; em: the em width of
// the run in page units.  Compared signed, as computed: a NaN answers no.
bool isSpaceGap(const Point &inkEnd, const Point &advanceEnd, const Point &next, double em);

// The same test knowing the characters on either side: between two of
// scripts written without spaces only a gap of a whole em separates.
bool isSeparatingGap(const Point &inkEnd, const Point &advanceEnd, const Point &next, double em, uint32_t before,
                     uint32_t after);

} // namespace fixrd

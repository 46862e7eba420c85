#include "text/WordGap.h"

#include "text/Scripts.h"

namespace fixrd {

bool isSpaceGap(const Point &inkEnd, const Point &advanceEnd, const Point &next, double em) {
    if (!(inkEnd.y == next.y))
        return false;
    GapThresholds thresholds(em);
    double gap = next.x - inkEnd.x;
    double natural = advanceEnd.x - inkEnd.x;
    if (gap >= thresholds.half)
        return true;
    if (gap < thresholds.fifth || gap != gap)
        return false;
    return gap > natural * 3.0 / 2.0;
}

bool isSeparatingGap(const Point &inkEnd, const Point &advanceEnd, const Point &next, double em, uint32_t before,
                     uint32_t after) {
    if (!writesWithoutSpaces(before) || !writesWithoutSpaces(after))
        return isSpaceGap(inkEnd, advanceEnd, next, em);
    if (!(inkEnd.y == next.y))
        return false;
    return next.x - inkEnd.x >= em;
}

} // namespace fixrd

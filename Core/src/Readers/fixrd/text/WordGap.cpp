#include "text/WordGap.h"

namespace fixrd {

bool isSpaceGap(const Point &inkEnd, const Point &advanceEnd, const Point &next, double em) {
    if (!(inkEnd.y == next.y))
        return false;
    double gap = next.x - inkEnd.x;
    double natural = advanceEnd.x - inkEnd.x;
    if (gap >= em / 2.0)
        return true;
    if (gap < em / 4.7 || gap != gap)
        return false;
    return gap > natural * 3.0 / 2.0;
}

} // namespace fixrd

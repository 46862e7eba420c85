// The smallest TrueType fonts the reader measures with, made to order: every
// character of a set is one box glyph of chosen metrics.  Real fonts are
// hundreds of kilobytes and fix their metrics; tests and fuzz seeds need
// neither.
#pragma once

#include <cstdint>
#include <string>

namespace fixrd::test {

struct BoxMetrics {
    int16_t bearing = 50;     // left side bearing, font units
    int16_t width = 500;      // ink width
    uint16_t advance = 600;
    uint16_t unitsPerEm = 1000;
};

// Each character of `characters` (UTF-8) maps to a glyph of `metrics`.  The
// character map is format 12 (any code point), or format 4 with `bmpMap`
// (characters above U+FFFF are then left out).
std::string syntheticFont(const std::string &characters, const BoxMetrics &metrics = {}, bool bmpMap = false);

} // namespace fixrd::test

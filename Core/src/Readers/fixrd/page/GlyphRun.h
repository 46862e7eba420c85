// The attributes of the Glyphs element being read.
#pragma once

#include "page/Geometry.h"

#include <cstdint>
#include <string>
#include <vector>

namespace fixrd {

// One semicolon-separated entry of an Indices attribute.
struct GlyphIndexEntry {
    int32_t clusterCharCount = 1;
    int32_t clusterGlyphCount = 1;
    int32_t glyphIndex = 0;
    double advance = 0.0;   // hundredths of the em size
    double uOffset = 0.0;
    double vOffset = 0.0;
};

struct GlyphRun {
    Point origin;
    std::string unicodeString;   // UTF-8, at most 1023 bytes
    std::vector<GlyphIndexEntry> indices;
    std::string fontUri;
    double fontRenderingEmSize = 0.0;
    // The part the font was found under: two pages may name different fonts
    // by the same relative FontUri.
    std::string fontKey;
    int32_t bidiLevel = 0;   // odd: right to left

    void reset() {
        origin = Point{};
        unicodeString.clear();
        indices.clear();
        fontUri.clear();
        fontRenderingEmSize = 0.0;
        fontKey.clear();
        bidiLevel = 0;
    }
};

} // namespace fixrd

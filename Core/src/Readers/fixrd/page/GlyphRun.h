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

    void reset() {
        origin = Point{};
        unicodeString.clear();
        indices.clear();
        fontUri.clear();
        fontRenderingEmSize = 0.0;
    }
};

} // namespace fixrd

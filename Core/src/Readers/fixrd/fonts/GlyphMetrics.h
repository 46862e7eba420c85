// Unscaled glyph metrics in font units, in FreeType's FT_Glyph_Metrics order.
#pragma once

#include <cstdint>
#include <unordered_map>

namespace fixrd {

struct GlyphMetrics {
    int32_t width = 0;
    int32_t height = 0;
    int32_t horiBearingX = 0;
    int32_t horiBearingY = 0;
    int32_t horiAdvance = 0;
    int32_t vertBearingX = 0;
    int32_t vertBearingY = 0;
    int32_t vertAdvance = 0;
};

// The metrics of each character a font maps, looked up once per character
// of every run.
using GlyphTable = std::unordered_map<uint32_t, GlyphMetrics>;

} // namespace fixrd

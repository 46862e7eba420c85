// Unscaled glyph metrics in font units, in FreeType's FT_Glyph_Metrics order.
#pragma once

#include <cstdint>

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

} // namespace fixrd

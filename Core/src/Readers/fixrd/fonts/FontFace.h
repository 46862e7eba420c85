// A FreeType face, open only while one font is loaded into the cache.
#pragma once

#include "fonts/GlyphMetrics.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstddef>
#include <cstdint>
#include <map>

namespace fixrd {

class FontFace {
public:
    FontFace() = default;
    ~FontFace();
    FontFace(const FontFace &) = delete;
    FontFace &operator=(const FontFace &) = delete;

    // Face 0 of the font file at path; FreeType's error, 0 when open.
    FT_Error open(FT_Library library, const char *path);

    uint16_t unitsPerEm() const { return face_->units_per_EM; }

    // Unscaled metrics for every code of the map FreeType selected, up to
    // the last Unicode code point, each code with its own copy.  Codes whose
    // glyph does not load are left out.  False when the map reaches more
    // than `limit` codes: each costs some 80 bytes, and a few bytes of map
    // can reach every code.
    bool metricsByCode(size_t limit, GlyphTable &table);

private:
    FT_Face face_ = nullptr;
};

} // namespace fixrd

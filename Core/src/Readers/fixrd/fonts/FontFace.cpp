#include "fonts/FontFace.h"

namespace fixrd {

FontFace::~FontFace() {
    if (face_ != nullptr)
        FT_Done_Face(face_);
}

FT_Error FontFace::open(FT_Library library, const char *path) {
    FT_Face face = nullptr;
    FT_Error error = FT_New_Face(library, path, 0, &face);
    if (error == 0)
        face_ = face;
    return error;
}

std::map<uint32_t, GlyphMetrics> FontFace::metricsByCode() {
    std::map<uint32_t, GlyphMetrics> table;
    FT_UInt glyph = 0;
    FT_ULong code = FT_Get_First_Char(face_, &glyph);
    while (glyph != 0) {
        if (FT_Load_Glyph(face_, glyph, FT_LOAD_NO_SCALE) == 0) {
            // FreeType's positions are longs; unscaled font units fit 32 bits.
            const FT_Glyph_Metrics &m = face_->glyph->metrics;
            table[static_cast<uint32_t>(code)] = GlyphMetrics{
                static_cast<int32_t>(m.width),        static_cast<int32_t>(m.height),
                static_cast<int32_t>(m.horiBearingX), static_cast<int32_t>(m.horiBearingY),
                static_cast<int32_t>(m.horiAdvance),  static_cast<int32_t>(m.vertBearingX),
                static_cast<int32_t>(m.vertBearingY), static_cast<int32_t>(m.vertAdvance)};
        }
        // Codes only ever grow; a map that says otherwise must not loop.
        FT_ULong next = FT_Get_Next_Char(face_, code, &glyph);
        if (next <= code)
            break;
        code = next;
    }
    return table;
}

} // namespace fixrd

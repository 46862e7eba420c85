#include "fonts/FontFace.h"

#include <vector>

namespace fixrd {

namespace {

// The highest code a character can convert to; codes above it can never be
// looked up.
constexpr FT_ULong kLastCodePoint = 0x10FFFF;

GlyphMetrics copyOf(const FT_Glyph_Metrics &m) {
    // FreeType's positions are longs; unscaled font units fit 32 bits.
    return GlyphMetrics{static_cast<int32_t>(m.width),        static_cast<int32_t>(m.height),
                        static_cast<int32_t>(m.horiBearingX), static_cast<int32_t>(m.horiBearingY),
                        static_cast<int32_t>(m.horiAdvance),  static_cast<int32_t>(m.vertBearingX),
                        static_cast<int32_t>(m.vertBearingY), static_cast<int32_t>(m.vertAdvance)};
}

} // namespace

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

bool FontFace::metricsByCode(size_t limit, GlyphTable &table) {
    // A map may send any number of codes to one glyph (a single 12-byte
    // group can cover every 32-bit code), so each glyph is loaded once and
    // the walk ends where no character can reach.
    struct Loaded {
        bool tried = false;
        bool ok = false;
        GlyphMetrics metrics;
    };
    std::vector<Loaded> loaded(face_->num_glyphs > 0 ? static_cast<size_t>(face_->num_glyphs) : 0);
    auto load = [&](FT_UInt glyph, GlyphMetrics &metrics) {
        if (glyph < loaded.size() && loaded[glyph].tried) {
            metrics = loaded[glyph].metrics;
            return loaded[glyph].ok;
        }
        bool ok = FT_Load_Glyph(face_, glyph, FT_LOAD_NO_SCALE) == 0;
        if (ok)
            metrics = copyOf(face_->glyph->metrics);
        if (glyph < loaded.size())
            loaded[glyph] = Loaded{true, ok, metrics};
        return ok;
    };

    FT_UInt glyph = 0;
    FT_ULong code = FT_Get_First_Char(face_, &glyph);
    while (glyph != 0 && code <= kLastCodePoint) {
        GlyphMetrics metrics;
        if (load(glyph, metrics)) {
            if (table.size() >= limit)
                return false;
            table.emplace(static_cast<uint32_t>(code), metrics);
        }
        FT_ULong next = FT_Get_Next_Char(face_, code, &glyph);
        // Codes only ever grow; a map that says otherwise must not loop.
        if (next <= code)
            break;
        code = next;
    }
    return true;
}

} // namespace fixrd

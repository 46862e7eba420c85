// A FreeType face: its character map and the unscaled metrics of its glyphs.
#pragma once

#include "fonts/GlyphMetrics.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstddef>
#include <cstdint>

namespace fixrd {

class FontFace {
public:
    // The highest code a character can convert to; codes above it can never
    // be looked up.
    static constexpr FT_ULong kLastCodePoint = 0x10FFFF;

    FontFace() = default;
    ~FontFace();
    FontFace(const FontFace &) = delete;
    FontFace &operator=(const FontFace &) = delete;

    // Face 0 of the font file at path; FreeType's error, 0 when open.  The
    // file is read as the face needs it, and must stay until the face goes.
    FT_Error open(FT_Library library, const char *path);

    uint16_t unitsPerEm() const { return face_->units_per_EM; }
    size_t glyphCount() const { return face_->num_glyphs > 0 ? static_cast<size_t>(face_->num_glyphs) : 0; }

    // Calls visit(code, glyph) for every code of the map FreeType selected,
    // in rising order, up to the last Unicode code point.  Stops, returning
    // false, when visit does.
    template <typename Visit> bool walkMap(Visit visit) {
        FT_UInt glyph = 0;
        FT_ULong code = FT_Get_First_Char(face_, &glyph);
        while (glyph != 0 && code <= kLastCodePoint) {
            if (!visit(static_cast<uint32_t>(code), glyph))
                return false;
            FT_ULong next = FT_Get_Next_Char(face_, code, &glyph);
            // Codes only ever grow; a map that says otherwise must not loop.
            if (next <= code)
                break;
            code = next;
        }
        return true;
    }

    // Unscaled metrics of glyph; false when it does not load.
    bool loadMetrics(FT_UInt glyph, GlyphMetrics &metrics);

    // FreeType reads a glyph as a few small frames from two or three tables,
    // each a system call when read straight from the file; small reads are
    // served from a few blocks read ahead, the least recently used replaced.
    // The record comes first: FreeType hands back its address.
    struct ReadAheadStream {
        static constexpr unsigned long kBlock = 4096;
        static constexpr unsigned kBlocks = 4;
        struct Block {
            unsigned long start;
            unsigned long length;
            unsigned long lastUse;
            unsigned char bytes[kBlock];
        };
        FT_StreamRec record;
        unsigned long reads;
        Block blocks[kBlocks];
    };

private:
    ReadAheadStream stream_{};   // outlives the face that reads it
    FT_Face face_ = nullptr;
};

} // namespace fixrd

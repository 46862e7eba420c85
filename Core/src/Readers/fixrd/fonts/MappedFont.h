// One font of a document, open for as long as the document is: its map is
// walked at load, but a glyph's metrics are loaded only when a character
// first needs them.  A whole CJK font maps tens of thousands of characters,
// of which a document uses a few hundred.
#pragma once

#include "fonts/FontFace.h"
#include "fonts/GlyphMetrics.h"
#include "fonts/GlyphTable.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace fixrd {

class MappedFont {
public:
    // FreeType's error, 0 when open.
    FT_Error open(FT_Library library, const char *path) { return face_.open(library, path); }
    uint16_t unitsPerEm() const { return face_.unitsPerEm(); }

    // Walks the map and keeps each code with its glyph; with onlyLoadable,
    // only the codes whose glyph loads.  False, keeping nothing, when more
    // than `limit` codes would be kept: each costs memory, and a few bytes of
    // map can reach every code.
    bool mapCodes(size_t limit, bool onlyLoadable);
    size_t codeCount() const { return glyphOf_.size(); }
    // The codes kept whose glyph loads; loads every glyph not yet tried.
    size_t loadableCount();

    // The metrics of code's glyph; false when the map does not reach code or
    // its glyph does not load.
    bool metricsOf(uint32_t code, GlyphMetrics &metrics);
    // Every code kept whose glyph loads, with its metrics.
    void copyAll(GlyphTable &table);

private:
    bool load(uint32_t glyph, GlyphMetrics &metrics);

    enum class Glyph : uint8_t { Untried, Loaded, Failed };
    FontFace face_;
    // Code and glyph, in the rising order of the walk, so searched by halves:
    // only a character's first lookup comes here.
    struct Mapped {
        uint32_t code;
        uint32_t glyph;
    };
    std::vector<Mapped> glyphOf_;
    // By glyph: a map may send any number of codes to one glyph, which is
    // loaded once.  Kept in pages made on first use: a CJK face declares tens
    // of thousands of glyphs, and a table of all of them, zeroed at once,
    // would cost more than the few the document uses.
    static constexpr size_t kPageGlyphs = 256;
    struct Page {
        Glyph tried[kPageGlyphs] = {};
        GlyphMetrics metrics[kPageGlyphs] = {};
    };
    std::vector<std::unique_ptr<Page>> pages_;
    bool allLoadable_ = false;
};

} // namespace fixrd

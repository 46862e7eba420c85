// The fonts of one document, keyed by the part each was found under (the
// FontUri text where no page is being read).  Each font is loaded
// once: its units per em and the metrics of every character of its map are
// copied out and the FreeType face closed again.  A font that failed stays
// failed for the rest of the document.
#pragma once

#include "fonts/GlyphMetrics.h"
#include "text/CharView.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct DocContext;
struct IOObj;

namespace fixrd {

class FontFace;

struct FontEntry {
    uint16_t unitsPerEm = 2048;
    GlyphTable glyphs;
    bool failed = false;
};

class FontCache {
public:
    using FontTable = std::map<std::string, FontEntry>;
    using FreeTypeInit = FT_Error (*)(FT_Library *);

    // The characters all fonts of one document may map together (some 80
    // MiB of metrics); a font that would go past it fails to load, and so
    // does every font after it.
    static constexpr size_t kMaxMappedCharacters = size_t{1} << 20;

    // Throws FontError "Could not initialize FreeType" when init fails.
    explicit FontCache(DocContext *owner, FreeTypeInit init = FT_Init_FreeType);
    ~FontCache();
    FontCache(const FontCache &) = delete;
    FontCache &operator=(const FontCache &) = delete;

    // The entry of fontUri, loading the font on first use.  Throws FontError
    // (then the font stays failed), or the host's and the data store's own
    // errors (then it stays absent).
    // Messages name the FontUri text, not the key.
    FontTable::iterator loadFont(const std::string &key, const std::string &fontUri);
    FontTable::iterator loadFont(const std::string &fontUri) { return loadFont(fontUri, fontUri); }
    uint16_t unitsPerEm(const std::string &key, const std::string &fontUri);
    uint16_t unitsPerEm(const std::string &fontUri) { return unitsPerEm(fontUri, fontUri); }
    // The metrics of the glyph the font maps ch to.  Throws FontError.
    GlyphMetrics glyphMetrics(const std::string &key, const std::string &fontUri, CharView ch);
    GlyphMetrics glyphMetrics(const std::string &fontUri, CharView ch) { return glyphMetrics(fontUri, fontUri, ch); }

    // The name of the part fontUri finds from the page being read, found or
    // not: the same relative FontUri on pages of two folders names two fonts.
    std::string keyOf(const std::string &fontUri) const;

    // True when fontUri was tried and failed: every lookup in it fails.
    bool hasFailed(const std::string &key) const {
        auto found = fonts_.find(key);
        return found != fonts_.end() && found->second.failed;
    }

    // Enters a font under fontUri, replacing any entry it had.
    FontTable::iterator addFont(const std::string &fontUri, FontEntry entry);

    const std::vector<IOObj *> &temporaryFiles() const { return temporaryFiles_; }

private:
    // Extracts, writes out and opens the font part of fontUri.
    void openFace(const std::string &fontUri, FontFace &face);

    FontTable fonts_;
    // The font of the run being measured, asked for once per character.
    // Entries are never erased, so the iterator stays good.
    FontTable::iterator last_ = fonts_.end();
    DocContext *owner_;
    FT_Library library_ = nullptr;
    std::vector<IOObj *> temporaryFiles_;
    size_t mappedCharacters_ = 0;
};

} // namespace fixrd

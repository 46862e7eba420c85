// The fonts of one document, keyed by the part each was found under (the
// FontUri text where no page is being read).  Each font is loaded once.  A
// font of few characters has the metrics of all of them copied out and its
// FreeType face closed again; a larger one stays open, each glyph loaded when
// a character first needs it.  A font that failed stays failed for the rest
// of the document.
#pragma once

#include "fonts/GlyphMetrics.h"
#include "fonts/GlyphTable.h"
#include "fonts/MappedFont.h"
#include "support/memory/LargeBuffer.h"
#include "text/CharView.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct DocContext;
struct IOObj;

namespace fixrd {

struct FontEntry {
    uint16_t unitsPerEm = 2048;
    // The characters looked up so far, or all of them for a closed font.
    GlyphTable glyphs;
    // The open font the others are looked up in; none for a closed one.
    std::unique_ptr<MappedFont> mapped;
    // Loaded from the package, and so counted against the document's limit.
    bool counted = false;
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
    // The same, in an entry loadFont gave, which stays valid for the cache's
    // life: a run measures every character in one font.
    GlyphMetrics glyphMetricsIn(FontEntry &entry, const std::string &fontUri, CharView ch);
    // The same without the exception, false where it would throw: a
    // character its font lacks is common, and a throw costs microseconds.
    bool findGlyphMetrics(FontEntry &entry, CharView ch, GlyphMetrics &metrics);

    // The name of the part fontUri finds from the page being read, found or
    // not: the same relative FontUri on pages of two folders names two fonts.
    std::string keyOf(const std::string &fontUri) const;

    // True when fontUri was tried and failed: every lookup in it fails.
    bool hasFailed(const std::string &key) const {
        // Asked for every run: the font of the last one is the usual answer.
        if (last_ != fonts_.end() && last_->first == key)
            return last_->second.failed;
        auto found = fonts_.find(key);
        return found != fonts_.end() && found->second.failed;
    }

    // Enters a font under fontUri, replacing any entry it had.
    FontTable::iterator addFont(const std::string &fontUri, FontEntry entry);

    const std::vector<IOObj *> &temporaryFiles() const { return temporaryFiles_; }

private:
    // Extracts, writes out and opens the font part of fontUri.
    void openFace(const std::string &fontUri, MappedFont &font);
    // Walks the map of font within what the document may still map; false
    // when it goes past it.
    bool mapWithinLimit(MappedFont &font);
    // The characters whose glyph loads in every font counted so far.
    size_t charactersMapped();

    FontTable fonts_;
    // The font of the run being measured, asked for once per character.
    // Entries are never erased, so the iterator stays good.
    FontTable::iterator last_ = fonts_.end();
    DocContext *owner_;
    FT_Library library_ = nullptr;
    std::vector<IOObj *> temporaryFiles_;
    // Where each font part is read whole to be restored, kept for the next.
    std::unique_ptr<vt::memory::LargeBuffer> fontRoom_;
    // At least the characters counted fonts map; their exact number costs
    // loading every glyph, so it is only known where the limit is near.
    size_t mappedAtMost_ = 0;
    // A font went past the limit: it is used up for the rest of the document.
    bool limitUsedUp_ = false;
    size_t openFonts_ = 0;
};

} // namespace fixrd

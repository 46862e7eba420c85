#include "fonts/FontCache.h"

#include "frame/DocContext.h"
#include "fonts/CodePoint.h"
#include "support/except/ReaderErrors.h"

#include <sstream>

namespace fixrd {

FontCache::FontCache(DocContext *owner, FreeTypeInit init) : owner_(owner) {
    if (init(&library_) != 0)
        throw FontError("Could not initialize FreeType");
}

FontCache::~FontCache() {
    // FreeType first: it may still hold the temporary files open.
    FT_Done_FreeType(library_);
    for (IOObj *file : temporaryFiles_) {
        if (file != nullptr && file->release != nullptr)
            file->release(file);
    }
}

} // namespace fixrd

namespace fixrd {

// Font loading is not wired in yet: a font not entered with addFont behaves
// as one that cannot be loaded, which costs only the geometry of its runs.
FontCache::FontTable::iterator FontCache::loadFont(const std::string &fontUri) {
    auto found = fonts_.find(fontUri);
    if (found != fonts_.end() && !found->second.failed)
        return found;
    if (found != fonts_.end())
        throw FontError("Font load previously errored for " + fontUri);
    throw FontError("Font loading is not available for " + fontUri);
}

FontCache::FontTable::iterator FontCache::addFont(const std::string &fontUri, FontEntry entry) {
    auto [position, inserted] = fonts_.try_emplace(fontUri);
    position->second = std::move(entry);
    (void)inserted;
    return position;
}

uint16_t FontCache::unitsPerEm(const std::string &fontUri) { return loadFont(fontUri)->second.unitsPerEm; }

GlyphMetrics FontCache::glyphMetrics(const std::string &fontUri, CharView character) {
    auto font = loadFont(fontUri);
    uint32_t code = codePointOf(owner_->host, character);
    const auto &glyphs = font->second.glyphs;
    auto found = glyphs.find(code);
    if (found != glyphs.end())
        return found->second;
    std::ostringstream message;
    message << "Unable to find glyph in font " << fontUri << " for" << std::hex;
    for (uint64_t i = 0; i < character.length; ++i)
        message << " 0x" << static_cast<unsigned>(static_cast<unsigned char>(character.bytes[i]));
    throw FontError(message.str());
}

} // namespace fixrd

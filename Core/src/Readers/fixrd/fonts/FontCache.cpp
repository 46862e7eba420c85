#include "fonts/FontCache.h"

#include "fonts/CodePoint.h"
#include "fonts/FontFace.h"
#include "fonts/FontPartReading.h"
#include "frame/DocContext.h"
#include "package/PartExtraction.h"
#include "package/PartNames.h"
#include "support/datastore/OwningDataStore.h"
#include "support/except/ReaderErrors.h"

#include <sstream>

namespace fixrd {

namespace {

// What a font that failed to load answers for its units per em.
constexpr uint16_t kUnitsPerEmOfFailedFont = 2048;

} // namespace

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

std::string FontCache::keyOf(const std::string &fontUri) const {
    const char *asWritten = withoutLeadingSlash(fontUri.c_str());
    if (fontUri.empty() || fontUri[0] == '/' || owner_->currentPageName.empty())
        return asWritten;
    // The same order of lookups as openFace: as written first.
    if (hasPart(owner_, asWritten))
        return asWritten;
    return resolveReference(owner_->currentPageName, fontUri);
}

FontCache::FontTable::iterator FontCache::loadFont(const std::string &key, const std::string &fontUri) {
    if (last_ != fonts_.end() && last_->first == key && !last_->second.failed)
        return last_;
    auto found = fonts_.find(key);
    if (found != fonts_.end()) {
        if (found->second.failed)
            throw FontError("Font load previously errored for " + fontUri);
        return last_ = found;
    }

    FontFace face;
    // The entry goes in whole or not at all.
    FontEntry entry;
    try {
        openFace(fontUri, face);
        entry.unitsPerEm = face.unitsPerEm();
        if (!face.metricsByCode(kMaxMappedCharacters - mappedCharacters_, entry.glyphs)) {
            // The walk that went past the limit has used it up: another
            // such font must not cost another walk.
            mappedCharacters_ = kMaxMappedCharacters;
            throw FontError("Font at " + fontUri + " maps more characters than one document may hold");
        }
    } catch (const std::runtime_error &) {
        // Only the reader's own failures are final; a host or memory failure
        // leaves the font absent, so a later use tries again.
        FontEntry failed;
        failed.unitsPerEm = kUnitsPerEmOfFailedFont;
        failed.failed = true;
        addFont(key, std::move(failed));
        throw;
    }
    mappedCharacters_ += entry.glyphs.size();
    return last_ = addFont(key, std::move(entry));
}

void FontCache::openFace(const std::string &fontUri, FontFace &face) {
    HostServices *host = owner_->host;
    IOObj *extracted = nullptr;
    const char *partName = withoutLeadingSlash(fontUri.c_str());
    int32_t status = extractPart(owner_, partName, nullptr, nullptr, &extracted);
    // Writers also name fonts relative to the page ("../Resources/..."); as
    // written no such part exists, so the name is tried resolved as well.
    if (status == 0 && extracted == nullptr && fontUri[0] != '/' && !owner_->currentPageName.empty()) {
        std::string resolved = resolveReference(owner_->currentPageName, fontUri);
        if (resolved != partName)
            status = extractPart(owner_, resolved.c_str(), nullptr, nullptr, &extracted);
    }
    // Released here until the data store has taken it over; extraction can
    // leave an object behind even when it fails.
    vt::datastore::OwnedIO part(extracted);
    if (status != 0)
        throw FontError("Couldn't extract font file for font at " + fontUri);
    if (!part)
        throw FontError("Couldn't get an IO object for font file for font at " + fontUri);
    vt::datastore::OwningDataStore store(host, part.get(), std::string(), nullptr);
    part.release();

    // Room first, so that the file cannot be lost between writing and keeping it.
    temporaryFiles_.reserve(temporaryFiles_.size() + 1);
    IOObj *file = readFontPart(store, fontUri, host).release();
    temporaryFiles_.push_back(file);

    FT_Error error = face.open(library_, file->fileName);
    if (error != 0) {
        throw FontError("Could not read font face for font at " + fontUri + " [error = " + std::to_string(error) +
                        "]");
    }
    // The store goes here, giving the package's object back.
}

FontCache::FontTable::iterator FontCache::addFont(const std::string &fontUri, FontEntry entry) {
    auto [position, inserted] = fonts_.try_emplace(fontUri);
    position->second = std::move(entry);
    (void)inserted;
    return position;
}

uint16_t FontCache::unitsPerEm(const std::string &key, const std::string &fontUri) {
    return loadFont(key, fontUri)->second.unitsPerEm;
}

GlyphMetrics FontCache::glyphMetrics(const std::string &key, const std::string &fontUri, CharView character) {
    auto font = loadFont(key, fontUri);
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

#include "fonts/FontCache.h"

#include "fonts/CodePoint.h"
#include "fonts/FontPartReading.h"
#include "frame/DocContext.h"
#include "package/PartExtraction.h"
#include "package/PartNames.h"
#include "support/datastore/OwningDataStore.h"
#include "support/except/ReaderErrors.h"

#include <algorithm>

namespace fixrd {

namespace {

// What a font that failed to load answers for its units per em.
constexpr uint16_t kUnitsPerEmOfFailedFont = 2048;

// A font that maps no more characters than this has all of them loaded at
// once and its face closed (a subset font, as most writers embed); a larger
// one is kept open.  Open fonts are so bounded by the document's limit.
constexpr size_t kCopiedCharacters = 512;
// Each open font holds a file descriptor; past this many, fonts are copied
// whole and closed whatever their size.
constexpr size_t kMostOpenFonts = 64;

} // namespace

FontCache::FontCache(DocContext *owner, FreeTypeInit init) : owner_(owner) {
    if (init(&library_) != 0)
        throw FontError("Could not initialize FreeType");
}

FontCache::~FontCache() {
    // The open faces before their library, the library before the
    // temporary files it may still hold open.
    last_ = fonts_.end();
    fonts_.clear();
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

    // The entry goes in whole or not at all.
    FontEntry entry;
    try {
        auto font = std::make_unique<MappedFont>();
        openFace(fontUri, *font);
        entry.unitsPerEm = font->unitsPerEm();
        if (!mapWithinLimit(*font)) {
            // The walk that went past the limit has used it up: another
            // such font must not cost another walk.
            limitUsedUp_ = true;
            throw FontError("Font at " + fontUri + " maps more characters than one document may hold");
        }
        mappedAtMost_ += font->codeCount();
        if (font->codeCount() <= kCopiedCharacters || openFonts_ >= kMostOpenFonts) {
            font->copyAll(entry.glyphs);
        } else {
            entry.mapped = std::move(font);
            ++openFonts_;
        }
        entry.counted = true;
    } catch (const std::runtime_error &) {
        // Only the reader's own failures are final; a host or memory failure
        // leaves the font absent, so a later use tries again.
        FontEntry failed;
        failed.unitsPerEm = kUnitsPerEmOfFailedFont;
        failed.failed = true;
        addFont(key, std::move(failed));
        throw;
    }
    return last_ = addFont(key, std::move(entry));
}

bool FontCache::mapWithinLimit(MappedFont &font) {
    // Every code the map reaches, glyphs unloaded, is enough while the
    // document is far from its limit.
    size_t room = limitUsedUp_ || mappedAtMost_ >= kMaxMappedCharacters ? 0 : kMaxMappedCharacters - mappedAtMost_;
    if (font.mapCodes(room, false))
        return true;
    // Near it, only characters whose glyph loads count, here and before.
    size_t mapped = limitUsedUp_ ? kMaxMappedCharacters : charactersMapped();
    if (!font.mapCodes(kMaxMappedCharacters - std::min(mapped, kMaxMappedCharacters), true))
        return false;
    mappedAtMost_ = mapped;
    return true;
}

size_t FontCache::charactersMapped() {
    size_t mapped = 0;
    for (auto &[key, entry] : fonts_) {
        if (entry.counted)
            mapped += entry.mapped ? entry.mapped->loadableCount() : entry.glyphs.size();
    }
    return mapped;
}

void FontCache::openFace(const std::string &fontUri, MappedFont &font) {
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
    IOObj *file = readFontPart(store, fontUri, host, fontRoom_).release();
    temporaryFiles_.push_back(file);

    FT_Error error = font.open(library_, file->fileName);
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
    return glyphMetricsIn(loadFont(key, fontUri)->second, fontUri, character);
}

bool FontCache::findGlyphMetrics(FontEntry &entry, CharView character, GlyphMetrics &metrics) {
    uint32_t code = codePointOf(owner_->host, character);
    if (const GlyphMetrics *found = entry.glyphs.find(code)) {
        metrics = *found;
        return true;
    }
    if (entry.mapped && entry.mapped->metricsOf(code, metrics)) {
        entry.glyphs.emplace(code, metrics);
        return true;
    }
    return false;
}

GlyphMetrics FontCache::glyphMetricsIn(FontEntry &entry, const std::string &fontUri, CharView character) {
    GlyphMetrics metrics;
    if (findGlyphMetrics(entry, character, metrics))
        return metrics;
    static const char kHex[] = "0123456789abcdef";
    std::string message = "Unable to find glyph in font " + fontUri + " for";
    for (uint64_t i = 0; i < character.length; ++i) {
        auto byte = static_cast<unsigned char>(character.bytes[i]);
        message += " 0x";
        if (byte >= 16)
            message += kHex[byte >> 4];
        message += kHex[byte & 15];
    }
    throw FontError(message);
}

} // namespace fixrd

#include "fonts/FontCache.h"

#include "frame/DocContext.h"
#include "support/except/ReaderErrors.h"

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

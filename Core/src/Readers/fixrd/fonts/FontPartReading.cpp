#include "fonts/FontPartReading.h"

#include "fonts/Deobfuscation.h"
#include "fonts/FontName.h"
#include "support/except/ReaderErrors.h"
#include "support/except/VantrelError.h"

#include <cstdint>

namespace fixrd {

vt::datastore::OwnedIO readFontPart(vt::datastore::MutableDataStore &part, const std::string &fontUri,
                                    HostServices *host, std::unique_ptr<vt::memory::LargeBuffer> &room) {
    // Counts cross the host boundary as signed 32-bit values; a part larger
    // than that cannot be held whole.
    uint32_t size = part.size();
    if (size > INT32_MAX)
        throw FontError("Could not read font file");
    // Not cleared: the read fills every byte, or the part is refused.
    unsigned char *data = vt::memory::roomFor(room, size);
    if (part.read(data, size) != size)
        throw FontError("Could not read font file");

    FontNameParts name = fontNameParts(fontUri);
    if (isObfuscatedFontName(name))
        deobfuscateFont(data, size, ObfuscationKey(name));

    vt::datastore::OwnedIO file(host->openIOEx != nullptr ? host->openIOEx(host, nullptr, "w", 1) : nullptr);
    if (!file)
        throw vt::except::create_tempfile_error();
    // Left open for as long as the cache lives.  A failed write is not looked
    // at here: FreeType then cannot open the file, which says what matters.
    if (file->open != nullptr)
        file->open(file.get());
    if (file->write != nullptr)
        file->write(file.get(), data, size);
    return file;
}

} // namespace fixrd

#include "fonts/Deobfuscation.h"

#include "support/except/ReaderErrors.h"

#include <algorithm>

namespace fixrd {

void deobfuscateFont(unsigned char *data, size_t size, const ObfuscationKey &key) {
    // Such a part is no font at all, and the XOR must not run past its end.
    if (size < ObfuscationKey::kLength)
        throw FontError("Did not deobfuscate font file");
    for (size_t i = 0; i < ObfuscationKey::kLength; ++i)
        data[i] ^= key[i];
    // sfnt version 1.0 and a table count below 256; a CFF font's "OTTO"
    // fails here too.
    static constexpr unsigned char kTrueTypeHeader[] = {0x00, 0x01, 0x00, 0x00, 0x00};
    if (!std::equal(std::begin(kTrueTypeHeader), std::end(kTrueTypeHeader), data))
        throw FontError("Did not deobfuscate font file");
}

} // namespace fixrd

// Restoring the obfuscated start of an embedded font.
#pragma once

#include "fonts/ObfuscationKey.h"

#include <cstddef>

namespace fixrd {

// XORs bytes 0 to 31 of the font with the key and requires a TrueType
// header (00 01 00 00 00) afterwards.  A font shorter than the key is left
// as it was.  Throws FontError "Did not deobfuscate font file".
void deobfuscateFont(unsigned char *data, size_t size, const ObfuscationKey &key);

} // namespace fixrd

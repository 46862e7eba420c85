// The 256-entry byte map of Expat's XML_Encoding: for each byte, the scalar
// it stands for (>= 0), the length of the sequence it leads as -2 to -4, or
// -1 when no character starts with it.
#pragma once

#include "CharacterDecoder.h"
#include "EncodingCatalog.h"

namespace mkparse {

using ByteMap = int[256];

// Fills `map` by asking `decoder` about each byte on its own.  False when the
// encoding breaks what Expat requires of a map: every ASCII character that
// markup uses must be that same single byte, and every single byte must stand
// for a character of the Basic Multilingual Plane.
bool buildByteMap(CharacterDecoder &decoder, SequenceRule rule, ByteMap &map);

} // namespace mkparse

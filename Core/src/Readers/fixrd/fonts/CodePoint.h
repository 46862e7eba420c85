// The Unicode code point of one UTF-8 character, through the host's
// character-set conversion.
#pragma once

#include "text/CharView.h"

#include <cstdint>

struct HostServices;

namespace fixrd {

// Converts the character from UTF-8 (53) into the host's four-byte
// big-endian form (100) and reads the first four bytes.  0 when the
// conversion gives nothing or the host has no memory.  The host's target
// character set and conversion flag are restored before returning.
uint32_t codePointOf(HostServices *host, CharView character);

} // namespace fixrd

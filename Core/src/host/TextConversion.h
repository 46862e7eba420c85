// HostServices::convertText on iconv.  Character sets are named by the
// host's numbers (53 UTF-8, 52 UTF-16, 7 windows-1252, 100 UCS-4 big-endian...).
#pragma once

#include "frame/HostInterfaces.h"

#include <cstdint>
#include <string>

namespace fixrd::host {

// The iconv name of a host character set number, or null when unknown.
const char *iconvNameOf(uint32_t charset);

// Converts input from `from` into `to`.  Bytes that cannot be converted
// become `replacement` (written in the target set).  False when either set is
// unknown.
bool convertCharset(uint32_t from, uint32_t to, const void *input, size_t length, char replacement,
                    std::string &output);

// The callback at HostServices position 100: converts into host->targetCharset.
int convertText(HostServices *host, uint32_t fromCharset, ConvertedText *input, ConvertedText *output,
                char replacement);

} // namespace fixrd::host

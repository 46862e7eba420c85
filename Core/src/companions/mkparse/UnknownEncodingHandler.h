// Expat's unknown-encoding handler.  Single-byte encodings are described by
// their byte map alone; multi-byte ones also get a per-parser decoder that
// Expat hands back to convertSequence and frees through release.
#pragma once

#include <expat.h>

namespace mkparse {

// Expat's XML_UnknownEncodingHandler.  `data` (the reader's context) is not
// used.  Returns 1 with `info` filled, or 0 with nothing for Expat to release.
int XMLCALL handleUnknownEncoding(void *data, const XML_Char *name, XML_Encoding *info);

// Whether handleUnknownEncoding would accept `name`.
bool isEncodingSupported(const char *name);

} // namespace mkparse

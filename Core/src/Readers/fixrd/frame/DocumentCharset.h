// The document's character set, sniffed from the XML declaration of
// [Content_Types].xml, as a number of the host's numbering (7 when unknown).
#pragma once

#include <cstddef>
#include <cstdint>

struct DocContext;

namespace fixrd {

// Table position 9.  Determined once per context; later calls return it.
uint32_t getDocumentCharset(DocContext *context, void *unused);

// 0 when value begins with name (ASCII case folded), non-zero otherwise.
int matchCharsetName(const char *value, const char *name, size_t nameLength);

} // namespace fixrd

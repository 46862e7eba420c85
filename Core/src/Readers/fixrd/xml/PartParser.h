// The one way every markup part is parsed: a namespace-aware Expat parser fed
// from the part's file in 1024-byte blocks, with a handler set per part kind.
#pragma once

#include <cstdint>
#include <cstdio>

struct DocContext;

namespace fixrd {

enum class PartKind { ContentTypes, Sequence, Document, Page };

// 0 when parsed (also when the markup is in error: what came before the error
// counts), 6 when the part has no file, the file cannot be opened or no parser
// can be made.  For pages a runtime error raised by a handler ends the page
// with 6; every other exception passes on, after the parser and file are freed.
int32_t parsePartXml(DocContext *context, PartKind kind);

// Moves the file position to the first '<' among the first ten bytes (or to
// 10), dropping a byte-order mark or other lead-in.
void skipToFirstAngle(std::FILE *file);

} // namespace fixrd

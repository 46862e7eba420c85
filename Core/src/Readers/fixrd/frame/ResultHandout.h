// xpsFillBuffer: the first call walks every page, each call hands out one chunk.
#pragma once

#include <cstdint>

struct DocContext;

namespace fixrd {

uint32_t fillBuffer(DocContext *context, void *buffer, uint32_t *byteCount, uint32_t *completion);

} // namespace fixrd

// The growing list of output chunks that holds the document's records until
// the host pulls them, one chunk per xpsFillBuffer call.
#pragma once

#include <cstdint>

struct DocContext;

namespace fixrd {

// Creates the array of 10 entries and the first chunk: 0, or 2 when the host
// refuses memory.
int32_t initOutputChunks(DocContext *context);

// Makes sure the current chunk can take one more record (at most 1032 bytes):
// moves on to a fresh chunk once the current one has reached its threshold.
// 0, or 2 when the host refuses memory; then nothing may be written.
int32_t ensureChunkRoom(DocContext *context);

// Copies chunk `next` into buffer, empties it and reports 50 while chunks
// remain, 100 with the last one (and on every call after it).
void handOutChunk(DocContext *context, void *buffer, uint32_t *byteCount, uint32_t *completion);

// Gives back every remaining chunk and the array.
void releaseOutputChunks(DocContext *context);

} // namespace fixrd

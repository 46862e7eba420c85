#include "text/OutputRecords.h"

#include "frame/DocContext.h"
#include "frame/OutputChunks.h"

#include <cstring>

namespace fixrd {

namespace {

uint8_t *putUint32(uint8_t *at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
    at[2] = static_cast<uint8_t>(value >> 16);
    at[3] = static_cast<uint8_t>(value >> 24);
    return at + 4;
}

} // namespace

int32_t writeTextRecord(DocContext *context, const char *text, size_t length) {
    int32_t status = ensureChunkRoom(context);
    if (status != 0)
        return status;
    OutputChunk &chunk = context->chunks[context->currentChunk];
    uint8_t *at = chunk.write;
    *at++ = static_cast<uint8_t>(OutputRecordType::Text);
    at = putUint32(at, static_cast<uint32_t>(kTextRecordHeader + length));
    at = putUint32(at, static_cast<uint32_t>(length));
    std::memcpy(at, text, length);
    chunk.write = at + length;
    return 0;
}

int32_t writeLineBreakRecord(DocContext *context) {
    int32_t status = ensureChunkRoom(context);
    if (status != 0)
        return status;
    OutputChunk &chunk = context->chunks[context->currentChunk];
    uint8_t *at = chunk.write;
    *at++ = static_cast<uint8_t>(OutputRecordType::LineBreak);
    chunk.write = putUint32(at, static_cast<uint32_t>(kLineBreakRecordSize));
    return 0;
}

int32_t writeSpaceRecord(DocContext *context) { return writeTextRecord(context, " ", 1); }

} // namespace fixrd

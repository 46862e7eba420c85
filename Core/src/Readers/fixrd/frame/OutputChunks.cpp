#include "frame/OutputChunks.h"

#include "frame/DocContext.h"

#include <cstring>
#include <limits>

namespace fixrd {

namespace {

// Byte size of `entries` chunk entries, or a size the host must refuse when
// it does not fit a signed 32-bit value.
int64_t entryArrayBytes(int64_t entries) {
    int64_t bytes = entries * static_cast<int64_t>(sizeof(OutputChunk));
    if (bytes > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::min();
    return bytes;
}

bool startChunk(DocContext *context, OutputChunk &chunk) {
    auto *buffer = static_cast<uint8_t *>(hostAlloc(context, kChunkBufferSize));
    if (buffer == nullptr)
        return false;
    std::memset(buffer, 0, kChunkBufferSize);
    chunk.start = chunk.write = buffer;
    chunk.threshold = buffer + kChunkThreshold;
    return true;
}

} // namespace

int32_t initOutputChunks(DocContext *context) {
    auto *array = static_cast<OutputChunk *>(hostAlloc(context, entryArrayBytes(kChunkGrowStep)));
    if (array == nullptr)
        return 2;
    std::memset(array, 0, sizeof(OutputChunk) * kChunkGrowStep);
    context->chunks = array;
    context->chunkCapacity = kChunkGrowStep;
    if (!startChunk(context, array[0]))
        return 2;
    context->nextChunk = 0;
    context->currentChunk = 0;
    return 0;
}

int32_t ensureChunkRoom(DocContext *context) {
    OutputChunk &current = context->chunks[context->currentChunk];
    if (current.write < current.threshold)
        return 0;

    int32_t index = context->currentChunk + 1;
    if (index == context->chunkCapacity) {
        int64_t capacity = static_cast<int64_t>(context->chunkCapacity) + kChunkGrowStep;
        auto *grown = static_cast<OutputChunk *>(
            hostRealloc(context, context->chunks, entryArrayBytes(capacity)));
        if (grown == nullptr)
            return 2;
        std::memset(grown + context->chunkCapacity, 0, sizeof(OutputChunk) * kChunkGrowStep);
        context->chunks = grown;
        context->chunkCapacity = static_cast<int32_t>(capacity);
    }
    if (!startChunk(context, context->chunks[index]))
        return 2;
    context->currentChunk = index;
    return 0;
}

void handOutChunk(DocContext *context, void *buffer, uint32_t *byteCount, uint32_t *completion) {
    OutputChunk &chunk = context->chunks[context->nextChunk];
    auto length = static_cast<int32_t>(chunk.write - chunk.start);
    if (length > 0)
        std::memcpy(buffer, chunk.start, static_cast<size_t>(length));
    *byteCount = static_cast<uint32_t>(length);
    if (chunk.start != nullptr)
        hostFree(context, chunk.start);
    chunk = OutputChunk{nullptr, nullptr, nullptr};

    if (context->nextChunk < context->currentChunk) {
        *completion = 50;
        context->nextChunk += 1;
    } else {
        *completion = 100;
    }
}

void releaseOutputChunks(DocContext *context) {
    if (context->chunks == nullptr)
        return;
    for (int32_t i = 0; i < context->chunkCapacity; ++i) {
        if (context->chunks[i].start != nullptr)
            hostFree(context, context->chunks[i].start);
        context->chunks[i] = OutputChunk{nullptr, nullptr, nullptr};
    }
    hostFree(context, context->chunks);
    context->chunks = nullptr;
}

} // namespace fixrd

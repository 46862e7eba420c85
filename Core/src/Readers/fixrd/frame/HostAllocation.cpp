#include "frame/DocContext.h"

#include <cstring>

namespace fixrd {

void *hostAlloc(DocContext *context, int64_t size) {
    HostMemory *memory = &context->host->memory;
    return memory->alloc(memory, size);
}

void *hostRealloc(DocContext *context, void *block, int64_t size) {
    HostMemory *memory = &context->host->memory;
    return memory->realloc(memory, block, size);
}

void hostFree(DocContext *context, void *block) {
    HostMemory *memory = &context->host->memory;
    memory->free(memory, block);
}

char *hostCopyString(DocContext *context, const char *text, size_t length) {
    char *copy = static_cast<char *>(hostAlloc(context, static_cast<int64_t>(length) + 1));
    if (copy == nullptr)
        return nullptr;
    std::memcpy(copy, text, length);
    copy[length] = '\0';
    return copy;
}

} // namespace fixrd

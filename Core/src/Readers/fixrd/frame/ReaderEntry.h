// The module's exported entry points.
#pragma once

#include "frame/HostInterfaces.h"

#define FIXRD_EXPORT __attribute__((visibility("default")))

extern "C" {
FIXRD_EXPORT void xpsGetReaderInterface(ReaderInterface *table);
FIXRD_EXPORT DocContext *xpsAllocateContext(void *, void *, void *, HostServices *host);
FIXRD_EXPORT int32_t xpsFreeContext(DocContext *context);
FIXRD_EXPORT uint32_t xpsInitDoc(DocContext *context, void *, void *, void *input);
FIXRD_EXPORT uint32_t xpsFillBuffer(DocContext *context, void *buffer, uint32_t *byteCount,
                                    uint32_t *completion);
}

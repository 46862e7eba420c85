#include "frame/ReaderEntry.h"

#include "frame/ContextLifecycle.h"
#include "frame/DocumentCharset.h"
#include "frame/DocumentOpen.h"
#include "frame/ResultHandout.h"

extern "C" {

void xpsGetReaderInterface(ReaderInterface *table) {
    table->allocateContext = xpsAllocateContext;
    table->freeContext = xpsFreeContext;
    table->initDoc = xpsInitDoc;
    table->fillBuffer = xpsFillBuffer;
    table->getDocumentCharset = fixrd::getDocumentCharset;
}

DocContext *xpsAllocateContext(void *, void *, void *, HostServices *host) {
    return fixrd::createContext(host);
}

int32_t xpsFreeContext(DocContext *context) {
    fixrd::destroyContext(context);
    return 0;
}

uint32_t xpsInitDoc(DocContext *context, void *, void *, void *input) {
    return fixrd::openDocument(context, input);
}

uint32_t xpsFillBuffer(DocContext *context, void *buffer, uint32_t *byteCount, uint32_t *completion) {
    return fixrd::fillBuffer(context, buffer, byteCount, completion);
}

} // extern "C"

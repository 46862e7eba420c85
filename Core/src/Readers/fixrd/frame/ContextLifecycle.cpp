#include "frame/ContextLifecycle.h"

#include "frame/DocContext.h"
#include "frame/OutputChunks.h"

#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>

namespace fixrd {

namespace {

void releaseIO(IOObj *&io) {
    if (io != nullptr)
        io->release(io);
    io = nullptr;
}

void releaseHostString(DocContext *context, char *&text) {
    if (text != nullptr)
        hostFree(context, text);
    text = nullptr;
}

} // namespace

DocContext *createContext(HostServices *host, FontCache::FreeTypeInit init) {
    std::unique_ptr<DocContext> context(new (std::nothrow) DocContext);
    if (!context)
        return nullptr;
    context->host = host;

    context->workingBlock = hostAlloc(context.get(), kWorkingBlockSize);
    if (context->workingBlock == nullptr)
        throw std::runtime_error("memory");
    std::memset(context->workingBlock, 0, kWorkingBlockSize);

    try {
        context->fonts = new (std::nothrow) FontCache(context.get(), init);
        if (context->fonts == nullptr)
            throw std::runtime_error("Memory");
    } catch (...) {
        hostFree(context.get(), context->workingBlock);
        throw;
    }
    return context.release();
}

void destroyContext(DocContext *context) {
    if (context == nullptr)
        return;
    releaseIO(context->sequenceIO);
    releaseIO(context->documentIO);
    releaseIO(context->contentTypesIO);
    releaseIO(context->pageIO);

    if (context->pageNames != nullptr) {
        for (int32_t i = 0; i < context->pageCount; ++i)
            releaseHostString(context, context->pageNames[i]);
        hostFree(context, context->pageNames);
        context->pageNames = nullptr;
    }
    releaseHostString(context, context->documentPartName);
    releaseHostString(context, context->sequencePartName);

    if (context->containerHandle != nullptr)
        context->container.close(context->containerHandle);
    context->containerHandle = nullptr;
    if (context->containerLibrary != nullptr)
        context->host->freeLibrary(context->host, context->containerLibrary);
    context->containerLibrary = nullptr;
    if (context->xmlLibrary != nullptr)
        context->host->freeLibrary(context->host, context->xmlLibrary);
    context->xmlLibrary = nullptr;

    releaseOutputChunks(context);
    hostFree(context, context->workingBlock);
    context->workingBlock = nullptr;

    delete context->previousOrigin;
    context->previousOrigin = nullptr;
    delete context->fonts;
    context->fonts = nullptr;
    delete context;
}

} // namespace fixrd

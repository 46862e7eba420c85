#include "ReferenceHost.h"

#include "TextConversion.h"

namespace fixrd::host {

namespace {

// The module hands the memory callbacks the sub-record; its first word, which
// the module never reads, leads back to the host.
ReferenceHost *hostOfMemory(HostMemory *memory) { return static_cast<ReferenceHost *>(memory->hostReserved); }

void *memoryAlloc(HostMemory *memory, int64_t size) { return hostOfMemory(memory)->memory().allocate(size); }

void memoryFree(HostMemory *memory, void *block) { hostOfMemory(memory)->memory().release(block); }

void *memoryRealloc(HostMemory *memory, void *block, int64_t size) {
    return hostOfMemory(memory)->memory().reallocate(block, size);
}

int loadLibrary(HostServices *services, const char *name, void **handle) {
    void *loaded = ReferenceHost::of(services)->libraries().load(name);
    if (loaded == nullptr)
        return 0;
    *handle = loaded;
    return 1;
}

void *getEntryPoint(HostServices *services, void *handle, const char *symbol) {
    return ReferenceHost::of(services)->libraries().entryPoint(handle, symbol);
}

void freeLibrary(HostServices *services, void *handle) { ReferenceHost::of(services)->libraries().unload(handle); }

IOObj *openIO(HostServices *services, const char *name, const char *mode) {
    return ReferenceHost::of(services)->files().open(name, mode);
}

IOObj *openIOEx(HostServices *services, const char *name, const char *mode, uint32_t) {
    return ReferenceHost::of(services)->files().open(name, mode);
}

IOObj *deriveIO(HostServices *services, IOObj *io) { return ReferenceHost::of(services)->files().derive(io); }

} // namespace

ReferenceHost::ReferenceHost(std::string libraryDirectory) : libraries_(std::move(libraryDirectory)) {
    services_.hostReserved0[0] = this;
    services_.loadLibrary = loadLibrary;
    services_.getEntryPoint = getEntryPoint;
    services_.freeLibrary = freeLibrary;
    services_.openIO = openIO;
    services_.openIOEx = openIOEx;
    services_.deriveIO = deriveIO;
    services_.memory.hostReserved = this;
    services_.memory.alloc = memoryAlloc;
    services_.memory.free = memoryFree;
    services_.memory.realloc = memoryRealloc;
    services_.convertText = convertText;
    services_.targetCharset = HOST_CHARSET_UTF8;
}

ReferenceHost *ReferenceHost::of(HostServices *services) {
    return static_cast<ReferenceHost *>(services->hostReserved0[0]);
}

} // namespace fixrd::host

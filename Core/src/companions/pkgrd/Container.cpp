#include "Container.h"

#include "PkgrdStatus.h"
#include "PkgrdTable.h"

#include <libdeflate.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <sys/stat.h>

namespace pkgrd {

namespace {

void *obtainRecord(HostServices *host, HostMemory *&memory) {
    memory = nullptr;
    if (host != nullptr && host->memory.alloc != nullptr && host->memory.free != nullptr) {
        memory = &host->memory;
        return memory->alloc(memory, static_cast<int64_t>(sizeof(Container)));
    }
    return std::malloc(sizeof(Container));
}

void releaseRecord(void *record, HostMemory *memory) {
    if (memory != nullptr)
        memory->free(memory, record);
    else
        std::free(record);
}

// libzip opens a 0-byte file as an empty archive; it is not a package.
bool isNonEmptyFile(const char *path) {
    struct stat info {};
    return ::stat(path, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0;
}

} // namespace

Container *openContainer(const IOObj *input, HostServices *host) {
    if (input == nullptr || input->fileName == nullptr || !isNonEmptyFile(input->fileName))
        return nullptr;
    // No ZIP_CHECKCONS: real packages often disagree slightly between local
    // and central headers, and every entry is checked as it is read.
    int error = 0;
    zip_t *zip = zip_open(input->fileName, ZIP_RDONLY, &error);
    if (zip == nullptr)
        return nullptr;
    zip_int64_t count = zip_get_num_entries(zip, 0);
    HostMemory *memory = nullptr;
    void *record = count >= 0 ? obtainRecord(host, memory) : nullptr;
    if (record == nullptr) {
        zip_discard(zip);
        return nullptr;
    }
    auto *container = new (record) Container;
    container->zip = zip;
    container->entryCount = count > INT32_MAX ? INT32_MAX : static_cast<int32_t>(count);
    container->entrySizeLimit = PKGRD_DEFAULT_ENTRY_SIZE_LIMIT;
    container->totalSizeLimit = PKGRD_DEFAULT_TOTAL_SIZE_LIMIT;
    container->memory = memory;
    return container;
}

void closeContainer(Container *container) {
    if (container == nullptr)
        return;
    // Read-only: nothing to write back, so discard rather than close.
    zip_discard(container->zip);
    if (container->inflater != nullptr)
        libdeflate_free_decompressor(container->inflater);
    HostMemory *memory = container->memory;
    container->~Container();
    releaseRecord(container, memory);
}

int32_t describeEntry(Container &container, int32_t index, EntryInfo &info) {
    if (index < 0 || index >= container.entryCount)
        return PKGRD_BAD_ARGUMENT;
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(container.zip, static_cast<zip_uint64_t>(index), ZIP_FL_ENC_RAW, &stat) != 0)
        return PKGRD_ENTRY_UNREADABLE;
    const char *name = zip_get_name(container.zip, static_cast<zip_uint64_t>(index), ZIP_FL_ENC_RAW);
    if (name == nullptr)
        return PKGRD_ENTRY_UNREADABLE;
    std::memset(&info, 0, sizeof info);
    size_t length = std::strlen(name);
    if (length > sizeof info.name - 1)
        length = sizeof info.name - 1;
    std::memcpy(info.name, name, length);
    zip_uint64_t size = (stat.valid & ZIP_STAT_SIZE) != 0 ? stat.size : 0;
    info.size = size > INT32_MAX ? INT32_MAX : static_cast<int32_t>(size);
    return PKGRD_OK;
}

} // namespace pkgrd

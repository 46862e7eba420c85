// The C boundary: the table the reader asks for, and thin functions that
// check their arguments and hand over to the container code.
#include "Container.h"
#include "EntrySinks.h"
#include "PkgrdStatus.h"
#include "PkgrdTable.h"
#include "StatusText.h"


namespace pkgrd {

namespace {

Container *containerOf(void *handle) { return static_cast<Container *>(handle); }

void *openPackage(void *input, HostServices *host, int32_t /*flags: none defined*/) {
    return openContainer(static_cast<const IOObj *>(input), host);
}

void closePackage(void *container) { closeContainer(containerOf(container)); }

int32_t entryCount(void *container) { return container != nullptr ? containerOf(container)->entryCount : 0; }

int32_t entryInfo(void *container, int32_t index, EntryInfo *info) {
    if (container == nullptr || info == nullptr)
        return PKGRD_BAD_ARGUMENT;
    return describeEntry(*containerOf(container), index, *info);
}

int32_t extractEntry(void *container, int32_t index, IOObj *target) {
    if (container == nullptr || target == nullptr || target->open == nullptr || target->write == nullptr)
        return PKGRD_BAD_ARGUMENT;
    ObjectSink sink(*target);
    return streamEntry(*containerOf(container), index, sink);
}

// On failure nothing counts as delivered: the buffer may hold part of the entry.
int32_t readEntry(void *container, int32_t index, void *buffer, int32_t size, int32_t *delivered) {
    if (delivered != nullptr)
        *delivered = 0;
    if (container == nullptr || delivered == nullptr || size < 0 || (buffer == nullptr && size > 0))
        return PKGRD_BAD_ARGUMENT;
    BufferSink sink(buffer, static_cast<uint64_t>(size));
    int32_t status = streamEntry(*containerOf(container), index, sink);
    if (status == PKGRD_OK)
        *delivered = static_cast<int32_t>(sink.delivered());
    return status;
}

int32_t setEntrySizeLimit(void *container, int64_t limit) {
    if (container == nullptr || limit < 0)
        return PKGRD_BAD_ARGUMENT;
    containerOf(container)->entrySizeLimit = limit;
    return PKGRD_OK;
}

int32_t setTotalSizeLimit(void *container, int64_t limit) {
    if (container == nullptr || limit < 0)
        return PKGRD_BAD_ARGUMENT;
    containerOf(container)->totalSizeLimit = limit;
    return PKGRD_OK;
}

const char *describe(int32_t status) { return describeStatus(status); }

} // namespace

} // namespace pkgrd

extern "C" __attribute__((visibility("default"))) void pkgrdGetContainerReaderInterface(ContainerReader *table) {
    if (table == nullptr)
        return;
    PkgrdSetEntrySizeLimitFn setLimit = pkgrd::setEntrySizeLimit;
    PkgrdDescribeStatusFn describe = pkgrd::describe;
    PkgrdSetTotalSizeLimitFn setTotal = pkgrd::setTotalSizeLimit;
    *table = ContainerReader{};
    table->open = pkgrd::openPackage;
    table->close = pkgrd::closePackage;
    table->entryInfo = pkgrd::entryInfo;
    table->extractEntry = pkgrd::extractEntry;
    table->entryCount = pkgrd::entryCount;
    table->companionReserved[PKGRD_TABLE_SET_ENTRY_SIZE_LIMIT - 5] = reinterpret_cast<void *>(setLimit);
    table->companionReserved[PKGRD_TABLE_DESCRIBE_STATUS - 5] = reinterpret_cast<void *>(describe);
    table->companionReserved[PKGRD_TABLE_SET_TOTAL_SIZE_LIMIT - 5] = reinterpret_cast<void *>(setTotal);
    table->readEntry = pkgrd::readEntry;
}

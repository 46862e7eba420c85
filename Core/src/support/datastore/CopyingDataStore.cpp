#include "support/datastore/CopyingDataStore.h"

#include "support/datastore/DataStoreView.h"

#include <utility>

namespace vt::datastore {

namespace {

constexpr const char *copyMode = "wb";
constexpr uint32_t copyFlag = 1;

} // namespace

CopyingDataStore::CopyingDataStore(HostServices *host, IOObj *io, std::string name, const void *descriptor)
    : MutableDataStore(host, std::move(name), descriptor) {
    uint32_t position = currentPosition(checkedSource(io));
    DataStoreView source(host, io);
    OwnedIO copy = attachCopyOf(source);
    seek(position, 0);
    copy.release();
}

CopyingDataStore::CopyingDataStore(HostServices *host, DuplicateTag, IOObj *io, std::string name,
                                   const void *descriptor)
    : MutableDataStore(host, std::move(name), descriptor) {
    uint32_t position = currentPosition(checkedSource(io));
    OwnedIO duplicate = duplicateIO(host, io);
    DataStoreView source(host, duplicate.get());
    OwnedIO copy = attachCopyOf(source);
    seek(position, 0);
    copy.release();
}

CopyingDataStore::CopyingDataStore(HostServices *host, const std::string &path, std::string name,
                                   const void *descriptor)
    : MutableDataStore(host, std::move(name), descriptor) {
    DataStoreView source(host, path);
    OwnedIO copy = attachCopyOf(source);
    seekEnd();
    copy.release();
}

CopyingDataStore::~CopyingDataStore() { releaseQuietly(io()); }

OwnedIO CopyingDataStore::attachCopyOf(MutableDataStore &source) {
    OwnedIO copy = temporaryIO(host(), copyMode, copyFlag);
    attach(copy.get());
    source.copyInto(this);
    return copy;
}

} // namespace vt::datastore

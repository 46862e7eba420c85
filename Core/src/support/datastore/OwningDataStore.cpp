#include "support/datastore/OwningDataStore.h"

#include <utility>

namespace vt::datastore {

OwningDataStore::OwningDataStore(HostServices *host, IOObj *io, std::string name, const void *descriptor)
    : MutableDataStore(host, io, std::move(name), descriptor) {}

OwningDataStore::OwningDataStore(HostServices *host, DuplicateTag, IOObj *io, std::string name,
                                 const void *descriptor)
    : MutableDataStore(host, std::move(name), descriptor) {
    OwnedIO duplicate = attachDuplicate(io);
    source_ = io;
    duplicate.release();
}

OwningDataStore::OwningDataStore(HostServices *host, const std::string &path, std::string name,
                                 const void *descriptor)
    : MutableDataStore(host, std::move(name), descriptor) {
    OwnedIO file = pathIOEx(host, path.c_str(), "a+", 1);
    attach(file.get());
    seekEnd();
    file.release();
}

OwningDataStore::~OwningDataStore() {
    releaseQuietly(io());
    releaseQuietly(source_);
}

} // namespace vt::datastore

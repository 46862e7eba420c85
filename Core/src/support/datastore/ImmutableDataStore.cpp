#include "support/datastore/ImmutableDataStore.h"

#include "support/datastore/DataStoreView.h"

#include <cstdio>
#include <stdexcept>
#include <utility>

namespace vt::datastore {

namespace {

constexpr const char *snapshotMode = "wb";
constexpr uint32_t snapshotFlag = 0;

DataStoreBase &checkedInput(DataStoreBase *input) {
    if (input == nullptr)
        throw std::invalid_argument("pInput");
    return *input;
}

} // namespace

ImmutableDataStore::ImmutableDataStore(HostServices *host, IOObj *io, std::string name, const void *descriptor)
    : DataStoreBase(host, std::move(name), descriptor) {
    DataStoreView source(host, io);
    snapshot(source);
}

ImmutableDataStore::ImmutableDataStore(HostServices *host, DuplicateTag, IOObj *io, std::string name,
                                       const void *descriptor)
    : DataStoreBase(host, std::move(name), descriptor) {
    DataStoreView source(host, duplicateOf, io);
    snapshot(source);
}

ImmutableDataStore::ImmutableDataStore(HostServices *host, const std::string &path, std::string name,
                                       const void *descriptor)
    : DataStoreBase(host, std::move(name), descriptor) {
    DataStoreView source(host, path);
    snapshot(source);
}

ImmutableDataStore::ImmutableDataStore(DataStoreBase *input)
    : DataStoreBase(checkedInput(input).host(), checkedInput(input).name(), checkedInput(input).typeName(),
                    checkedInput(input).recordedSize()) {
    snapshot(*input);
}

ImmutableDataStore::~ImmutableDataStore() {
    releaseQuietly(snapshot_);
    // For hosts that leave a released temporary file on disk.
    if (!path_.empty())
        std::remove(path_.c_str());
}

void ImmutableDataStore::copyInto(MutableDataStore *target) {
    DataStoreView source(host(), snapshot_);
    source.copyInto(target);
}

void ImmutableDataStore::snapshot(DataStoreBase &source) {
    OwnedIO temporary = temporaryIO(host(), snapshotMode, snapshotFlag);
    DataStoreView target(host(), temporary.get());
    source.copyInto(&target);
    setRecordedSize(target.size());
    path_ = temporary->fileName != nullptr ? temporary->fileName : "";
    snapshot_ = temporary.release();
}

} // namespace vt::datastore

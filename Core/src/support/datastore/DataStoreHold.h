// Keeps a mutable store open across several operations: while any hold is
// taken, leave() does not close the store's IO object.  Releasing the last
// hold saves the position and closes it.
#pragma once

#include "support/datastore/MutableDataStore.h"

namespace vt::datastore {

class DataStoreHold {
public:
    // Throws std::invalid_argument "pDataStore" when store is null.
    explicit DataStoreHold(MutableDataStore *store);
    // Releases the hold if release() was not called; never throws.
    ~DataStoreHold();
    DataStoreHold(const DataStoreHold &) = delete;
    DataStoreHold &operator=(const DataStoreHold &) = delete;

    // Releases the hold; a failure to close the store is reported.
    void release();

private:
    MutableDataStore *store_;
};

} // namespace vt::datastore

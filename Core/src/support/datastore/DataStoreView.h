// A mutable store over an IO object that it borrows, or over a duplicate or
// a file that it opens itself and then releases.  It is also the one store
// that copies by reading its IO object directly; the others copy through a
// view over theirs.
#pragma once

#include "support/datastore/MutableDataStore.h"

namespace vt::datastore {

class DataStoreView : public MutableDataStore {
public:
    // Borrows io; the caller keeps it.
    DataStoreView(HostServices *host, IOObj *io, std::string name = {}, const void *descriptor = nullptr);
    // Over a duplicate of io that stands where io stands; io is borrowed.
    DataStoreView(HostServices *host, DuplicateTag, IOObj *io, std::string name = {},
                  const void *descriptor = nullptr);
    // Over the file at path, opened for appending (created when missing),
    // positioned at its end.
    DataStoreView(HostServices *host, const std::string &path, std::string name = {},
                  const void *descriptor = nullptr);
    ~DataStoreView() override;

    void copyInto(MutableDataStore *target) override;

private:
    bool owns_ = false;
};

} // namespace vt::datastore

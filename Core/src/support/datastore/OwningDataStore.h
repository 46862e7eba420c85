// A mutable store that owns its IO object and releases it when destroyed.
// The font loader wraps each extracted part in one.
#pragma once

#include "support/datastore/MutableDataStore.h"

namespace vt::datastore {

class OwningDataStore : public MutableDataStore {
public:
    // Takes over io once constructed; if construction throws, the caller
    // still owns it.
    OwningDataStore(HostServices *host, IOObj *io, std::string name = {}, const void *descriptor = nullptr);
    // Over a duplicate of io that stands where io stands; owns both.
    OwningDataStore(HostServices *host, DuplicateTag, IOObj *io, std::string name = {},
                    const void *descriptor = nullptr);
    // Over the file at path, opened for appending (created when missing),
    // positioned at its end.
    OwningDataStore(HostServices *host, const std::string &path, std::string name = {},
                    const void *descriptor = nullptr);
    ~OwningDataStore() override;

private:
    // The record a duplicate was made from; null otherwise.
    IOObj *source_ = nullptr;
};

} // namespace vt::datastore

// A snapshot: the content of its source at construction, kept in a private
// temporary file.  It can only be copied out.
#pragma once

#include "support/datastore/DataStoreBase.h"

namespace vt::datastore {

class ImmutableDataStore : public DataStoreBase {
public:
    ImmutableDataStore(HostServices *host, IOObj *io, std::string name = {}, const void *descriptor = nullptr);
    // Reads through a duplicate, so io is never opened for the snapshot.
    ImmutableDataStore(HostServices *host, DuplicateTag, IOObj *io, std::string name = {},
                       const void *descriptor = nullptr);
    ImmutableDataStore(HostServices *host, const std::string &path, std::string name = {},
                       const void *descriptor = nullptr);
    // Takes over input's host, name and type name.  Throws
    // std::invalid_argument "pInput" when input is null.
    explicit ImmutableDataStore(DataStoreBase *input);
    ~ImmutableDataStore() override;

    void copyInto(MutableDataStore *target) override;

    // The temporary file that holds the snapshot.
    const std::string &path() const { return path_; }

private:
    void snapshot(DataStoreBase &source);

    std::string path_;
    // Kept until destruction: hosts may delete a temporary file as soon as
    // its record is released.
    IOObj *snapshot_ = nullptr;
};

} // namespace vt::datastore

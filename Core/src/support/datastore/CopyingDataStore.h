// A mutable store over a private temporary copy of its source, so reads
// and writes never touch the source itself.
#pragma once

#include "support/datastore/MutableDataStore.h"

namespace vt::datastore {

class CopyingDataStore : public MutableDataStore {
public:
    // Copies io (borrowed) and stands where io stands.
    CopyingDataStore(HostServices *host, IOObj *io, std::string name = {}, const void *descriptor = nullptr);
    // The same, reading through a duplicate so io is never opened for the copy.
    CopyingDataStore(HostServices *host, DuplicateTag, IOObj *io, std::string name = {},
                     const void *descriptor = nullptr);
    // Copies the file at path and stands at the end of the copy.
    CopyingDataStore(HostServices *host, const std::string &path, std::string name = {},
                     const void *descriptor = nullptr);
    ~CopyingDataStore() override;

private:
    // Makes the temporary file, attaches it and copies source into it.  The
    // handle releases the copy unless the constructor completes.
    OwnedIO attachCopyOf(MutableDataStore &source);
};

} // namespace vt::datastore

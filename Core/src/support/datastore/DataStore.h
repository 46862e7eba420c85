// The interface every data store offers: copying its whole content
// somewhere else and describing itself.  Virtual operations are declared in
// the order of the table the stores share; do not reorder them.
#pragma once

#include "frame/HostInterfaces.h"

#include <cstdint>
#include <string>

namespace vt::datastore {

class MutableDataStore;

// Selects the constructors that work on a host-made duplicate of an IOObj,
// so the caller's record keeps its own position.
struct DuplicateTag {
    explicit DuplicateTag() = default;
};
inline constexpr DuplicateTag duplicateOf{};

class DataStore {
public:
    DataStore() = default;
    DataStore(const DataStore &) = delete;
    DataStore &operator=(const DataStore &) = delete;
    virtual ~DataStore();

    // Appends the content to the file at path (created when missing).
    virtual void copyToPath(const std::string &path) = 0;
    // Writes the content through a duplicate of io, from where io stands.
    virtual void copyToDuplicate(IOObj *io) = 0;
    // Writes the content into io from its start.
    virtual void copyToIO(IOObj *io) = 0;
    virtual void copyTo(MutableDataStore *target) = 0;
    virtual int64_t recordedSize() const = 0;
    virtual std::string name() const = 0;
    virtual std::string typeName() const = 0;
};

} // namespace vt::datastore

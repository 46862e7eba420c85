// What every concrete store shares: the host record, a name, a type name
// and a recorded size, and the copy operations expressed through copyInto.
#pragma once

#include "support/datastore/DataStore.h"

namespace vt::datastore {

class DataStoreBase : public DataStore {
public:
    ~DataStoreBase() override;

    void copyToPath(const std::string &path) override;
    void copyToDuplicate(IOObj *io) override;
    void copyToIO(IOObj *io) override;
    void copyTo(MutableDataStore *target) override;
    int64_t recordedSize() const override;
    std::string name() const override;
    std::string typeName() const override;
    // Writes the whole content into target, which stays open until the end.
    virtual void copyInto(MutableDataStore *target) = 0;

    HostServices *host() const { return host_; }

protected:
    // descriptor, when given, carries the type name as text at byte 60.
    // Throws std::invalid_argument "pVAPI" when host is null.
    DataStoreBase(HostServices *host, std::string name, const void *descriptor);
    // Takes over another store's description.
    DataStoreBase(HostServices *host, std::string name, std::string typeName, int64_t recordedSize);

    void setRecordedSize(int64_t size) { recordedSize_ = size; }

private:
    HostServices *host_;
    std::string name_;
    std::string typeName_;
    // Only snapshots know their size up front; the others leave it at 0.
    int64_t recordedSize_ = 0;
};

} // namespace vt::datastore

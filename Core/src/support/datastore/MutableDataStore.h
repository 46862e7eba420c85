// A store that reads and writes a host IO object.  The object is open only
// for the duration of each operation; between operations only the saved
// position survives.  A hold (DataStoreHold) keeps it open across several
// operations, as a copy into the store needs.
#pragma once

#include "support/datastore/DataStoreBase.h"
#include "support/datastore/HostIO.h"

namespace vt::datastore {

class MutableDataStore : public DataStoreBase {
public:
    ~MutableDataStore() override;

    void copyInto(MutableDataStore *target) override;
    // Up to count bytes; empty on any failure.
    virtual std::string readString(uint32_t count);
    // The count read, 0 at the end.
    virtual uint32_t read(void *buffer, uint32_t count);
    // As read, but the position stays where it was.
    virtual uint32_t peek(void *buffer, uint32_t count);
    virtual void write(const std::string &text);
    virtual void write(const char *text);
    virtual void write(const void *buffer, uint32_t count);
    virtual void writeRaw(const void *buffer, uint32_t count);
    // origin: 0 start, 1 current position, 2 end.
    virtual void seek(int64_t offset, int origin);
    virtual void skip(int64_t offset);
    virtual uint32_t tell();
    virtual void rewind();
    virtual void seekEnd();
    // The size of the content; the position stays where it was.
    virtual uint32_t size();
    virtual bool atEnd();
    // Opens the object at the saved position unless it is open already.
    virtual void enter();
    // Saves the position and closes the object, unless a hold keeps it open.
    virtual void leave();

    // The record the store works on.
    IOObj *io() const { return io_; }
    bool isOpen() const { return open_; }
    int32_t holdCount() const { return holdCount_; }

protected:
    // Over io, which must be present and openable (std::invalid_argument
    // "pIOobj" otherwise).
    MutableDataStore(HostServices *host, IOObj *io, std::string name, const void *descriptor);
    // The subclass attaches the record once it has one.
    MutableDataStore(HostServices *host, std::string name, const void *descriptor);

    void attach(IOObj *io) { io_ = io; }
    // Attaches a duplicate of source that stands where source stands.  The
    // returned handle releases the duplicate unless the caller takes it over.
    OwnedIO attachDuplicate(IOObj *source);

private:
    friend class DataStoreHold;
    class Operation;

    // After a failure: close without trusting the object's position.
    void abandon() noexcept;

    IOObj *io_ = nullptr;
    bool open_ = false;
    uint32_t savedPosition_ = 0;
    int32_t holdCount_ = 0;
};

} // namespace vt::datastore

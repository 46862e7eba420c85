#include "support/datastore/DataStoreView.h"

#include "support/datastore/DataStoreHold.h"
#include "support/except/VantrelError.h"

#include <array>
#include <stdexcept>
#include <utility>

namespace vt::datastore {

namespace {

constexpr uint32_t copyBlockSize = 4000;

// Closes the source of a copy on every way out; only the normal way reports
// a failed close.
class SourceOpen {
public:
    explicit SourceOpen(IOObj *io) : io_(io) { openOrThrow(io_); }
    ~SourceOpen() {
        if (io_ != nullptr)
            closeQuietly(io_);
    }
    SourceOpen(const SourceOpen &) = delete;
    SourceOpen &operator=(const SourceOpen &) = delete;

    void close() {
        IOObj *io = io_;
        io_ = nullptr;
        closeOrThrow(io);
    }

private:
    IOObj *io_;
};

} // namespace

DataStoreView::DataStoreView(HostServices *host, IOObj *io, std::string name, const void *descriptor)
    : MutableDataStore(host, io, std::move(name), descriptor) {}

DataStoreView::DataStoreView(HostServices *host, DuplicateTag, IOObj *io, std::string name,
                             const void *descriptor)
    : MutableDataStore(host, std::move(name), descriptor) {
    OwnedIO duplicate = attachDuplicate(io);
    owns_ = true;
    duplicate.release();
}

DataStoreView::DataStoreView(HostServices *host, const std::string &path, std::string name,
                             const void *descriptor)
    : MutableDataStore(host, std::move(name), descriptor) {
    OwnedIO file = pathIO(host, path.c_str(), "a+");
    attach(file.get());
    seekEnd();
    owns_ = true;
    file.release();
}

DataStoreView::~DataStoreView() {
    if (owns_)
        releaseQuietly(io());
}

void DataStoreView::copyInto(MutableDataStore *target) {
    DataStoreHold hold(target);
    // Reading and appending the same record would never reach the end.
    if (target->io() == io())
        throw std::invalid_argument("pDataStore");
    IOObj *source = io();
    SourceOpen open(source);
    seekOrThrow(source, 0, 0);
    if (source->read == nullptr)
        throw except::general_error();
    std::array<char, copyBlockSize> buffer{};
    int32_t got = source->read(source, buffer.data(), copyBlockSize);
    while (got > 0) {
        // More than the buffer holds would send bytes from past its end.
        if (static_cast<uint32_t>(got) > copyBlockSize)
            throw except::general_error();
        target->writeRaw(buffer.data(), static_cast<uint32_t>(got));
        got = source->read(source, buffer.data(), copyBlockSize);
    }
    open.close();
    hold.release();
}

} // namespace vt::datastore

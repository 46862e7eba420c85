#include "support/datastore/MutableDataStore.h"

#include "support/datastore/DataStoreView.h"
#include "support/except/VantrelError.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace vt::datastore {

// One operation: enter on construction, leave on finish.  A failure in
// between closes the object again and keeps the position saved before it.
class MutableDataStore::Operation {
public:
    explicit Operation(MutableDataStore &store) : store_(store) { store_.enter(); }
    ~Operation() {
        if (!finished_)
            store_.abandon();
    }
    Operation(const Operation &) = delete;
    Operation &operator=(const Operation &) = delete;

    void finish() {
        finished_ = true;
        store_.leave();
    }

private:
    MutableDataStore &store_;
    bool finished_ = false;
};

MutableDataStore::MutableDataStore(HostServices *host, IOObj *io, std::string name, const void *descriptor)
    : DataStoreBase(host, std::move(name), descriptor), io_(checkedSource(io)) {}

MutableDataStore::MutableDataStore(HostServices *host, std::string name, const void *descriptor)
    : DataStoreBase(host, std::move(name), descriptor) {}

MutableDataStore::~MutableDataStore() = default;

OwnedIO MutableDataStore::attachDuplicate(IOObj *source) {
    uint32_t position = currentPosition(checkedSource(source));
    OwnedIO duplicate = duplicateIO(host(), source);
    attach(duplicate.get());
    seek(position, 0);
    return duplicate;
}

void MutableDataStore::copyInto(MutableDataStore *target) {
    DataStoreView source(host(), io_, name());
    source.copyInto(target);
}

std::string MutableDataStore::readString(uint32_t count) {
    try {
        std::string text(count, '\0');
        text.resize(read(text.data(), count));
        return text;
    } catch (...) {
        return std::string();
    }
}

uint32_t MutableDataStore::read(void *buffer, uint32_t count) {
    Operation operation(*this);
    if (io_->read == nullptr)
        throw except::general_error();
    int32_t got = io_->read(io_, buffer, count);
    operation.finish();
    // The end (or a failed read) comes as 0 or less; a host claiming more
    // than asked must not make callers read past their buffer.
    return got <= 0 ? 0 : std::min(static_cast<uint32_t>(got), count);
}

uint32_t MutableDataStore::peek(void *buffer, uint32_t count) {
    uint32_t position = tell();
    uint32_t got = read(buffer, count);
    seek(position, 0);
    return got;
}

void MutableDataStore::write(const std::string &text) {
    // The host counts in 32 bits; longer texts go in several writes.
    const char *data = text.data();
    size_t left = text.size();
    do {
        uint32_t piece = static_cast<uint32_t>(std::min<size_t>(left, UINT32_MAX));
        write(data, piece);
        data += piece;
        left -= piece;
    } while (left > 0);
}

void MutableDataStore::write(const char *text) {
    if (text == nullptr)
        text = "";
    write(static_cast<const void *>(text), static_cast<uint32_t>(std::strlen(text)));
}

void MutableDataStore::write(const void *buffer, uint32_t count) { writeRaw(buffer, count); }

void MutableDataStore::writeRaw(const void *buffer, uint32_t count) {
    Operation operation(*this);
    if (io_->write == nullptr || io_->write(io_, buffer, count) == 0)
        throw except::general_error();
    operation.finish();
}

void MutableDataStore::seek(int64_t offset, int origin) {
    Operation operation(*this);
    seekOrThrow(io_, offset, origin);
    operation.finish();
}

void MutableDataStore::skip(int64_t offset) { seek(offset, 1); }

uint32_t MutableDataStore::tell() {
    Operation operation(*this);
    uint32_t position = tellOrThrow(io_);
    operation.finish();
    return position;
}

void MutableDataStore::rewind() { seek(0, 0); }

void MutableDataStore::seekEnd() { seek(0, 2); }

uint32_t MutableDataStore::size() {
    Operation operation(*this);
    uint32_t position = tellOrThrow(io_);
    seekOrThrow(io_, 0, 2);
    uint32_t size = tellOrThrow(io_);
    seekOrThrow(io_, position, 0);
    operation.finish();
    return size;
}

bool MutableDataStore::atEnd() { return tell() >= size(); }

void MutableDataStore::enter() {
    if (open_)
        return;
    openOrThrow(io_);
    try {
        seekOrThrow(io_, savedPosition_, 0);
    } catch (...) {
        closeQuietly(io_);
        throw;
    }
    open_ = true;
}

void MutableDataStore::leave() {
    // A store that was never entered (a hold over a copy of nothing) has
    // nothing to save and nothing to close.
    if (!open_ || holdCount_ > 0)
        return;
    open_ = false;
    try {
        savedPosition_ = tellOrThrow(io_);
    } catch (...) {
        closeQuietly(io_);
        throw;
    }
    closeOrThrow(io_);
}

void MutableDataStore::abandon() noexcept {
    if (!open_ || holdCount_ > 0)
        return;
    open_ = false;
    closeQuietly(io_);
}

} // namespace vt::datastore

// The two destinations of an entry: a host IO object and a caller's buffer.
#pragma once

#include "EntryStream.h"

namespace pkgrd {

// Opens the object on begin, writes each block, closes it on finish.
class ObjectSink : public EntrySink {
public:
    explicit ObjectSink(IOObj &target) : target_(target) {}
    int32_t begin(uint64_t declaredSize) override;
    int32_t accept(const unsigned char *data, uint32_t count) override;
    int32_t finish() override;

private:
    IOObj &target_;
};

// Copies into [buffer, buffer + capacity); an entry that cannot fit is refused
// before any byte is copied.
class BufferSink : public EntrySink {
public:
    BufferSink(void *buffer, uint64_t capacity) : buffer_(static_cast<unsigned char *>(buffer)), capacity_(capacity) {}
    int32_t begin(uint64_t declaredSize) override;
    int32_t accept(const unsigned char *data, uint32_t count) override;
    int32_t finish() override { return 0; }
    uint64_t delivered() const { return delivered_; }

private:
    unsigned char *buffer_;
    uint64_t capacity_;
    uint64_t delivered_ = 0;
};

} // namespace pkgrd

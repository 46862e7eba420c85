#include "support/memory/LargeBuffer.h"

#include "support/memory/HugePages.h"

#include <new>

namespace vt::memory {

LargeBuffer::LargeBuffer(size_t size) {
    // Under a sanitizer the room comes from new[], where overruns are caught.
    if (!kUnderSanitizer && size >= kMappedFrom) {
        size_t length = (size + kHugePage - 1) & ~(kHugePage - 1);
        if (void *base = mapHugePageAligned(length)) {
            data_ = static_cast<unsigned char *>(base);
            mapped_ = capacity_ = length;
            return;
        }
    }
    data_ = new unsigned char[size];
    capacity_ = size;
}

LargeBuffer::~LargeBuffer() {
    if (mapped_ != 0)
        ::munmap(data_, mapped_);
    else
        delete[] data_;
}

unsigned char *roomFor(std::unique_ptr<LargeBuffer> &room, size_t size) {
    if (!room || room->capacity() < size || kUnderSanitizer) {
        room.reset();   // the old room goes before the new one is mapped
        room = std::make_unique<LargeBuffer>(size);
    }
    return room->data();
}

} // namespace vt::memory

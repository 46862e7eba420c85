#include "EntrySinks.h"

#include "PkgrdStatus.h"

#include <cstring>

namespace pkgrd {

int32_t ObjectSink::begin(uint64_t) { return target_.open(&target_) != 0 ? PKGRD_OK : PKGRD_TARGET_OPEN_FAILED; }

int32_t ObjectSink::accept(const unsigned char *data, uint32_t count) {
    return target_.write(&target_, data, count) != 0 ? PKGRD_OK : PKGRD_TARGET_WRITE_FAILED;
}

// A failed close can mean lost data, so it counts as a failed write.
int32_t ObjectSink::finish() {
    if (target_.close == nullptr)
        return PKGRD_OK;
    return target_.close(&target_) != 0 ? PKGRD_OK : PKGRD_TARGET_WRITE_FAILED;
}

int32_t BufferSink::begin(uint64_t declaredSize) {
    return declaredSize <= capacity_ ? PKGRD_OK : PKGRD_BUFFER_TOO_SMALL;
}

int32_t BufferSink::accept(const unsigned char *data, uint32_t count) {
    if (count > capacity_ - delivered_)
        return PKGRD_BUFFER_TOO_SMALL;
    std::memcpy(buffer_ + delivered_, data, count);
    delivered_ += count;
    return PKGRD_OK;
}

} // namespace pkgrd

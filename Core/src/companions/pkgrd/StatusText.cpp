#include "StatusText.h"

#include "PkgrdStatus.h"

namespace pkgrd {

const char *describeStatus(int32_t status) {
    switch (status) {
    case PKGRD_OK:
        return "success";
    case PKGRD_BAD_ARGUMENT:
        return "invalid container, entry index or argument";
    case PKGRD_ENTRY_TOO_LARGE:
        return "entry is larger than the size limit";
    case PKGRD_ENTRY_LONGER_THAN_DECLARED:
        return "entry holds more data than its declared size";
    case PKGRD_ENTRY_SHORTER_THAN_DECLARED:
        return "entry holds less data than its declared size";
    case PKGRD_CORRUPT_DATA:
        return "entry data is corrupt (CRC or decompression error)";
    case PKGRD_ENCRYPTED:
        return "entry is encrypted";
    case PKGRD_UNSUPPORTED_METHOD:
        return "entry uses an unsupported compression method";
    case PKGRD_TARGET_OPEN_FAILED:
        return "output object could not be opened";
    case PKGRD_TARGET_WRITE_FAILED:
        return "output object could not be written";
    case PKGRD_BUFFER_TOO_SMALL:
        return "buffer is too small for the entry";
    case PKGRD_ENTRY_UNREADABLE:
        return "entry could not be read from the package";
    case PKGRD_OUT_OF_MEMORY:
        return "out of memory while decompressing";
    case PKGRD_PACKAGE_TOO_LARGE:
        return "entries read together exceed the container's total size limit";
    default:
        return "unknown container status";
    }
}

} // namespace pkgrd

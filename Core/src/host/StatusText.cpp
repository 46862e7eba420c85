#include "StatusText.h"

#include "PkgrdStatus.h"

namespace fixrd {

const char *statusText(uint32_t status, Stage stage) {
    switch (status) {
    case 0: return "success";
    case 1: return "a companion library (pkgrd or mkparse) could not be loaded";
    case 2: return "out of memory, or over the memory limit for one document";
    case 4: return "a part of the document structure is missing";
    case 6:
        return stage == Stage::Read ? "page markup could not be read"
                                    : "a document part is empty or could not be read";
    case 12: return "not an XPS package: not a readable zip file, or fewer than two entries";
    case 15: return "no temporary file for a part stored in pieces";
    case PKGRD_BAD_ARGUMENT: return "the container reader was called with bad arguments";
    case PKGRD_ENTRY_TOO_LARGE: return "a part is larger than the size limit for one part";
    case PKGRD_ENTRY_LONGER_THAN_DECLARED: return "a part holds more data than its zip entry declares";
    case PKGRD_ENTRY_SHORTER_THAN_DECLARED: return "a part holds less data than its zip entry declares";
    case PKGRD_CORRUPT_DATA: return "a part is damaged (CRC mismatch or broken compressed data)";
    case PKGRD_ENCRYPTED: return "a part is encrypted";
    case PKGRD_UNSUPPORTED_METHOD: return "a part uses an unsupported compression method";
    case PKGRD_TARGET_OPEN_FAILED: return "a temporary file could not be opened";
    case PKGRD_TARGET_WRITE_FAILED:
        return "a temporary file could not be written (disk full, or over the disk limit for one document)";
    case PKGRD_BUFFER_TOO_SMALL: return "a part stored in pieces could not be read";
    case PKGRD_ENTRY_UNREADABLE: return "a part's data could not be read from the file";
    case PKGRD_OUT_OF_MEMORY: return "out of memory while decompressing a part";
    case PKGRD_PACKAGE_TOO_LARGE: return "the parts read from the package together exceed the size limit for one document";
    case kStatusCrashed: return "the reader crashed";
    case kStatusTimedOut: return "took longer than the time limit";
    case kStatusStopped: return "stopped by the caller";
    default: return "failed with an unknown status";
    }
}

std::string describeStatus(uint32_t status, Stage stage) { return statusText(status, stage); }

} // namespace fixrd

#include "EntryStream.h"

#include "PkgrdStatus.h"
#include "WholeInflation.h"

#include <algorithm>
#include <memory>

namespace pkgrd {

namespace {

struct FileCloser {
    void operator()(zip_file_t *file) const { zip_fclose(file); }
};
using ZipFile = std::unique_ptr<zip_file_t, FileCloser>;

// Only the two methods a package may use; anything else is refused before
// a decompressor sees it.
int32_t checkEntry(const zip_stat_t &stat, const Container &container) {
    if ((stat.valid & ZIP_STAT_SIZE) == 0 || (stat.valid & ZIP_STAT_COMP_METHOD) == 0)
        return PKGRD_ENTRY_UNREADABLE;
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) != 0 && stat.encryption_method != ZIP_EM_NONE)
        return PKGRD_ENCRYPTED;
    if (stat.comp_method != ZIP_CM_STORE && stat.comp_method != ZIP_CM_DEFLATE)
        return PKGRD_UNSUPPORTED_METHOD;
    if (stat.size > static_cast<uint64_t>(container.entrySizeLimit))
        return PKGRD_ENTRY_TOO_LARGE;
    if (stat.size > static_cast<uint64_t>(std::max<int64_t>(0, container.totalSizeLimit - container.totalRead)))
        return PKGRD_PACKAGE_TOO_LARGE;
    return PKGRD_OK;
}

int32_t statusOf(const zip_error_t *error, bool endedShort) {
    switch (zip_error_code_zip(error)) {
    case ZIP_ER_CRC:
    case ZIP_ER_ZLIB:
    case ZIP_ER_COMPRESSED_DATA:
        return PKGRD_CORRUPT_DATA;
    case ZIP_ER_INCONS:
        // libzip's own size check at the end of the data.
        return endedShort ? PKGRD_ENTRY_SHORTER_THAN_DECLARED : PKGRD_CORRUPT_DATA;
    case ZIP_ER_COMPNOTSUPP:
        return PKGRD_UNSUPPORTED_METHOD;
    case ZIP_ER_ENCRNOTSUPP:
    case ZIP_ER_NOPASSWD:
    case ZIP_ER_WRONGPASSWD:
        return PKGRD_ENCRYPTED;
    case ZIP_ER_MEMORY:
        return PKGRD_OUT_OF_MEMORY;
    default:
        return PKGRD_ENTRY_UNREADABLE;
    }
}

// libzip does not stop a stream at its declared size, so the count here is
// what bounds the output.
int32_t pump(zip_file_t *file, uint64_t declared, Container &container, EntrySink &sink) {
    uint64_t total = 0;
    for (;;) {
        zip_int64_t n = zip_fread(file, container.block, kBlockSize);
        if (n < 0)
            return statusOf(zip_file_get_error(file), total < declared);
        if (n == 0)
            return total < declared ? PKGRD_ENTRY_SHORTER_THAN_DECLARED : PKGRD_OK;
        if (static_cast<uint64_t>(n) > declared - total)
            return PKGRD_ENTRY_LONGER_THAN_DECLARED;
        total += static_cast<uint64_t>(n);
        // Within the declared size, which checkEntry held to the total limit.
        container.totalRead += n;
        int32_t status = sink.accept(container.block, static_cast<uint32_t>(n));
        if (status != PKGRD_OK)
            return status;
    }
}

} // namespace

int32_t streamEntry(Container &container, int32_t index, EntrySink &sink) {
    if (index < 0 || index >= container.entryCount)
        return PKGRD_BAD_ARGUMENT;
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(container.zip, static_cast<zip_uint64_t>(index), ZIP_FL_ENC_RAW, &stat) != 0)
        return PKGRD_ENTRY_UNREADABLE;
    int32_t status = checkEntry(stat, container);
    if (status != PKGRD_OK)
        return status;
    if (inflateWhole(container, static_cast<zip_uint64_t>(index), stat, sink, status))
        return status;
    ZipFile file(zip_fopen_index(container.zip, static_cast<zip_uint64_t>(index), 0));
    if (!file)
        return statusOf(zip_get_error(container.zip), false);
    status = sink.begin(stat.size);
    if (status != PKGRD_OK)
        return status;
    status = pump(file.get(), stat.size, container, sink);
    int32_t finished = sink.finish();
    return status != PKGRD_OK ? status : finished;
}

} // namespace pkgrd

#include "WholeInflation.h"

#include "PkgrdStatus.h"

#include "support/memory/LargeBuffer.h"

#include <libdeflate.h>

#include <algorithm>
#include <memory>
#include <new>

namespace pkgrd {

namespace {

struct FileCloser {
    void operator()(zip_file_t *file) const { zip_fclose(file); }
};
using ZipFile = std::unique_ptr<zip_file_t, FileCloser>;

// Where the inflated bytes go, the raw ones after them: the container's
// block when both fit there, else its room, grown as needed.
bool makeRoom(Container &container, size_t declared, size_t packed, unsigned char *&out, unsigned char *&in) {
    size_t needed = declared + packed;
    if (needed <= kBlockSize) {
        out = container.block;
    } else {
        try {
            out = vt::memory::roomFor(container.room, needed);
        } catch (const std::bad_alloc &) {
            return false;
        }
    }
    in = out + declared;
    return true;
}

} // namespace

bool inflateWhole(Container &container, zip_uint64_t index, const zip_stat_t &stat, EntrySink &sink,
                  int32_t &status) {
    const zip_uint64_t needed = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_CRC;
    if ((stat.valid & needed) != needed || stat.comp_method != ZIP_CM_DEFLATE)
        return false;
    if (stat.size > kWholeInflationLimit || stat.comp_size > kWholeInflationLimit)
        return false;
    auto declared = static_cast<size_t>(stat.size);
    auto packed = static_cast<size_t>(stat.comp_size);
    if (container.inflater == nullptr && (container.inflater = libdeflate_alloc_decompressor()) == nullptr)
        return false;
    unsigned char *out = nullptr, *in = nullptr;
    if (!makeRoom(container, declared, packed, out, in))
        return false;
    ZipFile file(zip_fopen_index(container.zip, index, ZIP_FL_COMPRESSED));
    if (!file || zip_fread(file.get(), in, packed) != static_cast<zip_int64_t>(packed))
        return false;
    size_t inflated = 0;
    if (libdeflate_deflate_decompress(container.inflater, in, packed, out, declared, &inflated) !=
            LIBDEFLATE_SUCCESS ||
        inflated != declared || libdeflate_crc32(0, out, declared) != stat.crc)
        return false;

    status = sink.begin(stat.size);
    for (size_t at = 0; status == PKGRD_OK && at < declared;) {
        auto piece = static_cast<uint32_t>(std::min<size_t>(kBlockSize, declared - at));
        // Within the declared size, which was held to the total limit.
        container.totalRead += piece;
        status = sink.accept(out + at, piece);
        at += piece;
    }
    int32_t finished = sink.finish();
    if (status == PKGRD_OK)
        status = finished;
    return true;
}

} // namespace pkgrd

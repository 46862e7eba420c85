#include "WholeInflation.h"

#include "PkgrdStatus.h"

#include "support/memory/LargeBuffer.h"

#include <libdeflate.h>

#include <algorithm>
#include <memory>
#include <new>
#include <optional>

namespace pkgrd {

namespace {

struct FileCloser {
    void operator()(zip_file_t *file) const { zip_fclose(file); }
};
using ZipFile = std::unique_ptr<zip_file_t, FileCloser>;

// The inflated bytes and the raw ones after them: in the container's block
// when both fit there, else in room of their own.
struct Room {
    std::optional<vt::memory::LargeBuffer> own;
    unsigned char *out = nullptr;
    unsigned char *in = nullptr;
};

bool makeRoom(Container &container, size_t declared, size_t packed, Room &room) {
    if (declared + packed <= kBlockSize) {
        room.out = container.block;
    } else {
        try {
            room.own.emplace(declared + packed);
        } catch (const std::bad_alloc &) {
            return false;
        }
        room.out = room.own->data();
    }
    room.in = room.out + declared;
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
    Room room;
    if (!makeRoom(container, declared, packed, room))
        return false;
    ZipFile file(zip_fopen_index(container.zip, index, ZIP_FL_COMPRESSED));
    if (!file || zip_fread(file.get(), room.in, packed) != static_cast<zip_int64_t>(packed))
        return false;
    size_t inflated = 0;
    if (libdeflate_deflate_decompress(container.inflater, room.in, packed, room.out, declared, &inflated) !=
            LIBDEFLATE_SUCCESS ||
        inflated != declared || libdeflate_crc32(0, room.out, declared) != stat.crc)
        return false;

    status = sink.begin(stat.size);
    for (size_t at = 0; status == PKGRD_OK && at < declared;) {
        auto piece = static_cast<uint32_t>(std::min<size_t>(kBlockSize, declared - at));
        // Within the declared size, which was held to the total limit.
        container.totalRead += piece;
        status = sink.accept(room.out + at, piece);
        at += piece;
    }
    int32_t finished = sink.finish();
    if (status == PKGRD_OK)
        status = finished;
    return true;
}

} // namespace pkgrd

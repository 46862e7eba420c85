// One open package: the libzip archive, its entry size limit and the block
// through which entry data passes.  The record lives in host memory when the
// host offers it, so the host's accounting sees a container left open.
#pragma once

#include "frame/HostInterfaces.h"

#include "support/memory/LargeBuffer.h"

#include <zip.h>

struct libdeflate_decompressor;

#include <cstdint>
#include <memory>

namespace pkgrd {

// Entry data moves in blocks of this size: never more is held at once.
constexpr uint32_t kBlockSize = 64 * 1024;

struct Container {
    zip_t *zip = nullptr;
    int32_t entryCount = 0;
    int64_t entrySizeLimit = 0;
    int64_t totalSizeLimit = 0;
    int64_t totalRead = 0;   // uncompressed bytes handed out so far
    HostMemory *memory = nullptr;   // null: the record came from malloc
    libdeflate_decompressor *inflater = nullptr;   // made when first needed
    // Where entries too large for the block are inflated whole; kept for the
    // next one, as a fresh room costs its page faults again.
    std::unique_ptr<vt::memory::LargeBuffer> room;
    unsigned char block[kBlockSize];
};

// Null when input names no file, or the file is empty, not a zip or has an
// unreadable central directory.
Container *openContainer(const IOObj *input, HostServices *host);
void closeContainer(Container *container);

// Fills info with the raw name (cut to fit) and the declared size.
int32_t describeEntry(Container &container, int32_t index, EntryInfo &info);

} // namespace pkgrd

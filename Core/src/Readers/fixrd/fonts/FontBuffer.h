// Room for a whole font part while it is read and restored.  Fresh memory
// costs a page fault every 4 KiB, and under a hypervisor a fault costs as
// much as copying several pages: a whole CJK font took a thousand.  A large
// part is therefore mapped where the kernel can back it with 2 MiB pages, a
// fault each; where it gives none, the pages are plain, as from new[].
#pragma once

#include <cstddef>

namespace fixrd {

class FontBuffer {
public:
    // Throws std::bad_alloc when no room can be had.
    explicit FontBuffer(size_t size);
    ~FontBuffer();
    FontBuffer(const FontBuffer &) = delete;
    FontBuffer &operator=(const FontBuffer &) = delete;

    unsigned char *data() { return data_; }

    // From this size on, the room is mapped on its own.
    static constexpr size_t kMappedFrom = size_t{256} << 10;

private:
    unsigned char *data_ = nullptr;
    size_t mapped_ = 0;   // the mapping's length; 0 when from new[]
};

} // namespace fixrd

// Room for a whole part while it is read, inflated or restored.  Fresh
// memory costs a page fault every 4 KiB, and under a hypervisor a fault
// costs as much as copying several pages: a whole CJK font took a thousand.
// A large room is therefore mapped where the kernel can back it with 2 MiB
// pages, a fault each (zeroing one costs about what a dozen faults do);
// where it gives none, the pages are plain, as from new[].
#pragma once

#include <cstddef>
#include <memory>

namespace vt::memory {

class LargeBuffer {
public:
    // Throws std::bad_alloc when no room can be had.
    explicit LargeBuffer(size_t size);
    ~LargeBuffer();
    LargeBuffer(const LargeBuffer &) = delete;
    LargeBuffer &operator=(const LargeBuffer &) = delete;

    unsigned char *data() { return data_; }
    // What it holds: the size asked for, or more when mapped.
    size_t capacity() const { return capacity_; }

    // From this size on, the room is mapped on its own.
    static constexpr size_t kMappedFrom = size_t{64} << 10;

private:
    unsigned char *data_ = nullptr;
    size_t mapped_ = 0;   // the mapping's length; 0 when from new[]
    size_t capacity_ = 0;
};

// The room a caller keeps from one part to the next, made or grown when a
// part needs more: a fresh room costs its page faults, or a huge page's
// zeroing, again.  Under a sanitizer it is made anew at each size, so that
// an overrun past the part still shows.  Throws std::bad_alloc.
unsigned char *roomFor(std::unique_ptr<LargeBuffer> &room, size_t size);

} // namespace vt::memory

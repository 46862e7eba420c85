// Room for the host memory's blocks up to 64 KiB: classes a power of two
// and one and a half times one apart (so no block wastes more than a third of
// its room, the reader's 6 KiB chunks under 2 %), cut from large mapped
// slabs, and a free list per class.  The reader asks for a
// block for every character it measures and for every chunk of text it
// writes; here both cost a pointer or two, and the text's chunks, held until
// the end of a document, fill slabs the kernel can back with huge pages
// instead of a page fault every 4 KiB.
#pragma once

#include <cstddef>
#include <vector>

namespace fixrd::host {

class BlockPool {
public:
    static constexpr size_t kLargest = size_t{1} << 16;
    static constexpr int kClasses = 21;   // 64 B, 96 B, 128 B, ... 48 KiB, 64 KiB

    BlockPool() = default;
    BlockPool(const BlockPool &) = delete;
    BlockPool &operator=(const BlockPool &) = delete;
    ~BlockPool();

    // The class whose room holds `bytes` (at most kLargest).
    static int classOf(size_t bytes);
    static size_t roomOf(int sizeClass) { return size_t{(sizeClass & 1) != 0 ? 96u : 64u} << (sizeClass >> 1); }

    // A block of the class's room; null when no slab can be mapped.
    void *take(int sizeClass);
    // Back to its class's free list, for the next request of that class.
    void give(void *block, int sizeClass);

private:
    bool newSlab();

    struct FreeBlock {
        FreeBlock *next;
    };
    FreeBlock *free_[kClasses] = {};
    char *next_ = nullptr;   // uncut room in the newest slab
    char *end_ = nullptr;
    struct Slab {
        void *base;
        size_t length;
    };
    std::vector<Slab> slabs_;
};

} // namespace fixrd::host

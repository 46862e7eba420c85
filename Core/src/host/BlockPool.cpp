#include "BlockPool.h"

#include "support/memory/HugePages.h"

#include <new>
#include <sys/mman.h>

namespace fixrd::host {

namespace {

// The first slab is small and of plain pages, so a small document does not
// pay for zeroing a huge page it would barely use; the others are huge-page
// sized and aligned, as the kernel needs them to back them so.
constexpr size_t kFirstSlab = size_t{256} << 10;
constexpr size_t kSlab = vt::memory::kHugePage;

} // namespace

BlockPool::~BlockPool() {
    for (const Slab &slab : slabs_)
        ::munmap(slab.base, slab.length);
}

int BlockPool::classOf(size_t bytes) {
    int sizeClass = 0;
    while (roomOf(sizeClass) < bytes)
        ++sizeClass;
    return sizeClass;
}

void *BlockPool::take(int sizeClass) {
    if (FreeBlock *block = free_[sizeClass]) {
        free_[sizeClass] = block->next;
        return block;
    }
    size_t room = roomOf(sizeClass);
    if (static_cast<size_t>(end_ - next_) < room && !newSlab())
        return nullptr;
    void *block = next_;
    next_ += room;
    return block;
}

void BlockPool::give(void *block, int sizeClass) {
    auto *freed = static_cast<FreeBlock *>(block);
    freed->next = free_[sizeClass];
    free_[sizeClass] = freed;
}

bool BlockPool::newSlab() {
    try {
        slabs_.reserve(slabs_.size() + 1);
    } catch (const std::bad_alloc &) {
        return false;
    }
    if (slabs_.empty()) {
        void *base = ::mmap(nullptr, kFirstSlab, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (base == MAP_FAILED)
            return false;
        slabs_.push_back({base, kFirstSlab});
    } else {
        void *base = vt::memory::mapHugePageAligned(kSlab);
        if (base == nullptr)
            return false;
        slabs_.push_back({base, kSlab});
    }
    next_ = static_cast<char *>(slabs_.back().base);
    end_ = next_ + slabs_.back().length;
    return true;
}

} // namespace fixrd::host

#include "MemoryAccount.h"

#include "support/memory/HugePages.h"

#include <cstdlib>
#include <cstring>
#if __has_include(<valgrind/valgrind.h>)
#include <valgrind/valgrind.h>
#endif

namespace fixrd::host {

namespace {

// Each block carries its size in front, so the accounting knows what a free
// gives back, and where its room came from.  16 bytes keep the caller's part
// aligned for any type.
constexpr size_t kHeader = 16;
constexpr int64_t kFromMalloc = -1;
struct Header {
    int64_t size;
    int64_t sizeClass;   // the pool's class of its room, or kFromMalloc
};
static_assert(sizeof(Header) == kHeader);

// Under a sanitizer or valgrind every block comes from malloc and is really
// freed, so that an overrun or a use after free is still caught.
constexpr bool kPoolBlocks = !vt::memory::kUnderSanitizer;

bool underValgrind() {
#if __has_include(<valgrind/valgrind.h>)
    return RUNNING_ON_VALGRIND != 0;
#else
    return false;
#endif
}

Header headerOf(void *block) {
    Header header;
    std::memcpy(&header, static_cast<char *>(block) - kHeader, sizeof header);
    return header;
}

void *payload(void *raw, int64_t size, int64_t sizeClass) {
    Header header{size, sizeClass};
    std::memcpy(raw, &header, sizeof header);
    return static_cast<char *>(raw) + kHeader;
}

} // namespace

MemoryAccount::MemoryAccount() : pooled_(kPoolBlocks && !underValgrind()) {}

MemoryAccount::~MemoryAccount() = default;

bool MemoryAccount::refuses(int64_t size, int64_t growth) {
    int64_t request = ++requests_;
    if (size < 0 || size > largestBlock_ || bytes_ + growth > budget_)
        return true;
    if (!refusing_)
        return false;
    if (refuseAt_ != 0 && request == refuseAt_)
        return true;
    if (refuseFrom_ != 0 && request >= refuseFrom_)
        return true;
    return refuseSize_ >= 0 && size == refuseSize_;
}

void *MemoryAccount::room(int64_t size, int64_t &sizeClass) {
    size_t bytes = kHeader + static_cast<size_t>(size);
    if (pooled_ && bytes <= BlockPool::kLargest) {
        sizeClass = BlockPool::classOf(bytes);
        if (void *raw = pool_.take(static_cast<int>(sizeClass)))
            return raw;
    }
    sizeClass = kFromMalloc;
    return std::malloc(bytes);
}

void MemoryAccount::giveBack(void *raw, int64_t sizeClass) {
    if (sizeClass == kFromMalloc)
        std::free(raw);
    else
        pool_.give(raw, static_cast<int>(sizeClass));
}

void *MemoryAccount::allocate(int64_t size) {
    if (refuses(size, size))
        return nullptr;
    int64_t sizeClass;
    void *raw = room(size, sizeClass);
    if (raw == nullptr)
        return nullptr;
    ++blocks_;
    bytes_ += size;
    return payload(raw, size, sizeClass);
}

void MemoryAccount::release(void *block) {
    if (block == nullptr)
        return;
    Header header = headerOf(block);
    --blocks_;
    bytes_ -= header.size;
    giveBack(static_cast<char *>(block) - kHeader, header.sizeClass);
}

void *MemoryAccount::reallocate(void *block, int64_t size) {
    if (block == nullptr)
        return allocate(size);
    Header header = headerOf(block);
    if (refuses(size, size - header.size))
        return nullptr;
    void *raw = static_cast<char *>(block) - kHeader;
    size_t bytes = kHeader + static_cast<size_t>(size);
    bool pooledRoom = header.sizeClass != kFromMalloc;
    if (pooledRoom && bytes <= BlockPool::roomOf(static_cast<int>(header.sizeClass))) {
        // Its room still holds it.
    } else if (!pooledRoom && !(pooled_ && bytes <= BlockPool::kLargest)) {
        raw = std::realloc(raw, bytes);
        if (raw == nullptr)
            return nullptr;
    } else {
        // Into other room; the old block stays whole when none is had.
        int64_t sizeClass;
        void *moved = room(size, sizeClass);
        if (moved == nullptr)
            return nullptr;
        std::memcpy(static_cast<char *>(moved) + kHeader, block,
                    static_cast<size_t>(header.size < size ? header.size : size));
        giveBack(raw, header.sizeClass);
        raw = moved;
        header.sizeClass = sizeClass;
    }
    bytes_ += size - header.size;
    return payload(raw, size, header.sizeClass);
}

} // namespace fixrd::host

#include "MemoryAccount.h"

#include <cstdlib>
#include <cstring>

namespace fixrd::host {

namespace {

// Each block carries its size in front, so the accounting knows what a free
// gives back, and whether it has the small blocks' room.  16 bytes keep the
// caller's part aligned for any type.
constexpr size_t kHeader = 16;
struct Header {
    int64_t size;
    int64_t small;   // 1: room for kSmallBlock bytes
};
static_assert(sizeof(Header) == kHeader);

// Requests up to this size get the same room, so that any freed one can
// serve the next.
constexpr int64_t kSmallBlock = 48;

// Under a sanitizer every block is really freed, so that a use after free
// is still caught.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kKeepSmallBlocks = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
constexpr bool kKeepSmallBlocks = false;
#else
constexpr bool kKeepSmallBlocks = true;
#endif
#else
constexpr bool kKeepSmallBlocks = true;
#endif

Header headerOf(void *block) {
    Header header;
    std::memcpy(&header, static_cast<char *>(block) - kHeader, sizeof header);
    return header;
}

void *payload(void *raw, int64_t size, bool small) {
    Header header{size, small ? 1 : 0};
    std::memcpy(raw, &header, sizeof header);
    return static_cast<char *>(raw) + kHeader;
}

} // namespace

MemoryAccount::~MemoryAccount() {
    while (keptCount_ > 0)
        std::free(kept_[--keptCount_]);
}

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

void *MemoryAccount::allocate(int64_t size) {
    if (refuses(size, size))
        return nullptr;
    bool small = size <= kSmallBlock;
    void *raw = small && keptCount_ > 0 ? kept_[--keptCount_]
                                        : std::malloc(kHeader + static_cast<size_t>(small ? kSmallBlock : size));
    if (raw == nullptr)
        return nullptr;
    ++blocks_;
    bytes_ += size;
    return payload(raw, size, small);
}

void MemoryAccount::release(void *block) {
    if (block == nullptr)
        return;
    Header header = headerOf(block);
    --blocks_;
    bytes_ -= header.size;
    void *raw = static_cast<char *>(block) - kHeader;
    if (kKeepSmallBlocks && header.small != 0 && keptCount_ < kKeptBlocks)
        kept_[keptCount_++] = raw;
    else
        std::free(raw);
}

void *MemoryAccount::reallocate(void *block, int64_t size) {
    if (block == nullptr)
        return allocate(size);
    Header header = headerOf(block);
    if (refuses(size, size - header.size))
        return nullptr;
    if (header.small != 0 && size <= kSmallBlock) {
        bytes_ += size - header.size;
        return payload(static_cast<char *>(block) - kHeader, size, true);
    }
    // Past the small room, or a large block at any size: its room is what
    // realloc gives, so it never serves a small request.
    void *raw = std::realloc(static_cast<char *>(block) - kHeader, kHeader + static_cast<size_t>(size));
    if (raw == nullptr)
        return nullptr;
    bytes_ += size - header.size;
    return payload(raw, size, false);
}

} // namespace fixrd::host

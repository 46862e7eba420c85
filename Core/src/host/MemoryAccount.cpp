#include "MemoryAccount.h"

#include <cstdlib>
#include <cstring>

namespace fixrd::host {

namespace {

// Each block carries its size in front, so the accounting knows what a free
// gives back.  16 bytes keep the caller's part aligned for any type.
constexpr size_t kHeader = 16;

int64_t sizeOf(void *block) {
    int64_t size;
    std::memcpy(&size, static_cast<char *>(block) - kHeader, sizeof size);
    return size;
}

void *payload(void *raw, int64_t size) {
    std::memcpy(raw, &size, sizeof size);
    return static_cast<char *>(raw) + kHeader;
}

} // namespace

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
    void *raw = std::malloc(kHeader + static_cast<size_t>(size));
    if (raw == nullptr)
        return nullptr;
    ++blocks_;
    bytes_ += size;
    return payload(raw, size);
}

void MemoryAccount::release(void *block) {
    if (block == nullptr)
        return;
    --blocks_;
    bytes_ -= sizeOf(block);
    std::free(static_cast<char *>(block) - kHeader);
}

void *MemoryAccount::reallocate(void *block, int64_t size) {
    if (block == nullptr)
        return allocate(size);
    int64_t old = sizeOf(block);
    if (refuses(size, size - old))
        return nullptr;
    void *raw = std::realloc(static_cast<char *>(block) - kHeader, kHeader + static_cast<size_t>(size));
    if (raw == nullptr)
        return nullptr;
    bytes_ += size - old;
    return payload(raw, size);
}

} // namespace fixrd::host

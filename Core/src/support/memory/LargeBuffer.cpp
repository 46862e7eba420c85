#include "support/memory/LargeBuffer.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>

namespace vt::memory {

namespace {

constexpr size_t kHugePage = size_t{2} << 20;

// Under a sanitizer the room comes from new[], where overruns are caught.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kMapLarge = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
constexpr bool kMapLarge = false;
#else
constexpr bool kMapLarge = true;
#endif
#else
constexpr bool kMapLarge = true;
#endif

// A mapping of `length` (a multiple of the huge page) on a huge page's
// boundary, as the kernel needs it to back it so; null when none.
void *mapAligned(size_t length) {
    if (length > SIZE_MAX - kHugePage)
        return nullptr;
    void *mapped = ::mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        return nullptr;
    auto start = reinterpret_cast<uintptr_t>(mapped);
    uintptr_t aligned = (start + kHugePage - 1) & ~uintptr_t{kHugePage - 1};
    if (aligned > start)
        ::munmap(mapped, aligned - start);
    if (start + kHugePage > aligned)
        ::munmap(reinterpret_cast<void *>(aligned + length), start + kHugePage - aligned);
    void *base = reinterpret_cast<void *>(aligned);
    ::madvise(base, length, MADV_HUGEPAGE);   // a hint: without it, plain pages
    return base;
}

} // namespace

LargeBuffer::LargeBuffer(size_t size) {
    if (kMapLarge && size >= kMappedFrom) {
        size_t length = (size + kHugePage - 1) & ~(kHugePage - 1);
        if (void *base = mapAligned(length)) {
            data_ = static_cast<unsigned char *>(base);
            mapped_ = capacity_ = length;
            return;
        }
    }
    data_ = new unsigned char[size];
    capacity_ = size;
}

LargeBuffer::~LargeBuffer() {
    if (mapped_ != 0)
        ::munmap(data_, mapped_);
    else
        delete[] data_;
}

} // namespace vt::memory
